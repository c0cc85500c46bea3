#include "util/Text.h"

#include <gtest/gtest.h>

namespace brindlow {
namespace {

TEST(TextTest, CountsUserPerceivedCharacters) {
  EXPECT_EQ(graphemeCount(""), 0u);
  EXPECT_EQ(graphemeCount("abc"), 3u);
  EXPECT_EQ(graphemeCount("e\u0301t\u00e9"), 3u);                   // combining accent
  EXPECT_EQ(graphemeCount("\U0001F469\u200D\U0001F469\u200D\U0001F467"), 1u);  // family (ZWJ)
  EXPECT_EQ(graphemeCount("\U0001F1F0\U0001F1F7\U0001F1EF\U0001F1F5"), 2u);    // two flags
  EXPECT_EQ(graphemeCount("\r\n"), 1u);
}

TEST(TextTest, PrefixCutsBetweenClustersOnly) {
  const std::string family = "\U0001F469\u200D\U0001F469\u200D\U0001F467";
  EXPECT_EQ(graphemePrefix(family + family + "x", 2), family + family);
  EXPECT_EQ(graphemePrefix("e\u0301e\u0301", 1), "e\u0301");
  EXPECT_EQ(graphemePrefix("short", 40), "short");
  EXPECT_EQ(graphemePrefix("abc", 0), "");
}

TEST(TextTest, WithinAllowsTheLimitAndCountsClustersNotBytes) {
  const std::string family = "\U0001F469\u200D\U0001F469\u200D\U0001F467";
  EXPECT_TRUE(withinGraphemes(family + family, 2));
  EXPECT_FALSE(withinGraphemes(family + family + "x", 2));
  EXPECT_TRUE(withinGraphemes("ab", 2));
  EXPECT_FALSE(withinGraphemes("abc", 2));
  EXPECT_TRUE(withinGraphemes("", 0));
}

}  // namespace
}  // namespace brindlow
