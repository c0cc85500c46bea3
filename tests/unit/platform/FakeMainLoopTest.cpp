#include "platform/fake/FakeMainLoop.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace brindlow::fake {
namespace {

TEST(FakeMainLoop, TimersFireByDeadlineWithClockAtDeadline) {
  FakeMainLoop loop;
  const double start = loop.uptime();
  std::vector<std::string> order;
  std::vector<double> at;
  auto b = loop.scheduleAfter(0.5, [&] { order.push_back("b"); at.push_back(loop.uptime() - start); });
  auto a = loop.scheduleAfter(0.2, [&] { order.push_back("a"); at.push_back(loop.uptime() - start); });
  auto tie = loop.scheduleAfter(0.2, [&] { order.push_back("a2"); });
  loop.advance(0.3);
  EXPECT_EQ(order, (std::vector<std::string>{"a", "a2"}));
  EXPECT_TRUE(b.isPending());
  EXPECT_FALSE(a.isPending());
  loop.advance(1);
  EXPECT_EQ(order, (std::vector<std::string>{"a", "a2", "b"}));
  EXPECT_NEAR(at[0], 0.2, 1e-9);
  EXPECT_NEAR(at[1], 0.5, 1e-9);
  EXPECT_NEAR(loop.uptime() - start, 1.3, 1e-9);
}

TEST(FakeMainLoop, DroppedHandleCancels) {
  FakeMainLoop loop;
  int fired = 0;
  { auto h = loop.scheduleAfter(0.1, [&] { ++fired; }); }
  auto kept = loop.scheduleAfter(0.1, [&] { ++fired; });
  kept.cancel();
  loop.advance(1);
  EXPECT_EQ(fired, 0);
  EXPECT_EQ(loop.pendingTimers(), 0u);
}

TEST(FakeMainLoop, PostIsFifoAndNeverInline) {
  FakeMainLoop loop;
  std::vector<int> order;
  loop.post([&] {
    order.push_back(1);
    loop.post([&] { order.push_back(3); });
  });
  loop.post([&] { order.push_back(2); });
  EXPECT_TRUE(order.empty());
  loop.runPosted();
  EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
}

TEST(FakeMainLoop, WallTimersFollowWallJumps) {
  FakeMainLoop loop;
  int fired = 0;
  auto h = loop.scheduleAtWallTime(loop.now() + 3600, [&] { ++fired; });
  loop.advance(10);
  EXPECT_EQ(fired, 0);
  loop.setWall(loop.now() + 3600);
  EXPECT_EQ(fired, 1);
  auto h2 = loop.scheduleAtWallTime(loop.now() + 5, [&] { ++fired; });
  loop.advance(5);
  EXPECT_EQ(fired, 2);
}

TEST(FakeMainLoop, TimerScheduledFromTimerRunsInSameAdvance) {
  FakeMainLoop loop;
  platform::TaskHandle second;
  int fired = 0;
  auto first = loop.scheduleAfter(0.1, [&] { second = loop.scheduleAfter(0.1, [&] { ++fired; }); });
  loop.advance(0.25);
  EXPECT_EQ(fired, 1);
}

}  // namespace
}  // namespace brindlow::fake
