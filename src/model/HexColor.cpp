#include "model/HexColor.h"

#include <cstdint>
#include <string>

#include "util/HexDigit.h"

namespace brindlow {
namespace {

// An unsigned hexadecimal number over the whole text, with an optional sign as the colour texts
// have always been read: "+" before the digits, "-" only before a zero.
std::optional<uint32_t> readHex(std::string_view digits) {
  bool negative = false;
  if (!digits.empty() && (digits[0] == '+' || digits[0] == '-')) {
    negative = digits[0] == '-';
    digits.remove_prefix(1);
  }
  if (digits.empty()) return std::nullopt;
  uint32_t value = 0;
  for (char c : digits) {
    const int d = hexDigitValue(c);
    if (d < 0) return std::nullopt;
    value = value * 16 + static_cast<uint32_t>(d);
  }
  if (negative && value != 0) return std::nullopt;
  return value;
}

}  // namespace

std::optional<Color> parseHexColor(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  if (!text.empty() && text.front() == '#') text.remove_prefix(1);
  // Non-ASCII text can never read as hex digits, so counting bytes counts characters here.
  for (char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return std::nullopt;
  }
  std::string six;
  if (text.size() == 3) {
    for (char c : text) six.append(2, c);
  } else if (text.size() == 6) {
    six = text;
  } else {
    return std::nullopt;
  }
  const auto value = readHex(six);
  if (!value) return std::nullopt;
  return Color{((*value >> 16) & 0xff) / 255.0, ((*value >> 8) & 0xff) / 255.0, (*value & 0xff) / 255.0, 1};
}

}  // namespace brindlow
