#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "platform/LogSink.h"

namespace brindlow::fake {

// Records every line written.
class FakeLogSink : public platform::LogSink {
 public:
  bool isErrorEnabled() const override { return enabled_; }
  void logError(std::string_view line) override { lines_.emplace_back(line); }

  void setErrorEnabled(bool enabled) { enabled_ = enabled; }
  const std::vector<std::string>& lines() const { return lines_; }
  size_t count(std::string_view line) const;
  void clear() { lines_.clear(); }

 private:
  bool enabled_ = true;
  std::vector<std::string> lines_;
};

}  // namespace brindlow::fake
