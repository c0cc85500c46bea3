#pragma once
#include <optional>
#include <string>

#include "platform/LoginItems.h"

namespace brindlow::lnx {

// Start at login through an XDG autostart entry, $XDG_CONFIG_HOME/autostart/<app id>.desktop. There is
// no approval step on Linux: the status is enabled or notRegistered, never requiresApproval or notFound.
class LinuxLoginItems : public platform::LoginItems {
 public:
  // `autostartDirectory` replaces the default folder (for tests).
  explicit LinuxLoginItems(std::optional<std::string> autostartDirectory = std::nullopt);

  platform::LoginItemStatus status() override;
  std::optional<std::string> registerMainApp() override;
  std::optional<std::string> unregisterMainApp() override;
  // Opens the autostart folder in the file manager (there is no common settings page for it).
  void openLoginItemsSettings() override;

 private:
  std::string directory_;
  std::string file_;
};

}  // namespace brindlow::lnx
