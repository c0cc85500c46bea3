#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/Locale.h"

namespace brindlow::fake {

// A settable language list, a fixed offset from UTC for the day string and a settable grouping
// separator. Defaults: {"en-US"}, UTC, "," every three digits.
class FakeLocale : public platform::Locale {
 public:
  std::vector<std::string> preferredLanguages() const override { return languages_; }
  std::string localDayString(platform::EpochSeconds time) const override;
  std::optional<std::string> formatInteger(int64_t value) const override;

  void setPreferredLanguages(std::vector<std::string> languages) { languages_ = std::move(languages); }
  void setUtcOffset(platform::Seconds offset) { utcOffset_ = offset; }
  // nullopt makes formatInteger fail, as a formatter that cannot be built.
  void setGroupingSeparator(std::optional<std::string> separator) { separator_ = std::move(separator); }

 private:
  std::vector<std::string> languages_{"en-US"};
  platform::Seconds utcOffset_ = 0;
  std::optional<std::string> separator_ = ",";
};

}  // namespace brindlow::fake
