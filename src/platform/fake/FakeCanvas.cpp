#include "platform/fake/FakeCanvas.h"

namespace brindlow::fake {

void FakeCanvas::fill(GRect rect, Color color, platform::BlendMode mode) {
  GRect eff = rect;
  eff.y = current_.offset + rect.y * current_.factor;
  eff.h = rect.h * current_.factor;
  fills_.push_back({rect, eff, color, mode});
}

void FakeCanvas::save() { stack_.push_back(current_); }

void FakeCanvas::restore() {
  if (stack_.empty()) return;
  current_ = stack_.back();
  stack_.pop_back();
}

void FakeCanvas::scaleY(double factor, double pivotY) {
  // Compose: y -> pivot + (y - pivot) * factor, then the transform already in force.
  const double innerOffset = pivotY - pivotY * factor;
  current_.offset = current_.offset + innerOffset * current_.factor;
  current_.factor *= factor;
}

}  // namespace brindlow::fake
