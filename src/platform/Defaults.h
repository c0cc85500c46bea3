#pragma once
#include <cctype>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace brindlow::platform {

using DefaultsValue = std::variant<bool, int64_t, double, std::string>;

// The boolean reading of a stored value: a number is true when not zero; a text when it is "yes" or
// "true" in any case, or starts (after blanks and a sign) with an integer that is not zero.
inline bool boolReading(const DefaultsValue& value) {
  if (auto b = std::get_if<bool>(&value)) return *b;
  if (auto i = std::get_if<int64_t>(&value)) return *i != 0;
  if (auto d = std::get_if<double>(&value)) return *d != 0;
  const std::string& text = std::get<std::string>(value);
  auto lower = [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); };
  std::string folded;
  for (char c : text) folded += lower(c);
  if (folded == "yes" || folded == "true") return true;
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    if (text[i] != '0') return true;
  }
  return false;
}

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
