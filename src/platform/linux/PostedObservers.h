#pragma once
#include <functional>
#include <memory>

#include "platform/MainLoop.h"
#include "platform/Subscription.h"
#include "platform/linux/Observers.h"

namespace brindlow::lnx {

// Observers of one desktop notification, told on a later turn of the main loop, never inside the
// GTK call that noticed the change.
class PostedObservers {
 public:
  explicit PostedObservers(platform::MainLoop& loop) : loop_(loop) {}
  ~PostedObservers() { *alive_ = false; }
  PostedObservers(const PostedObservers&) = delete;
  PostedObservers& operator=(const PostedObservers&) = delete;

  platform::Subscription add(std::function<void()> handler) { return observers_.add(0, std::move(handler)); }

  void postNotify() {
    std::weak_ptr<bool> alive = alive_;
    loop_.post([this, alive] {
      if (auto a = alive.lock(); a && *a) observers_.emit(0);
    });
  }

 private:
  platform::MainLoop& loop_;
  Observers<int> observers_;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace brindlow::lnx
