#include "platform/linux/LinuxCanvas.h"

#include <algorithm>

#include "platform/linux/LinuxCoordinates.h"

namespace brindlow::lnx {

LinuxCanvas::LinuxCanvas(cairo_t* cr, double viewHeight, cairo_region_t* painted)
    : cr_(cr), viewHeight_(viewHeight), painted_(painted) {}

void LinuxCanvas::fill(GRect rect, Color color, platform::BlendMode mode) {
  cairo_save(cr_);
  cairo_set_operator(cr_, mode == platform::BlendMode::copy ? CAIRO_OPERATOR_SOURCE : CAIRO_OPERATOR_OVER);
  cairo_set_source_rgba(cr_, color.r, color.g, color.b, color.a);
  cairo_rectangle(cr_, rect.x, rect.y, rect.w, rect.h);
  cairo_fill(cr_);
  cairo_restore(cr_);
  if (painted_ == nullptr || rect.w <= 0 || rect.h <= 0) return;
  const double y0 = y_.a * rect.y + y_.b;
  const double y1 = y_.a * (rect.y + rect.h) + y_.b;
  const double top = viewHeight_ - std::max(y0, y1);
  const GdkRectangle r = roundOut({rect.x, top, rect.w, std::abs(y1 - y0)});
  const cairo_rectangle_int_t cell{r.x, r.y, r.width, r.height};
  if (color.a > 0) {
    cairo_region_union_rectangle(painted_, &cell);
  } else if (mode == platform::BlendMode::copy) {
    cairo_region_subtract_rectangle(painted_, &cell);
  }
}

void LinuxCanvas::save() {
  cairo_save(cr_);
  saved_.push_back(y_);
}

void LinuxCanvas::restore() {
  if (saved_.empty()) return;  // an unbalanced restore must not pop the caller's state
  cairo_restore(cr_);
  y_ = saved_.back();
  saved_.pop_back();
}

void LinuxCanvas::scaleY(double factor, double pivotY) {
  cairo_translate(cr_, 0, pivotY);
  cairo_scale(cr_, 1, factor);
  cairo_translate(cr_, 0, -pivotY);
  y_ = {y_.a * factor, y_.a * pivotY * (1 - factor) + y_.b};
}

}  // namespace brindlow::lnx
