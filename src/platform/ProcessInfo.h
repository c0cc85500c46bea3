#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brindlow::platform {

class ProcessInfo {
 public:
  virtual ~ProcessInfo() = default;
  virtual std::vector<std::string> arguments() const = 0;  // program path first
  virtual int32_t processId() const = 0;
  virtual std::optional<std::string> applicationId() const = 0;
  virtual void disableAutomaticTermination(std::string_view reason) = 0;
  virtual bool isLowPowerModeEnabled() const = 0;
  virtual int thermalState() const = 0;  // raw 0..3; other values possible
};

}  // namespace brindlow::platform
