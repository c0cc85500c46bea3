#include "services/RawWindow.h"

#include <cmath>

namespace brindlow {

std::optional<RawWindow> RawWindow::fromEntry(const platform::RawWindowEntry& info) {
  if (!info.number || !info.layer || !info.bounds) return std::nullopt;
  GRect b = *info.bounds;
  // Sizes are read as magnitudes, the origin as given, as the desktop's own rectangle readers do.
  b.w = std::fabs(b.w);
  b.h = std::fabs(b.h);
  return RawWindow{*info.number, info.ownerPid, *info.layer, info.alpha.value_or(1.0), b};
}

}  // namespace brindlow
