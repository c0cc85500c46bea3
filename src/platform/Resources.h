#pragma once
#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace brindlow::platform {

// The application's installed resources.
class Resources {
 public:
  virtual ~Resources() = default;
  virtual std::optional<std::string> resourceDirectory() const = 0;  // holds "web"
  virtual std::optional<std::string> pathForResource(std::string_view name, std::string_view type) const = 0;
  // A typed information value ("CFBundleShortVersionString", "CFBundleVersion"), as stored.
  virtual std::optional<nlohmann::json> infoValue(std::string_view key) const = 0;
};

}  // namespace brindlow::platform
