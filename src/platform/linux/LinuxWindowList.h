#pragma once
#include <X11/Xlib.h>

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/WindowList.h"

namespace brindlow::lnx {

// Other clients' top-level windows from the window manager's stacking list (EWMH), front to back.
// _NET_WM_PID is optional (older toolkits never set it, remote clients carry another machine's), so our
// own windows are told by their X ids and get this process's id; other windows keep theirs, if any.
class LinuxWindowList : public platform::WindowList {
 public:
  LinuxWindowList();
  std::optional<std::vector<platform::RawWindowEntry>> copyOnScreenWindows() override;

 private:
  struct Atoms {
    Atom stacking, pid, type, state, desktop, currentDesktop, opacity, frameExtents, gtkFrameExtents;
  };
  std::optional<platform::RawWindowEntry> entry(::Window client, std::optional<unsigned long> currentDesktop,
                                                const std::set<::Window>& own);
  std::vector<std::string> names(const std::vector<unsigned long>& atoms);

  std::map<Atom, std::string> atomNames_;  // atoms never change their names on a server
  Display* dpy_ = nullptr;
  ::Window root_ = 0;
  Atoms atoms_{};
};

}  // namespace brindlow::lnx
