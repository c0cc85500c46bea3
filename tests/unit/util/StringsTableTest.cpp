#include "util/StringsTable.h"

#include <gtest/gtest.h>

namespace brindlow {
namespace {

TEST(StringsTableTest, ReadsEntriesCommentsAndEscapes) {
  const auto table = StringsTable::parse(
      "\xEF\xBB\xBF/* block\n comment */\n"
      "// line comment\n"
      "\"plain\" = \"Plain\";\n"
      "\"esc\"=\"say \\\"hi\\\"\\n\\\\ \\t end\" ;\n"
      "\"uni\" = \"\\U00e9 \\UD83D\\UDE00\";  /* trailing */\n"
      "\"twice\" = \"first\"; \"twice\" = \"second\";\n"
      "\"raw\" = \"ÿ 한국어 %@\";");
  ASSERT_TRUE(table);
  EXPECT_EQ(table->text("plain"), "Plain");
  EXPECT_EQ(table->text("esc"), "say \"hi\"\n\\ \t end");
  EXPECT_EQ(table->text("uni"), "\u00e9 \U0001F600");
  EXPECT_EQ(table->text("twice"), "second");
  EXPECT_EQ(table->text("raw"), "ÿ 한국어 %@");
  EXPECT_EQ(table->entries().size(), 5u);
}

TEST(StringsTableTest, MissingKeyShowsTheKey) {
  const auto table = StringsTable::parse("\"a\" = \"A\";");
  ASSERT_TRUE(table);
  EXPECT_EQ(table->text("menu.quit"), "menu.quit");
  EXPECT_EQ(StringsTable().text("status.pet"), "status.pet");
}

TEST(StringsTableTest, ReadsUtf16WithByteOrderMark) {
  // "k" = "é😀"; in UTF-16 little-endian, then the same big-endian.
  const std::u16string text = u"\"k\" = \"\u00e9\U0001F600\";";
  std::string le = "\xFF\xFE";
  std::string be = "\xFE\xFF";
  for (char16_t c : text) {
    le += static_cast<char>(c & 0xFF);
    le += static_cast<char>(c >> 8);
    be += static_cast<char>(c >> 8);
    be += static_cast<char>(c & 0xFF);
  }
  for (const auto& bytes : {le, be}) {
    const auto table = StringsTable::parse(bytes);
    ASSERT_TRUE(table);
    EXPECT_EQ(table->text("k"), "\u00e9\U0001F600");
  }
  EXPECT_FALSE(StringsTable::parse(le + "x"));  // odd length
}

TEST(StringsTableTest, RejectsMalformedTables) {
  for (const char* text : {
           "\"a\" = \"A\"",           // no semicolon
           "\"a\" \"A\";",            // no equals sign
           "\"a\" = \"A;",            // unterminated value
           "/* open comment \"a\" = \"A\";",
           "a = \"A\";",              // unquoted key
           "\"a\" = \"\\UD83D\";",    // lone surrogate
           "\"a\" = \"\\U12\";",      // short escape
       }) {
    EXPECT_FALSE(StringsTable::parse(text)) << text;
  }
  EXPECT_TRUE(StringsTable::parse(""));
  EXPECT_TRUE(StringsTable::parse("  // only a comment"));
}

TEST(StringsTableTest, FormatFillsTextPlaceholders) {
  struct Case {
    const char* format;
    std::vector<std::string> args;
    const char* expected;
  };
  const Case cases[] = {
      {"%@ · Lv %@ %@", {"Mochi", "5", "♥♡"}, "Mochi · Lv 5 ♥♡"},
      {"%2$@ then %1$@", {"a", "b"}, "b then a"},
      {"100%% %@", {"x"}, "100% x"},
      {"%@ and %@", {"only"}, "only and "},
      {"%d %s % end %", {"x"}, "%d %s % end %"},
      {"%@", {"100%@"}, "100%@"},  // arguments are not formats
  };
  for (const auto& c : cases) EXPECT_EQ(formatText(c.format, c.args), c.expected) << c.format;
}

}  // namespace
}  // namespace brindlow
