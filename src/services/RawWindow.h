#pragma once
#include <cstdint>
#include <optional>

#include "geometry/Screens.h"
#include "platform/WindowList.h"

namespace brindlow {

// One usable entry of the desktop's window list, front to back as listed.
struct RawWindow {
  int64_t number = 0;
  int32_t pid = 0;
  int64_t layer = 0;
  double alpha = 1.0;
  GRect bounds;

  // Nothing when the number, owner, layer or bounds are missing; a missing alpha reads as opaque.
  static std::optional<RawWindow> fromEntry(const platform::RawWindowEntry& info);

  bool operator==(const RawWindow&) const = default;
};

}  // namespace brindlow
