#include "platform/linux/LinuxFullscreenWatch.h"

#include <X11/Xatom.h>
#include <gdk/gdkx.h>

#include <algorithm>

#include "platform/linux/GlibUtil.h"
#include "platform/linux/LinuxCoordinates.h"
#include "platform/linux/LinuxXProperty.h"

namespace brindlow::lnx {

LinuxFullscreenWatch::LinuxFullscreenWatch(std::shared_ptr<WindowStack> stack) : stack_(std::move(stack)) {
  display_ = gdk_display_get_default();
  if (display_ == nullptr || !GDK_IS_X11_DISPLAY(display_)) return;
  dpy_ = GDK_DISPLAY_XDISPLAY(display_);
  root_ = DefaultRootWindow(dpy_);
  activeAtom_ = XInternAtom(dpy_, "_NET_ACTIVE_WINDOW", False);
  stateAtom_ = XInternAtom(dpy_, "_NET_WM_STATE", False);
  fullscreenAtom_ = XInternAtom(dpy_, "_NET_WM_STATE_FULLSCREEN", False);
  GdkWindow* root = gdk_screen_get_root_window(gdk_display_get_default_screen(display_));
  gdk_window_set_events(root, static_cast<GdkEventMask>(gdk_window_get_events(root) | GDK_PROPERTY_CHANGE_MASK));
  // A filter for all windows: the active window is foreign, so it has no GDK window to filter on.
  gdk_window_add_filter(nullptr, onXEvent, this);
  refresh();
}

LinuxFullscreenWatch::~LinuxFullscreenWatch() {
  if (dpy_ == nullptr) return;
  gdk_window_remove_filter(nullptr, onXEvent, this);
  follow(0);
}

void LinuxFullscreenWatch::follow(::Window active) {
  if (active == active_) return;
  gdk_x11_display_error_trap_push(display_);  // the old one may be gone already
  if (active_ != 0) XSelectInput(dpy_, active_, NoEventMask);
  active_ = 0;
  // Our own windows keep GDK's event mask; they are never full screen anyway.
  if (active != 0 && gdk_x11_window_lookup_for_display(display_, active) == nullptr) {
    XSelectInput(dpy_, active, PropertyChangeMask);
    active_ = active;
  }
  gdk_x11_display_error_trap_pop_ignored(display_);
}

void LinuxFullscreenWatch::refresh() {
  gdk_x11_display_error_trap_push(display_);
  const auto active = readProperty32(dpy_, root_, activeAtom_, XA_WINDOW);
  const ::Window window = active.empty() ? 0 : active.front();
  follow(window);
  GdkMonitor* monitor = nullptr;
  const auto states = window != 0 ? readProperty32(dpy_, window, stateAtom_, XA_ATOM) : std::vector<unsigned long>{};
  XWindowAttributes attributes;
  if (std::find(states.begin(), states.end(), fullscreenAtom_) != states.end() &&
      XGetWindowAttributes(dpy_, window, &attributes) != 0 && attributes.map_state == IsViewable) {
    int x = 0, y = 0;
    ::Window child = 0;
    if (XTranslateCoordinates(dpy_, window, root_, attributes.width / 2, attributes.height / 2, &x, &y, &child) != 0) {
      const int scale = rootScale();
      monitor = gdk_display_get_monitor_at_point(display_, x / scale, y / scale);
    }
  }
  gdk_x11_display_error_trap_pop_ignored(display_);
  stack_->setFullscreenMonitor(monitor);
}

GdkFilterReturn LinuxFullscreenWatch::onXEvent(GdkXEvent* xevent, GdkEvent*, gpointer self) {
  const auto* ev = static_cast<const XEvent*>(xevent);
  auto* watch = static_cast<LinuxFullscreenWatch*>(self);
  if (ev->type != PropertyNotify) return GDK_FILTER_CONTINUE;
  const bool activeChanged = ev->xproperty.window == watch->root_ && ev->xproperty.atom == watch->activeAtom_;
  const bool stateChanged = ev->xproperty.window == watch->active_ && ev->xproperty.atom == watch->stateAtom_;
  if (activeChanged || stateChanged) guarded("the full-screen watch", [watch] { watch->refresh(); });
  return GDK_FILTER_CONTINUE;
}

}  // namespace brindlow::lnx
