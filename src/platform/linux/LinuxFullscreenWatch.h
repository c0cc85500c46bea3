#pragma once
#include <X11/Xlib.h>
#include <gdk/gdk.h>

#include <memory>

#include "platform/linux/LinuxToplevel.h"

namespace brindlow::lnx {

// Follows the active window (_NET_ACTIVE_WINDOW) and its full-screen state, and tells our windows
// which monitor a focused full-screen window covers. There are no full-screen spaces on X11: our
// windows not marked full-screen auxiliary step out of the way there and come back afterwards.
class LinuxFullscreenWatch {
 public:
  explicit LinuxFullscreenWatch(std::shared_ptr<WindowStack> stack);
  ~LinuxFullscreenWatch();
  LinuxFullscreenWatch(const LinuxFullscreenWatch&) = delete;
  LinuxFullscreenWatch& operator=(const LinuxFullscreenWatch&) = delete;

 private:
  void refresh();
  void follow(::Window active);
  static GdkFilterReturn onXEvent(GdkXEvent* xevent, GdkEvent*, gpointer self);

  std::shared_ptr<WindowStack> stack_;
  GdkDisplay* display_ = nullptr;
  Display* dpy_ = nullptr;
  ::Window root_ = 0;
  ::Window active_ = 0;  // the foreign window whose state changes we listen to
  Atom activeAtom_ = None, stateAtom_ = None, fullscreenAtom_ = None;
};

}  // namespace brindlow::lnx
