#include "platform/linux/LinuxScreens.h"

#include <X11/Xlib.h>
#include <X11/Xatom.h>
#include <X11/extensions/Xrandr.h>
#include <gdk/gdkx.h>

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "platform/linux/GlibUtil.h"
#include "platform/linux/LinuxCoordinates.h"

namespace brindlow::lnx {

namespace {

// The name space of display UUIDs derived from EDID identity (a fixed random UUID).
constexpr std::array<uint8_t, 16> kDisplayNamespace{0x6b, 0x3e, 0x91, 0x2c, 0x4f, 0xd7, 0x4a, 0x85,
                                                   0x9e, 0x10, 0x57, 0xc2, 0x8a, 0x3b, 0x61, 0xf4};

// A name-based (version 5, SHA-1) UUID in upper-case 8-4-4-4-12 text.
std::string nameUuid(std::string_view name) {
  GChecksum* sha = g_checksum_new(G_CHECKSUM_SHA1);
  g_checksum_update(sha, kDisplayNamespace.data(), kDisplayNamespace.size());
  g_checksum_update(sha, reinterpret_cast<const guchar*>(name.data()), static_cast<gssize>(name.size()));
  std::array<uint8_t, 20> digest{};
  gsize length = digest.size();
  g_checksum_get_digest(sha, digest.data(), &length);
  g_checksum_free(sha);
  digest[6] = static_cast<uint8_t>((digest[6] & 0x0F) | 0x50);
  digest[8] = static_cast<uint8_t>((digest[8] & 0x3F) | 0x80);
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (int i = 0; i < 16; ++i) {
    if (i == 4 || i == 6 || i == 8 || i == 10) out += '-';
    out += kHex[digest[i] >> 4];
    out += kHex[digest[i] & 0x0F];
  }
  return out;
}

// Manufacturer, product and serial from the EDID base block; the connector when there is no serial,
// so two identical panels still differ.
std::optional<std::string> edidIdentity(Display* dpy, RROutput output, const char* connector) {
  const Atom edid = XInternAtom(dpy, "EDID", True);
  if (edid == None) return std::nullopt;
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  if (XRRGetOutputProperty(dpy, output, edid, 0, 32, False, False, AnyPropertyType, &type, &format, &count, &after,
                           &data) != Success ||
      data == nullptr) {
    return std::nullopt;
  }
  std::optional<std::string> id;
  if (format == 8 && count >= 16) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string text;
    for (int i = 8; i < 16; ++i) {
      text += kHex[data[i] >> 4];
      text += kHex[data[i] & 0x0F];
    }
    const bool noSerial = data[12] == 0 && data[13] == 0 && data[14] == 0 && data[15] == 0;
    if (noSerial && connector != nullptr) text += std::string(":") + connector;
    id = text;
  }
  XFree(data);
  return id;
}

struct OutputIdentity {
  std::optional<uint32_t> number;
  std::optional<std::string> uuid;
};

// The RandR output whose CRTC covers exactly this monitor (device pixels).
OutputIdentity identify(GdkDisplay* display, const GdkRectangle& device) {
  if (!GDK_IS_X11_DISPLAY(display)) return {};
  Display* dpy = GDK_DISPLAY_XDISPLAY(display);
  OutputIdentity found;
  gdk_x11_display_error_trap_push(display);
  if (XRRScreenResources* res = XRRGetScreenResourcesCurrent(dpy, DefaultRootWindow(dpy))) {
    for (int i = 0; i < res->noutput && !found.number; ++i) {
      XRROutputInfo* info = XRRGetOutputInfo(dpy, res, res->outputs[i]);
      if (info == nullptr) continue;
      if (info->connection == RR_Connected && info->crtc != None) {
        if (XRRCrtcInfo* crtc = XRRGetCrtcInfo(dpy, res, info->crtc)) {
          if (crtc->x == device.x && crtc->y == device.y && static_cast<int>(crtc->width) == device.width &&
              static_cast<int>(crtc->height) == device.height) {
            found.number = static_cast<uint32_t>(res->outputs[i]);
            if (auto edid = edidIdentity(dpy, res->outputs[i], info->name)) found.uuid = nameUuid(*edid);
          }
          XRRFreeCrtcInfo(crtc);
        }
      }
      XRRFreeOutputInfo(info);
    }
    XRRFreeScreenResources(res);
  }
  gdk_x11_display_error_trap_pop_ignored(display);
  return found;
}

GRect toRect(const GdkRectangle& r) {
  return {static_cast<double>(r.x), static_cast<double>(r.y), static_cast<double>(r.width),
          static_cast<double>(r.height)};
}

GdkDevice* pointerDevice(GdkDisplay* display) {
  GdkSeat* seat = display != nullptr ? gdk_display_get_default_seat(display) : nullptr;
  return seat != nullptr ? gdk_seat_get_pointer(seat) : nullptr;
}

}  // namespace

LinuxScreens::LinuxScreens(platform::MainLoop& loop) : display_(gdk_display_get_default()), handlers_(loop) {
  if (display_ == nullptr) return;
  GdkScreen* screen = gdk_display_get_default_screen(display_);
  g_signal_connect_swapped(screen, "monitors-changed", G_CALLBACK(onChanged), this);
  g_signal_connect_swapped(screen, "size-changed", G_CALLBACK(onChanged), this);
  g_signal_connect(display_, "monitor-added", G_CALLBACK(onMonitorAdded), this);
  g_signal_connect_swapped(display_, "monitor-removed", G_CALLBACK(onChanged), this);
  for (int i = 0, n = gdk_display_get_n_monitors(display_); i < n; ++i) watchMonitor(gdk_display_get_monitor(display_, i));
  // Work-area changes raise no GDK signal; they show as root property changes.
  root_ = gdk_screen_get_root_window(screen);
  gdk_window_set_events(root_, static_cast<GdkEventMask>(gdk_window_get_events(root_) | GDK_PROPERTY_CHANGE_MASK));
  gdk_window_add_filter(root_, onRootEvent, this);
}

LinuxScreens::~LinuxScreens() {
  if (display_ == nullptr) return;
  gdk_window_remove_filter(root_, onRootEvent, this);
  g_signal_handlers_disconnect_by_data(gdk_display_get_default_screen(display_), this);
  g_signal_handlers_disconnect_by_data(display_, this);
  for (int i = 0, n = gdk_display_get_n_monitors(display_); i < n; ++i) {
    g_signal_handlers_disconnect_by_data(gdk_display_get_monitor(display_, i), this);
  }
}

void LinuxScreens::watchMonitor(GdkMonitor* monitor) {
  g_signal_connect_swapped(monitor, "notify::scale-factor", G_CALLBACK(onChanged), this);
}

std::vector<platform::DisplayInfo> LinuxScreens::displays() const {
  if (!cache_) cache_ = readDisplays();
  return *cache_;
}

std::vector<platform::DisplayInfo> LinuxScreens::readDisplays() const {
  std::vector<platform::DisplayInfo> out;
  if (display_ == nullptr) return out;
  const int n = gdk_display_get_n_monitors(display_);
  GdkMonitor* primary = gdk_display_get_primary_monitor(display_);
  if (primary == nullptr && n > 0) primary = gdk_display_get_monitor(display_, 0);
  std::vector<GdkMonitor*> order;
  if (primary != nullptr) order.push_back(primary);
  for (int i = 0; i < n; ++i) {
    if (GdkMonitor* m = gdk_display_get_monitor(display_, i); m != primary) order.push_back(m);
  }
  for (GdkMonitor* m : order) {
    GdkRectangle geometry, workarea;
    gdk_monitor_get_geometry(m, &geometry);
    gdk_monitor_get_workarea(m, &workarea);
    const int scale = std::max(1, gdk_monitor_get_scale_factor(m));
    const GdkRectangle device{geometry.x * scale, geometry.y * scale, geometry.width * scale, geometry.height * scale};
    OutputIdentity id = identify(display_, device);
    out.push_back({id.number, std::move(id.uuid), rootToPage(toRect(geometry)), rootToPage(toRect(workarea)),
                   static_cast<double>(scale)});
  }
  return out;
}

GPoint LinuxScreens::pointerLocation() const {
  GdkDevice* pointer = pointerDevice(display_);
  if (pointer == nullptr) return {};
  double x = 0, y = 0;
  gdk_device_get_position_double(pointer, nullptr, &x, &y);
  return rootToPage(GPoint{x, y});
}

uint32_t LinuxScreens::pressedMouseButtons() const {
  GdkDevice* pointer = pointerDevice(display_);
  if (pointer == nullptr || root_ == nullptr) return 0;
  GdkModifierType mask{};
  gdk_window_get_device_position(root_, pointer, nullptr, nullptr, &mask);
  // Logical buttons, so a left-handed mapping still reports its primary button as bit 0.
  return (mask & GDK_BUTTON1_MASK) != 0 ? 1u : 0u;
}

platform::Subscription LinuxScreens::onParametersChanged(std::function<void()> handler) {
  return handlers_.add(std::move(handler));
}

void LinuxScreens::onChanged(gpointer self) {
  auto* screens = static_cast<LinuxScreens*>(self);
  screens->cache_.reset();
  guarded("a screen change", [screens] { screens->handlers_.postNotify(); });
}

void LinuxScreens::onMonitorAdded(GdkDisplay*, GdkMonitor* monitor, gpointer self) {
  auto* screens = static_cast<LinuxScreens*>(self);
  screens->watchMonitor(monitor);
  onChanged(self);
}

GdkFilterReturn LinuxScreens::onRootEvent(GdkXEvent* xevent, GdkEvent*, gpointer self) {
  const auto* ev = static_cast<const XEvent*>(xevent);
  if (ev->type != PropertyNotify) return GDK_FILTER_CONTINUE;
  auto* screens = static_cast<LinuxScreens*>(self);
  const char* name = gdk_x11_get_xatom_name_for_display(screens->display_, ev->xproperty.atom);
  const std::string_view atom = name != nullptr ? name : "";
  if (atom == "_NET_WORKAREA" || atom.starts_with("_GTK_WORKAREAS_D")) onChanged(self);
  return GDK_FILTER_CONTINUE;
}

}  // namespace brindlow::lnx
