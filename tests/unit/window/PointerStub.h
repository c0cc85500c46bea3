#pragma once
#include "platform/Screens.h"

namespace brindlow::test {

// The pointer and the pressed buttons, set by the test.
class PointerStub : public platform::Screens {
 public:
  std::vector<platform::DisplayInfo> displays() const override { return {}; }
  GPoint pointerLocation() const override { return pointer; }
  uint32_t pressedMouseButtons() const override { return buttons; }
  platform::Subscription onParametersChanged(std::function<void()>) override { return {}; }

  GPoint pointer;
  uint32_t buttons = 0;
};

}  // namespace brindlow::test
