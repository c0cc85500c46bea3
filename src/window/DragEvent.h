#pragma once
#include <string>

#include "geometry/Screens.h"

namespace brindlow {

// One step of a drag of the pet window, as the page receives it.
struct DragEvent {
  std::string phase;  // "move", "end" or "cancel"
  GPoint cursor;
  GPoint origin;
  double t = 0;  // milliseconds of system uptime
  bool operator==(const DragEvent&) const = default;
};

}  // namespace brindlow
