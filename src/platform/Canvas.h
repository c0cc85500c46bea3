#pragma once
#include "model/Geometry.h"

namespace brindlow::platform {

struct Color {
  double r = 0, g = 0, b = 0, a = 1;  // sRGB, 0..1
  bool operator==(const Color&) const = default;
};

enum class BlendMode { copy, sourceOver };

// A drawing surface in bottom-up view coordinates (y = 0 is the bottom edge).
class Canvas {
 public:
  virtual ~Canvas() = default;
  virtual void fill(GRect rect, Color color, BlendMode mode) = 0;
  virtual void save() = 0;
  virtual void restore() = 0;
  // Scales y by `factor` about the horizontal line y = pivotY, until the matching restore.
  virtual void scaleY(double factor, double pivotY) = 0;
};

}  // namespace brindlow::platform
