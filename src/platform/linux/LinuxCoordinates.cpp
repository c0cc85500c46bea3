#include "platform/linux/LinuxCoordinates.h"

#include <cmath>

namespace brindlow::lnx {

namespace {

GdkMonitor* primaryMonitor() {
  GdkDisplay* display = gdk_display_get_default();
  if (display == nullptr) return nullptr;
  if (GdkMonitor* m = gdk_display_get_primary_monitor(display)) return m;
  return gdk_display_get_n_monitors(display) > 0 ? gdk_display_get_monitor(display, 0) : nullptr;
}

}  // namespace

GPoint primaryOrigin() {
  GdkMonitor* m = primaryMonitor();
  if (m == nullptr) return {};
  GdkRectangle g;
  gdk_monitor_get_geometry(m, &g);
  return {static_cast<double>(g.x), static_cast<double>(g.y)};
}

int rootScale() {
  GdkMonitor* m = primaryMonitor();
  const int scale = m != nullptr ? gdk_monitor_get_scale_factor(m) : 1;
  return scale > 0 ? scale : 1;
}

GRect pageToRoot(GRect page) {
  const GPoint p = primaryOrigin();
  return {page.x + p.x, page.y + p.y, page.w, page.h};
}

GRect rootToPage(GRect root) {
  const GPoint p = primaryOrigin();
  return {root.x - p.x, root.y - p.y, root.w, root.h};
}

GPoint rootToPage(GPoint root) {
  const GPoint p = primaryOrigin();
  return {root.x - p.x, root.y - p.y};
}

GRect deviceToPage(GRect device) {
  const double s = rootScale();
  return rootToPage(GRect{device.x / s, device.y / s, device.w / s, device.h / s});
}

GdkRectangle roundOut(GRect r) {
  const double x0 = std::floor(r.x), y0 = std::floor(r.y);
  const double x1 = std::ceil(r.x + r.w), y1 = std::ceil(r.y + r.h);
  return {static_cast<int>(x0), static_cast<int>(y0), static_cast<int>(x1 - x0), static_cast<int>(y1 - y0)};
}

}  // namespace brindlow::lnx
