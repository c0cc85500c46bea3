#pragma once
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/KeyTap.h"

namespace brindlow::fake {

// Listen access and key-down taps driven by the test. A tap is created enabled; key-downs reach the taps
// that are enabled, not invalidated and still held, and only when the test emits them. A disabled
// notification turns the taps off and is delivered to them (the owner turns them on again).
class FakeKeyTap : public platform::KeyTap {
 public:
  struct Tap {
    std::function<void(const platform::KeyTapEvent&)> handler;
    bool enabled = true;
    bool invalidated = false;
    bool released = false;  // the handle was destroyed
    std::vector<bool> setEnabledCalls;
    bool live() const { return !invalidated && !released; }
  };

  bool preflightListenAccess() override {
    ++preflightCalls;
    return preflight;
  }
  void requestListenAccess() override {
    ++requestCalls;
    if (consentMode) preflight = true;
  }
  std::unique_ptr<platform::KeyTapHandle> createListenTap(std::function<void(const platform::KeyTapEvent&)> handler) override;
  bool probeListenTap() override {
    ++probeCalls;
    return consentMode ? preflight : probeResult;
  }
  std::optional<std::string> inputSettingsUrl() const override { return settingsUrl; }
  bool consentIsPermission() const override { return consentMode; }

  // Drivers.
  bool preflight = false;
  bool probeResult = false;
  bool failCreate = false;
  // Plays a desktop where the user's yes is the permission: a request records it in `preflight`,
  // which the probe then reads too; clearing `preflight` withdraws it.
  bool consentMode = false;
  std::optional<std::string> settingsUrl =
      "x-apple.systempreferences:com.apple.preference.security?Privacy_ListenEvent";
  void emitKeyDown(bool autorepeat = false);
  // A key pressed at `uptime` and delivered now, as a desktop that reads its events in bursts does.
  void emitKeyDownPressedAt(double uptime);
  void emitDisabled(platform::KeyTapEventKind kind = platform::KeyTapEventKind::disabledByTimeout);
  void emitOther();

  // Inspection.
  int preflightCalls = 0;
  int requestCalls = 0;
  int probeCalls = 0;
  int createCalls = 0;  // failed attempts included
  const std::vector<std::shared_ptr<Tap>>& taps() const { return taps_; }
  size_t liveTaps() const;

 private:
  void deliver(const platform::KeyTapEvent& event, bool toDisabled);
  std::vector<std::shared_ptr<Tap>> taps_;
};

}  // namespace brindlow::fake
