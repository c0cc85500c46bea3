#include "services/SystemWatch.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/fake/FakeMainLoop.h"
#include "platform/fake/FakePetPanel.h"
#include "platform/fake/FakeProcessInfo.h"
#include "platform/fake/FakeScreens.h"
#include "platform/fake/FakeSystemEvents.h"
#include "platform/fake/FakeWindowServer.h"

namespace brindlow {
namespace {

using platform::SystemEvent;

// Every callback of the watch lands in one ordered log: "visibility:locked,screensAsleep", "willSleep", ...
class SystemWatchTest : public ::testing::Test {
 protected:
  SystemWatchTest() {
    watch = std::make_shared<SystemWatch>(loop, events, screens, process, [this] { return lang; });
    watch->handlers.visibility = [this](const VisibilityInfo& v) {
      std::string text = "visibility:";
      for (size_t i = 0; i < v.reasons.size(); ++i) text += (i ? "," : "") + std::string(rawValue(v.reasons[i]));
      calls.push_back(text);
      EXPECT_EQ(v.visible, v.reasons.empty());
    };
    watch->handlers.screens = [this] { calls.push_back("screens"); };
    watch->handlers.power = [this](const PowerInfo& p) {
      calls.push_back("power:" + std::string(p.lowPower ? "low," : "") + p.thermal);
    };
    watch->handlers.deviceLang = [this] { calls.push_back("deviceLang"); };
    watch->handlers.willSleep = [this] { calls.push_back("willSleep"); };
    watch->handlers.didWake = [this] { calls.push_back("didWake"); };
    watch->handlers.willPowerOff = [this] { calls.push_back("willPowerOff"); };
  }

  std::vector<std::string> take() { return std::exchange(calls, {}); }
  using Calls = std::vector<std::string>;

  fake::FakeMainLoop loop;
  fake::FakeSystemEvents events;
  fake::FakeScreens screens;
  fake::FakeProcessInfo process;
  Lang lang = Lang::en;
  std::shared_ptr<SystemWatch> watch;
  Calls calls;
};

TEST_F(SystemWatchTest, FirstReasonChangeAlwaysReportsThenOnlyChanges) {
  // The hello reply's read neither causes nor suppresses a report.
  EXPECT_EQ(watch->visibility(), (VisibilityInfo{true, {}}));
  watch->setReason(HiddenReason::occluded, false);
  EXPECT_EQ(take(), Calls{"visibility:"});
  watch->start();
  events.emit(SystemEvent::screenIsLocked);
  events.emit(SystemEvent::screenIsLocked);
  EXPECT_EQ(take(), Calls{"visibility:locked"});
  EXPECT_EQ(watch->visibility(), (VisibilityInfo{false, {HiddenReason::locked}}));
  EXPECT_EQ(take(), Calls{});
}

TEST_F(SystemWatchTest, StartInsideALockedOrInactiveSessionReportsItOnce) {
  const std::pair<platform::SessionState, Calls> cases[] = {
      {{.locked = false, .active = true}, {}},
      {{.locked = true, .active = true}, {"visibility:locked"}},
      {{.locked = false, .active = false}, {"visibility:sessionInactive"}},
      {{.locked = true, .active = false}, {"visibility:locked,sessionInactive"}},
  };
  for (const auto& [session, reported] : cases) {
    auto fresh = std::make_shared<SystemWatch>(loop, events, screens, process, [] { return Lang::en; });
    fresh->handlers.visibility = watch->handlers.visibility;
    events.session = session;
    fresh->start();
    EXPECT_EQ(take(), reported);
    // The state read at start leaves by its event like any other.
    events.emit(SystemEvent::screenIsUnlocked);
    events.emit(SystemEvent::sessionDidBecomeActive);
    EXPECT_EQ(fresh->visibility(), (VisibilityInfo{true, {}}));
    take();
  }
}

TEST_F(SystemWatchTest, ReasonsKeepTheirFixedOrderWhateverTheArrival) {
  watch->start();
  for (auto e : {SystemEvent::sessionDidResignActive, SystemEvent::screensDidSleep, SystemEvent::screenIsLocked}) {
    events.emit(e);
  }
  watch->setReason(HiddenReason::occluded, true);
  EXPECT_EQ(take(), (Calls{"visibility:sessionInactive", "visibility:screensAsleep,sessionInactive",
                           "visibility:locked,screensAsleep,sessionInactive",
                           "visibility:occluded,locked,screensAsleep,sessionInactive"}));
  // Each reason leaves only by its own notification.
  events.emit(SystemEvent::screensDidWake);
  events.emit(SystemEvent::sessionDidBecomeActive);
  events.emit(SystemEvent::sessionDidBecomeActive);
  EXPECT_EQ(take(), (Calls{"visibility:occluded,locked,sessionInactive", "visibility:occluded,locked"}));
}

TEST_F(SystemWatchTest, SleepWakeUnlockAndPowerOffRunInTheirOrder) {
  watch->start();
  events.emit(SystemEvent::willSleep);
  EXPECT_EQ(take(), (Calls{"willSleep", "visibility:systemSleep"}));
  events.emit(SystemEvent::didWake);
  EXPECT_EQ(take(), (Calls{"visibility:", "didWake"}));
  // An unlock is also a wake, slept or not.
  events.emit(SystemEvent::screenIsLocked);
  events.emit(SystemEvent::screenIsUnlocked);
  EXPECT_EQ(take(), (Calls{"visibility:locked", "visibility:", "didWake"}));
  events.emit(SystemEvent::screenIsUnlocked);
  EXPECT_EQ(take(), Calls{"didWake"});
  events.emit(SystemEvent::willPowerOff);
  EXPECT_EQ(take(), Calls{"willPowerOff"});
}

TEST_F(SystemWatchTest, StartObservesEverythingAndStopRemovesItAll) {
  watch->start();
  EXPECT_EQ(events.observerCount(), 12u);
  EXPECT_EQ(screens.subscriberCount(), 1u);
  for (auto e : {SystemEvent::screensDidSleep, SystemEvent::willSleep, SystemEvent::screenIsUnlocked,
                 SystemEvent::thermalStateChanged, SystemEvent::currentLocaleChanged}) {
    EXPECT_EQ(events.observerCount(e), 1u);
  }
  EXPECT_EQ(events.observerCount(SystemEvent::screenParametersChanged), 0u);  // the screens report it
  screens.emitParametersChanged();
  watch->stop();
  EXPECT_EQ(events.observerCount(), 0u);
  EXPECT_EQ(screens.subscriberCount(), 0u);
  EXPECT_EQ(loop.pendingTimers(), 0u);
  loop.advance(1);
  EXPECT_EQ(take(), Calls{});
}

TEST_F(SystemWatchTest, ScreenBurstGivesOneReportAfterTheLastThenRechecksOcclusion) {
  fake::FakeWindowServer server;
  std::shared_ptr<platform::PetPanel> panel = server.createPetPanel();  // ordered out
  watch->watch(panel);
  watch->occlusionArmed = true;
  watch->start();
  const double t0 = loop.uptime();
  for (int i = 0; i < 3; ++i) {
    screens.emitParametersChanged();
    loop.advance(0.125);
  }
  EXPECT_EQ(take(), Calls{});
  loop.advance(0.3 - 0.125 - 0.01);
  EXPECT_EQ(take(), Calls{});
  loop.advance(0.02);
  EXPECT_EQ(take(), (Calls{"screens", "visibility:occluded"}));
  EXPECT_NEAR(loop.uptime() - t0, 0.25 + 0.31, 1e-9);
  EXPECT_EQ(loop.pendingTimers(), 0u);
}

TEST_F(SystemWatchTest, OcclusionCountsOnlyOnceArmed) {
  fake::FakeWindowServer server;
  std::shared_ptr<platform::PetPanel> panel = server.createPetPanel();
  auto* fakePanel = static_cast<fake::FakePetPanel*>(panel.get());
  watch->watch(panel);
  EXPECT_EQ(take(), Calls{});  // watching runs no recheck
  fakePanel->orderFrontRegardless();
  fakePanel->setOcclusionVisible(false);
  EXPECT_EQ(take(), Calls{"visibility:"});  // not armed: "occluded" is removed
  watch->occlusionArmed = true;
  watch->recheckOcclusion();
  EXPECT_EQ(take(), Calls{"visibility:occluded"});
  fakePanel->setOcclusionVisible(true);
  EXPECT_EQ(take(), Calls{"visibility:"});
  fakePanel->orderOut();  // ordered out counts as occluded
  watch->recheckOcclusion();
  EXPECT_EQ(take(), Calls{"visibility:occluded"});
  // Once the panel is gone, "occluded" stays as last set.
  panel.reset();
  watch->occlusionArmed = false;
  watch->recheckOcclusion();
  EXPECT_EQ(take(), Calls{});
  EXPECT_EQ(watch->visibility().reasons, std::vector<HiddenReason>{HiddenReason::occluded});
}

TEST_F(SystemWatchTest, PowerReportsOnlyChangesFromTheStartBaseline) {
  process.setThermalState(2);
  watch->start();
  events.emit(SystemEvent::powerStateChanged);
  events.emit(SystemEvent::thermalStateChanged);
  EXPECT_EQ(take(), Calls{});
  process.setLowPowerMode(true);
  events.emit(SystemEvent::powerStateChanged);
  process.setThermalState(3);
  events.emit(SystemEvent::thermalStateChanged);
  process.setThermalState(0);
  events.emit(SystemEvent::thermalStateChanged);
  process.setThermalState(9);  // unknown states read "nominal": no change
  events.emit(SystemEvent::thermalStateChanged);
  EXPECT_EQ(take(), (Calls{"power:low,serious", "power:low,critical", "power:low,nominal"}));
  EXPECT_EQ(watch->currentPower(), (PowerInfo{true, "nominal"}));
}

TEST(SystemWatchThermal, NamesEveryRawState) {
  const std::vector<std::pair<int, std::string>> cases{
      {0, "nominal"}, {1, "fair"}, {2, "serious"}, {3, "critical"}, {4, "nominal"}, {-1, "nominal"}};
  for (const auto& [raw, name] : cases) EXPECT_EQ(SystemWatch::thermalName(raw), name) << raw;
}

TEST_F(SystemWatchTest, LanguageReportsOnlyWhenDetectionChanges) {
  watch->start();
  events.emit(SystemEvent::currentLocaleChanged);
  EXPECT_EQ(take(), Calls{});
  lang = Lang::ja;
  events.emit(SystemEvent::currentLocaleChanged);
  events.emit(SystemEvent::currentLocaleChanged);
  EXPECT_EQ(take(), Calls{"deviceLang"});
}

TEST_F(SystemWatchTest, NothingRunsOnceTheWatchIsGone) {
  fake::FakeWindowServer server;
  std::shared_ptr<platform::PetPanel> panel = server.createPetPanel();
  watch->watch(panel);
  watch->start();
  watch->start();  // a second start adds a second full set
  EXPECT_EQ(events.observerCount(SystemEvent::willSleep), 2u);
  screens.emitParametersChanged();
  watch.reset();
  events.emit(SystemEvent::willSleep);
  static_cast<fake::FakePetPanel*>(panel.get())->setOcclusionVisible(false);
  loop.advance(1);
  EXPECT_EQ(take(), Calls{});
  EXPECT_EQ(events.observerCount(), 0u);
}

}  // namespace
}  // namespace brindlow
