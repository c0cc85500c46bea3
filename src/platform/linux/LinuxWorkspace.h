#pragma once
#include <gdk/gdk.h>

#include <set>
#include <string>
#include <vector>

#include "platform/MainLoop.h"
#include "platform/Workspace.h"
#include "platform/linux/GlibUtil.h"
#include "platform/linux/Observers.h"

namespace brindlow::lnx {

// URLs, instances and the desktop's application changes.
//
// One instance per session: the first that asks for the running instances takes the application id as
// a session-bus name (never queued); later ones learn the owner's pid from the bus. Without a session
// bus, processes running the same executable for the same user count instead.
//
// Application events come from the window manager's root-window properties on X11, so they are window
// events: _NET_ACTIVE_WINDOW → didActivateApplication, _NET_CURRENT_DESKTOP → activeSpaceDidChange, a
// window leaving _NET_CLIENT_LIST → didTerminateApplication. Hiding and unhiding another application
// has no cheap root-window signal and is never reported (an iconify moves the active window, which is
// reported as an activation). Nothing is reported without an X11 display or without a window manager.
class LinuxWorkspace : public platform::Workspace {
 public:
  explicit LinuxWorkspace(platform::MainLoop& loop);
  ~LinuxWorkspace() override;

  bool openUrl(std::string_view url) override;
  std::vector<int32_t> runningApplicationPids(std::string_view applicationId) override;
  bool isApplicationRunning(int32_t pid) override;
  // Activate of org.freedesktop.Application on the name's owner, with this launch's startup id, so that
  // the running instance reopens (LinuxApplication answers it).
  bool reopenRunningInstance(std::string_view applicationId) override;
  // Runs this program again with `arguments` (the program path is added). A new process cannot be
  // told to stay in the background, so `activates` changes nothing.
  void openNewInstance(std::vector<std::string> arguments, bool activates,
                       std::function<void(std::optional<std::string> error)> done) override;
  platform::Subscription observe(platform::WorkspaceEvent event, std::function<void()> handler) override;

 private:
  std::vector<int32_t> sameExecutablePids();
  void watchRootWindow();
  void readClientList(bool report);
  static GdkFilterReturn onRootEvent(GdkXEvent* xevent, GdkEvent* event, gpointer self);

  platform::MainLoop& loop_;
  std::string executable_;
  std::set<std::string, std::less<>> ownedNames_;
  Observers<platform::WorkspaceEvent> observers_;
  GdkWindow* root_ = nullptr;
  unsigned long activeWindowAtom_ = 0;
  unsigned long currentDesktopAtom_ = 0;
  unsigned long clientListAtom_ = 0;
  std::set<unsigned long> clients_;
};

}  // namespace brindlow::lnx
