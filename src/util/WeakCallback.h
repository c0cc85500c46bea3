#pragma once
#include <cstdlib>
#include <memory>

#include "platform/MainLoop.h"

namespace brindlow {

// A platform callback that holds its service weakly: it does nothing once the service is gone, and
// otherwise runs `action(service)` on the main thread (anything else is a wiring fault: abort).
// The callback ignores its arguments, so it fits observers, event monitors and timers alike.
template <class T, class F>
auto weakCallback(std::weak_ptr<T> weak, const platform::MainLoop& loop, F action) {
  return [weak = std::move(weak), &loop, action = std::move(action)](auto&&...) {
    auto self = weak.lock();
    if (!self) return;
    if (!loop.isMainThread()) std::abort();
    action(*self);
  };
}

}  // namespace brindlow
