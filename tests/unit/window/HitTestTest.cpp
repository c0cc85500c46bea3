#include "window/HitTest.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace brindlow {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(HitTest, SanitizeClipsAndDropsWithTheFlag) {
  struct Case {
    const char* name;
    std::vector<GRect> in;
    HitTest::Sanitized out;
  };
  const Case cases[] = {
      {"valid", {{10, 10, 20, 20}, {0, 0, 200, 200}}, {{{10, 10, 20, 20}, {0, 0, 200, 200}}, false}},
      {"empty", {}, {{}, false}},
      {"clipped top-left", {{-10, -10, 50, 50}}, {{{0, 0, 40, 40}}, false}},
      {"clipped bottom-right", {{190, 150, 50, 100}}, {{{190, 150, 10, 50}}, false}},
      {"wholly right", {{200, 0, 10, 10}, {1, 1, 1, 1}}, {{{1, 1, 1, 1}}, true}},
      {"wholly above", {{0, -20, 10, 20}}, {{}, true}},
      {"zero width", {{0, 0, 0, 10}}, {{}, true}},
      {"negative height", {{0, 0, 10, -1}}, {{}, true}},
      {"NaN", {{kNaN, 0, 10, 10}}, {{}, true}},
      {"infinite", {{0, 0, kInf, 10}}, {{}, true}},
  };
  for (const auto& c : cases) EXPECT_EQ(HitTest::sanitize(c.in, 200, 200), c.out) << c.name;
}

TEST(HitTest, SanitizeLooksOnlyAtTheFirstEight) {
  std::vector<GRect> nine;
  for (int i = 0; i < 9; ++i) nine.push_back({double(i), 0, 1, 1});
  const auto result = HitTest::sanitize(nine, 200, 200);
  EXPECT_TRUE(result.dropped);
  ASSERT_EQ(result.kept.size(), 8u);
  EXPECT_EQ(result.kept.back(), (GRect{7, 0, 1, 1}));

  nine.pop_back();  // eight valid ones raise no flag
  EXPECT_FALSE(HitTest::sanitize(nine, 200, 200).dropped);
}

TEST(HitTest, ContainsIsHalfOpenAndRelativeToTheFrame) {
  const GRect frame{100, 50, 200, 200};
  const std::vector<GRect> rects{{10, 20, 30, 40}};
  struct Case {
    GPoint p;
    bool inside;
  };
  const Case cases[] = {
      {{110, 70}, true},        // left and top edges
      {{139.999, 109.999}, true},
      {{140, 80}, false},       // right edge
      {{120, 110}, false},      // bottom edge
      {{109.999, 80}, false},
      {{10, 20}, false},        // the rect's own coordinates, not shifted by the frame
      {{kNaN, 80}, false},
  };
  for (const auto& c : cases) EXPECT_EQ(HitTest::contains(rects, c.p, frame), c.inside) << c.p.x << "," << c.p.y;
  // Only points inside the frame can hit, even for a rectangle reaching past it.
  EXPECT_FALSE(HitTest::contains(std::vector<GRect>{{-50, 0, 100, 10}}, {90, 55}, frame));
  EXPECT_FALSE(HitTest::contains({}, {150, 100}, frame));
}

TEST(HitTest, NearIsWithin240OfTheCentre) {
  const GRect frame{0, 0, 200, 200};  // centre (100, 100)
  EXPECT_TRUE(HitTest::isNear({340, 100}, frame));
  EXPECT_TRUE(HitTest::isNear({100 + 144, 100 + 192}, frame));  // 3-4-5: exactly 240
  EXPECT_FALSE(HitTest::isNear({340.001, 100}, frame));
  EXPECT_FALSE(HitTest::isNear({kNaN, 100}, frame));
  EXPECT_FALSE(HitTest::isNear({100, 100}, {0, 0, kInf, 200}));
}

}  // namespace
}  // namespace brindlow
