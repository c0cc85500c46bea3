#include "platform/linux/LinuxWindowList.h"

#include <X11/Xatom.h>
#include <gdk/gdkx.h>

#include <algorithm>

#include "platform/linux/LinuxCoordinates.h"
#include "platform/linux/LinuxXProperty.h"

namespace brindlow::lnx {

namespace {

constexpr unsigned long kAllDesktops = 0xFFFFFFFFUL;
constexpr long kMaxItems = 4096;

std::optional<unsigned long> cardinal(Display* dpy, ::Window w, Atom name) {
  auto values = readProperty32(dpy, w, name, XA_CARDINAL);
  if (values.empty()) return std::nullopt;
  return values.front();
}

bool contains(const std::vector<unsigned long>& values, Atom a) {
  return std::find(values.begin(), values.end(), a) != values.end();
}

}  // namespace

LinuxWindowList::LinuxWindowList() {
  GdkDisplay* display = gdk_display_get_default();
  if (display == nullptr || !GDK_IS_X11_DISPLAY(display)) return;
  dpy_ = GDK_DISPLAY_XDISPLAY(display);
  root_ = DefaultRootWindow(dpy_);
  auto intern = [this](const char* name) { return XInternAtom(dpy_, name, False); };
  atoms_ = {intern("_NET_CLIENT_LIST_STACKING"),
            intern("_NET_WM_PID"),
            intern("_NET_WM_WINDOW_TYPE"),
            intern("_NET_WM_STATE"),
            intern("_NET_WM_DESKTOP"),
            intern("_NET_CURRENT_DESKTOP"),
            intern("_NET_WM_WINDOW_OPACITY"),
            intern("_NET_FRAME_EXTENTS"),
            intern("_GTK_FRAME_EXTENTS"),
            intern("_NET_WM_WINDOW_TYPE_NORMAL"),
            intern("_NET_WM_WINDOW_TYPE_DIALOG"),
            intern("_NET_WM_WINDOW_TYPE_DOCK"),
            intern("_NET_WM_WINDOW_TYPE_DESKTOP"),
            intern("_NET_WM_STATE_HIDDEN"),
            intern("_NET_WM_STATE_ABOVE"),
            intern("_NET_WM_STATE_BELOW")};
}

std::optional<std::vector<platform::RawWindowEntry>> LinuxWindowList::copyOnScreenWindows() {
  if (dpy_ == nullptr) return std::nullopt;
  GdkDisplay* display = gdk_display_get_default();
  gdk_x11_display_error_trap_push(display);  // clients may vanish while we read them
  Atom actual = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  const bool listed = XGetWindowProperty(dpy_, root_, atoms_.stacking, 0, kMaxItems, False, XA_WINDOW, &actual, &format,
                                         &count, &after, &data) == Success &&
                      actual == XA_WINDOW && format == 32;
  std::optional<std::vector<platform::RawWindowEntry>> out;
  if (listed) {
    std::vector<::Window> clients(count);
    const auto* items = reinterpret_cast<const unsigned long*>(data);
    for (unsigned long i = 0; i < count; ++i) clients[i] = items[i];
    const auto current = cardinal(dpy_, root_, atoms_.currentDesktop);
    out.emplace();
    // The stacking list runs bottom to top.
    for (auto it = clients.rbegin(); it != clients.rend(); ++it) {
      if (auto e = entry(*it, current)) out->push_back(*e);
    }
  }
  if (data != nullptr) XFree(data);
  gdk_x11_display_error_trap_pop_ignored(display);
  return out;
}

std::optional<platform::RawWindowEntry> LinuxWindowList::entry(::Window client,
                                                               std::optional<unsigned long> currentDesktop) const {
  XWindowAttributes attributes;
  if (XGetWindowAttributes(dpy_, client, &attributes) == 0 || attributes.map_state != IsViewable) return std::nullopt;
  const auto states = readProperty32(dpy_, client, atoms_.state, XA_ATOM);
  if (contains(states, atoms_.stateHidden)) return std::nullopt;
  const auto types = readProperty32(dpy_, client, atoms_.type, XA_ATOM);
  const Atom type = types.empty() ? atoms_.typeNormal : types.front();
  if (type == atoms_.typeDesktop) return std::nullopt;
  if (auto desktop = cardinal(dpy_, client, atoms_.desktop);
      desktop && currentDesktop && *desktop != kAllDesktops && *desktop != *currentDesktop) {
    return std::nullopt;
  }

  platform::RawWindowEntry e;
  e.number = static_cast<int64_t>(client);
  if (auto pid = cardinal(dpy_, client, atoms_.pid)) e.ownerPid = static_cast<int32_t>(*pid);
  if (type == atoms_.typeDock) {
    e.layer = 20;
  } else if (type != atoms_.typeNormal && type != atoms_.typeDialog) {
    e.layer = 8;
  } else if (contains(states, atoms_.stateAbove)) {
    e.layer = 3;
  } else if (contains(states, atoms_.stateBelow)) {
    e.layer = -1;
  } else {
    e.layer = 0;
  }
  if (auto opacity = cardinal(dpy_, client, atoms_.opacity)) e.alpha = static_cast<double>(*opacity) / 4294967295.0;

  int x = 0, y = 0;
  ::Window child = 0;
  if (XTranslateCoordinates(dpy_, client, root_, 0, 0, &x, &y, &child) != 0) {
    // The title bar counts as part of the window; a client-side shadow does not.
    double left = x, top = y, width = attributes.width, height = attributes.height;
    if (auto f = readProperty32(dpy_, client, atoms_.frameExtents, XA_CARDINAL); f.size() == 4) {
      left -= double(f[0]);
      top -= double(f[2]);
      width += double(f[0] + f[1]);
      height += double(f[2] + f[3]);
    }
    if (auto g = readProperty32(dpy_, client, atoms_.gtkFrameExtents, XA_CARDINAL); g.size() == 4) {
      left += double(g[0]);
      top += double(g[2]);
      width -= double(g[0] + g[1]);
      height -= double(g[2] + g[3]);
    }
    e.bounds = deviceToPage({left, top, width, height});
  }
  return e;
}

}  // namespace brindlow::lnx
