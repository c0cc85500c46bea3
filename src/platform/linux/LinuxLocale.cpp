#include "platform/linux/LinuxLocale.h"

#include <langinfo.h>
#include <locale.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <string_view>

namespace brindlow::lnx {

namespace {

// "pt_BR.UTF-8@euro" → "pt-BR"; "" for the C and POSIX locales.
std::string tagFromLocaleName(std::string_view name) {
  const auto cut = name.find_first_of(".@");
  if (cut != std::string_view::npos) name = name.substr(0, cut);
  if (name.empty() || name == "C" || name == "POSIX") return {};
  std::string tag(name);
  std::replace(tag.begin(), tag.end(), '_', '-');
  return tag;
}

void addTag(std::vector<std::string>& tags, std::string tag) {
  if (!tag.empty() && std::find(tags.begin(), tags.end(), tag) == tags.end()) tags.push_back(std::move(tag));
}

std::string envOrEmpty(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

// Digits of |value| grouped from the right by the C library's grouping string (sizes as bytes, the last
// one repeating, CHAR_MAX ending grouping).
std::string group(std::string_view digits, std::string_view grouping, std::string_view separator) {
  if (separator.empty() || grouping.empty()) return std::string(digits);
  std::vector<size_t> cuts;  // group sizes from the right
  size_t remaining = digits.size();
  size_t i = 0;
  size_t size = 0;
  while (remaining > 0) {
    if (i < grouping.size()) {
      const auto g = static_cast<unsigned char>(grouping[i++]);
      if (g == 0) {
        // 0: repeat the previous size
        i = grouping.size();
      } else if (g >= 127) {
        break;  // no more grouping
      } else {
        size = g;
      }
    }
    if (size == 0) break;
    const size_t take = std::min(size, remaining);
    cuts.push_back(take);
    remaining -= take;
  }
  if (remaining > 0) cuts.push_back(remaining);
  std::string out;
  size_t pos = 0;
  for (auto it = cuts.rbegin(); it != cuts.rend(); ++it) {
    if (pos > 0) out += separator;
    out += digits.substr(pos, *it);
    pos += *it;
  }
  return out;
}

}  // namespace

std::vector<std::string> LinuxLocale::preferredLanguages() const {
  std::vector<std::string> tags;
  const std::string language = envOrEmpty("LANGUAGE");
  size_t start = 0;
  while (start <= language.size()) {
    const auto colon = language.find(':', start);
    const auto end = colon == std::string::npos ? language.size() : colon;
    addTag(tags, tagFromLocaleName(std::string_view(language).substr(start, end - start)));
    if (colon == std::string::npos) break;
    start = colon + 1;
  }
  // The first of these that is set is the locale messages use.
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const std::string value = envOrEmpty(name);
    if (value.empty()) continue;
    addTag(tags, tagFromLocaleName(value));
    break;
  }
  return tags;
}

std::string LinuxLocale::localDayString(platform::EpochSeconds time) const {
  const auto seconds = static_cast<time_t>(std::floor(time));
  std::tm local{};
  if (::localtime_r(&seconds, &local) == nullptr) return {};
  char buffer[32];
  const size_t n = std::strftime(buffer, sizeof buffer, "%Y-%m-%d", &local);
  return std::string(buffer, n);
}

std::optional<std::string> LinuxLocale::formatInteger(int64_t value) const {
  locale_t numeric = ::newlocale(LC_NUMERIC_MASK, "", static_cast<locale_t>(nullptr));
  if (numeric == static_cast<locale_t>(nullptr)) {
    // The user's locale is not installed: fall back to the plain C rules.
    numeric = ::newlocale(LC_NUMERIC_MASK, "C", static_cast<locale_t>(nullptr));
    if (numeric == static_cast<locale_t>(nullptr)) return std::nullopt;
  }
  const std::string separator = ::nl_langinfo_l(THOUSEP, numeric);
  const std::string grouping = ::nl_langinfo_l(GROUPING, numeric);
  ::freelocale(numeric);

  char buffer[24];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
  std::string_view digits(buffer, static_cast<size_t>(end - buffer));
  std::string sign;
  if (!digits.empty() && digits.front() == '-') {
    sign = "-";
    digits.remove_prefix(1);
  }
  return sign + group(digits, grouping, separator);
}

}  // namespace brindlow::lnx
