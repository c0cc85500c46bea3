#include "util/StringsTable.h"

#include <cstdint>

namespace brindlow {

namespace {

void appendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

bool isSurrogateHigh(uint32_t u) { return u >= 0xD800 && u < 0xDC00; }
bool isSurrogateLow(uint32_t u) { return u >= 0xDC00 && u < 0xE000; }

// UTF-16 (after its BOM) to UTF-8; absent on an odd length or a broken surrogate pair.
std::optional<std::string> fromUtf16(std::string_view bytes, bool bigEndian) {
  if (bytes.size() % 2 != 0) return std::nullopt;
  std::string out;
  auto unit = [&](std::size_t i) {
    const auto a = static_cast<uint8_t>(bytes[i]);
    const auto b = static_cast<uint8_t>(bytes[i + 1]);
    return bigEndian ? static_cast<uint32_t>(a << 8 | b) : static_cast<uint32_t>(b << 8 | a);
  };
  for (std::size_t i = 0; i < bytes.size(); i += 2) {
    const uint32_t u = unit(i);
    if (isSurrogateHigh(u)) {
      if (i + 2 >= bytes.size() || !isSurrogateLow(unit(i + 2))) return std::nullopt;
      const uint32_t low = unit(i + 2);
      appendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
      i += 2;
    } else if (isSurrogateLow(u)) {
      return std::nullopt;
    } else {
      appendUtf8(out, u);
    }
  }
  return out;
}

class Parser {
 public:
  explicit Parser(std::string_view s) : s_(s) {}

  bool parse(std::map<std::string, std::string, std::less<>>& out) {
    for (;;) {
      if (!skipSpace()) return false;
      if (at_ == s_.size()) return true;
      std::string key;
      std::string value;
      if (!quoted(key) || !skipSpace() || !expect('=') || !skipSpace() || !quoted(value) || !skipSpace() ||
          !expect(';'))
        return false;
      out.insert_or_assign(std::move(key), std::move(value));  // a later entry wins
    }
  }

 private:
  // Skips white space and comments; false on an unterminated block comment.
  bool skipSpace() {
    while (at_ < s_.size()) {
      const char c = s_[at_];
      if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v') {
        ++at_;
      } else if (s_.substr(at_, 2) == "//") {
        const auto end = s_.find('\n', at_);
        at_ = end == std::string_view::npos ? s_.size() : end + 1;
      } else if (s_.substr(at_, 2) == "/*") {
        const auto end = s_.find("*/", at_ + 2);
        if (end == std::string_view::npos) return false;
        at_ = end + 2;
      } else {
        return true;
      }
    }
    return true;
  }

  bool expect(char c) {
    if (at_ >= s_.size() || s_[at_] != c) return false;
    ++at_;
    return true;
  }

  bool hex4(uint32_t& out) {
    if (at_ + 4 > s_.size()) return false;
    out = 0;
    for (int i = 0; i < 4; ++i) {
      const char c = s_[at_++];
      int d = -1;
      if (c >= '0' && c <= '9') d = c - '0';
      if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
      if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
      if (d < 0) return false;
      out = out << 4 | static_cast<uint32_t>(d);
    }
    return true;
  }

  // "\U" or "\u" with four hex digits is one UTF-16 unit; a high surrogate needs its low half next.
  bool unicodeEscape(std::string& out) {
    uint32_t u = 0;
    if (!hex4(u) || isSurrogateLow(u)) return false;
    if (isSurrogateHigh(u)) {
      uint32_t low = 0;
      if (s_.substr(at_, 2) != "\\U" && s_.substr(at_, 2) != "\\u") return false;
      at_ += 2;
      if (!hex4(low) || !isSurrogateLow(low)) return false;
      u = 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00);
    }
    appendUtf8(out, u);
    return true;
  }

  bool quoted(std::string& out) {
    if (!expect('"')) return false;
    while (at_ < s_.size()) {
      const char c = s_[at_++];
      if (c == '"') return true;
      if (c != '\\') {
        out += c;
        continue;
      }
      if (at_ >= s_.size()) return false;
      const char e = s_[at_++];
      switch (e) {
        case 'n': out += '\n'; break;
        case 't': out += '\t'; break;
        case 'r': out += '\r'; break;
        case '0': out += '\0'; break;
        case 'U':
        case 'u':
          if (!unicodeEscape(out)) return false;
          break;
        default: out += e; break;  // \" \\ \' and any other character stand for themselves
      }
    }
    return false;
  }

  std::string_view s_;
  std::size_t at_ = 0;
};

}  // namespace

std::optional<StringsTable> StringsTable::parse(std::string_view bytes) {
  std::optional<std::string> utf16;
  if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF")) {
    utf16 = fromUtf16(bytes.substr(2), bytes[0] == '\xFE');
    if (!utf16) return std::nullopt;
    bytes = *utf16;
  } else if (bytes.starts_with("\xEF\xBB\xBF")) {
    bytes.remove_prefix(3);
  }
  StringsTable table;
  if (!Parser(bytes).parse(table.entries_)) return std::nullopt;
  return table;
}

std::string StringsTable::text(std::string_view key) const {
  const auto it = entries_.find(key);
  return it == entries_.end() ? std::string(key) : it->second;
}

std::string formatText(std::string_view format, const std::vector<std::string>& args) {
  std::string out;
  std::size_t next = 0;
  auto arg = [&](std::size_t index) { return index < args.size() ? args[index] : std::string(); };
  for (std::size_t i = 0; i < format.size(); ++i) {
    if (format[i] != '%') {
      out += format[i];
      continue;
    }
    const std::string_view rest = format.substr(i + 1);
    if (rest.starts_with("%")) {
      out += '%';
      i += 1;
    } else if (rest.starts_with("@")) {
      out += arg(next++);
      i += 1;
    } else {
      // Positional "%n$@".
      std::size_t digits = 0;
      std::size_t n = 0;
      while (digits < rest.size() && digits < 3 && rest[digits] >= '0' && rest[digits] <= '9')
        n = n * 10 + static_cast<std::size_t>(rest[digits++] - '0');
      if (digits > 0 && n > 0 && rest.substr(digits, 2) == "$@") {
        out += arg(n - 1);
        i += digits + 2;
      } else {
        out += '%';
      }
    }
  }
  return out;
}

}  // namespace brindlow
