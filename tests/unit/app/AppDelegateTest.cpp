#include "app/AppDelegate.h"

#include <gtest/gtest.h>

#include "platform/fake/FakePlatform.h"
#include "platform/fake/FakeWebView.h"
#include "support/LogCapture.h"

namespace brindlow {
namespace {

using platform::TerminateReply;

constexpr std::string_view kAppId = "org.example.brindlow";
constexpr int32_t kSelf = 4242;

class AppDelegateTest : public testing::Test {
 protected:
  AppDelegateTest() {
    fakes.processInfo.setProcessId(kSelf);
    fakes.processInfo.setApplicationId(std::string(kAppId));
    fakes.workspace.setInstances(std::string(kAppId), {kSelf});
  }

  void launch(std::vector<std::string> extra = {}) {
    std::vector<std::string> args{"/usr/bin/brindlow"};
    args.insert(args.end(), extra.begin(), extra.end());
    fakes.processInfo.setArguments(args);
    fakes.application.run(*delegate);
  }
  bool started() const { return !fakes.processInfo.automaticTerminationReasons().empty(); }

  test::LogCapture log;
  fake::FakePlatform fakes;
  std::shared_ptr<AppDelegate> delegate = std::make_shared<AppDelegate>(fakes.platform());
};

TEST_F(AppDelegateTest, StartDisablesAutomaticTerminationDetectsLanguageAndCreatesUpdater) {
  fakes.locale.setPreferredLanguages({"ja-JP"});
  launch();
  EXPECT_EQ(fakes.processInfo.automaticTerminationReasons(), std::vector<std::string>{"pet lives on the desktop"});
  EXPECT_EQ(delegate->lang(), Lang::ja);
  EXPECT_TRUE(delegate->updater().hasController());
  EXPECT_TRUE(log.lines().empty());
}

TEST_F(AppDelegateTest, LanguagePreferenceWinsOverTheSystemLanguage) {
  fakes.locale.setPreferredLanguages({"es-MX"});
  fakes.defaults.store("prefs.lang", std::string("ko"));
  launch();
  EXPECT_EQ(delegate->lang(), Lang::ko);
}

// A desktop where the user's yes is the permission: nothing is counted before it, the request records
// it, and once it is withdrawn the next refresh stops the counting.
TEST_F(AppDelegateTest, KeysAreCountedOnlyWhileTheUsersYesIsRecorded) {
  fakes.keyTap.consentMode = true;
  launch();
  EXPECT_EQ(fakes.keyTap.createCalls, 0);
  EXPECT_EQ(delegate->permission().status(), (PermissionInfo{"notGranted", false}));
  fakes.keyTap.emitKeyDown();
  fakes.loop.advance(2);
  EXPECT_FALSE(delegate->bridge().pendingKeys);

  delegate->status()->actions.permission();  // before the hello: the request itself
  fakes.loop.advance(InputPermission::pollInterval);
  EXPECT_EQ(fakes.keyTap.liveTaps(), 1u);
  fakes.keyTap.emitKeyDown();
  fakes.loop.advance(0.5);
  ASSERT_TRUE(delegate->bridge().pendingKeys);
  EXPECT_EQ(delegate->bridge().pendingKeys->n, 1);

  fakes.keyTap.preflight = false;
  delegate->permission().refresh();  // as before the menu opens
  EXPECT_EQ(fakes.keyTap.liveTaps(), 0u);
  EXPECT_EQ(delegate->permission().status(), (PermissionInfo{"notGranted", true}));
}

TEST_F(AppDelegateTest, StartCountsKeysAndHandsTheScreensToTheLandTerminationStopsCounting) {
  fakes.keyTap.preflight = true;
  launch();
  EXPECT_EQ(fakes.keyTap.liveTaps(), 1u);
  EXPECT_EQ(delegate->land().screens().size(), 1u);

  fakes.keyTap.preflight = false;
  delegate->permission().request();
  ASSERT_TRUE(delegate->permission().isPolling());
  fakes.application.terminate();
  fakes.loop.runPosted();
  ASSERT_TRUE(fakes.application.terminated());
  EXPECT_EQ(fakes.keyTap.liveTaps(), 0u);
  EXPECT_FALSE(delegate->permission().isPolling());
}

TEST_F(AppDelegateTest, ProcessEntryRunsAsAnAccessory) {
  EXPECT_EQ(runApplication(fakes.platform()), 0);
  EXPECT_EQ(fakes.application.policiesSet(), std::vector{platform::ActivationPolicy::accessory});
  EXPECT_TRUE(started());
}

TEST(AppDelegateArguments, RelaunchedPidIsASigned32BitDecimal) {
  struct Case {
    std::vector<std::string> args;
    std::optional<int32_t> pid;
  };
  const std::string flag = "-brindlow-relaunched";
  const std::vector<Case> cases = {
      {{"/bin/b", flag, "812"}, 812},
      {{"/bin/b", flag, "+12"}, 12},
      {{"/bin/b", flag, "-3"}, -3},
      {{"/bin/b", flag, "2147483647"}, 2147483647},
      {{"/bin/b", flag, "-2147483648"}, INT32_MIN},
      {{"/bin/b", "-x", flag, "7", flag, "8"}, 7},  // the first flag counts
      {{"/bin/b", flag}, std::nullopt},             // flag last
      {{"/bin/b", flag, ""}, std::nullopt},
      {{"/bin/b", flag, "abc"}, std::nullopt},
      {{"/bin/b", flag, "12a"}, std::nullopt},
      {{"/bin/b", flag, " 12"}, std::nullopt},
      {{"/bin/b", flag, "+"}, std::nullopt},
      {{"/bin/b", flag, "+-3"}, std::nullopt},
      {{"/bin/b", flag, "2147483648"}, std::nullopt},
      {{"/bin/b", flag, "-2147483649"}, std::nullopt},
      {{"/bin/b", flag, "99999999999999999999999"}, std::nullopt},
      {{"/bin/b", "812"}, std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(AppDelegate::relaunchedPid(c.args), c.pid) << testing::PrintToString(c.args);
  }
}

TEST_F(AppDelegateTest, MalformedRelaunchIdStartsWithoutWaiting) {
  fakes.workspace.setRunning(99, true);
  launch({"-brindlow-relaunched", "99x"});
  EXPECT_TRUE(started());
  EXPECT_EQ(fakes.workspace.runningQueries(99), 0);
}

TEST_F(AppDelegateTest, OldProcessAlreadyGoneStartsAtOnce) {
  launch({"-brindlow-relaunched", "99"});
  EXPECT_TRUE(started());
  fakes.loop.advance(1);
  EXPECT_EQ(fakes.workspace.runningQueries(99), 1);
}

TEST_F(AppDelegateTest, WaitsForTheOldProcessToEndThenStarts) {
  fakes.workspace.setRunning(99, true);
  launch({"-brindlow-relaunched", "99"});
  EXPECT_FALSE(started());
  fakes.loop.advance(0.2 * 3);
  EXPECT_FALSE(started());
  fakes.workspace.setRunning(99, false);
  fakes.workspace.setInstances(std::string(kAppId), {kSelf});  // the old instance is gone
  fakes.loop.advance(0.25);
  EXPECT_TRUE(started());
  const int queries = fakes.workspace.runningQueries(99);
  fakes.loop.advance(1);
  EXPECT_EQ(fakes.workspace.runningQueries(99), queries);
}

TEST_F(AppDelegateTest, OldProcessThatNeverEndsIsGivenFiftyRetriesThenTheNewOneQuits) {
  fakes.workspace.setRunning(99, true);
  fakes.workspace.setInstances(std::string(kAppId), {99, kSelf});
  launch({"-brindlow-relaunched", "99"});
  const double begin = fakes.loop.uptime();
  fakes.loop.advance(9.9);
  EXPECT_EQ(log.count("already running, quitting"), 0u);
  fakes.loop.advance(0.2);
  EXPECT_EQ(fakes.workspace.runningQueries(99), 51);  // attempt 0 and 50 retries
  EXPECT_NEAR(fakes.loop.uptime() - begin, 10.1, 1e-9);
  EXPECT_EQ(log.lines(), std::vector<std::string>{"already running, quitting"});
  EXPECT_FALSE(started());
  fakes.loop.runPosted();
  EXPECT_TRUE(fakes.application.terminated());
  EXPECT_EQ(fakes.application.shouldTerminateAnswers(), std::vector{TerminateReply::now});
  EXPECT_EQ(fakes.loop.pendingTimers(), 0u);
  EXPECT_TRUE(fakes.workspace.reopenRequests().empty());  // the old one is on its way out
}

TEST_F(AppDelegateTest, QuitWhileWaitingForTheOldProcessNeverStarts) {
  fakes.workspace.setRunning(99, true);
  launch({"-brindlow-relaunched", "99"});
  fakes.application.terminate();
  fakes.loop.runPosted();
  ASSERT_TRUE(fakes.application.terminated());
  fakes.workspace.setRunning(99, false);
  fakes.loop.advance(1);
  EXPECT_FALSE(started());
  EXPECT_EQ(fakes.workspace.runningQueries(99), 1);
}

TEST_F(AppDelegateTest, RetryDoesNothingOnceTheDelegateIsGone) {
  fakes.workspace.setRunning(99, true);
  launch({"-brindlow-relaunched", "99"});
  std::weak_ptr<AppDelegate> weak = delegate;
  delegate.reset();
  EXPECT_TRUE(weak.expired());
  fakes.loop.advance(1);
  EXPECT_EQ(fakes.workspace.runningQueries(99), 1);
}

TEST_F(AppDelegateTest, SecondCopyAsksTheRunningOneToReopenThenQuitsWithoutAFlush) {
  fakes.workspace.setInstances(std::string(kAppId), {kSelf, 17});
  launch();
  EXPECT_EQ(fakes.workspace.reopenRequests(), std::vector<std::string>{std::string(kAppId)});
  EXPECT_EQ(log.lines(), std::vector<std::string>{"already running, quitting"});
  EXPECT_TRUE(delegate->terminating());
  fakes.loop.runPosted();
  EXPECT_TRUE(fakes.application.terminated());
  EXPECT_EQ(fakes.application.shouldTerminateAnswers(), std::vector{TerminateReply::now});
  EXPECT_FALSE(started());
}

TEST_F(AppDelegateTest, SecondCopyWhoseReopenGoesUnansweredSaysSoAndStillQuits) {
  fakes.workspace.setInstances(std::string(kAppId), {kSelf, 17});
  fakes.workspace.setReopenResult(false);
  launch();
  EXPECT_EQ(log.lines(),
            (std::vector<std::string>{"reopen: the running instance did not answer", "already running, quitting"}));
  fakes.loop.runPosted();
  EXPECT_TRUE(fakes.application.terminated());
  EXPECT_FALSE(started());
}

TEST_F(AppDelegateTest, WithoutAnApplicationIdTheSingleInstanceCheckIsSkipped) {
  fakes.processInfo.setApplicationId(std::nullopt);
  fakes.workspace.setInstances("", {17});
  launch();
  EXPECT_TRUE(started());
  EXPECT_TRUE(log.lines().empty());
}

TEST_F(AppDelegateTest, QuitAnswersLaterAndRepliesOnceThenASecondQuitIsImmediate) {
  launch();
  fakes.application.terminate();
  fakes.application.terminate();  // asked again before the first one finished
  fakes.loop.runPosted();
  EXPECT_EQ(fakes.application.shouldTerminateAnswers(), (std::vector{TerminateReply::later, TerminateReply::now}));
  EXPECT_EQ(fakes.application.replies(), std::vector{true});
  EXPECT_TRUE(fakes.application.terminated());
  EXPECT_EQ(fakes.application.willTerminateCalls(), 1);
  EXPECT_TRUE(delegate->terminating());
}

// The page of a started delegate, ready since its hello.
struct ReadyPage {
  ReadyPage(Bridge& bridge, fake::FakeWebEngine& engine) : engine(engine) { bridge.ready = true; }
  fake::FakeWebView& fakeView() { return *engine.webView(); }
  Json lastArgument() { return fakeView().scriptCalls().back().arguments.at("arg"); }

  fake::FakeWebEngine& engine;
};

TEST_F(AppDelegateTest, QuitWaitsForThePagesFlushAndASecondQuitEndsAtOnce) {
  launch();
  ReadyPage page(delegate->bridge(), fakes.webEngine);

  fakes.application.terminate();
  fakes.loop.runPosted();
  EXPECT_EQ(fakes.application.shouldTerminateAnswers(), std::vector{TerminateReply::later});
  ASSERT_EQ(page.fakeView().scriptCalls().size(), 1u);
  EXPECT_EQ(page.lastArgument(), Json::parse(R"({"reason": "quit"})"));
  fakes.loop.advance(0.25);
  EXPECT_TRUE(fakes.application.replies().empty());
  page.fakeView().completeScript(0, true);
  fakes.loop.runPosted();
  EXPECT_EQ(fakes.application.replies(), std::vector{true});
  EXPECT_TRUE(fakes.application.terminated());
  EXPECT_FALSE(delegate->bridge().attached());
}

TEST_F(AppDelegateTest, QuitDuringTheFlushTerminatesWithoutWaiting) {
  launch();
  ReadyPage page(delegate->bridge(), fakes.webEngine);
  fakes.application.terminate();
  fakes.loop.runPosted();
  fakes.application.terminate();
  fakes.loop.runPosted();
  EXPECT_EQ(fakes.application.shouldTerminateAnswers(), (std::vector{TerminateReply::later, TerminateReply::now}));
  EXPECT_TRUE(fakes.application.terminated());
  EXPECT_EQ(page.fakeView().scriptCalls().size(), 1u);
  // The first request was answered by the second: its flush, settling late, replies to nothing.
  fakes.loop.advance(2);
  EXPECT_TRUE(fakes.application.replies().empty());
}

TEST_F(AppDelegateTest, AfterAPowerOffNoticeAnUnansweredFlushSaysLogoutAndEndsAfterTheTimeout) {
  launch();
  ReadyPage page(delegate->bridge(), fakes.webEngine);
  fakes.systemEvents.emit(platform::SystemEvent::willPowerOff);
  fakes.application.terminate();
  fakes.loop.runPosted();
  EXPECT_EQ(page.lastArgument(), Json::parse(R"({"reason": "logout"})"));
  fakes.loop.advance(1.25);
  EXPECT_TRUE(fakes.application.replies().empty());
  fakes.loop.advance(0.25);
  EXPECT_EQ(fakes.application.replies(), std::vector{true});
  EXPECT_TRUE(fakes.application.terminated());
}

TEST_F(AppDelegateTest, ReopenAsksAReadyPageForItsSettings) {
  launch();
  ReadyPage page(delegate->bridge(), fakes.webEngine);
  EXPECT_FALSE(fakes.application.simulateReopen(true));
  ASSERT_EQ(page.fakeView().scriptCalls().size(), 1u);
  EXPECT_EQ(page.fakeView().scriptCalls()[0].arguments.at("fn"), "onMenu");
  EXPECT_EQ(page.lastArgument(), Json::parse(R"({"command": "settings"})"));
}

TEST_F(AppDelegateTest, ACrashedPageIsNoLongerReady) {
  launch();
  ReadyPage page(delegate->bridge(), fakes.webEngine);
  delegate->webContentTerminated();
  EXPECT_FALSE(delegate->bridge().ready);
}

TEST_F(AppDelegateTest, ReopenAnswersNo) {
  launch();
  EXPECT_FALSE(fakes.application.simulateReopen(false));
  EXPECT_FALSE(fakes.application.simulateReopen(true));
}

TEST_F(AppDelegateTest, RelaunchStartsOneNewInstanceThatWaitsForThisOne) {
  launch();
  EXPECT_TRUE(delegate->relaunch());
  EXPECT_FALSE(delegate->relaunch());  // one outstanding request at a time
  ASSERT_EQ(fakes.workspace.launches().size(), 1u);
  EXPECT_EQ(fakes.workspace.launches()[0].arguments, (std::vector<std::string>{"-brindlow-relaunched", "4242"}));
  EXPECT_FALSE(fakes.workspace.launches()[0].activates);
  EXPECT_FALSE(fakes.application.terminated());

  fakes.workspace.completeLaunch();
  fakes.loop.runPosted();
  EXPECT_TRUE(fakes.application.terminated());
  EXPECT_EQ(fakes.application.shouldTerminateAnswers(), std::vector{TerminateReply::later});
  EXPECT_TRUE(delegate->relaunching());
}

TEST_F(AppDelegateTest, FailedRelaunchLogsAndKeepsRunning) {
  launch();
  ASSERT_TRUE(delegate->relaunch());
  fakes.workspace.completeLaunch("no such executable");
  fakes.loop.runPosted();
  EXPECT_EQ(log.lines(), std::vector<std::string>{"relaunch: no such executable"});
  EXPECT_FALSE(delegate->relaunching());
  EXPECT_EQ(fakes.application.terminateCalls(), 0);
  EXPECT_TRUE(delegate->relaunch());  // may be tried again
}

TEST_F(AppDelegateTest, RelaunchOutlivesItsOwnerUntilItCompletes) {
  launch();
  ASSERT_TRUE(delegate->relaunch());
  std::weak_ptr<AppDelegate> weak = delegate;
  delegate.reset();
  EXPECT_FALSE(weak.expired());  // the completion holds it
  fakes.workspace.completeLaunch("gone");
  EXPECT_TRUE(weak.expired());
  EXPECT_EQ(log.lines(), std::vector<std::string>{"relaunch: gone"});
}

TEST_F(AppDelegateTest, RelaunchRefusedWhileTerminating) {
  launch();
  fakes.application.terminate();
  fakes.loop.runPosted();
  EXPECT_FALSE(delegate->relaunch());
  EXPECT_TRUE(fakes.workspace.launches().empty());
}

TEST(AppDelegateCrashes, FourthCrashWithinAMinuteStopsReloading) {
  struct Case {
    std::vector<double> at;  // seconds after the first crash
    bool stopped;
  };
  const std::vector<Case> cases = {
      {{0, 10, 20}, false},
      {{0, 10, 20, 30}, true},
      {{0, 10, 20, 60}, false},  // the first is exactly 60 s old and dropped
      {{0, 10, 20, 59.5}, true},
      {{0, 70, 80, 90}, false},
  };
  for (const Case& c : cases) {
    test::LogCapture log;
    fake::FakePlatform p;
    auto d = std::make_shared<AppDelegate>(p.platform());
    p.application.run(*d);
    const double t0 = p.loop.now();
    for (double at : c.at) {
      p.loop.setWall(t0 + at);
      d->webContentTerminated();
    }
    EXPECT_EQ(d->webStopped(), c.stopped) << testing::PrintToString(c.at);
    EXPECT_EQ(log.count("web: crashed 4 times in a minute, stopped"), c.stopped ? 1u : 0u);
  }
}

TEST_F(AppDelegateTest, CrashDatesFromTheFutureStayInTheWindow) {
  launch();
  const double t0 = fakes.loop.now();
  fakes.loop.setWall(t0 + 100);
  delegate->webContentTerminated();
  fakes.loop.setWall(t0);  // the clock was set back
  delegate->webContentTerminated();
  delegate->webContentTerminated();
  EXPECT_FALSE(delegate->webStopped());
  delegate->webContentTerminated();
  EXPECT_TRUE(delegate->webStopped());
  EXPECT_EQ(log.lines(), std::vector<std::string>{"web: crashed 4 times in a minute, stopped"});
}

TEST_F(AppDelegateTest, ReloadForgetsTheCrashes) {
  launch();
  fake::FakeWebView& view = *fakes.webEngine.webView();
  ASSERT_EQ(view.loads(), (std::vector<fake::FakeWebView::Load>{{"brindlow://app/index.html", 60}}));
  for (int i = 0; i < 4; ++i) view.terminateWebProcess();
  ASSERT_TRUE(delegate->webStopped());
  EXPECT_EQ(view.loads().size(), 1u + 3u);
  delegate->status()->actions.reloadWeb();
  EXPECT_FALSE(delegate->webStopped());
  EXPECT_EQ(view.loads().size(), 5u);
  for (int i = 0; i < 3; ++i) view.terminateWebProcess();
  EXPECT_FALSE(delegate->webStopped());
  view.terminateWebProcess();
  EXPECT_TRUE(delegate->webStopped());
  EXPECT_EQ(view.loads().size(), 8u);
  EXPECT_EQ(log.count("web: crashed 4 times in a minute, stopped"), 2u);
}

}  // namespace
}  // namespace brindlow
