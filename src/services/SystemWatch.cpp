#include "services/SystemWatch.h"

#include <algorithm>
#include <utility>

#include "platform/PetPanel.h"
#include "platform/ProcessInfo.h"
#include "platform/Screens.h"
#include "platform/SystemEvents.h"
#include "platform/WeakCallback.h"
#include "util/Enum.h"

namespace brindlow {

using platform::SystemEvent;

SystemWatch::SystemWatch(platform::MainLoop& loop, platform::SystemEvents& events, platform::Screens& screens,
                         const platform::ProcessInfo& process, std::function<Lang()> detectLang)
    : loop_(loop),
      events_(events),
      screens_(screens),
      process_(process),
      detectLang_(std::move(detectLang)),
      lastLang_(detectLang_ ? detectLang_() : Lang::en) {}

SystemWatch::~SystemWatch() = default;

void SystemWatch::start() {
  // Sleep and wake, session, power-off and lock first, then screens, power and locale.
  const std::weak_ptr<SystemWatch> weak = weak_from_this();
  auto on = [this, &weak](SystemEvent e, auto action) {
    tokens_.push_back(events_.observe(e, weakCallback(weak, loop_, std::move(action))));
  };
  on(SystemEvent::screensDidSleep, [](SystemWatch& w) { w.setReason(HiddenReason::screensAsleep, true); });
  on(SystemEvent::screensDidWake, [](SystemWatch& w) { w.setReason(HiddenReason::screensAsleep, false); });
  on(SystemEvent::willSleep, [](SystemWatch& w) {
    if (w.handlers.willSleep) w.handlers.willSleep();
    w.setReason(HiddenReason::systemSleep, true);
  });
  on(SystemEvent::didWake, [](SystemWatch& w) {
    w.setReason(HiddenReason::systemSleep, false);
    if (w.handlers.didWake) w.handlers.didWake();
  });
  on(SystemEvent::sessionDidResignActive, [](SystemWatch& w) { w.setReason(HiddenReason::sessionInactive, true); });
  on(SystemEvent::sessionDidBecomeActive, [](SystemWatch& w) { w.setReason(HiddenReason::sessionInactive, false); });
  on(SystemEvent::willPowerOff, [](SystemWatch& w) {
    if (w.handlers.willPowerOff) w.handlers.willPowerOff();
  });
  on(SystemEvent::screenIsLocked, [](SystemWatch& w) { w.setReason(HiddenReason::locked, true); });
  // An unlock also counts as a wake, whether or not the system slept.
  on(SystemEvent::screenIsUnlocked, [](SystemWatch& w) {
    w.setReason(HiddenReason::locked, false);
    if (w.handlers.didWake) w.handlers.didWake();
  });
  tokens_.push_back(
      screens_.onParametersChanged(weakCallback(weak, loop_, [](SystemWatch& w) { w.debounceScreens(); })));
  on(SystemEvent::powerStateChanged, [](SystemWatch& w) { w.recheckPower(); });
  on(SystemEvent::thermalStateChanged, [](SystemWatch& w) { w.recheckPower(); });
  on(SystemEvent::currentLocaleChanged, [](SystemWatch& w) { w.recheckLang(); });
  // Started inside a locked or inactive session (a relaunch, say): the events above tell only changes.
  const platform::SessionState session = events_.sessionState();
  if (session.locked || !session.active) {
    if (session.locked) reasons_.insert(HiddenReason::locked);
    if (!session.active) reasons_.insert(HiddenReason::sessionInactive);
    report();
  }
  lastPower_ = currentPower();
}

void SystemWatch::stop() {
  tokens_.clear();
  screensWork_.cancel();
}

void SystemWatch::watch(std::weak_ptr<platform::PetPanel> panel) {
  watchedWindow_ = panel;
  if (auto p = panel.lock()) {
    tokens_.push_back(
        p->onOcclusionChanged(weakCallback(weak_from_this(), loop_, [](SystemWatch& w) { w.recheckOcclusion(); })));
  }
}

VisibilityInfo SystemWatch::visibility() const {
  VisibilityInfo v;
  for (HiddenReason r : allCases<HiddenReason>()) {
    if (reasons_.count(r) != 0) v.reasons.push_back(r);
  }
  v.visible = v.reasons.empty();
  return v;
}

bool SystemWatch::isSessionAway(const VisibilityInfo& info) {
  return std::ranges::any_of(info.reasons, [](HiddenReason r) {
    return r == HiddenReason::locked || r == HiddenReason::sessionInactive;
  });
}

void SystemWatch::setReason(HiddenReason reason, bool on) {
  if (on) {
    reasons_.insert(reason);
  } else {
    reasons_.erase(reason);
  }
  report();
}

void SystemWatch::report() {
  VisibilityInfo v = visibility();
  if (lastSent_ && *lastSent_ == v) return;
  lastSent_ = v;
  if (handlers.visibility) handlers.visibility(v);
}

void SystemWatch::recheckOcclusion() {
  auto panel = watchedWindow_.lock();
  if (!panel) return;
  const bool occluded = occlusionArmed && !(panel->isVisible() && panel->occlusionVisible());
  setReason(HiddenReason::occluded, occluded);
}

void SystemWatch::debounceScreens() {
  screensWork_ = loop_.scheduleAfter(screensDelay, weakCallback(weak_from_this(), loop_, [](SystemWatch& w) {
    w.screensWork_ = {};
    if (w.handlers.screens) w.handlers.screens();
    w.recheckOcclusion();
  }));
}

std::string SystemWatch::thermalName(int state) {
  switch (state) {
    case 1: return "fair";
    case 2: return "serious";
    case 3: return "critical";
    default: return "nominal";
  }
}

PowerInfo SystemWatch::currentPower() const {
  const std::string thermal = thermalName(process_.thermalState());
  return PowerInfo{process_.isLowPowerModeEnabled(), thermal};
}

void SystemWatch::recheckPower() {
  PowerInfo p = currentPower();
  if (lastPower_ && *lastPower_ == p) return;
  lastPower_ = p;
  if (handlers.power) handlers.power(p);
}

void SystemWatch::recheckLang() {
  if (!detectLang_) return;
  const Lang l = detectLang_();
  if (l == lastLang_) return;
  lastLang_ = l;
  if (handlers.deviceLang) handlers.deviceLang();
}

}  // namespace brindlow
