#include "platform/linux/LinuxWindowList.h"

#include <X11/Xatom.h>
#include <gdk/gdkx.h>
#include <gtk/gtk.h>
#include <unistd.h>

#include <algorithm>

#include "platform/EwmhWindow.h"
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

// The X ids of this process's top-level windows.
std::set<::Window> ownWindows() {
  std::set<::Window> own;
  GList* toplevels = gtk_window_list_toplevels();
  for (GList* l = toplevels; l != nullptr; l = l->next) {
    GdkWindow* window = gtk_widget_get_window(GTK_WIDGET(l->data));
    if (window != nullptr && GDK_IS_X11_WINDOW(window)) own.insert(GDK_WINDOW_XID(window));
  }
  g_list_free(toplevels);
  return own;
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
            intern("_GTK_FRAME_EXTENTS")};
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
    const std::set<::Window> own = ownWindows();
    out.emplace();
    // The stacking list runs bottom to top.
    for (auto it = clients.rbegin(); it != clients.rend(); ++it) {
      if (auto e = entry(*it, current, own)) out->push_back(*e);
    }
  }
  if (data != nullptr) XFree(data);
  gdk_x11_display_error_trap_pop_ignored(display);
  return out;
}

std::vector<std::string> LinuxWindowList::names(const std::vector<unsigned long>& atoms) {
  std::vector<std::string> out;
  for (unsigned long a : atoms) {
    auto it = atomNames_.find(a);
    if (it == atomNames_.end()) {
      char* name = XGetAtomName(dpy_, a);  // null for a bad atom (the error is trapped)
      it = atomNames_.emplace(a, name != nullptr ? name : "").first;
      if (name != nullptr) XFree(name);
    }
    out.push_back(it->second);
  }
  return out;
}

std::optional<platform::RawWindowEntry> LinuxWindowList::entry(::Window client,
                                                               std::optional<unsigned long> currentDesktop,
                                                               const std::set<::Window>& own) {
  XWindowAttributes attributes;
  if (XGetWindowAttributes(dpy_, client, &attributes) == 0 || attributes.map_state != IsViewable) return std::nullopt;
  const auto layer = EwmhWindow::layer(names(readProperty32(dpy_, client, atoms_.type, XA_ATOM)),
                                       names(readProperty32(dpy_, client, atoms_.state, XA_ATOM)));
  if (!layer) return std::nullopt;
  if (auto desktop = cardinal(dpy_, client, atoms_.desktop);
      desktop && currentDesktop && *desktop != kAllDesktops && *desktop != *currentDesktop) {
    return std::nullopt;
  }

  platform::RawWindowEntry e;
  e.number = static_cast<int64_t>(client);
  const auto self = static_cast<int32_t>(getpid());
  if (own.contains(client)) {
    e.ownerPid = self;
  } else if (auto pid = cardinal(dpy_, client, atoms_.pid); pid && static_cast<int32_t>(*pid) != self) {
    e.ownerPid = static_cast<int32_t>(*pid);  // a window not ours that claims our id is from another host
  }
  e.layer = *layer;
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
