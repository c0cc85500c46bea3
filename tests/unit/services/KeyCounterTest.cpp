#include "services/KeyCounter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "platform/fake/FakeDefaults.h"
#include "platform/fake/FakeKeyTap.h"
#include "platform/fake/FakeMainLoop.h"
#include "support/LogCapture.h"

namespace brindlow {
namespace {

TEST(KeyBatcher, DebouncesAgainstTheLastCountedKeyAndIgnoresAutorepeat) {
  struct Key {
    double uptime;
    bool autorepeat;
  };
  const std::vector<std::pair<std::vector<Key>, int64_t>> cases = {
      {{{0.0, false}, {0.010, false}}, 1},                  // chatter
      {{{0.0, false}, {0.025, false}}, 2},                  // exactly the interval
      {{{0.0, false}, {0.020, false}, {0.040, false}}, 2},  // the rejected key does not move the reference
      {{{0.0, false}, {0.1, true}, {0.2, true}, {0.3, true}}, 1},
      {{{0.0, true}, {0.010, false}}, 1},  // an autorepeat does not move the reference either
  };
  for (const auto& [keys, counted] : cases) {
    KeyBatcher b;
    for (const auto& k : keys) b.record(k.autorepeat, k.uptime, 0);
    EXPECT_EQ(b.count, counted);
  }
}

TEST(KeyBatcher, TakeClosesTheBatchAndKeepsTheDebounceReference) {
  KeyBatcher b;
  EXPECT_EQ(b.take(), std::nullopt);
  EXPECT_TRUE(b.record(false, 5.0, 1700000000000.5));
  EXPECT_EQ(b.take(), (KeysEvent{1, 1700000000001.0, 0}));
  EXPECT_EQ(b.take(), std::nullopt);
  EXPECT_FALSE(b.record(false, 5.010, 0)) << "still within 25 ms of the last counted key";
  EXPECT_TRUE(b.record(false, 5.030, 0));

  EXPECT_DOUBLE_EQ(KeyBatcher::flushDelay(true), 0.1);
  EXPECT_DOUBLE_EQ(KeyBatcher::flushDelay(false), 1.0);
}

TEST(KeysEvent, MergedCoversBothBatches) {
  const KeysEvent a{3, 1000, 200}, b{2, 1500, 100};
  EXPECT_EQ(merged(a, b), (KeysEvent{5, 1500, 700}));
  EXPECT_EQ(merged(b, a), (KeysEvent{5, 1500, 700}));
  EXPECT_EQ(merged(a, std::nullopt), a);
  EXPECT_EQ(merged(a, KeysEvent{1, 900, 0}), (KeysEvent{4, 1000, 200}));
}

struct KeyCounterTest : ::testing::Test {
  KeyCounterTest() {
    tap.preflight = true;
    counter->onBatch = [this](const KeysEvent& e) { batches.push_back({e, loop.uptime() - t0}); };
  }
  // A key down `ms` milliseconds after the start.
  void keyAt(double ms, bool autorepeat = false) {
    loop.advance(t0 + ms / 1000 - loop.uptime());
    tap.emitKeyDown(autorepeat);
  }

  struct Delivered {
    KeysEvent event;
    double at;  // seconds after the start
  };
  test::LogCapture log;
  fake::FakeMainLoop loop;
  fake::FakeKeyTap tap;
  fake::FakeDefaults defaults;
  std::shared_ptr<KeyCounter> counter = std::make_shared<KeyCounter>(tap, defaults, loop);
  std::vector<Delivered> batches;
  const double t0 = loop.uptime();
};

TEST_F(KeyCounterTest, VisibleBatchFlushesATenthAfterItsFirstKey) {
  ASSERT_TRUE(counter->start());
  const double wall0 = loop.now();
  keyAt(0);
  keyAt(30);
  keyAt(60);
  keyAt(99);  // 39 ms after the last: counted
  keyAt(150);
  loop.advance(0.5);
  ASSERT_EQ(batches.size(), 2u);
  EXPECT_EQ(batches[0].event.n, 4);
  EXPECT_EQ(batches[0].event.span, 99);
  EXPECT_EQ(batches[0].event.at, std::round((wall0 + 0.099) * 1000));
  EXPECT_NEAR(batches[0].at, 0.1, 1e-9);
  EXPECT_EQ(batches[1].event, (KeysEvent{1, std::round((wall0 + 0.150) * 1000), 0}));
  EXPECT_NEAR(batches[1].at, 0.25, 1e-9);
}

TEST_F(KeyCounterTest, NoKeyCountsWhileTheSessionIsAway) {
  ASSERT_TRUE(counter->start());
  keyAt(0);
  counter->sessionAway = true;  // the batch already open still goes out
  keyAt(40);
  keyAt(200);
  keyAt(1990);
  counter->sessionAway = false;
  keyAt(2000);  // 10 ms after a key on the lock screen: that one did not move the debounce
  loop.advance(0.5);
  ASSERT_EQ(batches.size(), 2u);
  EXPECT_EQ(batches[0].event.n, 1);
  EXPECT_EQ(batches[1].event.n, 1);
  EXPECT_NEAR(batches[1].at, 2.1, 1e-9);
}

TEST_F(KeyCounterTest, HiddenBatchFlushesAfterOneSecondAndTheDelayIsFixedWhenItOpens) {
  counter->visible = false;
  ASSERT_TRUE(counter->start());
  keyAt(0);
  counter->visible = true;
  keyAt(500);
  loop.advance(0.49);
  EXPECT_TRUE(batches.empty());
  loop.advance(0.02);
  ASSERT_EQ(batches.size(), 1u);
  EXPECT_EQ(batches[0].event.n, 2);
  EXPECT_NEAR(batches[0].at, 1.0, 1e-9);
}

TEST_F(KeyCounterTest, KeysReadInABurstKeepTheirPressTimes) {
  ASSERT_TRUE(counter->start());
  const double wall0 = loop.now();
  // Three keys 40 ms apart reach the loop together, 90 ms after the first was pressed.
  loop.advance(0.09);
  tap.emitKeyDownPressedAt(t0);
  tap.emitKeyDownPressedAt(t0 + 0.04);
  tap.emitKeyDownPressedAt(t0 + 0.08);
  loop.advance(1);
  ASSERT_EQ(batches.size(), 1u);
  EXPECT_EQ(batches[0].event.n, 3);
  EXPECT_EQ(batches[0].event.span, 80);
  EXPECT_EQ(batches[0].event.at, std::round((wall0 + 0.08) * 1000));
}

TEST_F(KeyCounterTest, HeldKeyCountsOnce) {
  ASSERT_TRUE(counter->start());
  keyAt(0);
  for (int ms = 30; ms < 95; ms += 30) keyAt(ms, true);
  loop.advance(1);
  ASSERT_EQ(batches.size(), 1u);
  EXPECT_EQ(batches[0].event.n, 1);
  EXPECT_EQ(batches[0].event.span, 0);
}

TEST_F(KeyCounterTest, StartNeedsAccessOrAnEarlierRequest) {
  tap.preflight = false;
  EXPECT_FALSE(counter->start());
  EXPECT_EQ(tap.createCalls, 0);
  EXPECT_TRUE(log.lines().empty());

  defaults.setBool("perm.inputAsked", true);
  EXPECT_TRUE(counter->start());
  EXPECT_TRUE(counter->start());
  EXPECT_EQ(tap.createCalls, 1);
  EXPECT_EQ(tap.liveTaps(), 1u);
}

TEST_F(KeyCounterTest, WhereTheYesIsThePermissionOnlyTheYesStartsATap) {
  tap.consentMode = true;
  tap.preflight = false;
  defaults.setBool("perm.inputAsked", true);  // asked once, the yes withdrawn since
  EXPECT_FALSE(counter->start());
  EXPECT_EQ(tap.createCalls, 0);
  EXPECT_TRUE(log.lines().empty());

  tap.requestListenAccess();
  EXPECT_TRUE(counter->start());
  EXPECT_EQ(tap.liveTaps(), 1u);
}

TEST_F(KeyCounterTest, CreateFailureLogsOnceAndALaterStartRetries) {
  tap.failCreate = true;
  EXPECT_FALSE(counter->start());
  EXPECT_FALSE(counter->start());
  EXPECT_EQ(log.lines(), std::vector<std::string>{"key tap: create failed"});
  EXPECT_FALSE(counter->isCounting());

  tap.failCreate = false;
  EXPECT_TRUE(counter->start());
  keyAt(0);
  loop.advance(1);
  EXPECT_EQ(batches.size(), 1u);
}

TEST_F(KeyCounterTest, StopDropsTheOpenBatchAndRestartsFresh) {
  ASSERT_TRUE(counter->start());
  keyAt(0);
  keyAt(40);
  counter->stop();
  EXPECT_TRUE(tap.taps()[0]->invalidated);
  EXPECT_EQ(tap.taps()[0]->setEnabledCalls, std::vector<bool>{false});
  loop.advance(1);
  EXPECT_TRUE(batches.empty());

  tap.emitKeyDown();  // the old tap is gone
  ASSERT_TRUE(counter->start());
  keyAt(1100);
  keyAt(1110);  // 10 ms: debounced, the fresh batcher still counts the first
  loop.advance(1);
  ASSERT_EQ(batches.size(), 1u);
  EXPECT_EQ(batches[0].event.n, 1);
}

TEST_F(KeyCounterTest, DisabledTapIsEnabledAgain) {
  ASSERT_TRUE(counter->start());
  for (auto kind : {platform::KeyTapEventKind::disabledByTimeout, platform::KeyTapEventKind::disabledByUserInput}) {
    tap.emitDisabled(kind);
    EXPECT_TRUE(tap.taps()[0]->enabled);
  }
  EXPECT_EQ(tap.taps()[0]->setEnabledCalls, (std::vector<bool>{true, true}));
  tap.emitOther();
  keyAt(0);
  loop.advance(1);
  ASSERT_EQ(batches.size(), 1u);
}

TEST_F(KeyCounterTest, ReleasedCounterStopsTheTapAndItsFlushDoesNothing) {
  ASSERT_TRUE(counter->start());
  keyAt(0);
  counter.reset();
  EXPECT_TRUE(tap.taps()[0]->invalidated);
  loop.advance(1);
  EXPECT_TRUE(batches.empty());
  EXPECT_EQ(loop.pendingTimers(), 0u);
}

}  // namespace
}  // namespace brindlow
