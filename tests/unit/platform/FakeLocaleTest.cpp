#include "platform/fake/FakeLocale.h"

#include <gtest/gtest.h>

namespace brindlow::fake {
namespace {

TEST(FakeLocale, DayStringFollowsTheFixedOffset) {
  struct Case {
    double time;
    double offset;
    std::string day;
  };
  const std::vector<Case> cases = {
      {1.7e9, 0, "2023-11-14"},
      {1.7e9, -86400, "2023-11-13"},
      {0, 0, "1970-01-01"},
      {-1, 0, "1969-12-31"},
      {951782400, 0, "2000-02-29"},
      {1709164800 + 86399, 0, "2024-02-29"},
  };
  for (const Case& c : cases) {
    FakeLocale locale;
    locale.setUtcOffset(c.offset);
    EXPECT_EQ(locale.localDayString(c.time), c.day) << c.time;
  }
}

TEST(FakeLocale, GroupsEveryThreeDigits) {
  FakeLocale locale;
  EXPECT_EQ(locale.formatInteger(0), "0");
  EXPECT_EQ(locale.formatInteger(999), "999");
  EXPECT_EQ(locale.formatInteger(1234567), "1,234,567");
  EXPECT_EQ(locale.formatInteger(-1000), "-1,000");
  locale.setGroupingSeparator(".");
  EXPECT_EQ(locale.formatInteger(12000), "12.000");
  locale.setGroupingSeparator(std::nullopt);
  EXPECT_EQ(locale.formatInteger(1), std::nullopt);
}

}  // namespace
}  // namespace brindlow::fake
