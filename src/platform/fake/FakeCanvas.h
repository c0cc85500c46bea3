#pragma once
#include <vector>

#include "platform/Canvas.h"

namespace brindlow::fake {

// Records every fill of one draw pass, with the vertical scale in force when it was made.
class FakeCanvas : public platform::Canvas {
 public:
  struct Fill {
    GRect rect;       // as passed
    GRect effective;  // after the scales in force
    Color color;
    platform::BlendMode mode;
    bool operator==(const Fill&) const = default;
  };

  void fill(GRect rect, Color color, platform::BlendMode mode) override;
  void save() override;
  void restore() override;
  void scaleY(double factor, double pivotY) override;

  const std::vector<Fill>& fills() const { return fills_; }
  int unbalancedSaves() const { return static_cast<int>(stack_.size()); }

 private:
  // y' = offset + y * factor
  struct Transform {
    double factor = 1;
    double offset = 0;
  };
  Transform current_;
  std::vector<Transform> stack_;
  std::vector<Fill> fills_;
};

}  // namespace brindlow::fake
