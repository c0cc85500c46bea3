#pragma once
#include <functional>
#include <limits>
#include <memory>
#include <optional>

#include "model/Messages.h"
#include "platform/TaskHandle.h"

namespace brindlow {

namespace platform {
class Defaults;
class KeyTap;
class MainLoop;
class Workspace;
}  // namespace platform

// Whether key presses may be observed, the one-time request for it, and a while of polling after a
// request so that a grant given in the settings is noticed without a restart. Hold it in a
// std::shared_ptr: the poll reaches it weakly.
class InputPermission : public std::enable_shared_from_this<InputPermission> {
 public:
  static constexpr double probeLifetime = 1.5;  // seconds of wall clock
  static constexpr double pollInterval = 2.0;   // seconds
  static constexpr double pollWindow = 120.0;   // seconds of wall clock after the latest request

  InputPermission(platform::KeyTap& keyTap, platform::Defaults& defaults, platform::MainLoop& mainLoop,
                  platform::Workspace& workspace);
  InputPermission(const InputPermission&) = delete;
  InputPermission& operator=(const InputPermission&) = delete;

  bool isGranted();
  // The first status ever computed becomes the baseline that refresh compares against.
  PermissionInfo status();
  // Reports a status that differs from the last one observed.
  void refresh();
  // Asks the system once per user, opens the settings every time and polls while not granted.
  PermissionInfo request();
  bool openSettings();
  // Cancels a pending poll (at termination).
  void stopPolling() { pollWork_.cancel(); }
  bool isPolling() const { return pollWork_.isPending(); }

  std::function<void(const PermissionInfo&)> onChange;

 private:
  struct Probe {
    double at = 0;  // wall clock
    bool ok = false;
  };
  void schedulePoll();
  void poll();

  platform::KeyTap& keyTap_;
  platform::Defaults& defaults_;
  platform::MainLoop& loop_;
  platform::Workspace& workspace_;
  std::optional<PermissionInfo> last_;
  platform::TaskHandle pollWork_;
  double pollUntil_ = -std::numeric_limits<double>::infinity();
  std::optional<Probe> probe_;
};

}  // namespace brindlow
