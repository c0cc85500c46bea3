#pragma once
#include <array>
#include <optional>
#include <string_view>

#include "util/Enum.h"

namespace brindlow {

// A string enumeration: raw value = case name, compared exactly.
enum class LandShow { always, typing, off };

template <>
struct EnumTraits<LandShow> {
  static constexpr std::array<std::string_view, 3> names{"always", "typing", "off"};
};

// The land visibility rule. Times are seconds on one clock (the land strips use uptime).
namespace LandShowRule {
inline constexpr double linger = 6.0;  // typing counts as recent for this long after the last key
// lastKey present and now - lastKey < linger (strictly).
bool recentlyTyped(std::optional<double> lastKey, double now);
// always: true; off: false; typing: recentlyTyped.
bool isVisible(LandShow show, std::optional<double> lastKey, double now);
// onTop, show is not off, and recentlyTyped (for always and typing alike).
bool wantsRaised(LandShow show, bool onTop, std::optional<double> lastKey, double now);
}  // namespace LandShowRule

}  // namespace brindlow
