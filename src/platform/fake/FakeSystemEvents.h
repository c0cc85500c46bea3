#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>

#include "platform/SystemEvents.h"

namespace brindlow::fake {

// System notifications that arrive only when the test emits them. Observers of one event run in the
// order they were added; a dropped subscription removes its observer.
class FakeSystemEvents : public platform::SystemEvents {
 public:
  FakeSystemEvents();
  ~FakeSystemEvents() override;

  platform::Subscription observe(platform::SystemEvent event, std::function<void()> handler) override;

  // Driver: runs every live observer of the event.
  void emit(platform::SystemEvent event);

  // Inspection.
  size_t observerCount(platform::SystemEvent event) const;
  size_t observerCount() const { return observers_.size(); }
  size_t added() const { return added_; }

 private:
  struct Observer {
    platform::SystemEvent event;
    std::function<void()> handler;
  };
  uint64_t nextId_ = 1;
  size_t added_ = 0;
  std::map<uint64_t, Observer> observers_;
  std::shared_ptr<bool> alive_;
};

}  // namespace brindlow::fake
