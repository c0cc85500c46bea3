#include "platform/linux/LinuxXProperty.h"

namespace brindlow::lnx {

namespace {

constexpr unsigned long kCardinalMask = 0xFFFFFFFFUL;
constexpr long kMaxItems = 4096;

}  // namespace

std::vector<unsigned long> readProperty32(Display* dpy, ::Window w, Atom name, Atom type) {
  Atom actual = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  std::vector<unsigned long> out;
  if (XGetWindowProperty(dpy, w, name, 0, kMaxItems, False, type, &actual, &format, &count, &after, &data) !=
      Success) {
    return out;
  }
  if (data != nullptr && actual == type && format == 32) {
    const auto* items = reinterpret_cast<const unsigned long*>(data);
    for (unsigned long i = 0; i < count; ++i) out.push_back(items[i] & kCardinalMask);
  }
  if (data != nullptr) XFree(data);
  return out;
}

}  // namespace brindlow::lnx
