#pragma once
#include "platform/Locale.h"

namespace brindlow::lnx {

// The user's languages and number format from the environment. Linux keeps no ordered language list
// in the user's settings, and the environment of a running process never changes, so this never
// reports a change.
class LinuxLocale : public platform::Locale {
 public:
  LinuxLocale() = default;

  std::vector<std::string> preferredLanguages() const override;
  std::string localDayString(platform::EpochSeconds time) const override;
  // Grouped as LC_NUMERIC says, read through a private locale object (the global one is left alone);
  // nullopt when that locale cannot be loaded.
  std::optional<std::string> formatInteger(int64_t value) const override;
};

}  // namespace brindlow::lnx
