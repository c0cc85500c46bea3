#pragma once
#include <functional>

#include "platform/TaskHandle.h"

namespace brindlow::platform {

using Seconds = double;       // the monotonic uptime clock; pauses in suspend
using EpochSeconds = double;  // the wall clock, seconds since the Unix epoch

// The one main loop every component runs on.
class MainLoop {
 public:
  virtual ~MainLoop() = default;
  virtual Seconds uptime() const = 0;
  virtual EpochSeconds now() const = 0;
  // Runs `block` once, `delay` seconds of uptime from now, on a later turn.
  [[nodiscard]] virtual TaskHandle scheduleAfter(Seconds delay, std::function<void()> block) = 0;
  // Runs `block` once the wall clock reaches `deadline` (a deadline passed in suspend fires at resume).
  [[nodiscard]] virtual TaskHandle scheduleAtWallTime(EpochSeconds deadline, std::function<void()> block) = 0;
  // Runs `block` on a later turn of the loop, in FIFO order; never inline.
  virtual void post(std::function<void()> block) = 0;
  virtual bool isMainThread() const = 0;
};

}  // namespace brindlow::platform
