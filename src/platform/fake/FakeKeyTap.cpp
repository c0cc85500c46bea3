#include "platform/fake/FakeKeyTap.h"

#include <algorithm>

namespace brindlow::fake {

namespace {

class Handle : public platform::KeyTapHandle {
 public:
  explicit Handle(std::shared_ptr<FakeKeyTap::Tap> tap) : tap_(std::move(tap)) {}
  ~Handle() override { tap_->released = true; }
  void setEnabled(bool enabled) override {
    tap_->setEnabledCalls.push_back(enabled);
    tap_->enabled = enabled;
  }
  void invalidate() override {
    tap_->invalidated = true;
    tap_->enabled = false;
  }

 private:
  std::shared_ptr<FakeKeyTap::Tap> tap_;
};

}  // namespace

std::unique_ptr<platform::KeyTapHandle> FakeKeyTap::createListenTap(
    std::function<void(const platform::KeyTapEvent&)> handler) {
  ++createCalls;
  if (failCreate) return nullptr;
  auto tap = std::make_shared<Tap>();
  tap->handler = std::move(handler);
  taps_.push_back(tap);
  return std::make_unique<Handle>(tap);
}

void FakeKeyTap::deliver(const platform::KeyTapEvent& event, bool toDisabled) {
  // A copy: a handler may stop or start taps.
  const auto taps = taps_;
  for (const auto& tap : taps) {
    if (tap->live() && (tap->enabled || toDisabled) && tap->handler) tap->handler(event);
  }
}

void FakeKeyTap::emitKeyDown(bool autorepeat) { deliver({platform::KeyTapEventKind::keyDown, autorepeat, std::nullopt}, false); }

void FakeKeyTap::emitKeyDownPressedAt(double uptime) {
  deliver({platform::KeyTapEventKind::keyDown, false, uptime}, false);
}

void FakeKeyTap::emitDisabled(platform::KeyTapEventKind kind) {
  for (const auto& tap : taps_) {
    if (tap->live()) tap->enabled = false;
  }
  deliver({kind, false, std::nullopt}, true);
}

void FakeKeyTap::emitOther() { deliver({platform::KeyTapEventKind::other, false, std::nullopt}, false); }

size_t FakeKeyTap::liveTaps() const {
  return static_cast<size_t>(std::count_if(taps_.begin(), taps_.end(), [](const auto& t) { return t->live(); }));
}

}  // namespace brindlow::fake
