#pragma once
#include <functional>

#include "platform/Subscription.h"

namespace brindlow::platform {

enum class SystemEvent {
  screensDidSleep,
  screensDidWake,
  willSleep,
  didWake,
  sessionDidResignActive,
  sessionDidBecomeActive,
  willPowerOff,
  screenIsLocked,
  screenIsUnlocked,
  screenParametersChanged,  // the core observes Screens::onParametersChanged instead
  powerStateChanged,
  thermalStateChanged,
  currentLocaleChanged,
};

class SystemEvents {
 public:
  virtual ~SystemEvents() = default;
  virtual Subscription observe(SystemEvent event, std::function<void()> handler) = 0;
};

}  // namespace brindlow::platform
