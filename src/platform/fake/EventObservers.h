#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "platform/Subscription.h"

namespace brindlow::fake {

// Observers keyed by event, run in the order they were added. A dropped subscription removes its
// observer; observers may remove themselves or others while an event is being delivered.
template <class Event>
class EventObservers {
 public:
  EventObservers() = default;
  EventObservers(const EventObservers&) = delete;
  EventObservers& operator=(const EventObservers&) = delete;
  ~EventObservers() { *alive_ = false; }

  platform::Subscription add(Event event, std::function<void()> handler) {
    const uint64_t id = nextId_++;
    observers_.emplace(id, Observer{event, std::move(handler)});
    ++added_;
    std::weak_ptr<bool> alive = alive_;
    return platform::Subscription([this, id, alive] {
      if (auto a = alive.lock(); a && *a) observers_.erase(id);
    });
  }

  void emit(Event event) {
    std::vector<uint64_t> ids;
    for (const auto& [id, o] : observers_) {
      if (o.event == event) ids.push_back(id);
    }
    for (uint64_t id : ids) {
      auto it = observers_.find(id);  // looked up again: an earlier observer may have removed it
      if (it == observers_.end()) continue;
      auto handler = it->second.handler;
      if (handler) handler();
    }
  }

  size_t count(Event event) const {
    size_t n = 0;
    for (const auto& [id, o] : observers_) n += o.event == event ? 1 : 0;
    return n;
  }
  size_t count() const { return observers_.size(); }
  size_t added() const { return added_; }

 private:
  struct Observer {
    Event event;
    std::function<void()> handler;
  };
  uint64_t nextId_ = 1;
  size_t added_ = 0;
  std::map<uint64_t, Observer> observers_;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace brindlow::fake
