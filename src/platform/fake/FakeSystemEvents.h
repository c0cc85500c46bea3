#pragma once
#include <cstddef>
#include <functional>

#include "platform/HandlerList.h"
#include "platform/SystemEvents.h"

namespace brindlow::fake {

// System notifications that arrive only when the test emits them. Observers of one event run in the
// order they were added; a dropped subscription removes its observer.
class FakeSystemEvents : public platform::SystemEvents {
 public:
  platform::Subscription observe(platform::SystemEvent event, std::function<void()> handler) override;

  platform::SessionState sessionState() const override { return session; }

  // Driver: runs every live observer of the event.
  void emit(platform::SystemEvent event);
  // Driver: what sessionState() answers; emit() does not change it.
  platform::SessionState session;

  // Inspection.
  size_t observerCount(platform::SystemEvent event) const { return observers_.count(event); }
  size_t observerCount() const { return observers_.size(); }
  size_t added() const { return added_; }

 private:
  platform::HandlerList<void(), platform::SystemEvent> observers_;
  size_t added_ = 0;
};

}  // namespace brindlow::fake
