#pragma once
#include <optional>
#include <string>

namespace brindlow::platform {

enum class LoginItemStatus { notRegistered, enabled, requiresApproval, notFound };

// Starting the application at login. Errors come back as their description.
class LoginItems {
 public:
  virtual ~LoginItems() = default;
  virtual LoginItemStatus status() = 0;
  virtual std::optional<std::string> registerMainApp() = 0;
  virtual std::optional<std::string> unregisterMainApp() = 0;
  virtual void openLoginItemsSettings() = 0;
};

}  // namespace brindlow::platform
