#pragma once
#include <functional>
#include <map>
#include <memory>
#include <utility>

#include "platform/MainLoop.h"
#include "platform/Subscription.h"

namespace brindlow::lnx {

// Runs a core callback from a GTK, GLib or Xlib callback, where no exception may escape.
template <class F>
void noThrow(F&& f) noexcept {
  try {
    f();
  } catch (...) {  // NOLINT(bugprone-empty-catch): the toolkit cannot unwind through C frames
  }
}

// Observers of one desktop notification. Each change is delivered on a later turn of the main loop,
// and a subscription outliving its owner does nothing.
class HandlerList {
 public:
  explicit HandlerList(platform::MainLoop& loop) : loop_(loop) {}
  ~HandlerList() { *alive_ = false; }

  platform::Subscription add(std::function<void()> handler) {
    const int id = next_++;
    handlers_.emplace(id, std::move(handler));
    std::weak_ptr<bool> alive = alive_;
    return platform::Subscription([this, id, alive] {
      if (auto a = alive.lock(); a && *a) handlers_.erase(id);
    });
  }

  void postNotify() {
    std::weak_ptr<bool> alive = alive_;
    loop_.post([this, alive] {
      auto a = alive.lock();
      if (!a || !*a) return;
      auto copy = handlers_;  // a handler may unsubscribe
      for (auto& [id, h] : copy) {
        if (handlers_.count(id) != 0 && h) h();
      }
    });
  }

 private:
  platform::MainLoop& loop_;
  std::map<int, std::function<void()>> handlers_;
  int next_ = 1;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace brindlow::lnx
