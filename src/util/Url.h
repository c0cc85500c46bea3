#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace brindlow {

// The parts of an absolute URL "scheme://authority/path?query#fragment" that the application reads.
struct Url {
  std::string scheme;               // as written
  std::optional<std::string> host;  // letter case kept; absent without "//"
  std::string path;                 // percent-decoded, without query or fragment
  std::optional<std::string> query;
  std::optional<std::string> fragment;
  bool operator==(const Url&) const = default;
};

// Absent for a text without a valid scheme, or with a malformed percent escape in the path.
std::optional<Url> parseUrl(std::string_view text);

// Decodes every "%XX"; absent when a "%" is not followed by two hex digits.
std::optional<std::string> percentDecode(std::string_view text);

}  // namespace brindlow
