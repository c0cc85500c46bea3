#pragma once
#include <cstdint>
#include <optional>

#include "model/Geometry.h"
#include "platform/WindowList.h"

namespace brindlow {

// One usable entry of the desktop's window list, front to back as listed.
struct RawWindow {
  int64_t number = 0;
  std::optional<int32_t> pid;  // absent where the desktop does not say (older X toolkits)
  int64_t layer = 0;
  double alpha = 1.0;
  GRect bounds;

  // Nothing when the number, layer or bounds are missing; a missing owner stays unknown and a missing
  // alpha reads as opaque.
  static std::optional<RawWindow> fromEntry(const platform::RawWindowEntry& info);

  bool operator==(const RawWindow&) const = default;
};

}  // namespace brindlow
