#pragma once
#include "model/Color.h"
#include "model/Geometry.h"

namespace brindlow::platform {

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
