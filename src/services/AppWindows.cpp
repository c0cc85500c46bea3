#include "services/AppWindows.h"

#include "platform/MainLoop.h"
#include "platform/MouseMonitor.h"
#include "platform/ProcessInfo.h"
#include "platform/WeakCallback.h"
#include "platform/WindowList.h"
#include "platform/Workspace.h"
#include "services/AppWindowList.h"
#include "services/WindowWatchPace.h"

namespace brindlow {

AppWindows::AppWindows(platform::MainLoop& loop, platform::WindowList& list, platform::MouseMonitor& mouse,
                       platform::Workspace& workspace, const platform::ProcessInfo& process)
    : loop_(loop),
      list_(list),
      mouse_(mouse),
      workspace_(workspace),
      idle_(WindowWatchPace::shortestIdle),
      ownPid_(process.processId()) {}

AppWindows::~AppWindows() = default;

void AppWindows::start() {
  if (watching_) return;
  watching_ = true;
  idle_ = WindowWatchPace::shortestIdle;
  auto weak = weak_from_this();
  auto dragged = weakCallback(weak, loop_, [](AppWindows& w) { w.throttle(WindowWatchPace::dragGap); });
  auto released = weakCallback(weak, loop_, [](AppWindows& w) { w.throttle(WindowWatchPace::eventGap); });
  // A monitor the desktop refuses is simply missing; the other triggers and the idle ticks remain.
  if (auto m = mouse_.addGlobalMonitor(platform::leftMouseDraggedMask, dragged)) monitors_.push_back(std::move(*m));
  if (auto m = mouse_.addGlobalMonitor(platform::leftMouseUpMask, released)) monitors_.push_back(std::move(*m));
  for (auto event : {platform::WorkspaceEvent::didActivateApplication, platform::WorkspaceEvent::didHideApplication,
                     platform::WorkspaceEvent::didUnhideApplication, platform::WorkspaceEvent::didTerminateApplication,
                     platform::WorkspaceEvent::activeSpaceDidChange}) {
    observers_.push_back(workspace_.observe(event, released));
  }
  schedule(idle_);
}

void AppWindows::stop() {
  watching_ = false;
  monitors_.clear();
  observers_.clear();
  next_.cancel();
}

std::vector<AppWindow> AppWindows::read() {
  lastRead_ = loop_.uptime();
  return AppWindowList::read(list_, ownPid_);
}

void AppWindows::tick() {
  next_.cancel();
  if (!watching_) return;
  auto keepAlive = weak_from_this().lock();  // onChange may drop the last owner
  auto w = read();
  if (w == lastSent_) {
    idle_ = WindowWatchPace::nextIdle(false, idle_);
  } else {
    lastSent_ = w;
    idle_ = WindowWatchPace::nextIdle(true, idle_);
    // The report gets its own copy: a listener that asks for the list again replaces lastSent_.
    if (onChange) onChange(w);
  }
  // A report that stopped the watching leaves no tick behind.
  if (watching_) schedule(idle_);
}

void AppWindows::schedule(double delay) {
  const double at = loop_.uptime() + delay;
  if (next_.isPending()) {
    if (at >= nextAt_) return;
    next_.cancel();
  }
  nextAt_ = at;
  next_ = loop_.scheduleAfter(delay, weakCallback(weak_from_this(), loop_, [](AppWindows& w) { w.tick(); }));
}

void AppWindows::throttle(double gap) {
  if (!watching_) return;
  const double wait = WindowWatchPace::wait(loop_.uptime(), lastRead_, gap);
  if (wait <= 0) {
    tick();
  } else {
    schedule(wait);
  }
}

std::vector<AppWindow> AppWindows::list() {
  if (mode != GroundMode::windows) return {};
  lastSent_ = read();
  return lastSent_;
}

void AppWindows::followSurface(const std::optional<Surface>& surface) {
  if (mode == GroundMode::windows && surface && surface->kind == SurfaceKind::window) {
    start();
  } else {
    stop();
  }
}

}  // namespace brindlow
