#include "app/Log.h"

#include <set>
#include <string>

#include "platform/LogSink.h"

namespace brindlow {

namespace {

constexpr size_t kMaxWarnedKeys = 64;

platform::LogSink*& sinkSlot() {
  static platform::LogSink* sink = nullptr;
  return sink;
}

std::set<std::string, std::less<>>& warnedKeys() {
  static std::set<std::string, std::less<>> keys;
  return keys;
}

}  // namespace

void setLogSink(platform::LogSink* sink) { sinkSlot() = sink; }

void logError(std::string_view text) {
  platform::LogSink* sink = sinkSlot();
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
