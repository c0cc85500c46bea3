#include "window/DragController.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/fake/FakeMainLoop.h"
#include "platform/fake/FakeMouseMonitor.h"
#include "platform/fake/FakePetPanel.h"
#include "platform/fake/FakeScreens.h"

namespace brindlow {
namespace {

using fake::FakeMouseMonitor;
using platform::MouseEventType;
using Kind = FakeMouseMonitor::Kind;

// A visible panel at (100, 100); the pointer grabs it at (150, 160), so the offset is (50, 60).
class DragControllerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    panel->setFrame({100, 100, 200, 200}, true);
    panel->orderFrontRegardless();
    panel->clearOps();
    screens.setPointer({150, 160});
    screens.setPressedButtons(1);
    drag->panel = panel;
    drag->onEvent = [this](const DragEvent& e) {
      events.push_back(e);
      log.push_back(e.phase);
    };
    drag->onFinish = [this] { log.push_back("finish"); };
  }

  fake::FakeMainLoop loop;
  fake::FakeScreens screens;
  FakeMouseMonitor monitor;
  std::shared_ptr<fake::FakePetPanel> panel = std::make_shared<fake::FakePetPanel>(nullptr);
  std::shared_ptr<DragController> drag = std::make_shared<DragController>(loop, screens, monitor);
  std::vector<DragEvent> events;
  std::vector<std::string> log;
};

TEST_F(DragControllerTest, ButtonAlreadyUpEndsAtOnce) {
  screens.setPressedButtons(2);  // only the right button
  drag->begin();
  EXPECT_EQ(log, (std::vector<std::string>{"end", "finish"}));
  EXPECT_EQ(events[0], (DragEvent{"end", {150, 160}, {100, 100}, 1000000}));
  EXPECT_FALSE(drag->active());
  EXPECT_TRUE(monitor.added().empty());
}

TEST_F(DragControllerTest, BeginInstallsLocalAndGlobalMonitorsOnce) {
  drag->begin();
  EXPECT_TRUE(drag->active());
  EXPECT_EQ(drag->offset(), (GPoint{50, 60}));
  EXPECT_EQ(monitor.live(), (std::vector<FakeMouseMonitor::Record>{{Kind::local, 100}, {Kind::global, 100}}));

  screens.setPointer({10, 10});
  drag->begin();  // a second begin changes nothing
  EXPECT_EQ(drag->offset(), (GPoint{50, 60}));
  EXPECT_EQ(monitor.added().size(), 2u);
  EXPECT_TRUE(events.empty());  // no event when a drag begins
}

TEST_F(DragControllerTest, MovesKeepThePointerOffsetAndReleaseEndsOnce) {
  drag->begin();
  screens.setPointer({170, 150});
  monitor.emitLocal(MouseEventType::leftMouseDragged, 12.3456);
  screens.setPointer({400, 500});
  monitor.emitGlobal(MouseEventType::leftMouseDragged, 12.4);
  EXPECT_EQ(panel->frame(), (GRect{350, 440, 200, 200}));

  screens.setPointer({401, 502});
  monitor.emitGlobal(MouseEventType::leftMouseUp, 13.0005);
  monitor.emitLocal(MouseEventType::leftMouseUp, 13.1);  // the monitors are gone: nothing more
  EXPECT_EQ(events, (std::vector<DragEvent>{
                        {"move", {170, 150}, {120, 90}, 12346},
                        {"move", {400, 500}, {350, 440}, 12400},
                        {"end", {401, 502}, {351, 442}, 13001},
                    }));
  EXPECT_EQ(log.back(), "finish");
  EXPECT_EQ(panel->frame(), (GRect{351, 442, 200, 200}));
  EXPECT_TRUE(monitor.live().empty());
  EXPECT_EQ(monitor.removed().size(), 2u);
}

TEST_F(DragControllerTest, MouseMovedMeansTheButtonWasReleasedUnseen) {
  drag->begin();
  screens.setPointer({300, 300});
  monitor.emitGlobal(MouseEventType::mouseMoved, 20);
  EXPECT_EQ(log, (std::vector<std::string>{"end", "finish"}));
  EXPECT_EQ(events[0].origin, (GPoint{100, 100}));  // not moved
  EXPECT_EQ(panel->count("setFrameOrigin"), 0);
}

TEST_F(DragControllerTest, CancelOnlyWhileActive) {
  drag->cancel();
  EXPECT_TRUE(log.empty());

  drag->begin();
  loop.advance(0.25);
  drag->cancel();
  drag->cancel();
  EXPECT_EQ(log, (std::vector<std::string>{"cancel", "finish"}));
  EXPECT_EQ(events[0].t, 1000250);
  EXPECT_TRUE(monitor.live().empty());
}

TEST_F(DragControllerTest, GonePanel) {
  auto held = panel;
  drag->panel.reset();
  drag->begin();
  EXPECT_FALSE(drag->active());

  drag->panel = panel;
  panel->orderOut();  // nor a hidden one
  drag->begin();
  EXPECT_FALSE(drag->active());

  panel->orderFrontRegardless();
  drag->begin();
  drag->panel.reset();
  screens.setPointer({200, 200});
  monitor.emitLocal(MouseEventType::leftMouseDragged, 1);  // nothing to move, nothing reported
  monitor.emitLocal(MouseEventType::leftMouseUp, 2);
  EXPECT_EQ(events, (std::vector<DragEvent>{{"end", {200, 200}, {150, 140}, 2000}}));
}

TEST_F(DragControllerTest, RefusedMonitorsStillLetACancelEndTheDrag) {
  monitor.setRefuseMonitors(true);
  drag->begin();
  EXPECT_TRUE(drag->active());
  EXPECT_FALSE(drag->hasLocalMonitor() || drag->hasGlobalMonitor());
  drag->cancel();
  EXPECT_EQ(log, (std::vector<std::string>{"cancel", "finish"}));
}

TEST_F(DragControllerTest, OneRefusedMonitorLeavesTheOtherToEndTheDrag) {
  monitor.failNextAdd();  // the local one
  drag->begin();
  EXPECT_EQ(monitor.live(), (std::vector<FakeMouseMonitor::Record>{{Kind::global, 100}}));
  monitor.emitGlobal(MouseEventType::leftMouseUp, 3);
  EXPECT_EQ(log, (std::vector<std::string>{"end", "finish"}));
}

TEST_F(DragControllerTest, OwnerDroppingTheControllerInItsEventIsSafe) {
  drag->onEvent = [this](const DragEvent&) { drag.reset(); };
  drag->begin();
  monitor.emitLocal(MouseEventType::leftMouseUp, 1);
  EXPECT_EQ(drag, nullptr);
  EXPECT_TRUE(monitor.live().empty());
}

TEST_F(DragControllerTest, DroppedControllerRemovesItsMonitors) {
  drag->begin();
  drag.reset();
  EXPECT_TRUE(monitor.live().empty());
  monitor.emitLocal(MouseEventType::leftMouseUp, 1);
  EXPECT_TRUE(log.empty());
}

TEST(DragControllerTime, MillisecondsRoundHalfAwayFromZero) {
  const std::pair<double, double> table[] = {
      {12.3456, 12346}, {0.0005, 1}, {-0.0005, -1}, {0.0004, 0}, {1000.25, 1000250}, {0, 0},
  };
  for (const auto& [seconds, ms] : table) EXPECT_EQ(DragController::milliseconds(seconds), ms) << seconds;
}

}  // namespace
}  // namespace brindlow
