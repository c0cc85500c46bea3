#include "platform/linux/LinuxProcessInfo.h"

#include <unistd.h>

namespace brindlow::lnx {

LinuxProcessInfo::LinuxProcessInfo(std::vector<std::string> arguments)
    : arguments_(std::move(arguments)), power_(adopt(g_power_profile_monitor_dup_default())) {}

int32_t LinuxProcessInfo::processId() const { return static_cast<int32_t>(::getpid()); }

bool LinuxProcessInfo::isLowPowerModeEnabled() const {
  return power_ && g_power_profile_monitor_get_power_saver_enabled(power_.get());
}

}  // namespace brindlow::lnx
