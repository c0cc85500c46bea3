#pragma once
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "model/Lang.h"
#include "model/Messages.h"
#include "platform/MainLoop.h"
#include "platform/Subscription.h"
#include "platform/TaskHandle.h"

namespace brindlow {

namespace platform {
class PetPanel;
class ProcessInfo;
class Screens;
class SystemEvents;
}  // namespace platform

// Turns system notifications into what the page needs: whether the pet can be seen and why not,
// power and thermal state, screen changes, system language changes, sleep, wake and power-off.
// Each fact is reported once per change through `handlers`. Held in a shared_ptr: every observer
// holds the watch weakly.
class SystemWatch : public std::enable_shared_from_this<SystemWatch> {
 public:
  // Every callback is a no-op until the delegate replaces the whole record.
  struct Handlers {
    std::function<void(const VisibilityInfo&)> visibility = [](const VisibilityInfo&) {};
    std::function<void()> screens = [] {};
    std::function<void(const PowerInfo&)> power = [](const PowerInfo&) {};
    std::function<void()> deviceLang = [] {};
    std::function<void()> willSleep = [] {};
    std::function<void()> didWake = [] {};
    std::function<void()> willPowerOff = [] {};
  };

  static constexpr double screensDelay = 0.3;  // seconds after the last screen-parameter change

  SystemWatch(platform::MainLoop& loop, platform::SystemEvents& events, platform::Screens& screens,
              const platform::ProcessInfo& process, std::function<Lang()> detectLang);
  ~SystemWatch();
  SystemWatch(const SystemWatch&) = delete;
  SystemWatch& operator=(const SystemWatch&) = delete;

  // Installs every observer (each call adds a full set) and reports a session that is already locked
  // or inactive; then takes the power state as the baseline without reporting it.
  void start();
  // Removes every observer, the occlusion one included, and drops a pending screens report.
  void stop();
  // Watches the panel's occlusion. The panel's owner holds it in a shared_ptr; once it is gone,
  // occlusion is no longer rechecked. No recheck runs now.
  void watch(std::weak_ptr<platform::PetPanel> panel);

  void setReason(HiddenReason reason, bool on);
  // The visibility now; neither reads nor moves the baseline of the reports.
  VisibilityInfo visibility() const;
  PowerInfo currentPower() const;
  // "occluded" = armed and the panel is not (shown and visible on screen).
  void recheckOcclusion();

  Handlers handlers;
  bool occlusionArmed = false;

  // The thermal text of a raw thermal state; unknown states read "nominal".
  static std::string thermalName(int state);
  // Whether the session is locked or not the active one: the keys typed then are not the user's
  // typing at the desktop.
  static bool isSessionAway(const VisibilityInfo& info);

 private:
  // Reports the visibility when it differs from the last report.
  void report();
  void debounceScreens();
  void recheckPower();
  void recheckLang();

  platform::MainLoop& loop_;
  platform::SystemEvents& events_;
  platform::Screens& screens_;
  const platform::ProcessInfo& process_;
  std::function<Lang()> detectLang_;

  std::set<HiddenReason> reasons_;
  std::optional<VisibilityInfo> lastSent_;
  std::optional<PowerInfo> lastPower_;
  Lang lastLang_;
  platform::TaskHandle screensWork_;
  std::vector<platform::Subscription> tokens_;
  std::weak_ptr<platform::PetPanel> watchedWindow_;
};

}  // namespace brindlow
