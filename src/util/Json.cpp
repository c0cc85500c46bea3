#include "util/Json.h"

#include <cmath>

#include "util/HexDigit.h"

namespace brindlow {

namespace {

// 2^63: the first double above the signed 64-bit range (exactly representable).
constexpr double kInt64Bound = 9223372036854775808.0;

}  // namespace

bool readJson(const Json& j, bool& out) {
  if (!j.is_boolean()) return false;
  out = j.get<bool>();
  return true;
}

bool readJson(const Json& j, std::int64_t& out) {
  if (j.is_number_integer() && !j.is_number_unsigned()) {
    out = j.get<std::int64_t>();
    return true;
  }
  if (j.is_number_unsigned()) {
    const auto value = j.get<std::uint64_t>();
    if (value > static_cast<std::uint64_t>(INT64_MAX)) return false;
    out = static_cast<std::int64_t>(value);
    return true;
  }
  if (j.is_number_float()) {
    const double value = j.get<double>();
    // NaN fails every comparison, so it falls out here too.
    if (!(value >= -kInt64Bound && value < kInt64Bound) || std::trunc(value) != value) return false;
    out = static_cast<std::int64_t>(value);
    return true;
  }
  return false;
}

bool readJson(const Json& j, double& out) {
  if (!j.is_number()) return false;
  const double value = j.get<double>();
  if (!std::isfinite(value)) return false;
  out = value;
  return true;
}

bool readJson(const Json& j, std::string& out) {
  if (!j.is_string()) return false;
  out = j.get_ref<const std::string&>();
  return true;
}

bool writeJson(Json& out, bool value) {
  out = value;
  return true;
}

bool writeJson(Json& out, std::int64_t value) {
  out = value;
  return true;
}

bool writeJson(Json& out, double value) {
  if (!std::isfinite(value)) return false;
  out = value;
  return true;
}

bool writeJson(Json& out, const std::string& value) {
  out = value;
  return true;
}

namespace {

bool allNumbersFinite(const Json& j) {
  switch (j.type()) {
    case Json::value_t::number_float:
      return std::isfinite(j.get<double>());
    case Json::value_t::object:
    case Json::value_t::array:
      for (const Json& element : j) {
        if (!allNumbersFinite(element)) return false;
      }
      return true;
    default:
      return true;
  }
}

}  // namespace

bool isValidJsonObject(const Json& j) { return j.is_object() && allNumbersFinite(j); }

namespace {

// The UTF-16 unit of a "\uXXXX" escape starting at `at`, or -1 when there is none there.
int escapedUnit(std::string_view text, std::size_t at) {
  if (at + 6 > text.size() || text[at] != '\\' || text[at + 1] != 'u') return -1;
  int unit = 0;
  for (std::size_t k = at + 2; k < at + 6; ++k) {
    const int digit = hexDigitValue(text[k]);
    if (digit < 0) return -1;
    unit = unit * 16 + digit;
  }
  return unit;
}

bool isHighSurrogate(int unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool isLowSurrogate(int unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

}  // namespace

std::optional<std::string_view> browserJsonText(std::string_view text, std::string& storage) {
  if (text.find('\0') != std::string_view::npos) return std::nullopt;
  bool repaired = false;
  bool inString = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (!inString || c == '"') {
      if (c == '"') inString = !inString;
      continue;
    }
    if (c != '\\') continue;
    const int unit = escapedUnit(text, i);
    if (unit < 0) {
      ++i;  // a one-character escape, or a broken one the parser refuses
      continue;
    }
    if (isHighSurrogate(unit) && isLowSurrogate(escapedUnit(text, i + 6))) {
      i += 11;  // a whole pair
      continue;
    }
    if (isHighSurrogate(unit) || isLowSurrogate(unit)) {
      if (!repaired) storage.assign(text);
      repaired = true;
      storage.replace(i, 6, "\\ufffd");
    }
    i += 5;
  }
  if (repaired) return std::string_view(storage);
  return text;
}

const Json* JsonObjectReader::find(std::string_view key) const {
  const auto it = json_.find(key);
  return it == json_.end() ? nullptr : &*it;
}

}  // namespace brindlow
