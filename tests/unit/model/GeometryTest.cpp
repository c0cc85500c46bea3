#include "model/Geometry.h"

#include <gtest/gtest.h>

#include <limits>

#include "model/LandShow.h"
#include "model/Surface.h"
#include "support/GeometryPrinters.h"

namespace brindlow {
namespace {

constexpr double nan = std::numeric_limits<double>::quiet_NaN();
constexpr double inf = std::numeric_limits<double>::infinity();

TEST(Rects, IntersectionAndArea) {
  const GRect a{0, 0, 100, 100};
  EXPECT_EQ(a.intersection({50, 60, 100, 100}), (GRect{50, 60, 50, 40}));
  EXPECT_EQ(a.intersection({100, 0, 10, 10}), std::nullopt);  // touching
  EXPECT_EQ(a.intersection({0, 0, nan, 10}), std::nullopt);
  EXPECT_EQ((GRect{0, 0, nan, 10}).intersection(a), std::nullopt);
  EXPECT_EQ((GRect{0, 0, nan, 10}).area(), 0);
  EXPECT_EQ((GRect{0, 0, -5, 10}).area(), 0);
  EXPECT_TRUE(a.contains({0, 0}));
  EXPECT_FALSE(a.contains({100, 50}));
  EXPECT_FALSE((GRect{0, 0, inf, 1}).isFinite());
  EXPECT_FALSE((GPoint{nan, 0}).isFinite());
  EXPECT_NE((GRect{nan, 0, 1, 1}), (GRect{nan, 0, 1, 1}));  // exact comparison of doubles
}

TEST(SurfaceLineSanity, Bounds) {
  struct Case {
    SurfaceLine line;
    bool sane;
  };
  const Case cases[] = {
      {{0, 0, 100000}, true},        {{99999.9, -99999.9, 1}, true}, {{0, 0, 0}, false},
      {{0, 0, -1}, false},           {{100000, 0, 1}, false},        {{0, -100000, 1}, false},
      {{0, 0, 100000.01}, false},    {{nan, 0, 1}, false},           {{0, nan, 1}, false},
      {{0, 0, nan}, false},          {{0, 0, inf}, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.line.isSane(), c.sane) << c.line.x << "," << c.line.y << "," << c.line.w;
  }
  const Surface s{"win-1", SurfaceKind::window, 1, 2, 3, "display-1"};
  EXPECT_EQ(s.line(), (SurfaceLine{1, 2, 3}));
}

TEST(LandShowRule, VisibilityAndRaising) {
  const double now = 1000;
  struct Case {
    LandShow show;
    bool onTop;
    std::optional<double> lastKey;
    bool visible;
    bool raised;
  };
  const Case cases[] = {
      {LandShow::typing, true, {}, false, false},  // nothing typed yet
      {LandShow::typing, true, now - 5.99, true, true},
      {LandShow::typing, true, now - 6, false, false},  // exactly the linger
      {LandShow::typing, false, now - 1, true, false},
      {LandShow::always, true, {}, true, false},
      {LandShow::always, true, now - 1, true, true},
      {LandShow::always, false, now - 1, true, false},
      {LandShow::off, true, now - 1, false, false},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const auto& c = cases[i];
    EXPECT_EQ(LandShowRule::isVisible(c.show, c.lastKey, now), c.visible) << "case " << i;
    EXPECT_EQ(LandShowRule::wantsRaised(c.show, c.onTop, c.lastKey, now), c.raised) << "case " << i;
  }
}

TEST(Enumerations, RawStringsAreExact) {
  EXPECT_EQ(fromRaw<GroundMode>("windows"), GroundMode::windows);
  EXPECT_EQ(fromRaw<SurfaceKind>("screenBottom"), SurfaceKind::screenBottom);
  EXPECT_EQ(fromRaw<LandShow>("typing"), LandShow::typing);
  for (const char* raw : {"Windows", "BOTTOM", "screenbottom", "Off", "", " always"}) {
    EXPECT_EQ(fromRaw<GroundMode>(raw), std::nullopt) << raw;
    EXPECT_EQ(fromRaw<SurfaceKind>(raw), std::nullopt) << raw;
    EXPECT_EQ(fromRaw<LandShow>(raw), std::nullopt) << raw;
  }
  EXPECT_EQ(allCases<GroundMode>(), (std::array{GroundMode::bottom, GroundMode::windows, GroundMode::placed}));
  EXPECT_EQ(allCases<LandShow>(), (std::array{LandShow::always, LandShow::typing, LandShow::off}));
  for (auto k : allCases<SurfaceKind>()) EXPECT_EQ(fromRaw<SurfaceKind>(rawValue(k)), k);
}

}  // namespace
}  // namespace brindlow
