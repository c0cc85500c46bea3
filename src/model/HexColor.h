#pragma once
#include <optional>
#include <string_view>

#include "model/Color.h"

namespace brindlow {

// Reads a land colour text: spaces and tabs around it are trimmed, one leading "#" is dropped,
// three digits are each doubled, and six are one hexadecimal number whose bytes are sRGB red,
// green and blue (alpha 1). Any other text gives no colour.
std::optional<Color> parseHexColor(std::string_view text);

}  // namespace brindlow
