#include "services/LandStripView.h"

#include <gtest/gtest.h>

#include <memory>

#include "platform/fake/FakeMainLoop.h"
#include "platform/fake/FakeStripWindow.h"
#include "platform/fake/FakeWindowServer.h"

namespace brindlow {
namespace {

using platform::BlendMode;
using Fill = fake::FakeCanvas::Fill;

constexpr Color kTop{0.5, 0.8, 0.4, 1};
constexpr Color kSide{0.3, 0.6, 0.3, 1};

GRect column(int c) { return {30 + 24.0 * c, 0, 24, 32}; }  // 10 columns in 300 points

class LandStripViewTest : public ::testing::Test {
 protected:
  LandStripViewTest() {
    window = server.createStripWindow({0, 868, 300, 32});
    fakeWindow = server.strips().front();
    view = std::make_unique<LandStripView>(loop, *window);
    view->cols = 10;
    view->levels.assign(10, 0);
    view->top = kTop;
    view->side = kSide;
  }

  // The fills of a full draw pass after the erase.
  std::vector<Fill> drawn() {
    auto fills = fakeWindow->drawAll().fills();
    EXPECT_FALSE(fills.empty());
    EXPECT_EQ(fills.front().mode, BlendMode::copy);
    fills.erase(fills.begin());
    return fills;
  }

  fake::FakeMainLoop loop;
  fake::FakeWindowServer server;
  std::unique_ptr<platform::StripWindow> window;
  fake::FakeStripWindow* fakeWindow = nullptr;
  std::unique_ptr<LandStripView> view;
};

TEST_F(LandStripViewTest, DrawsCentredBlocksWithBandOnTop) {
  EXPECT_EQ(fakeWindow->contentAlpha(), 0.85);
  view->levels[0] = 2;
  view->levels[9] = 9;  // above the top level: drawn as level 3
  const auto fills = drawn();
  ASSERT_EQ(fills.size(), 4u);
  EXPECT_EQ(fills[0], (Fill{{30, 0, 24, 6}, {30, 0, 24, 6}, kSide, BlendMode::sourceOver}));
  EXPECT_EQ(fills[1], (Fill{{30, 6, 24, 3}, {30, 6, 24, 3}, kTop, BlendMode::sourceOver}));
  EXPECT_EQ(fills[2].rect, (GRect{246, 0, 24, 10}));
  EXPECT_EQ(fills[3].rect, (GRect{246, 10, 24, 3}));

  // A partial pass draws only the columns its rectangle touches.
  const auto part = fakeWindow->draw(column(9)).fills();
  ASSERT_EQ(part.size(), 3u);
  EXPECT_EQ(part[0].rect, column(9));
  EXPECT_EQ(part[1].rect.x, 246);

  view->cols = 0;
  EXPECT_TRUE(drawn().empty());
}

TEST_F(LandStripViewTest, TrailGhostReachesUpToTheTrailLevel) {
  view->levels[2] = 1;
  view->setTrail(3, {2});
  auto fills = drawn();
  ASSERT_EQ(fills.size(), 4u);
  // Ghost first, then the block itself.
  EXPECT_EQ(fills[0], (Fill{{80, 5, 20, 8}, {80, 5, 20, 8}, {0.3, 0.6, 0.3, 0.4}, BlendMode::sourceOver}));
  EXPECT_EQ(fills[1], (Fill{{80, 10, 20, 3}, {80, 10, 20, 3}, {0.5, 0.8, 0.4, 0.85}, BlendMode::sourceOver}));
  EXPECT_EQ(fills[2].rect, (GRect{78, 0, 24, 2}));

  view->setTrail(1, {2});
  EXPECT_EQ(drawn().size(), 2u);
  view->setTrail(3, {2});
  view->levels[2] = 3;
  EXPECT_EQ(drawn().size(), 2u);
}

TEST_F(LandStripViewTest, SetTrailRedrawsOnlyColumnsWhoseGhostChanges) {
  view->setTrail(5, {2, 3});
  EXPECT_EQ(view->trailLevel(), 3);
  fakeWindow->takeDirty();
  view->setTrail(3, {3, 4});
  EXPECT_EQ(fakeWindow->takeDirty(), (std::vector<GRect>{column(2), column(4)}));
  // A new level changes every ghost; columns outside the strip are kept but never drawn.
  view->setTrail(0, {4, 12});
  EXPECT_EQ(view->trailLevel(), 1);
  EXPECT_EQ(fakeWindow->takeDirty(), (std::vector<GRect>{column(3), column(4)}));
  EXPECT_EQ(view->trail, (std::set<int>{4, 12}));
}

TEST_F(LandStripViewTest, GrownColumnSpringsUpAndSettles) {
  window->orderFrontRegardless();
  view->levels[1] = 1;
  const double start = loop.uptime();
  view->applyChanges({{1, 1, 2}});
  EXPECT_TRUE(view->isPopping(1));
  EXPECT_EQ(fakeWindow->takeDirty(), std::vector<GRect>{column(1)});

  // Drawn only by its pop, scaled from the bottom edge.
  auto fills = drawn();
  ASSERT_EQ(fills.size(), 2u);
  EXPECT_EQ(fills[0].rect, (GRect{54, 0, 24, 6}));
  EXPECT_DOUBLE_EQ(fills[1].effective.y + fills[1].effective.h, 9 * 0.35);

  fakeWindow->deliverAnimationFrame(start + 0.05);
  EXPECT_EQ(fakeWindow->takeDirty(), std::vector<GRect>{column(1)});
  fills = drawn();
  EXPECT_NEAR(fills[1].effective.y + fills[1].effective.h, 9 * Spring{}.value(0.05), 1e-9);

  loop.advance(0.3);
  EXPECT_FALSE(view->isPopping(1));
  EXPECT_EQ(fakeWindow->animationClients(), 0u);
  EXPECT_EQ(fakeWindow->takeDirty(), std::vector<GRect>{column(1)});
  fills = drawn();
  EXPECT_EQ(fills[1].effective, (GRect{54, 6, 24, 3}));

  // Shrinking only redraws.
  view->applyChanges({{1, 2, 1}});
  EXPECT_FALSE(view->isPopping(1));
  EXPECT_EQ(fakeWindow->takeDirty(), std::vector<GRect>{column(1)});
}

TEST_F(LandStripViewTest, AtMost24PopsAndNoneWhileOrderedOut) {
  window->setFrame({0, 868, 30 * 24, 32}, true);
  view->cols = 30;
  view->levels.assign(30, 0);
  std::vector<CellChange> grow;
  for (int c = 0; c < 30; ++c) grow.push_back({c, 0, 1});

  view->applyChanges(grow);  // ordered out
  EXPECT_EQ(view->livePops(), 0u);
  EXPECT_EQ(fakeWindow->takeDirty().size(), 30u);

  view->levels.assign(30, 0);
  window->orderFrontRegardless();
  view->applyChanges(grow);
  EXPECT_EQ(view->livePops(), 24u);
  EXPECT_FALSE(view->isPopping(24));
  EXPECT_EQ(fakeWindow->takeDirty().size(), 30u);
  EXPECT_EQ(view->levels, std::vector<uint8_t>(30, 1));
}

TEST_F(LandStripViewTest, SecondGrowthReplacesTheFirstPop) {
  window->orderFrontRegardless();
  view->applyChanges({{4, 0, 1}});
  loop.advance(0.25);
  view->applyChanges({{4, 1, 3}});
  ASSERT_TRUE(view->isPopping(4));
  EXPECT_EQ(view->livePops(), 1u);
  loop.advance(0.1);  // the first pop's end has passed and left the newer one alone
  EXPECT_TRUE(view->isPopping(4));
  const auto fills = drawn();
  ASSERT_EQ(fills.size(), 2u);
  EXPECT_EQ(fills[1].rect, (GRect{126, 10, 24, 3}));  // the newer block, level 3
  loop.advance(0.2);
  EXPECT_FALSE(view->isPopping(4));
}

TEST_F(LandStripViewTest, ClearPopsDropsThemWithoutRedrawAndSkipsUnknownColumns) {
  window->orderFrontRegardless();
  view->applyChanges({{0, 0, 1}, {1, 0, 1}, {10, 0, 3}});
  EXPECT_EQ(view->livePops(), 2u);
  fakeWindow->takeDirty();
  view->clearPops();
  EXPECT_EQ(view->livePops(), 0u);
  EXPECT_TRUE(fakeWindow->dirtyRects().empty());
  EXPECT_EQ(fakeWindow->animationClients(), 0u);
  loop.advance(1);
  EXPECT_TRUE(fakeWindow->dirtyRects().empty());
}

TEST_F(LandStripViewTest, WindowOutlivesTheView) {
  window->orderFrontRegardless();
  view->applyChanges({{0, 0, 1}});
  view.reset();
  loop.advance(1);
  fakeWindow->deliverAnimationFrame(loop.uptime());
  EXPECT_EQ(fakeWindow->drawAll().fills().size(), 0u);
}

}  // namespace
}  // namespace brindlow
