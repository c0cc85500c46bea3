#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/ProcessInfo.h"

namespace brindlow::fake {

// Plain settable process facts; records every automatic-termination reason.
// Defaults: arguments {"/usr/bin/brindlow"}, pid 4242, application id "org.example.brindlow".
class FakeProcessInfo : public platform::ProcessInfo {
 public:
  std::vector<std::string> arguments() const override { return arguments_; }
  int32_t processId() const override { return pid_; }
  std::optional<std::string> applicationId() const override { return applicationId_; }
  void disableAutomaticTermination(std::string_view reason) override { reasons_.emplace_back(reason); }
  bool isLowPowerModeEnabled() const override { return lowPower_; }
  int thermalState() const override { return thermal_; }

  void setArguments(std::vector<std::string> arguments) { arguments_ = std::move(arguments); }
  void setProcessId(int32_t pid) { pid_ = pid; }
  void setApplicationId(std::optional<std::string> id) { applicationId_ = std::move(id); }
  void setLowPowerMode(bool on) { lowPower_ = on; }
  void setThermalState(int raw) { thermal_ = raw; }

  const std::vector<std::string>& automaticTerminationReasons() const { return reasons_; }

 private:
  std::vector<std::string> arguments_{"/usr/bin/brindlow"};
  int32_t pid_ = 4242;
  std::optional<std::string> applicationId_ = "org.example.brindlow";
  bool lowPower_ = false;
  int thermal_ = 0;
  std::vector<std::string> reasons_;
};

}  // namespace brindlow::fake
