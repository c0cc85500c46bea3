#pragma once
#include <X11/Xlib.h>

#include <vector>

namespace brindlow::lnx {

// The 32-bit items of a window property of this type, masked to 32 bits (Xlib hands them back as
// sign-extended longs); empty when the property is missing or of another type.
std::vector<unsigned long> readProperty32(Display* dpy, ::Window w, Atom name, Atom type);

}  // namespace brindlow::lnx
