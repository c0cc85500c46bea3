#pragma once
#include <string_view>

namespace brindlow {

class LogSink;

// Where logError and warnOnce write; set once by main (tests set a fake sink per test).
void setLogSink(LogSink* sink);

// Writes one error-level line, unchanged.
void logError(std::string_view text);

// Writes `message` the first time `key` is seen in this run; silent once 64 keys have been used.
void warnOnce(std::string_view key, std::string_view message);

// Forgets the warned keys, so each test starts as a new run.
void resetWarnOnceForTesting();

}  // namespace brindlow
