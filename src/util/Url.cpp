#include "util/Url.h"

#include "util/HexDigit.h"

namespace brindlow {
namespace {

bool isAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

bool validScheme(std::string_view s) {
  if (s.empty() || !isAlpha(s[0])) return false;
  for (char c : s) {
    if (!isAlpha(c) && !(c >= '0' && c <= '9') && c != '+' && c != '-' && c != '.') return false;
  }
  return true;
}

// The host of "userinfo@host:port", brackets of an IPv6 literal kept.
std::string hostOf(std::string_view authority) {
  if (auto at = authority.rfind('@'); at != std::string_view::npos) authority.remove_prefix(at + 1);
  const size_t searchFrom = authority.starts_with('[') ? authority.find(']') : 0;
  if (searchFrom != std::string_view::npos) {
    if (auto colon = authority.find(':', searchFrom); colon != std::string_view::npos) authority = authority.substr(0, colon);
  }
  return std::string(authority);
}

}  // namespace

std::optional<std::string> percentDecode(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      out.push_back(text[i]);
      continue;
    }
    if (i + 2 >= text.size()) return std::nullopt;
    const int hi = hexDigitValue(text[i + 1]);
    const int lo = hexDigitValue(text[i + 2]);
    if (hi < 0 || lo < 0) return std::nullopt;
    out.push_back(static_cast<char>(hi * 16 + lo));
    i += 2;
  }
  return out;
}

std::optional<Url> parseUrl(std::string_view text) {
  const size_t colon = text.find(':');
  if (colon == std::string_view::npos || !validScheme(text.substr(0, colon))) return std::nullopt;
  Url url;
  url.scheme = std::string(text.substr(0, colon));
  std::string_view rest = text.substr(colon + 1);

  if (auto hash = rest.find('#'); hash != std::string_view::npos) {
    url.fragment = std::string(rest.substr(hash + 1));
    rest = rest.substr(0, hash);
  }
  if (auto question = rest.find('?'); question != std::string_view::npos) {
    url.query = std::string(rest.substr(question + 1));
    rest = rest.substr(0, question);
  }
  if (rest.starts_with("//")) {
    rest.remove_prefix(2);
    const size_t slash = rest.find('/');
    url.host = hostOf(rest.substr(0, slash));
    rest = slash == std::string_view::npos ? std::string_view{} : rest.substr(slash);
  }
  auto path = percentDecode(rest);
  if (!path) return std::nullopt;
  url.path = std::move(*path);
  return url;
}

}  // namespace brindlow
