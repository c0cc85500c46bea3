#pragma once
#include <array>
#include <optional>
#include <string_view>

#include "util/Enum.h"

namespace brindlow {

// The language of the native texts and of the page.
enum class Lang { ko, en, ja, es, pt };

// The language preference: "auto" follows the system, then the five languages in `Lang` order.
enum class LangPref { automatic, ko, en, ja, es, pt };

template <>
struct EnumTraits<Lang> {
  static constexpr std::array<std::string_view, 5> names{"ko", "en", "ja", "es", "pt"};
};

template <>
struct EnumTraits<LangPref> {
  static constexpr std::array<std::string_view, 6> names{"auto", "ko", "en", "ja", "es", "pt"};
};

// The language a preference names (the exact lookup fromRaw<Lang> of its raw string): nullopt for
// "auto", where the caller falls back to the detected system language.
constexpr std::optional<Lang> langOf(LangPref pref) { return fromRaw<Lang>(rawValue(pref)); }

}  // namespace brindlow
