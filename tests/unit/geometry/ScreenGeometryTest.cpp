#include "geometry/ScreenGeometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "platform/fake/FakeScreens.h"
#include "support/GeometryPrinters.h"

namespace brindlow {
namespace {

constexpr double nan = std::numeric_limits<double>::quiet_NaN();
constexpr double inf = std::numeric_limits<double>::infinity();

ScreenInfo screen(std::string key, GRect frame) { return {std::move(key), frame, frame, 1, false}; }

// Two screens side by side, the right one taller.
const std::vector<ScreenInfo> sideBySide{screen("L", {0, 0, 1440, 900}), screen("R", {1440, 0, 1920, 1080})};

TEST(ScreenChoice, HalfOpenFramesAndNearest) {
  struct Case {
    GPoint p;
    std::optional<std::size_t> containing;
    std::optional<std::size_t> index;
  };
  const Case cases[] = {
      {{1440, 100}, 1, 1},        // the shared edge belongs to the right-hand screen
      {{1439.5, 100}, 0, 0},
      {{3360, 100}, {}, 1},       // far right edge: on no screen, nearest by distance 0 on x
      {{100, 900}, {}, 0},        // bottom edge of the left screen
      {{1500, 1080}, {}, 1},
      {{-50, -50}, {}, 0},
      {{2000, 2000}, {}, 1},
      {{nan, 100}, {}, {}},
      {{100, nan}, {}, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.p.x << "," << c.p.y);
    EXPECT_EQ(ScreenGeometry::screenContaining(c.p, sideBySide), c.containing);
    EXPECT_EQ(ScreenGeometry::screenIndex(c.p, sideBySide), c.index);
  }
  EXPECT_EQ(ScreenGeometry::screenIndex({0, 0}, {}), std::nullopt);
  EXPECT_EQ(ScreenGeometry::screenContaining({0, 0}, {}), std::nullopt);
}

TEST(ScreenChoice, EqualDistanceGoesToTheScreenListedFirst) {
  const ScreenInfo left = screen("L", {0, 0, 100, 100});
  const ScreenInfo right = screen("R", {200, 0, 100, 100});
  EXPECT_EQ(ScreenGeometry::screenIndex({150, 50}, {left, right}), 0u);
  EXPECT_EQ(ScreenGeometry::screenIndex({150, 50}, {right, left}), 0u);
  EXPECT_EQ(ScreenGeometry::screenIndex({151, 50}, {left, right}), 1u);
  // A point at infinity is infinitely far from both, which is still a distance.
  EXPECT_EQ(ScreenGeometry::screenIndex({inf, 50}, {left, right}), 0u);
}

TEST(ScreenChoice, KeyAtCentreUsesTheWholeFrame) {
  std::vector<ScreenInfo> screens = sideBySide;
  screens[0].visible = {0, 25, 1440, 875};
  EXPECT_EQ(ScreenGeometry::screenKeyAtCentre({1340, 0, 200, 10}, screens), "R");  // centre x 1440
  EXPECT_EQ(ScreenGeometry::screenKeyAtCentre({0, 0, 200, 10}, screens), "L");     // above the visible frame
  EXPECT_EQ(ScreenGeometry::screenKeyAtCentre({0, 2000, 200, 10}, screens), std::nullopt);
  EXPECT_EQ(ScreenGeometry::screenKeyAtCentre({0, 0, 200, 10}, {}), std::nullopt);
}

TEST(VisibleFraction, Cases) {
  const ScreenInfo one = screen("A", {0, 0, 1000, 1000});
  struct Case {
    GRect r;
    std::vector<ScreenInfo> screens;
    double fraction;
  };
  const Case cases[] = {
      {{900, 0, 200, 100}, {one}, 0.5},    // half off all screens
      {{100, 100, 0, 100}, {one}, 0},      // zero width
      {{100, 100, 100, -1}, {one}, 0},
      {{100, 100, nan, 100}, {one}, 0},
      {{100, 100, 100, 100}, {one, one}, 1},  // mirrored screens: capped
      {{1000, 0, 100, 100}, {one}, 0},        // touching only
      {{100, 100, 100, 100}, {}, 0},
      {{1400, 850, 100, 100}, sideBySide, 0.8},  // 40 x 50 on the left, 60 x 100 on the right
      {{-inf, 0, inf, 10}, {one}, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.r.x << "," << c.r.y << "," << c.r.w << "," << c.r.h);
    EXPECT_DOUBLE_EQ(ScreenGeometry::visibleFraction(c.r, c.screens), c.fraction);
  }
}

TEST(PetBoxPlacement, FootStaysOffTheEnds) {
  const GRect visible{0, 25, 1440, 875};
  EXPECT_EQ(ScreenGeometry::petFrameAtBottom(700, visible), (GRect{600, 716, 200, 200}));
  EXPECT_EQ(ScreenGeometry::petFrameAtBottom(0, visible), (GRect{-76, 716, 200, 200}));
  EXPECT_EQ(ScreenGeometry::petFrameAtBottom(5000, visible), (GRect{1316, 716, 200, 200}));
  // Narrower than two margins: the centre sits at the upper bound whatever is asked.
  for (double c : {-1000.0, 0.0, 30.0, 1000.0}) {
    EXPECT_EQ(ScreenGeometry::petFrameAtBottom(c, {10, 0, 40, 300}), (GRect{26 - 100, 116, 200, 200}));
  }
}

TEST(PanelFrame, CentredAndRoundedHalvesAway) {
  EXPECT_EQ(ScreenGeometry::panelFrame({0, 25, 1440, 875}), (GRect{340, 193, 760, 540}));  // 192.5 rounds up
  EXPECT_EQ(ScreenGeometry::panelFrame({0, 0, 300, 300}), (GRect{-10, -10, 320, 320}));
  EXPECT_EQ(ScreenGeometry::panelFrame({-1441, -901, 1, 1}), (GRect{-1601, -1061, 320, 320}));  // −1600.5
  EXPECT_EQ(ScreenGeometry::panelFrame({0, 0, 500, 400}), (GRect{20, 20, 460, 360}));
}

TEST(WideWindow, WideRectClosedBounds) {
  const SurfaceLine line{100, 500, 400};  // candidate (0, 284, 600, 232)
  const GRect wide{0, 284, 600, 232};
  EXPECT_EQ(ScreenGeometry::wideRect({0, 284, 200, 200}, line), wide);    // touches left and top
  EXPECT_EQ(ScreenGeometry::wideRect({400, 316, 200, 200}, line), wide);  // touches right and bottom
  for (const GRect& pet : {GRect{-0.001, 300, 200, 200}, GRect{400.001, 300, 200, 200}, GRect{100, 283.999, 200, 200},
                           GRect{100, 316.001, 200, 200}, GRect{nan, 300, 200, 200}}) {
    EXPECT_EQ(ScreenGeometry::wideRect(pet, line), std::nullopt) << pet.x << "," << pet.y;
  }
  EXPECT_EQ(ScreenGeometry::wideRect({100, 300, 200, 200}, {nan, 500, 400}), std::nullopt);
}

TEST(WideWindow, BottomWideRectUsesTheScreenUnderTheFoot) {
  std::vector<ScreenInfo> screens = sideBySide;
  screens[0].visible = {0, 25, 1440, 875};
  screens[1].visible = {1440, 0, 1920, 1040};
  // Standing on the left bottom: the foot line is the frame's bottom edge, one point above it counts.
  EXPECT_EQ(ScreenGeometry::bottomWideRect(screens, {600, 716, 200, 200}), (GRect{-100, 684, 1640, 232}));
  EXPECT_EQ(ScreenGeometry::bottomWideRect(screens, {1500, 856, 200, 200}), (GRect{1340, 824, 2120, 232}));
  // Foot in no frame.
  EXPECT_EQ(ScreenGeometry::bottomWideRect(screens, {600, 1000, 200, 200}), std::nullopt);
  EXPECT_EQ(ScreenGeometry::bottomWideRect({}, {600, 716, 200, 200}), std::nullopt);
  // The screen under the foot has a bottom line far below the pet: only that screen is tried.
  EXPECT_EQ(ScreenGeometry::bottomWideRect(screens, {1500, 600, 200, 200}), std::nullopt);
}

TEST(WideWindow, ChooseWide) {
  std::vector<ScreenInfo> screens{screen("A", {0, 0, 1440, 900})};
  screens[0].visible = {0, 25, 1440, 875};
  const GRect pet{600, 716, 200, 200};
  const GRect bottom{-100, 684, 1640, 232};
  const SurfaceLine line{500, 800, 400};
  const GRect onLine{400, 584, 600, 232};
  const GRect petOnLine{600, 616, 200, 200};
  struct Case {
    GRect pet;
    std::optional<SurfaceLine> line;
    std::optional<GRect> current;
    bool burst;
    bool allowed;
    std::optional<GRect> expected;
  };
  const Case cases[] = {
      {pet, {}, bottom, false, true, bottom},  // unchanged: kept without a burst
      {pet, {}, {}, false, true, {}},          // not wide yet, no burst
      {pet, {}, {}, true, true, bottom},
      {pet, {}, bottom, true, false, {}},
      {petOnLine, line, bottom, false, true, {}},  // the line changed
      {petOnLine, line, onLine, false, true, onLine},
      {petOnLine, line, {}, true, true, onLine},
      {pet, line, bottom, true, true, {}},  // pet not inside the line's candidate
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const auto& c = cases[i];
    EXPECT_EQ(ScreenGeometry::chooseWide(c.pet, screens, c.line, c.current, c.burst, c.allowed), c.expected)
        << "case " << i;
  }
}

TEST(SnapOffset, RoundsToDevicePixels) {
  struct Case {
    double offset;
    double scale;
    double expected;
  };
  const Case cases[] = {
      {10.25, 2, 10.5}, {-10.25, 2, -10.5}, {10.2, 2, 10},   {10.25, 0, 10}, {10.5, 0, 11},
      {-10.5, 1, -11},  {10.25, nan, 10},   {10.25, inf, 10}, {10.25, 0.5, 10}, {10.1, 3, 10.0},
  };
  const GRect container{100, 200, 500, 500};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.offset << " at scale " << c.scale);
    const GPoint d = ScreenGeometry::snapOffset({100 + c.offset, 200 + c.offset, 10, 10}, container, c.scale);
    EXPECT_DOUBLE_EQ(d.x, c.expected);
    EXPECT_DOUBLE_EQ(d.y, c.expected);
  }
}

TEST(LandStrips, StripRectsSitOnTheirLine) {
  EXPECT_EQ(ScreenGeometry::stripRectOnLine({10, 500, 300}), (GRect{10, 468, 300, 32}));
  const GRect visible{0, 25, 1440, 875};
  EXPECT_EQ(ScreenGeometry::stripRectAtBottom(visible), (GRect{0, 868, 1440, 32}));
  EXPECT_EQ(ScreenGeometry::stripRectAtBottom(visible), ScreenGeometry::stripRectOnLine(ScreenGeometry::bottomLine(visible)));
}

TEST(LandColumns, CellRange) {
  constexpr int64_t big = std::numeric_limits<int64_t>::max();
  struct Case {
    int64_t cols;
    double width, minX, maxX;
    CellRange expected;
  };
  const Case cases[] = {
      {10, 300, 40, 100, {0, 3}},   // x0 = 30
      {10, 300, 0, 10, {0, 0}},     // left of the first column
      {10, 300, 54, 78, {1, 2}},    // exactly one column's edges
      {10, 300, 260, 400, {9, 10}},
      {10, 300, 300, 400, {10, 10}},
      {10, 300, 100, 40, {2, 2}},   // reversed span
      {0, 300, 40, 100, {0, 0}},
      {-3, 300, 40, 100, {0, 0}},
      {20, 300, 0, 10, {3, 5}},     // columns wider than the strip: x0 = −90
      {10, 300, -inf, inf, {0, 10}},
      {10, 300, nan, 100, {0, 0}},
      {10, 300, 40, nan, {0, 0}},
      {10, nan, 40, 100, {0, 0}},
      {10, 300, -1e300, 1e300, {0, 10}},  // beyond the integer range
      {big, 300, -inf, 1e300, {0, big}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.cols << " cols, " << c.width << " wide, " << c.minX << "..." << c.maxX);
    const CellRange r = ScreenGeometry::cellRange(c.cols, c.width, c.minX, c.maxX);
    EXPECT_EQ(r, c.expected);
  }
  EXPECT_TRUE((CellRange{2, 2}).empty());
  EXPECT_DOUBLE_EQ(ScreenGeometry::cellX(0, 10, 300), 30);
  EXPECT_DOUBLE_EQ(ScreenGeometry::cellX(9, 10, 300), 246);
  EXPECT_DOUBLE_EQ(ScreenGeometry::cellX(0, 20, 300), -90);
}

TEST(ScreenList, KeysAndPrimaryFromThePlatform) {
  fake::FakeScreens platform;
  platform::DisplayInfo withUuid = fake::FakeScreens::defaultDisplay();
  platform::DisplayInfo noUuid{7u, std::nullopt, {1440, 0, 1920, 1080}, {1440, 0, 1920, 1040}, 1};
  platform::DisplayInfo emptyUuid{8u, "", {0, 900, 100, 100}, {0, 900, 100, 100}, 1};
  platform::DisplayInfo noNumber{std::nullopt, "ABC", {0, 1000, 100, 100}, {0, 1000, 100, 100}, 1};
  platform.setDisplays({withUuid, noUuid, emptyUuid, noNumber});

  const auto screens = ScreenGeometry::screens(platform);
  ASSERT_EQ(screens.size(), 4u);
  EXPECT_EQ(screens[0], (ScreenInfo{"00000000-0000-0000-0000-000000000001", {0, 0, 1440, 900}, {0, 25, 1440, 875}, 2, true}));
  EXPECT_EQ(screens[1], (ScreenInfo{"display-7", {1440, 0, 1920, 1080}, {1440, 0, 1920, 1040}, 1, false}));
  EXPECT_EQ(screens[2].key, "display-8");
  EXPECT_EQ(screens[3].key, "unknown");
  EXPECT_FALSE(screens[3].primary);

  platform.setDisplays({});
  EXPECT_TRUE(ScreenGeometry::screens(platform).empty());

  platform.setPointer({-5.5, 12});
  EXPECT_EQ(ScreenGeometry::mouseTopLeft(platform), (GPoint{-5.5, 12}));
}

}  // namespace
}  // namespace brindlow
