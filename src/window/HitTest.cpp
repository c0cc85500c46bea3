#include "window/HitTest.h"

#include <algorithm>
#include <cmath>

#include "model/Constants.h"

namespace brindlow::HitTest {
namespace {

bool halfOpenContains(GRect r, double x, double y) { return r.x <= x && x < r.x + r.w && r.y <= y && y < r.y + r.h; }

}  // namespace

bool isNear(GPoint point, GRect frame) {
  const double dx = point.x - (frame.x + frame.w * 0.5);
  const double dy = point.y - (frame.y + frame.h * 0.5);
  return dx * dx + dy * dy <= nearRadius * nearRadius;
}

bool contains(std::span<const GRect> rects, GPoint point, GRect frame) {
  if (!halfOpenContains(frame, point.x, point.y)) return false;
  const double lx = point.x - frame.x;
  const double ly = point.y - frame.y;
  return std::any_of(rects.begin(), rects.end(), [&](const GRect& r) { return halfOpenContains(r, lx, ly); });
}

Sanitized sanitize(std::span<const GRect> rects, double width, double height) {
  Sanitized out;
  out.dropped = rects.size() > Limits::hitRectsKept;
  for (const GRect& r : rects.first(std::min(rects.size(), Limits::hitRectsKept))) {
    if (!std::isfinite(r.x) || !std::isfinite(r.y) || !std::isfinite(r.w) || !std::isfinite(r.h) || r.w <= 0 ||
        r.h <= 0) {
      out.dropped = true;
      continue;
    }
    const double left = std::max(r.x, 0.0);
    const double top = std::max(r.y, 0.0);
    const double right = std::min(r.x + r.w, width);
    const double bottom = std::min(r.y + r.h, height);
    if (left < right && top < bottom) {
      out.kept.push_back({left, top, right - left, bottom - top});
    } else {
      out.dropped = true;
    }
  }
  return out;
}

}  // namespace brindlow::HitTest
