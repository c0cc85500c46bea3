#pragma once
#include <string_view>

namespace brindlow {

// The system log channel; every line is written at error level as one public string. Each backend
// hands one out (platform::LogSink); it lives here so the log below the seam can write to it.
class LogSink {
 public:
  virtual ~LogSink() = default;
  virtual bool isErrorEnabled() const = 0;
  virtual void logError(std::string_view line) = 0;
};

}  // namespace brindlow
