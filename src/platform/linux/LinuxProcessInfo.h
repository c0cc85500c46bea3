#pragma once
#include <string>
#include <vector>

#include "platform/ProcessInfo.h"
#include "platform/linux/GlibUtil.h"

namespace brindlow::lnx {

// This process. The application id is fixed at build time; there is no thermal state for a user
// session on Linux (always 0, nominal), and low power means the "power-saver" profile.
class LinuxProcessInfo : public platform::ProcessInfo {
 public:
  // `arguments` is argv, copied before GTK takes its own options out of it.
  explicit LinuxProcessInfo(std::vector<std::string> arguments);

  std::vector<std::string> arguments() const override { return arguments_; }
  int32_t processId() const override;
  std::optional<std::string> applicationId() const override { return std::string(kApplicationId); }
  void disableAutomaticTermination(std::string_view) override {}  // nothing ends idle programs here
  bool isLowPowerModeEnabled() const override;
  int thermalState() const override { return 0; }

 private:
  std::vector<std::string> arguments_;
  GObjectPtr<GPowerProfileMonitor> power_;
};

}  // namespace brindlow::lnx
