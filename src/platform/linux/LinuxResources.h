#pragma once
#include <optional>
#include <string>

#include "platform/Resources.h"

namespace brindlow::lnx {

// The installed resource folder (holding "web", the string tables and info.json): $BRINDLOW_RESOURCES,
// else <exe dir>/share/brindlow (the build tree), else <exe dir>/../share/brindlow (an installed prefix).
class LinuxResources : public platform::Resources {
 public:
  LinuxResources();

  std::optional<std::string> resourceDirectory() const override { return directory_; }
  std::optional<std::string> pathForResource(std::string_view name, std::string_view type) const override;
  std::optional<nlohmann::json> infoValue(std::string_view key) const override;

 private:
  std::optional<std::string> directory_;
  nlohmann::json info_;
};

}  // namespace brindlow::lnx
