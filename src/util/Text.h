#pragma once
// User-perceived characters (extended grapheme clusters) of UTF-8 text, counted with ICU.
#include <cstddef>
#include <string>
#include <string_view>

namespace brindlow {

// The number of grapheme clusters in `text`.
std::size_t graphemeCount(std::string_view text);

// Whether `text` has at most `limit` grapheme clusters; counting stops past the limit.
bool withinGraphemes(std::string_view text, std::size_t limit);

// The first `limit` grapheme clusters of `text`; the whole text when it is shorter.
std::string graphemePrefix(std::string_view text, std::size_t limit);

}  // namespace brindlow
