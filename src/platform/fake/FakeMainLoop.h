#pragma once
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>

#include "platform/MainLoop.h"

namespace brindlow::fake {

// A virtual main loop. Nothing runs until the test drives it: advance() moves both clocks and fires
// timers by deadline (ties in scheduling order) with the clocks set to each deadline; setWall() jumps
// the wall clock alone. Posted blocks run in FIFO order in runPosted() and around every timer.
// Starts at uptime 1000 s and wall time 1.7e9 s (2023-11-14).
class FakeMainLoop : public platform::MainLoop {
 public:
  FakeMainLoop();
  ~FakeMainLoop() override;

  platform::Seconds uptime() const override { return uptime_; }
  platform::EpochSeconds now() const override { return wall_; }
  platform::TaskHandle scheduleAfter(platform::Seconds delay, std::function<void()> block) override;
  platform::TaskHandle scheduleAtWallTime(platform::EpochSeconds deadline, std::function<void()> block) override;
  void post(std::function<void()> block) override;
  bool isMainThread() const override { return mainThread_; }

  // Drivers.
  void advance(platform::Seconds dt);
  void setWall(platform::EpochSeconds wall);  // fires the wall timers that come due
  void runPosted();
  void setMainThread(bool main) { mainThread_ = main; }

  // Inspection.
  size_t pendingTimers() const;
  size_t pendingPosts() const { return posted_.size(); }
  std::optional<platform::Seconds> nextDeadline() const;  // on the uptime clock

 private:
  struct Timer {
    bool wall = false;
    double deadline = 0;  // uptime, or wall time for wall timers
    std::function<void()> block;
  };
  platform::TaskHandle add(Timer timer);
  std::optional<uint64_t> nextDue(platform::Seconds limit) const;
  double dueUptime(const Timer& t) const;

  platform::Seconds uptime_ = 1000;
  platform::EpochSeconds wall_ = 1.7e9;
  bool mainThread_ = true;
  uint64_t nextId_ = 1;
  std::map<uint64_t, Timer> timers_;
  std::deque<std::function<void()>> posted_;
  std::shared_ptr<bool> alive_;
};

}  // namespace brindlow::fake
