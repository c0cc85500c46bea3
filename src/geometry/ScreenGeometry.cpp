#include "geometry/ScreenGeometry.h"

#include <algorithm>
#include <cmath>

#include "platform/Screens.h"
#include "model/Constants.h"

namespace brindlow {

namespace ScreenGeometry {

GPoint mouseTopLeft(const platform::Screens& screens) { return screens.pointerLocation(); }

std::string screenKey(const platform::DisplayInfo& display) {
  if (!display.number) return "unknown";
  if (display.uuid && !display.uuid->empty()) return *display.uuid;
  return "display-" + std::to_string(*display.number);
}

std::vector<ScreenInfo> screens(const platform::Screens& source) {
  std::vector<ScreenInfo> out;
  const auto displays = source.displays();
  out.reserve(displays.size());
  for (std::size_t i = 0; i < displays.size(); ++i) {
    const auto& d = displays[i];
    out.push_back({screenKey(d), d.frame, d.visibleFrame, d.backingScale, i == 0});
  }
  return out;
}

std::optional<std::size_t> screenContaining(GPoint p, const std::vector<ScreenInfo>& screens) {
  for (std::size_t i = 0; i < screens.size(); ++i) {
    if (screens[i].frame.contains(p)) return i;
  }
  return std::nullopt;
}

std::optional<std::size_t> screenIndex(GPoint p, const std::vector<ScreenInfo>& screens) {
  if (auto hit = screenContaining(p, screens)) return hit;
  std::optional<std::size_t> best;
  double bestD = 0;
  for (std::size_t i = 0; i < screens.size(); ++i) {
    const GRect& f = screens[i].frame;
    const double dx = std::max({f.x - p.x, 0.0, p.x - f.maxX()});
    const double dy = std::max({f.y - p.y, 0.0, p.y - f.maxY()});
    const double d = dx * dx + dy * dy;
    if (std::isnan(d)) continue;  // never wins
    if (!best || d < bestD) {
      best = i;
      bestD = d;
    }
  }
  return best;
}

std::optional<std::string> screenKeyAtCentre(const GRect& r, const std::vector<ScreenInfo>& screens) {
  if (auto i = screenContaining({r.midX(), r.midY()}, screens)) return screens[*i].key;
  return std::nullopt;
}

double visibleFraction(const GRect& r, const std::vector<ScreenInfo>& screens) {
  if (!(r.w > 0 && r.h > 0)) return 0;
  double covered = 0;
  for (const auto& s : screens) {
    if (auto part = r.intersection(s.frame)) covered += part->area();
  }
  const double fraction = std::min(covered / r.area(), 1.0);
  return std::isnan(fraction) ? 0 : fraction;  // an infinite rectangle has no meaningful share
}

GRect petFrameAtBottom(double centreX, const GRect& r) {
  const double lo = r.x + Land::cellWidth;
  const double hi = r.maxX() - Land::cellWidth;
  const double c = std::min(std::max(centreX, lo), hi);  // narrower than 48 points: hi < lo, c = hi
  return {c - PetBox::footX, r.maxY() - PetBox::footY, PetBox::width, PetBox::height};
}

GRect panelFrame(const GRect& s) {
  const double w = std::max(320.0, std::min(s.w - 40, 760.0));
  const double h = std::max(320.0, std::min(s.h - 40, 540.0));
  return {std::round(s.midX() - w * 0.5), std::round(s.midY() - h * 0.5), w, h};
}

SurfaceLine bottomLine(const GRect& r) { return {r.x, r.maxY(), r.w}; }

std::optional<GRect> wideRect(const GRect& pet, const SurfaceLine& line) {
  constexpr double spare = PetBox::width * 0.5;
  constexpr double height = PetBox::height + wideHeadroom;
  const GRect c{line.x - spare, line.y - (PetBox::footY + wideHeadroom), line.w + 2 * spare, height};
  const bool inside = c.x <= pet.x && pet.maxX() <= c.maxX() && c.y <= pet.y && pet.maxY() <= c.y + height;
  if (!inside) return std::nullopt;  // also whenever a comparison meets a NaN
  return c;
}

std::optional<GRect> bottomWideRect(const std::vector<ScreenInfo>& screens, const GRect& pet) {
  // One point above the foot line, so a pet standing on a screen's bottom edge is still on that screen.
  const GPoint foot{pet.x + PetBox::footX, pet.y + PetBox::footY - 1};
  auto i = screenContaining(foot, screens);
  if (!i) return std::nullopt;
  return wideRect(pet, bottomLine(screens[*i].visible));
}

std::optional<GRect> chooseWide(const GRect& pet, const std::vector<ScreenInfo>& screens,
                                const std::optional<SurfaceLine>& line, const std::optional<GRect>& current,
                                bool burst, bool allowed) {
  if (!allowed) return std::nullopt;
  auto candidate = line ? wideRect(pet, *line) : bottomWideRect(screens, pet);
  if (!candidate) return std::nullopt;
  if (burst || current == candidate) return candidate;
  return std::nullopt;
}

GPoint snapOffset(const GRect& r, const GRect& container, double scale) {
  // A non-finite scale (NaN, or an absurd infinity that would turn every offset into NaN) counts as 1.
  const double s = std::isfinite(scale) ? std::max(scale, 1.0) : 1.0;
  return {std::round((r.x - container.x) * s) / s, std::round((r.y - container.y) * s) / s};
}

GRect stripRectOnLine(const SurfaceLine& line) {
  return {line.x, line.y - Land::stripHeight, line.w, Land::stripHeight};
}

GRect stripRectAtBottom(const GRect& v) { return {v.x, v.maxY() - Land::stripHeight, v.w, Land::stripHeight}; }

namespace {

double firstCellX(int64_t cols, double width) {
  return (width - static_cast<double>(cols) * Land::cellWidth) / 2;
}

// Clamps in floating point before converting, so infinities and values beyond the integer range
// never reach the (undefined) conversion.
int64_t clampedColumn(double v, int64_t cols) {
  if (v <= 0) return 0;
  if (v >= static_cast<double>(cols)) return cols;
  return static_cast<int64_t>(v);
}

}  // namespace

CellRange cellRange(int64_t cols, double width, double minX, double maxX) {
  if (cols <= 0) return {};
  const double x0 = firstCellX(cols, width);
  const double first = std::floor((minX - x0) / Land::cellWidth);
  const double last = std::ceil((maxX - x0) / Land::cellWidth);
  // Geometry that is not a number touches no column.
  if (std::isnan(first) || std::isnan(last)) return {};
  const int64_t start = clampedColumn(first, cols);
  const int64_t end = std::max(clampedColumn(last, cols), start);
  return {start, end};
}

double cellX(int64_t index, int64_t cols, double width) {
  return firstCellX(cols, width) + static_cast<double>(index) * Land::cellWidth;
}

}  // namespace ScreenGeometry

}  // namespace brindlow
