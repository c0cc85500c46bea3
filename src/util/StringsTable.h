#pragma once
// A localisation table in the classic strings format: `"key" = "value";` entries with /* */ and //
// comments and C-style escapes, in UTF-8 (BOM optional) or UTF-16 with a BOM.
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brindlow {

class StringsTable {
 public:
  StringsTable() = default;

  // Absent when the text is not a well-formed table.
  static std::optional<StringsTable> parse(std::string_view bytes);

  // The value of `key`, or the key itself when the table lacks it.
  std::string text(std::string_view key) const;
  bool contains(std::string_view key) const { return entries_.find(key) != entries_.end(); }
  const std::map<std::string, std::string, std::less<>>& entries() const { return entries_; }

 private:
  std::map<std::string, std::string, std::less<>> entries_;
};

// Fills a format's text placeholders: "%@" takes the next argument, "%2$@" the second; "%%" is one
// percent sign. A placeholder without an argument becomes empty; anything else stays as written.
std::string formatText(std::string_view format, const std::vector<std::string>& args);

}  // namespace brindlow
