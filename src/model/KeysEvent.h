#pragma once
#include <cstdint>

namespace brindlow {

// A batch of key presses: count, epoch milliseconds of the last key, milliseconds first to last.
struct KeysEvent {
  int64_t n = 0;
  double at = 0;
  double span = 0;
  bool operator==(const KeysEvent&) const = default;
};

}  // namespace brindlow
