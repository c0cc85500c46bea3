#include "platform/fake/FakeLocale.h"

#include <charconv>
#include <cmath>

namespace brindlow::fake {

namespace {

struct CivilDate {
  int64_t year;
  unsigned month;
  unsigned day;
};

// Days since 1970-01-01 to a proleptic Gregorian date (Howard Hinnant's civil_from_days).
CivilDate civilFromDays(int64_t z) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const auto doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  const unsigned d = doy - (153 * mp + 2) / 5 + 1;
  const unsigned m = mp < 10 ? mp + 3 : mp - 9;
  const int64_t y = static_cast<int64_t>(yoe) + era * 400 + (m <= 2 ? 1 : 0);
  return {y, m, d};
}

void appendPadded(std::string& out, int64_t value, int width) {
  char buf[24];
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value < 0 ? -value : value);
  const auto digits = static_cast<int>(end - buf);
  if (value < 0) out += '-';
  for (int i = digits; i < width; ++i) out += '0';
  out.append(buf, end);
}

}  // namespace

std::string FakeLocale::localDayString(platform::EpochSeconds time) const {
  const auto days = static_cast<int64_t>(std::floor((time + utcOffset_) / 86400.0));
  const CivilDate date = civilFromDays(days);
  std::string out;
  appendPadded(out, date.year, 4);
  out += '-';
  appendPadded(out, date.month, 2);
  out += '-';
  appendPadded(out, date.day, 2);
  return out;
}

std::optional<std::string> FakeLocale::formatInteger(int64_t value) const {
  if (!separator_) return std::nullopt;
  char buf[24];
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value);
  std::string digits(buf, end);
  std::string sign;
  if (!digits.empty() && digits.front() == '-') {
    sign = "-";
    digits.erase(0, 1);
  }
  std::string out;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += *separator_;
    out += digits[i];
  }
  return sign + out;
}

}  // namespace brindlow::fake
