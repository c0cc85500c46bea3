#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/MainLoop.h"

namespace brindlow::platform {

class Locale {
 public:
  virtual ~Locale() = default;
  virtual std::vector<std::string> preferredLanguages() const = 0;  // ordered tags, "pt-BR"
  virtual std::string localDayString(EpochSeconds time) const = 0;  // "yyyy-MM-dd" in the local time zone
  virtual std::optional<std::string> formatInteger(int64_t value) const = 0;  // with the user's grouping
};

}  // namespace brindlow::platform
