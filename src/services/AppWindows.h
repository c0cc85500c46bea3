#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "model/Messages.h"
#include "model/Surface.h"
#include "platform/Subscription.h"
#include "platform/TaskHandle.h"

namespace brindlow {

namespace platform {
class MainLoop;
class MouseMonitor;
class ProcessInfo;
class WindowList;
class Workspace;
}  // namespace platform

// The other applications' windows the pet may stand on. While the pet stands on one it watches:
// it re-reads every 1 to 4 s, growing the interval while nothing changes, and sooner (within the
// minimum gaps) after drags, mouse releases, application and space switches and typing. Every
// changed list goes to `onChange`. Held in a shared_ptr: monitors, observers and ticks hold it weakly.
class AppWindows : public std::enable_shared_from_this<AppWindows> {
 public:
  AppWindows(platform::MainLoop& loop, platform::WindowList& list, platform::MouseMonitor& mouse,
             platform::Workspace& workspace, const platform::ProcessInfo& process);
  ~AppWindows();
  AppWindows(const AppWindows&) = delete;
  AppWindows& operator=(const AppWindows&) = delete;

  void start();
  void stop();
  // Reads now and reports a change, then schedules the next idle tick.
  void tick();
  // A tick after `delay` seconds, unless one is already due no later.
  void schedule(double delay);
  // Reads now, or as soon as `gap` seconds have passed since the last read.
  void throttle(double gap);
  // The list now, for the page's request; empty without reading unless the mode is "windows".
  std::vector<AppWindow> list();
  // Watches while the pet stands on a window in the mode "windows"; stops otherwise.
  void followSurface(const std::optional<Surface>& surface);

  std::function<void(const std::vector<AppWindow>&)> onChange;
  GroundMode mode = GroundMode::bottom;

  bool watching() const { return watching_; }
  double idle() const { return idle_; }

 private:
  std::vector<AppWindow> read();

  platform::MainLoop& loop_;
  platform::WindowList& list_;
  platform::MouseMonitor& mouse_;
  platform::Workspace& workspace_;

  bool watching_ = false;
  std::vector<platform::Subscription> monitors_;
  std::vector<platform::Subscription> observers_;
  std::vector<AppWindow> lastSent_;
  double lastRead_ = 0;
  double idle_;
  platform::TaskHandle next_;
  double nextAt_ = 0;
  int32_t ownPid_;
};

}  // namespace brindlow
