#pragma once
#include <array>
#include <string_view>

#include "geometry/Screens.h"
#include "util/Enum.h"

namespace brindlow {

enum class DragPhase { move, end, cancel };

template <>
struct EnumTraits<DragPhase> {
  static constexpr std::array<std::string_view, 3> names{"move", "end", "cancel"};
};

// One step of a drag of the pet window; a drag reports nothing when it begins.
struct DragEvent {
  DragPhase phase = DragPhase::move;
  GPoint cursor;  // the pointer, page coordinates
  GPoint origin;  // the panel's top-left corner, page coordinates
  double t = 0;   // milliseconds of uptime, whole
  bool operator==(const DragEvent&) const = default;
};

}  // namespace brindlow
