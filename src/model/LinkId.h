#pragma once
#include <array>
#include <string_view>

#include "util/Enum.h"

namespace brindlow {

// An outside link the page may ask to open.
enum class LinkId { support, privacy, terms, inputSettings };

template <>
struct EnumTraits<LinkId> {
  static constexpr std::array<std::string_view, 4> names{"support", "privacy", "terms", "inputSettings"};
};

}  // namespace brindlow
