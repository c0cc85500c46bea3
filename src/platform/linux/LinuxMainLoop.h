#pragma once
#include <functional>
#include <thread>

#include "platform/MainLoop.h"

namespace brindlow::lnx {

// The GLib default main context (the one gtk_main runs). Timers are GSources with microsecond ready
// times; wall-clock timers are CLOCK_REALTIME timerfds, so a deadline passed in suspend or reached by
// setting the clock fires at once.
class LinuxMainLoop : public platform::MainLoop {
 public:
  // The thread that creates the loop is the main thread.
  LinuxMainLoop();

  platform::Seconds uptime() const override;
  platform::EpochSeconds now() const override;
  [[nodiscard]] platform::TaskHandle scheduleAfter(platform::Seconds delay, std::function<void()> block) override;
  [[nodiscard]] platform::TaskHandle scheduleAtWallTime(platform::EpochSeconds deadline,
                                                        std::function<void()> block) override;
  void post(std::function<void()> block) override;
  bool isMainThread() const override;

 private:
  std::thread::id mainThread_;
};

}  // namespace brindlow::lnx
