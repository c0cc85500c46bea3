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

// Where the session stands. The events report changes only; a start inside a session that is already
// locked, or not the active one, learns it from here.
struct SessionState {
  bool locked = false;
  bool active = true;
  bool operator==(const SessionState&) const = default;
};

class SystemEvents {
 public:
  virtual ~SystemEvents() = default;
  virtual Subscription observe(SystemEvent event, std::function<void()> handler) = 0;
  // The state now, as far as the desktop tells; what it does not tell reads unlocked and active.
  virtual SessionState sessionState() const = 0;
};

}  // namespace brindlow::platform
