#pragma once
#include <string_view>

namespace brindlow::platform {

// The system log channel; every line is written at error level as one public string.
class LogSink {
 public:
  virtual ~LogSink() = default;
  virtual bool isErrorEnabled() const = 0;
  virtual void logError(std::string_view line) = 0;
};

}  // namespace brindlow::platform
