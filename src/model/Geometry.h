#pragma once
// Page coordinates: points, origin at the top-left of the primary screen, y down.

#include <cstdint>
#include <optional>
#include <string>

namespace brindlow {

// Value records. Equality compares doubles exactly, so a NaN field makes records unequal.

struct GPoint {
  double x = 0;
  double y = 0;
  bool isFinite() const;
  bool operator==(const GPoint&) const = default;
};

struct GRect {
  double x = 0;
  double y = 0;
  double w = 0;
  double h = 0;

  bool isFinite() const;
  // Half-open: x <= p.x < x + w and y <= p.y < y + h. A NaN point lies in no rectangle.
  bool contains(GPoint p) const;
  // Absent unless the overlap has positive width and height (touching rectangles do not intersect).
  std::optional<GRect> intersection(const GRect& other) const;
  double area() const;  // max(w, 0) * max(h, 0), a NaN side counting as 0
  double midX() const { return x + w * 0.5; }
  double midY() const { return y + h * 0.5; }
  double maxX() const { return x + w; }
  double maxY() const { return y + h; }
  bool operator==(const GRect&) const = default;
};

// One display: whole frame, visible frame (without panels and docks), backing scale.
struct ScreenInfo {
  std::string key;
  GRect frame;
  GRect visible;
  double scale = 1;
  bool primary = false;
  bool operator==(const ScreenInfo&) const = default;
};

// A horizontal line the pet can stand on: left end, height, length.
struct SurfaceLine {
  double x = 0;
  double y = 0;
  double w = 0;
  // Finite, |x| and |y| below 100000, 0 < w <= 100000.
  bool isSane() const;
  bool operator==(const SurfaceLine&) const = default;
};

// A half-open range of land columns, start..<end.
struct CellRange {
  int64_t start = 0;
  int64_t end = 0;
  bool empty() const { return end <= start; }
  int64_t size() const { return empty() ? 0 : end - start; }
  bool operator==(const CellRange&) const = default;
};

}  // namespace brindlow
