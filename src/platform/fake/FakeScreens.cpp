#include "platform/fake/FakeScreens.h"

#include <utility>

namespace brindlow::fake {

FakeScreens::FakeScreens() : displays_{defaultDisplay()} {}

FakeScreens::~FakeScreens() = default;

platform::DisplayInfo FakeScreens::defaultDisplay() {
  return {1u, "00000000-0000-0000-0000-000000000001", GRect{0, 0, 1440, 900}, GRect{0, 25, 1440, 875}, 2};
}

std::vector<platform::DisplayInfo> FakeScreens::displays() const {
  ++displaysReads_;
  return displays_;
}

platform::Subscription FakeScreens::onParametersChanged(std::function<void()> handler) {
  return handlers_.add(std::move(handler));
}

void FakeScreens::emitParametersChanged() { handlers_.emit(); }

}  // namespace brindlow::fake
