#pragma once
#include "platform/LogSink.h"

namespace brindlow::lnx {

// syslog at error level, identified by the application id (journald keeps it as SYSLOG_IDENTIFIER).
// With BRINDLOW_LOG_STDERR=1 each line also goes to stderr. syslog has no category field.
class LinuxLogSink : public platform::LogSink {
 public:
  LinuxLogSink();
  ~LinuxLogSink() override;

  bool isErrorEnabled() const override;
  void logError(std::string_view line) override;

 private:
  bool alsoStderr_ = false;
};

}  // namespace brindlow::lnx
