#include "util/Base64.h"

#include <array>

namespace brindlow {
namespace {

constexpr int8_t kBad = -1;

constexpr std::array<int8_t, 256> makeTable() {
  std::array<int8_t, 256> table{};
  table.fill(kBad);
  constexpr std::string_view alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  for (size_t i = 0; i < alphabet.size(); ++i) table[static_cast<uint8_t>(alphabet[i])] = static_cast<int8_t>(i);
  return table;
}

constexpr std::array<int8_t, 256> kTable = makeTable();

}  // namespace

std::optional<std::vector<uint8_t>> decodeBase64(std::string_view text) {
  if (text.size() % 4 != 0) return std::nullopt;
  size_t padding = 0;
  if (!text.empty() && text.back() == '=') padding = text.size() >= 2 && text[text.size() - 2] == '=' ? 2 : 1;
  const size_t dataChars = text.size() - padding;

  std::vector<uint8_t> out;
  out.reserve(text.size() / 4 * 3);
  uint32_t acc = 0;
  int bits = 0;
  for (size_t i = 0; i < dataChars; ++i) {
    const int8_t v = kTable[static_cast<uint8_t>(text[i])];
    if (v == kBad) return std::nullopt;
    acc = (acc << 6) | static_cast<uint32_t>(v);
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      out.push_back(static_cast<uint8_t>(acc >> bits));
      acc &= (1u << bits) - 1;
    }
  }
  return out;
}

}  // namespace brindlow
