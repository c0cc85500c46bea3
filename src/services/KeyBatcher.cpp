#include "services/KeyBatcher.h"

#include <algorithm>
#include <cmath>

namespace brindlow {

bool KeyBatcher::record(bool autorepeat, double uptime, double epochMs) {
  if (autorepeat) return false;
  if (uptime - lastCountedUptime < debounce) return false;
  lastCountedUptime = uptime;
  const bool opened = count == 0;
  if (opened) firstUptime = uptime;
  count += 1;
  lastUptime = uptime;
  lastEpochMs = epochMs;
  return opened;
}

std::optional<KeysEvent> KeyBatcher::take() {
  if (count <= 0) return std::nullopt;
  double span = std::round((lastUptime - firstUptime) * 1000);
  if (!(span >= 0)) span = 0;
  KeysEvent event{count, std::round(lastEpochMs), span};
  count = 0;
  return event;
}

KeysEvent merged(const KeysEvent& a, const std::optional<KeysEvent>& b) {
  if (!b) return a;
  const double at = std::max(a.at, b->at);
  const double start = std::min(a.at - a.span, b->at - b->span);
  return {a.n + b->n, at, at - start};
}

}  // namespace brindlow
