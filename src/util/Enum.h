#pragma once
#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

namespace brindlow {

// Every string enumeration specialises EnumTraits with its raw values in declaration order:
//   template <> struct EnumTraits<LandShow> {
//     static constexpr std::array<std::string_view, 3> names{"always", "typing", "off"};
//   };
// and then has rawValue(), fromRaw<E>() and allCases<E>() for free.
template <class E>
struct EnumTraits;

template <class E>
constexpr std::string_view rawValue(E value) {
  return EnumTraits<E>::names[static_cast<std::size_t>(value)];
}

// Raw strings compare exactly: another letter case is no match.
template <class E>
constexpr std::optional<E> fromRaw(std::string_view raw) {
  const auto& names = EnumTraits<E>::names;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (names[i] == raw) return static_cast<E>(i);
  }
  return std::nullopt;
}

template <class E>
constexpr auto allCases() {
  constexpr std::size_t n = EnumTraits<E>::names.size();
  std::array<E, n> cases{};
  for (std::size_t i = 0; i < n; ++i) cases[i] = static_cast<E>(i);
  return cases;
}

}  // namespace brindlow
