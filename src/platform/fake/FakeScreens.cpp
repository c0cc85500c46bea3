#include "platform/fake/FakeScreens.h"

#include <utility>

namespace brindlow::fake {

FakeScreens::FakeScreens() : displays_{defaultDisplay()}, alive_(std::make_shared<bool>(true)) {}

FakeScreens::~FakeScreens() { *alive_ = false; }

platform::DisplayInfo FakeScreens::defaultDisplay() {
  return {1u, "00000000-0000-0000-0000-000000000001", GRect{0, 0, 1440, 900}, GRect{0, 25, 1440, 875}, 2};
}

std::vector<platform::DisplayInfo> FakeScreens::displays() const {
  ++displaysReads_;
  return displays_;
}

platform::Subscription FakeScreens::onParametersChanged(std::function<void()> handler) {
  const uint64_t id = nextId_++;
  handlers_.emplace(id, std::move(handler));
  std::weak_ptr<bool> alive = alive_;
  return platform::Subscription([this, id, alive] {
    if (auto a = alive.lock(); a && *a) handlers_.erase(id);
  });
}

void FakeScreens::emitParametersChanged() {
  std::vector<uint64_t> ids;
  for (const auto& [id, handler] : handlers_) ids.push_back(id);
  std::weak_ptr<bool> alive = alive_;
  for (uint64_t id : ids) {
    if (auto a = alive.lock(); !a || !*a) return;  // a handler destroyed the fake
    auto it = handlers_.find(id);
    if (it == handlers_.end() || !it->second) continue;
    auto handler = it->second;  // the handler may cancel its own subscription
    handler();
  }
}

}  // namespace brindlow::fake
