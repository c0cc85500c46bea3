#pragma once
#include <cstdint>
#include <limits>
#include <optional>

#include "model/KeysEvent.h"

namespace brindlow {

// The open batch of counted key-downs. Keys closer than the debounce interval to the last counted key,
// and autorepeats, are not counted.
struct KeyBatcher {
  static constexpr double debounce = 0.025;      // seconds of uptime
  static constexpr double flushVisible = 0.1;    // seconds after the batch's first key
  static constexpr double flushHidden = 1.0;

  int64_t count = 0;  // 0: no batch open
  double firstUptime = 0;
  double lastUptime = 0;
  double lastEpochMs = 0;
  double lastCountedUptime = -std::numeric_limits<double>::infinity();  // the debounce reference, across batches

  // Counts one key-down; true when it opened a new batch.
  bool record(bool autorepeat, double uptime, double epochMs);
  // The batch as an event, closing it; nullopt when none is open. The debounce reference carries over.
  std::optional<KeysEvent> take();
  static double flushDelay(bool visible) { return visible ? flushVisible : flushHidden; }

  bool operator==(const KeyBatcher&) const = default;
};

// Two batches as one, from the earliest first key to the latest last key; `b` absent gives `a`.
KeysEvent merged(const KeysEvent& a, const std::optional<KeysEvent>& b);

}  // namespace brindlow
