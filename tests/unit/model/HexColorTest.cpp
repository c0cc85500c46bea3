#include "model/HexColor.h"

#include <gtest/gtest.h>

namespace brindlow {
namespace {

Color rgb(int r, int g, int b) { return {r / 255.0, g / 255.0, b / 255.0, 1}; }

TEST(HexColor, ReadsThreeAndSixDigitTexts) {
  EXPECT_EQ(parseHexColor("#8c4"), rgb(0x88, 0xcc, 0x44));
  EXPECT_EQ(parseHexColor(" \t2e7d32 "), rgb(0x2e, 0x7d, 0x32));
  EXPECT_EQ(parseHexColor("#FFaa00"), rgb(0xff, 0xaa, 0x00));
  // The number reading takes a sign: "+" before five digits, "-" only before zeros.
  EXPECT_EQ(parseHexColor("+12345"), rgb(0x01, 0x23, 0x45));
  EXPECT_EQ(parseHexColor("-00000"), rgb(0, 0, 0));
}

TEST(HexColor, OtherTextsGiveNoColour) {
  for (const char* bad : {"", "#", "#12345", "1234567", "##8c4", "#8c4\n", "gggggg", "-00001", "0x12ab", "+8c",
                          "12 345", "#8c\xc3\xa9"}) {
    EXPECT_EQ(parseHexColor(bad), std::nullopt) << bad;
  }
}

}  // namespace
}  // namespace brindlow
