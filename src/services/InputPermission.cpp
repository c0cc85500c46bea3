#include "services/InputPermission.h"

#include <cstdlib>

#include "platform/Defaults.h"
#include "platform/KeyTap.h"
#include "platform/MainLoop.h"
#include "platform/WeakCallback.h"
#include "platform/Workspace.h"

namespace brindlow {

namespace {
constexpr const char* kAsked = "perm.inputAsked";
constexpr const char* kGranted = "granted";
}  // namespace

InputPermission::InputPermission(platform::KeyTap& keyTap, platform::Defaults& defaults, platform::MainLoop& mainLoop,
                                 platform::Workspace& workspace)
    : keyTap_(keyTap), defaults_(defaults), loop_(mainLoop), workspace_(workspace) {}

bool InputPermission::isGranted() {
  if (keyTap_.preflightListenAccess()) return true;
  // No probe tap before the user has been asked: a probe must never be what prompts.
  if (!defaults_.boolForKey(kAsked)) return false;
  const double now = loop_.now();
  // A clock set back leaves a negative age, which still counts as fresh.
  if (probe_ && now - probe_->at < probeLifetime) return probe_->ok;
  const bool ok = keyTap_.probeListenTap();
  probe_ = Probe{now, ok};
  return ok;
}

PermissionInfo InputPermission::status() {
  const bool granted = isGranted();
  PermissionInfo info{granted ? kGranted : "notGranted", defaults_.boolForKey(kAsked)};
  if (!last_) last_ = info;
  return info;
}

void InputPermission::refresh() {
  PermissionInfo s = status();
  if (last_ && *last_ == s) return;
  last_ = s;
  if (onChange) onChange(s);
  if (s.input == kGranted) pollWork_.cancel();
}

PermissionInfo InputPermission::request() {
  if (!isGranted()) {
    const bool firstAsk = !defaults_.boolForKey(kAsked);
    if (firstAsk) defaults_.setBool(kAsked, true);
    // A system that prompts asks once per user; a yes that is the permission itself can be given
    // again after it was withdrawn.
    if (firstAsk || keyTap_.consentIsPermission()) keyTap_.requestListenAccess();
    openSettings();
    pollUntil_ = loop_.now() + pollWindow;
    if (!pollWork_.isPending()) schedulePoll();
  }
  return status();
}

bool InputPermission::openSettings() {
  const auto url = keyTap_.inputSettingsUrl();
  if (!url) return false;
  return workspace_.openUrl(*url);
}

void InputPermission::schedulePoll() {
  pollWork_ =
      loop_.scheduleAfter(pollInterval, weakCallback(weak_from_this(), loop_, [](InputPermission& p) { p.poll(); }));
}

void InputPermission::poll() {
  pollWork_ = {};
  refresh();
  if ((!last_ || last_->input != kGranted) && loop_.now() < pollUntil_) schedulePoll();
}

}  // namespace brindlow
