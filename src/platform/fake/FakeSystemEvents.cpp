#include "platform/fake/FakeSystemEvents.h"

#include <vector>

namespace brindlow::fake {

FakeSystemEvents::FakeSystemEvents() : alive_(std::make_shared<bool>(true)) {}

FakeSystemEvents::~FakeSystemEvents() { *alive_ = false; }

platform::Subscription FakeSystemEvents::observe(platform::SystemEvent event, std::function<void()> handler) {
  const uint64_t id = nextId_++;
  observers_.emplace(id, Observer{event, std::move(handler)});
  ++added_;
  std::weak_ptr<bool> alive = alive_;
  return platform::Subscription([this, id, alive] {
    if (auto a = alive.lock(); a && *a) observers_.erase(id);
  });
}

void FakeSystemEvents::emit(platform::SystemEvent event) {
  // Observers may remove themselves or others while this runs: look each one up again.
  std::vector<uint64_t> ids;
  for (const auto& [id, o] : observers_) {
    if (o.event == event) ids.push_back(id);
  }
  for (uint64_t id : ids) {
    auto it = observers_.find(id);
    if (it == observers_.end()) continue;
    auto handler = it->second.handler;
    if (handler) handler();
  }
}

size_t FakeSystemEvents::observerCount(platform::SystemEvent event) const {
  size_t n = 0;
  for (const auto& [id, o] : observers_) n += o.event == event ? 1 : 0;
  return n;
}

}  // namespace brindlow::fake
