#pragma once
#include <cairo.h>

#include <vector>

#include "platform/Canvas.h"

namespace brindlow::lnx {

// A cairo canvas in bottom-up view coordinates. The context comes already flipped; the canvas also
// follows its own y transform so it can report, in top-down view pixels, which cells it painted.
class LinuxCanvas : public platform::Canvas {
 public:
  // `painted`, when given, gains every rectangle filled with some opacity and loses every one
  // copied transparent, in top-down view pixels.
  LinuxCanvas(cairo_t* cr, double viewHeight, cairo_region_t* painted);

  void fill(GRect rect, Color color, platform::BlendMode mode) override;
  void save() override;
  void restore() override;
  void scaleY(double factor, double pivotY) override;

 private:
  struct YTransform {
    double a = 1, b = 0;  // y' = a·y + b, bottom-up
  };
  cairo_t* cr_;
  double viewHeight_;
  cairo_region_t* painted_;
  YTransform y_;
  std::vector<YTransform> saved_;
};

}  // namespace brindlow::lnx
