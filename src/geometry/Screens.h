#pragma once
// Page coordinates: points, origin at the top-left of the primary screen, y down.

namespace brindlow {

struct GPoint {
  double x = 0;
  double y = 0;
  bool operator==(const GPoint&) const = default;
};

struct GRect {
  double x = 0;
  double y = 0;
  double w = 0;
  double h = 0;
  bool operator==(const GRect&) const = default;
};

}  // namespace brindlow
