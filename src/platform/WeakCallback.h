#pragma once
#include <memory>
#include <type_traits>

#include "platform/MainLoop.h"
#include "platform/MainThread.h"

namespace brindlow {

// A platform callback that holds its service weakly: it runs `action(service, arguments...)` (or
// `action(service)` when the action takes no arguments) while the service lives, and does nothing
// once it is gone. It must be called on the main thread: anything else aborts, gone or not. It fits
// observers, event monitors and timers alike; it is how a service hands the platform a callback to itself.
template <class T, class F>
auto weakCallback(std::weak_ptr<T> weak, const platform::MainLoop& loop, F action) {
  return [weak = std::move(weak), &loop, action = std::move(action)](const auto&... args) {
    platform::assertMainThread(loop);
    auto self = weak.lock();
    if (!self) return;
    if constexpr (std::is_invocable_v<const F&, T&, const decltype(args)&...>) {
      action(*self, args...);
    } else {
      action(*self);
    }
  };
}

}  // namespace brindlow
