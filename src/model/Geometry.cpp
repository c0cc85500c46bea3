#include "model/Geometry.h"

#include <algorithm>
#include <cmath>

namespace brindlow {

bool GPoint::isFinite() const { return std::isfinite(x) && std::isfinite(y); }

bool GRect::isFinite() const { return std::isfinite(x) && std::isfinite(y) && std::isfinite(w) && std::isfinite(h); }

bool GRect::contains(GPoint p) const { return x <= p.x && p.x < x + w && y <= p.y && p.y < y + h; }

namespace {
bool hasNaN(const GRect& r) { return std::isnan(r.x) || std::isnan(r.y) || std::isnan(r.w) || std::isnan(r.h); }
}  // namespace

std::optional<GRect> GRect::intersection(const GRect& o) const {
  // std::min and std::max drop a NaN on one side only; a rectangle that is not a number meets nothing.
  if (hasNaN(*this) || hasNaN(o)) return std::nullopt;
  const double loX = std::max(x, o.x);
  const double loY = std::max(y, o.y);
  const double hiX = std::min(maxX(), o.maxX());
  const double hiY = std::min(maxY(), o.maxY());
  if (!(loX < hiX && loY < hiY)) return std::nullopt;
  return GRect{loX, loY, hiX - loX, hiY - loY};
}

double GRect::area() const {
  const double ww = w > 0 ? w : 0;  // a NaN side fails the test and counts as 0
  const double hh = h > 0 ? h : 0;
  return ww * hh;
}

bool SurfaceLine::isSane() const {
  constexpr double bound = 100000;
  return std::isfinite(x) && std::isfinite(y) && std::abs(x) < bound && std::abs(y) < bound &&
         std::isfinite(w) && w > 0 && w <= bound;
}

}  // namespace brindlow
