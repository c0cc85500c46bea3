#pragma once
#include <gdk/gdk.h>

#include "model/Geometry.h"

namespace brindlow::lnx {

// Page coordinates are points with the origin at the primary monitor's top-left, y down. GDK
// works in root logical pixels, Xlib in root device pixels (logical × the one GDK scale).
GPoint primaryOrigin();  // root logical pixels; (0, 0) without a monitor
int rootScale();
GRect pageToRoot(GRect page);
GRect rootToPage(GRect root);
GPoint rootToPage(GPoint root);
GRect deviceToPage(GRect device);

// A logical rectangle rounded outward to whole pixels.
GdkRectangle roundOut(GRect r);

}  // namespace brindlow::lnx
