#pragma once

namespace brindlow {

struct Color {
  double r = 0, g = 0, b = 0, a = 1;  // sRGB, 0..1
  bool operator==(const Color&) const = default;
};

}  // namespace brindlow
