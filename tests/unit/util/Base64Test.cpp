#include "util/Base64.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

namespace brindlow {
namespace {

using Bytes = std::vector<uint8_t>;

TEST(Base64, DecodesPaddedStandardText) {
  EXPECT_EQ(decodeBase64(""), Bytes{});
  EXPECT_EQ(decodeBase64("AAEC"), (Bytes{0, 1, 2}));
  EXPECT_EQ(decodeBase64("CQ=="), Bytes{9});
  EXPECT_EQ(decodeBase64("AAE="), (Bytes{0, 1}));
  EXPECT_EQ(decodeBase64("+/8="), (Bytes{0xfb, 0xff}));
}

TEST(Base64, RejectsAnythingElseAsAWhole) {
  for (const std::string& bad : std::initializer_list<std::string>{"AAE", "AAEC ", " AAEC", "AA\nEC", "AA=C", "A===", "====", "-_8=", "AAEC====", "AA==AAEC",
                          std::string("AA\0C", 4)}) {
    EXPECT_EQ(decodeBase64(bad), std::nullopt) << bad;
  }
}

}  // namespace
}  // namespace brindlow
