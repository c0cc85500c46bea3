#pragma once
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace brindlow {

// Standard base64 (RFC 4648 alphabet with "+" and "/"), padded to a multiple of four characters.
// Anything else fails as a whole: whitespace, line breaks, the URL-safe alphabet, missing or
// misplaced "=".
std::optional<std::vector<uint8_t>> decodeBase64(std::string_view text);

}  // namespace brindlow
