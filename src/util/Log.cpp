#include "util/Log.h"

#include <set>
#include <string>

#include "util/LogSink.h"

namespace brindlow {

namespace {

constexpr size_t kMaxWarnedKeys = 64;

LogSink*& sinkSlot() {
  static LogSink* sink = nullptr;
  return sink;
}

std::set<std::string, std::less<>>& warnedKeys() {
  static std::set<std::string, std::less<>> keys;
  return keys;
}

}  // namespace

void setLogSink(LogSink* sink) { sinkSlot() = sink; }

void logError(std::string_view text) {
  LogSink* sink = sinkSlot();
  if (sink == nullptr || !sink->isErrorEnabled()) return;
  sink->logError(text);
}

void warnOnce(std::string_view key, std::string_view message) {
  auto& keys = warnedKeys();
  if (keys.size() >= kMaxWarnedKeys) return;
  if (keys.find(key) != keys.end()) return;
  keys.emplace(key);
  logError(message);
}

void resetWarnOnceForTesting() { warnedKeys().clear(); }

}  // namespace brindlow
