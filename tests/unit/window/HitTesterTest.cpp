#include "window/HitTester.h"

#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <optional>
#include <vector>

#include "platform/fake/FakeMainLoop.h"
#include "platform/fake/FakeMouseMonitor.h"
#include "platform/fake/FakePetPanel.h"
#include "platform/fake/FakeScreens.h"
#include "support/LogCapture.h"

namespace brindlow {
namespace {

using fake::FakeMouseMonitor;
using platform::MouseEventType;

constexpr const char* kWarning = "hit.rects: dropped invalid or extra rects";

// A visible 200 × 200 panel at (100, 100) and a tester that records its pointer-near reports.
class HitTesterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    panel->setFrame({100, 100, 200, 200}, true);
    panel->orderFrontRegardless();
    panel->clearOps();
    tester->panel = panel;
    tester->onPointerNear = [this](std::optional<GPoint> p) { reports.push_back(p); };
  }
  void moveTo(GPoint p) {
    screens.setPointer(p);
    tester->update();
  }
  int flips() const { return panel->count("setIgnoresMouseEvents"); }

  test::LogCapture log;
  fake::FakeMainLoop loop;
  fake::FakeScreens screens;
  FakeMouseMonitor monitor;
  std::shared_ptr<fake::FakePetPanel> panel = std::make_shared<fake::FakePetPanel>(nullptr);
  std::shared_ptr<HitTester> tester = std::make_shared<HitTester>(loop, screens, monitor);
  std::vector<std::optional<GPoint>> reports;
};

TEST_F(HitTesterTest, SetRectsKeepsTheFirstEightAndWarnsOncePerRun) {
  std::vector<GRect> nine(9, GRect{0, 0, 10, 10});
  tester->setRects(nine);
  EXPECT_EQ(tester->rects.size(), 8u);
  tester->setRects(nine);
  tester->setRects({{0, 0, 0, 10}});
  EXPECT_EQ(log.lines(), std::vector<std::string>{kWarning});
  EXPECT_TRUE(tester->rects.empty());
}

TEST_F(HitTesterTest, SetRectsClipsToTheWebFrameSizeAndIgnoresAGonePanel) {
  tester->webFrame = [] { return GRect{500, 500, 50, 30}; };
  tester->setRects({{-10, -10, 100, 100}});
  EXPECT_EQ(tester->rects, (std::vector<GRect>{{0, 0, 50, 30}}));
  EXPECT_TRUE(log.lines().empty());

  tester->webFrame = [] { return std::nullopt; };  // falls back to the panel's frame
  tester->setRects({{150, 150, 100, 100}});
  EXPECT_EQ(tester->rects, (std::vector<GRect>{{150, 150, 50, 50}}));

  panel.reset();
  tester->setRects({{1, 1, 1, 1}});
  EXPECT_EQ(tester->rects, (std::vector<GRect>{{150, 150, 50, 50}}));
}

TEST_F(HitTesterTest, ClickThroughFlipsOnlyOnChange) {
  tester->setRects({{10, 10, 20, 20}});  // on screen: x 110..130, y 110..130
  EXPECT_EQ(flips(), 0);                 // pointer at (0, 0): stays click-through
  moveTo({110, 110});
  EXPECT_FALSE(panel->ignoresMouseEvents());
  moveTo({120, 120});
  moveTo({129.5, 110});
  EXPECT_EQ(flips(), 1);
  moveTo({130, 110});  // right edge is outside
  EXPECT_TRUE(panel->ignoresMouseEvents());
  moveTo({500, 500});
  tester->update();
  EXPECT_EQ(flips(), 2);
}

TEST_F(HitTesterTest, ForceAcceptAndVisibility) {
  moveTo({290, 290});  // inside the panel, no rectangles
  EXPECT_TRUE(panel->ignoresMouseEvents());

  tester->setForceAccept(true);  // a change updates at once
  EXPECT_FALSE(panel->ignoresMouseEvents());
  tester->setForceAccept(true);
  EXPECT_EQ(flips(), 1);

  panel->orderOut();  // a hidden panel is always click-through
  tester->update();
  EXPECT_TRUE(panel->ignoresMouseEvents());

  panel.reset();  // a gone panel is left alone without a fault
  tester->update();
}

TEST_F(HitTesterTest, WebFrameCallbackPlacesTheRectangles) {
  tester->webFrame = [] { return GRect{150, 100, 200, 200}; };  // a widened panel's pet box
  tester->setRects({{0, 0, 10, 10}});
  moveTo({105, 105});
  EXPECT_TRUE(panel->ignoresMouseEvents());
  moveTo({155, 105});
  EXPECT_FALSE(panel->ignoresMouseEvents());
}

TEST_F(HitTesterTest, NearReportsAreThrottledWithOneTrailingReport) {
  const double start = loop.uptime();
  moveTo({200, 200});
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0], (GPoint{200, 200}));

  loop.advance(0.01);
  moveTo({210, 200});
  loop.advance(0.01);
  moveTo({220, 200});
  EXPECT_EQ(reports.size(), 1u);
  EXPECT_TRUE(tester->trailingPending());

  screens.setPointer({230, 200});  // where the pointer is when the trailing report fires
  loop.advance(1.0 / 15 - 0.02 - 0.001);
  EXPECT_EQ(reports.size(), 1u);
  loop.advance(0.002);
  ASSERT_EQ(reports.size(), 2u);
  EXPECT_EQ(reports[1], (GPoint{230, 200}));
  EXPECT_NEAR(loop.uptime() - start, 1.0 / 15 + 0.001, 1e-9);

  loop.advance(1);  // nothing further while the pointer rests
  EXPECT_EQ(reports.size(), 2u);
}

TEST_F(HitTesterTest, LeavingIsReportedOnceAndCancelsTheTrailingReport) {
  moveTo({200, 200});
  loop.advance(0.01);
  moveTo({201, 200});
  ASSERT_TRUE(tester->trailingPending());

  moveTo({200 + 241, 200});
  moveTo({200 + 300, 200});
  EXPECT_FALSE(tester->trailingPending());
  loop.advance(1);
  EXPECT_EQ(reports, (std::vector<std::optional<GPoint>>{GPoint{200, 200}, std::nullopt}));
  EXPECT_FALSE(tester->nearInside());
}

TEST_F(HitTesterTest, TrailingReportSeesThePointerLeftMeanwhile) {
  moveTo({200, 200});
  loop.advance(0.01);
  moveTo({201, 200});
  screens.setPointer({1000, 1000});  // left without an update
  loop.advance(0.1);
  EXPECT_EQ(reports, (std::vector<std::optional<GPoint>>{GPoint{200, 200}, std::nullopt}));
}

TEST_F(HitTesterTest, NoPositionsWhileForcedOrDisabled) {
  moveTo({200, 200});
  tester->setForceAccept(true);  // its own update reports the pointer as gone
  moveTo({210, 200});
  EXPECT_EQ(reports, (std::vector<std::optional<GPoint>>{GPoint{200, 200}, std::nullopt}));

  reports.clear();
  loop.advance(1);
  tester->setForceAccept(false);  // near again at once
  tester->nearEnabled = false;
  tester->update();
  moveTo({220, 200});
  EXPECT_EQ(reports, (std::vector<std::optional<GPoint>>{GPoint{210, 200}, std::nullopt}));
}

TEST_F(HitTesterTest, StartInstallsOneMouseMovedMonitorThatUpdates) {
  tester->start();
  tester->start();
  EXPECT_EQ(monitor.added(), (std::vector<FakeMouseMonitor::Record>{{FakeMouseMonitor::Kind::global, 32}}));

  tester->setRects({{0, 0, 200, 200}});
  screens.setPointer({150, 150});
  monitor.emitGlobal(MouseEventType::mouseMoved, loop.uptime());
  EXPECT_FALSE(panel->ignoresMouseEvents());
  EXPECT_EQ(reports.size(), 1u);

  loop.advance(0.01);
  monitor.emitGlobal(MouseEventType::mouseMoved, loop.uptime());
  ASSERT_TRUE(tester->trailingPending());
  tester->stop();
  EXPECT_TRUE(monitor.live().empty());
  EXPECT_FALSE(tester->trailingPending());
  loop.advance(1);
  EXPECT_EQ(reports.size(), 1u);

  tester->start();  // after a stop, start installs again
  EXPECT_EQ(monitor.live().size(), 1u);
}

TEST_F(HitTesterTest, RefusedMonitorIsRetriedOnTheNextStart) {
  monitor.setRefuseMonitors(true);
  tester->start();
  EXPECT_FALSE(tester->hasGlobalMonitor());
  monitor.setRefuseMonitors(false);
  tester->start();
  EXPECT_TRUE(tester->hasGlobalMonitor());
}

TEST_F(HitTesterTest, GoneTesterLeavesNoMonitorOrTimerBehind) {
  tester->start();
  moveTo({200, 200});
  loop.advance(0.01);
  moveTo({201, 200});
  tester.reset();
  EXPECT_TRUE(monitor.live().empty());
  EXPECT_EQ(loop.pendingTimers(), 0u);
  monitor.emitGlobal(MouseEventType::mouseMoved, loop.uptime());
  loop.advance(1);
  EXPECT_EQ(reports.size(), 1u);
}

}  // namespace
}  // namespace brindlow
