#include "services/AppWindows.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/fake/FakeMainLoop.h"
#include "platform/fake/FakeMouseMonitor.h"
#include "platform/fake/FakeProcessInfo.h"
#include "platform/fake/FakeWindowList.h"
#include "platform/fake/FakeWorkspace.h"
#include "services/WindowWatchPace.h"
#include "support/LogCapture.h"

namespace brindlow {
namespace {

using platform::MouseEventType;
using platform::RawWindowEntry;

RawWindowEntry window(int64_t number, double x = 10) {
  return RawWindowEntry{number, 77, 0, std::nullopt, GRect{x, 20, 300, 200}};
}
Surface onWindow() { return Surface{"w1", SurfaceKind::window, 10, 20, 300, "s"}; }
Surface onBottom() { return Surface{"b", SurfaceKind::screenBottom, 0, 900, 1440, "s"}; }

class AppWindowsTest : public ::testing::Test {
 protected:
  AppWindowsTest() {
    windows = std::make_shared<AppWindows>(loop, list, mouse, workspace, process);
    windows->onChange = [this](const std::vector<AppWindow>& w) { reports.push_back(w); };
    windows->mode = GroundMode::windows;
    list.setEntries({window(1)});
  }

  // Starts watching and lets the first tick (1 s after the start) read.
  void startAndFirstTick() {
    windows->followSurface(onWindow());
    loop.advance(1.0);
    ASSERT_EQ(list.reads(), 1u);
  }
  double sinceStart() const { return loop.uptime() - start; }

  test::LogCapture log;
  fake::FakeMainLoop loop;
  double start = loop.uptime();
  fake::FakeWindowList list;
  fake::FakeMouseMonitor mouse;
  fake::FakeWorkspace workspace;
  fake::FakeProcessInfo process;
  std::shared_ptr<AppWindows> windows;
  std::vector<std::vector<AppWindow>> reports;
};

TEST_F(AppWindowsTest, ListReadsOnlyInWindowsModeAndSetsTheBaseline) {
  for (auto mode : {GroundMode::bottom, GroundMode::placed}) {
    windows->mode = mode;
    EXPECT_TRUE(windows->list().empty());
  }
  EXPECT_EQ(list.reads(), 0u);
  windows->mode = GroundMode::windows;
  EXPECT_EQ(windows->list(), (std::vector<AppWindow>{{1, 10, 20, 300, 200}}));
  EXPECT_EQ(loop.pendingTimers(), 0u);
  // The page already has this list: the first tick reports nothing.
  windows->followSurface(onWindow());
  loop.advance(1.0);
  EXPECT_EQ(list.reads(), 2u);
  EXPECT_TRUE(reports.empty());
}

TEST_F(AppWindowsTest, FollowSurfaceStartsOnceOnAWindowAndStopsOtherwise) {
  windows->followSurface(onWindow());
  windows->followSurface(onWindow());
  EXPECT_TRUE(windows->watching());
  EXPECT_EQ(mouse.liveCount(fake::FakeMouseMonitor::Kind::global), 2u);
  EXPECT_EQ(workspace.observerCount(platform::WorkspaceEvent::activeSpaceDidChange), 1u);
  EXPECT_EQ(workspace.observerCount(platform::WorkspaceEvent::didTerminateApplication), 1u);
  EXPECT_EQ(loop.pendingTimers(), 1u);

  windows->followSurface(onBottom());
  EXPECT_FALSE(windows->watching());
  EXPECT_EQ(mouse.liveCount(fake::FakeMouseMonitor::Kind::global), 0u);
  EXPECT_EQ(workspace.observerCount(platform::WorkspaceEvent::activeSpaceDidChange), 0u);
  EXPECT_EQ(loop.pendingTimers(), 0u);

  windows->followSurface(onWindow());
  windows->mode = GroundMode::placed;
  windows->followSurface(onWindow());
  EXPECT_FALSE(windows->watching());
  windows->mode = GroundMode::windows;
  windows->followSurface(std::nullopt);
  EXPECT_FALSE(windows->watching());
  loop.advance(10);
  EXPECT_EQ(list.reads(), 0u);
}

TEST_F(AppWindowsTest, IdleIntervalGrowsToFourSecondsAndFallsBackOnAChange) {
  startAndFirstTick();
  EXPECT_EQ(reports.size(), 1u);  // the first list differs from the empty baseline
  std::vector<double> readsAt;
  list.setEntries({window(1)});
  for (int i = 0; i < 4; ++i) {
    loop.advance(*loop.nextDeadline() - loop.uptime());
    readsAt.push_back(sinceStart());
  }
  // 1 s after the changed first read, then 2, 4, 4.
  EXPECT_EQ(readsAt, (std::vector<double>{2, 4, 8, 12}));
  EXPECT_DOUBLE_EQ(windows->idle(), 4.0);
  EXPECT_EQ(reports.size(), 1u);

  list.setEntries({window(1, 50)});
  loop.advance(4);
  EXPECT_EQ(reports.size(), 2u);
  EXPECT_EQ(reports.back(), (std::vector<AppWindow>{{1, 50, 20, 300, 200}}));
  EXPECT_DOUBLE_EQ(windows->idle(), 1.0);
  EXPECT_EQ(*loop.nextDeadline() - loop.uptime(), 1.0);
}

TEST_F(AppWindowsTest, MouseReleaseWaitsOutTheEventGap) {
  startAndFirstTick();
  const double read = loop.uptime();
  loop.advance(0.0625);
  mouse.emitGlobal(MouseEventType::leftMouseUp, loop.uptime());
  EXPECT_EQ(list.reads(), 1u);
  EXPECT_NEAR(*loop.nextDeadline() - read, 0.2, 1e-9);  // 0.1375 s after the release
  loop.advance(0.2 - 0.0625);
  EXPECT_EQ(list.reads(), 2u);

  // Released well after the last read: reads at once.
  loop.advance(0.3);
  mouse.emitGlobal(MouseEventType::leftMouseUp, loop.uptime());
  EXPECT_EQ(list.reads(), 3u);
}

TEST_F(AppWindowsTest, DragsAndSwitchesAreThrottledByTheirGaps) {
  startAndFirstTick();
  // A drag at 60 events a second for one second reads at most 15 times.
  for (int i = 0; i < 64; ++i) {
    mouse.emitGlobal(MouseEventType::leftMouseDragged, loop.uptime());
    loop.advance(1.0 / 64);
  }
  EXPECT_GE(list.reads(), 1u + 14u);
  EXPECT_LE(list.reads(), 1u + 16u);

  loop.advance(5);
  const size_t before = list.reads();
  workspace.emit(platform::WorkspaceEvent::didActivateApplication);
  workspace.emit(platform::WorkspaceEvent::activeSpaceDidChange);
  EXPECT_EQ(list.reads(), before + 1);  // the second is within the event gap
  loop.advance(0.25);
  EXPECT_EQ(list.reads(), before + 2);
}

TEST_F(AppWindowsTest, KeyBatchesUseTheKeyGap) {
  startAndFirstTick();
  const double read = loop.uptime();
  loop.advance(0.25);
  windows->throttle(WindowWatchPace::keyGap);
  EXPECT_NEAR(*loop.nextDeadline() - read, 1.0, 1e-9);
  windows->stop();
  windows->throttle(WindowWatchPace::keyGap);
  EXPECT_EQ(loop.pendingTimers(), 0u);
}

TEST_F(AppWindowsTest, ScheduleKeepsTheEarlierDeadline) {
  windows->followSurface(onWindow());  // a tick is due in 1 s
  windows->schedule(2.0);
  EXPECT_EQ(*loop.nextDeadline() - start, 1.0);
  windows->schedule(0.5);
  EXPECT_EQ(*loop.nextDeadline() - start, 0.5);
  EXPECT_EQ(loop.pendingTimers(), 1u);
  loop.advance(0.5);
  EXPECT_EQ(list.reads(), 1u);
}

TEST_F(AppWindowsTest, StopEndsEveryTriggerAndKeepsTheBaseline) {
  startAndFirstTick();
  windows->stop();
  mouse.emitGlobal(MouseEventType::leftMouseUp, loop.uptime());
  workspace.emit(platform::WorkspaceEvent::didHideApplication);
  windows->tick();
  loop.advance(10);
  EXPECT_EQ(list.reads(), 1u);
  // Watching again with the same windows reports nothing new.
  windows->followSurface(onWindow());
  loop.advance(1);
  EXPECT_EQ(list.reads(), 2u);
  EXPECT_EQ(reports.size(), 1u);
}

TEST_F(AppWindowsTest, RefusedMonitorsLeaveTheIdleTicks) {
  mouse.setRefuseMonitors(true);
  windows->followSurface(onWindow());
  EXPECT_EQ(mouse.liveCount(fake::FakeMouseMonitor::Kind::global), 0u);
  loop.advance(1);
  EXPECT_EQ(list.reads(), 1u);
}

TEST_F(AppWindowsTest, UnavailableListReportsEmptyOnceAndLogsOnce) {
  startAndFirstTick();
  list.setUnavailable();
  loop.advance(1);
  loop.advance(2);
  EXPECT_EQ(list.reads(), 3u);
  ASSERT_EQ(reports.size(), 2u);
  EXPECT_TRUE(reports.back().empty());
  EXPECT_EQ(log.lines(), std::vector<std::string>{"windows: window list unavailable"});
}

TEST_F(AppWindowsTest, NothingRunsOnceTheWatcherIsGone) {
  windows->followSurface(onWindow());
  windows.reset();
  mouse.emitGlobal(MouseEventType::leftMouseUp, loop.uptime());
  workspace.emit(platform::WorkspaceEvent::didActivateApplication);
  loop.advance(5);
  EXPECT_EQ(list.reads(), 0u);
}

TEST_F(AppWindowsTest, AReportMayStopOrDropTheWatcher) {
  windows->onChange = [this](const std::vector<AppWindow>&) { windows->followSurface(onBottom()); };
  windows->followSurface(onWindow());
  loop.advance(1);
  EXPECT_FALSE(windows->watching());
  EXPECT_EQ(loop.pendingTimers(), 0u);

  // A listener that asks for the list again still holds the list it was given.
  windows->onChange = [this](const std::vector<AppWindow>& w) {
    list.setEntries({window(3), window(4), window(5)});
    EXPECT_EQ(windows->list().size(), 3u);
    EXPECT_EQ(w, (std::vector<AppWindow>{{2, 10, 20, 300, 200}}));
  };
  list.setEntries({window(2)});
  windows->followSurface(onWindow());
  loop.advance(1);
  windows->followSurface(onBottom());

  windows->onChange = [this](const std::vector<AppWindow>&) { windows.reset(); };
  list.setEntries({window(2)});
  windows->followSurface(onWindow());
  loop.advance(1);
  EXPECT_EQ(windows, nullptr);
  EXPECT_EQ(loop.pendingTimers(), 0u);
}

}  // namespace
}  // namespace brindlow
