#pragma once
#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Window.h"

namespace brindlow::fake {

// The state every fake top-level window keeps, with the log of what was done to it, in order.
// Operation names are the method names ("setFrame", "orderOut", ...).
template <class Base>
class FakeWindow : public Base {
 public:
  GRect frame() const override { return frame_; }
  void setFrame(GRect frame, bool) override {
    record("setFrame");
    frame_ = frame;
  }
  void setFrameOrigin(GPoint topLeft) override {
    record("setFrameOrigin");
    frame_.x = topLeft.x;
    frame_.y = topLeft.y;
  }
  void setLevel(int level) override {
    record("setLevel");
    level_ = level;
  }
  int level() const override { return level_; }
  void setCollectionBehavior(uint32_t bits) override {
    record("setCollectionBehavior");
    behavior_ = bits;
  }
  uint32_t collectionBehavior() const override { return behavior_; }
  void orderFrontRegardless() override {
    record("orderFrontRegardless");
    visible_ = true;
  }
  void orderOut() override {
    record("orderOut");
    visible_ = false;
  }
  bool isVisible() const override { return visible_; }
  std::optional<double> backingScale() const override { return scale_; }
  void close() override {
    record("close");
    visible_ = false;
    closed_ = true;
  }

  // Inspection.
  const std::vector<std::string>& ops() const { return ops_; }
  int count(std::string_view op) const { return static_cast<int>(std::count(ops_.begin(), ops_.end(), op)); }
  void clearOps() { ops_.clear(); }
  bool closed() const { return closed_; }

  // Drivers: what the desktop would do on its own.
  void setBackingScaleForTest(std::optional<double> scale) { scale_ = scale; }
  void moveByWindowManager(GRect frame) { frame_ = frame; }

 protected:
  void record(std::string_view op) { ops_.emplace_back(op); }

  GRect frame_;
  int level_ = 0;
  uint32_t behavior_ = 0;
  bool visible_ = false;
  bool closed_ = false;
  std::optional<double> scale_ = 2.0;
  std::vector<std::string> ops_;
};

}  // namespace brindlow::fake
