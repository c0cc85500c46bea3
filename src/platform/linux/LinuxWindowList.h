#pragma once
#include <X11/Xlib.h>

#include <optional>
#include <vector>

#include "platform/WindowList.h"

namespace brindlow::lnx {

// Other clients' top-level windows from the window manager's stacking list (EWMH), front to back.
class LinuxWindowList : public platform::WindowList {
 public:
  LinuxWindowList();
  std::optional<std::vector<platform::RawWindowEntry>> copyOnScreenWindows() override;

 private:
  struct Atoms {
    Atom stacking, pid, type, state, desktop, currentDesktop, opacity, frameExtents, gtkFrameExtents;
    Atom typeNormal, typeDialog, typeDock, typeDesktop, stateHidden, stateAbove, stateBelow;
  };
  std::optional<platform::RawWindowEntry> entry(::Window client, std::optional<unsigned long> currentDesktop) const;

  Display* dpy_ = nullptr;
  ::Window root_ = 0;
  Atoms atoms_{};
};

}  // namespace brindlow::lnx
