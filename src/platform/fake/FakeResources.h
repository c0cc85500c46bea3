#pragma once
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/Resources.h"

namespace brindlow::fake {

// A resource table the test fills: "name.type" → path, and typed info values (a number stays a number).
// Records every resource lookup so tests can tell a cached table from one read again.
class FakeResources : public platform::Resources {
 public:
  std::optional<std::string> resourceDirectory() const override { return directory_; }
  std::optional<std::string> pathForResource(std::string_view name, std::string_view type) const override;
  std::optional<nlohmann::json> infoValue(std::string_view key) const override;

  void setResourceDirectory(std::optional<std::string> directory) { directory_ = std::move(directory); }
  void setResource(std::string_view name, std::string_view type, std::string path);
  void setInfoValue(std::string key, nlohmann::json value) { info_[std::move(key)] = std::move(value); }
  void removeInfoValue(std::string_view key);

  // Every "name.type" asked for, in order.
  const std::vector<std::string>& lookups() const { return lookups_; }

 private:
  std::optional<std::string> directory_ = "/usr/share/brindlow";
  std::map<std::string, std::string, std::less<>> paths_;
  std::map<std::string, nlohmann::json, std::less<>> info_;
  mutable std::vector<std::string> lookups_;
};

}  // namespace brindlow::fake
