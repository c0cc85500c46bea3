#pragma once
#include <array>
#include <string>
#include <string_view>

#include "model/Geometry.h"
#include "util/Enum.h"

namespace brindlow {

// String enumerations: raw value = case name, compared exactly.
enum class GroundMode { bottom, windows, placed };
enum class SurfaceKind { screenBottom, window, placed };

template <>
struct EnumTraits<GroundMode> {
  static constexpr std::array<std::string_view, 3> names{"bottom", "windows", "placed"};
};
template <>
struct EnumTraits<SurfaceKind> {
  static constexpr std::array<std::string_view, 3> names{"screenBottom", "window", "placed"};
};

// The surface the pet stands on, as the page names it.
struct Surface {
  std::string id;
  SurfaceKind kind = SurfaceKind::screenBottom;
  double x = 0;
  double y = 0;
  double w = 0;
  std::string screen;  // screen key
  SurfaceLine line() const { return {x, y, w}; }
  bool operator==(const Surface&) const = default;
};

}  // namespace brindlow
