#pragma once
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "platform/Defaults.h"

namespace brindlow::lnx {

// Settings in one JSON object, $XDG_CONFIG_HOME/brindlow/defaults.json (~/.config when unset), read at
// creation and rewritten whole and atomically on every set. Registered defaults stay in memory. Keys of
// types the settings never use are kept as they are.
class LinuxDefaults : public platform::Defaults {
 public:
  // `path` replaces the default file (for tests).
  explicit LinuxDefaults(std::optional<std::string> path = std::nullopt);

  void registerDefaults(std::map<std::string, platform::DefaultsValue> defaults) override;
  bool boolForKey(std::string_view key) const override;
  std::optional<std::string> stringForKey(std::string_view key) const override;
  void setBool(std::string_view key, bool value) override;
  void setString(std::string_view key, std::string_view value) override;

 private:
  std::optional<platform::DefaultsValue> lookup(std::string_view key) const;
  void save();

  std::string path_;
  nlohmann::json stored_ = nlohmann::json::object();
  std::map<std::string, platform::DefaultsValue, std::less<>> registered_;
  bool warned_ = false;
};

}  // namespace brindlow::lnx
