#pragma once
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace brindlow::platform {

using DefaultsValue = std::variant<bool, int64_t, double, std::string>;

// The user's stored settings, with registered defaults behind them.
class Defaults {
 public:
  virtual ~Defaults() = default;
  virtual void registerDefaults(std::map<std::string, DefaultsValue> defaults) = 0;
  // The stored or registered value; false when absent or of a type with no boolean reading.
  virtual bool boolForKey(std::string_view key) const = 0;
  // The stored or registered value when it is a string; nullopt otherwise.
  virtual std::optional<std::string> stringForKey(std::string_view key) const = 0;
  virtual void setBool(std::string_view key, bool value) = 0;
  virtual void setString(std::string_view key, std::string_view value) = 0;
};

}  // namespace brindlow::platform
