#pragma once
#include <optional>
#include <string>

#include "platform/LoginItems.h"

namespace brindlow::fake {

// A login-item service with a settable status and scripted results. A successful register sets the
// status to `statusAfterRegister` (enabled unless the test wants approval pending); a successful
// unregister sets notRegistered.
class FakeLoginItems : public platform::LoginItems {
 public:
  platform::LoginItemStatus status() override {
    ++statusReads;
    return currentStatus;
  }
  std::optional<std::string> registerMainApp() override;
  std::optional<std::string> unregisterMainApp() override;
  void openLoginItemsSettings() override { ++settingsOpens; }

  // Drivers.
  platform::LoginItemStatus currentStatus = platform::LoginItemStatus::notRegistered;
  platform::LoginItemStatus statusAfterRegister = platform::LoginItemStatus::enabled;
  std::optional<std::string> registerError;    // the next registers fail with it while set
  std::optional<std::string> unregisterError;  // the next unregisters fail with it while set

  // Inspection.
  int registerCalls = 0;
  int unregisterCalls = 0;
  int settingsOpens = 0;
  int statusReads = 0;
};

}  // namespace brindlow::fake
