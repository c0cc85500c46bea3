#pragma once
#include <memory>
#include <type_traits>

#include "platform/MainLoop.h"
#include "platform/MainThread.h"

namespace brindlow {

// A platform callback that holds its service weakly: it runs `action(service, arguments...)` (or
// `action(service)` when the action takes no arguments) while the service lives, and does nothing
// once it is gone. An action that gives a result (a menu provider) gives a default one then. It must
// be called on the main thread: anything else aborts, gone or not. It fits observers, event monitors,
// providers and timers alike; it is how a service hands the platform a callback to itself.
namespace detail {
// The call without the arguments, written so that it depends on them: otherwise a compiler may check
// it for an action that takes them, before it knows which branch is taken.
template <class F, class T, class... A>
decltype(auto) invokeWithoutArguments(const F& action, T& service, const A&...) {
  return action(service);
}
}  // namespace detail

template <class T, class F>
auto weakCallback(std::weak_ptr<T> weak, const platform::MainLoop& loop, F action) {
  return [weak = std::move(weak), &loop, action = std::move(action)]<class... A>(const A&... args) {
    platform::assertMainThread(loop);
    auto self = weak.lock();
    if constexpr (std::is_invocable_v<const F&, T&, const A&...>) {
      using Result = std::invoke_result_t<const F&, T&, const A&...>;
      if (!self) return Result();
      return action(*self, args...);
    } else {
      using Result = decltype(detail::invokeWithoutArguments(action, *self, args...));
      if (!self) return Result();
      return detail::invokeWithoutArguments(action, *self, args...);
    }
  };
}

}  // namespace brindlow
