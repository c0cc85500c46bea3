#include "platform/linux/LinuxLogSink.h"

#include <syslog.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/linux/GlibUtil.h"

namespace brindlow::lnx {

LinuxLogSink::LinuxLogSink() {
  const char* flag = std::getenv("BRINDLOW_LOG_STDERR");
  alsoStderr_ = flag != nullptr && std::strcmp(flag, "1") == 0;
  ::openlog(kApplicationId, LOG_PID, LOG_USER);  // the identifier must outlive the log: a literal
}

LinuxLogSink::~LinuxLogSink() { ::closelog(); }

bool LinuxLogSink::isErrorEnabled() const {
  return (::setlogmask(0) & LOG_MASK(LOG_ERR)) != 0 || alsoStderr_;
}

void LinuxLogSink::logError(std::string_view line) {
  const std::string text(line);
  ::syslog(LOG_ERR, "%s", text.c_str());
  if (alsoStderr_) std::fprintf(stderr, "%s: %s\n", kApplicationId, text.c_str());
}

}  // namespace brindlow::lnx
