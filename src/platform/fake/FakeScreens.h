#pragma once
#include <cstdint>
#include <functional>
#include <vector>

#include "platform/HandlerList.h"
#include "platform/Screens.h"

namespace brindlow::fake {

// Scripted displays, pointer and buttons. Fixed defaults, never read from the host:
//   one display, number 1, uuid "00000000-0000-0000-0000-000000000001",
//   frame (0, 0, 1440, 900), visible frame (0, 25, 1440, 875), backing scale 2;
//   pointer at (720, 450); no buttons pressed.
// Setting displays notifies nobody: the test calls emitParametersChanged(), as the desktop would
// report the change later.
class FakeScreens : public platform::Screens {
 public:
  FakeScreens();
  ~FakeScreens() override;
  FakeScreens(const FakeScreens&) = delete;
  FakeScreens& operator=(const FakeScreens&) = delete;

  static platform::DisplayInfo defaultDisplay();

  std::vector<platform::DisplayInfo> displays() const override;
  GPoint pointerLocation() const override {
    ++pointerReads_;
    return pointer_;
  }
  uint32_t pressedMouseButtons() const override { return buttons_; }
  platform::Subscription onParametersChanged(std::function<void()> handler) override;

  // Drivers.
  void setDisplays(std::vector<platform::DisplayInfo> displays) { displays_ = std::move(displays); }
  void setPointer(GPoint p) { pointer_ = p; }
  void setPressedButtons(uint32_t mask) { buttons_ = mask; }
  // Calls every handler subscribed when it starts, skipping those cancelled on the way.
  void emitParametersChanged();

  // Inspection.
  int displaysReads() const { return displaysReads_; }
  int pointerReads() const { return pointerReads_; }
  std::size_t subscriberCount() const { return handlers_.size(); }

 private:
  std::vector<platform::DisplayInfo> displays_;
  GPoint pointer_{720, 450};
  uint32_t buttons_ = 0;
  mutable int displaysReads_ = 0;
  mutable int pointerReads_ = 0;
  platform::HandlerList<void()> handlers_;
};

}  // namespace brindlow::fake
