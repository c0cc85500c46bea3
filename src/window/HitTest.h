#pragma once
#include <span>
#include <vector>

#include "model/Geometry.h"

namespace brindlow::HitTest {

// How close the pointer must come to the centre of the pet's web frame to count as near.
inline constexpr double nearRadius = 240.0;

struct Sanitized {
  std::vector<GRect> kept;  // clipped to the web frame, input order
  bool dropped = false;     // something was invalid, empty after clipping, or beyond the first eight
  bool operator==(const Sanitized&) const = default;
};

// Distance from the frame's centre at most nearRadius; a NaN distance is not near.
bool isNear(GPoint point, GRect frame);

// The point lies in the frame and, relative to the frame's top-left, in one of the rectangles.
// Half-open on every side.
bool contains(std::span<const GRect> rects, GPoint point, GRect frame);

// Keeps the valid ones of the first eight rectangles, clipped to a web frame of width × height.
Sanitized sanitize(std::span<const GRect> rects, double width, double height);

}  // namespace brindlow::HitTest
