#pragma once
#include "platform/fake/FakeLogSink.h"
#include "util/Log.h"

namespace brindlow::test {

// Routes logError and warnOnce into a fake sink for the life of a test, as a fresh run.
class LogCapture {
 public:
  LogCapture() {
    resetWarnOnceForTesting();
    setLogSink(&sink);
  }
  ~LogCapture() {
    setLogSink(nullptr);
    resetWarnOnceForTesting();
  }
  LogCapture(const LogCapture&) = delete;
  LogCapture& operator=(const LogCapture&) = delete;

  const std::vector<std::string>& lines() const { return sink.lines(); }
  size_t count(std::string_view line) const { return sink.count(line); }

  fake::FakeLogSink sink;
};

}  // namespace brindlow::test
