#include <gtest/gtest.h>

#include "app/AppDelegate.h"
#include "geometry/ScreenGeometry.h"
#include "platform/fake/FakePlatform.h"
#include "platform/fake/FakeWebView.h"
#include "support/LogCapture.h"
#include "window/DragController.h"

namespace brindlow {
namespace {

// One call into the page: the event's function name (or "flush") and its argument.
struct PageCall {
  std::string fn;
  Json arg;
  bool operator==(const PageCall&) const = default;
  friend void PrintTo(const PageCall& c, std::ostream* os) { *os << c.fn << " " << c.arg.dump(); }
};

// A started delegate whose page is ready (or not) on the fake desktop, with listen access granted.
class AppDelegateEventsTest : public testing::Test {
 protected:
  AppDelegateEventsTest() {
    fakes.processInfo.setArguments({"/usr/bin/brindlow"});
    fakes.keyTap.preflight = true;
    fakes.application.run(*delegate);
    fakes.statusBar.item()->setButtonScreenRect(GRect{1300, 0, 24, 24});  // on the menu bar
  }

  void ready() { delegate->bridge().ready = true; }
  std::vector<PageCall> calls() const {
    std::vector<PageCall> out;
    for (const auto& call : fakes.webEngine.webView()->scriptCalls()) {
      auto fn = call.arguments.find("fn");
      out.push_back({fn == call.arguments.end() ? "flush" : fn->second.get<std::string>(), call.arguments.at("arg")});
    }
    return out;
  }
  std::vector<PageCall> callsOf(std::string_view fn) const {
    std::vector<PageCall> out;
    for (const auto& c : calls())
      if (c.fn == fn) out.push_back(c);
    return out;
  }
  std::vector<std::string> fns() const {
    std::vector<std::string> out;
    for (const auto& c : calls()) out.push_back(c.fn);
    return out;
  }
  static PrefsPatch langPatch(LangPref lang) {
    PrefsPatch p;
    p.lang = lang;
    return p;
  }

  test::LogCapture log;
  fake::FakePlatform fakes;
  std::shared_ptr<AppDelegate> delegate = std::make_shared<AppDelegate>(fakes.platform());
};

TEST_F(AppDelegateEventsTest, KeyBatchesBeforeTheHelloMergeIntoOnePendingBatch) {
  delegate->keysBatch({2, 10'000, 100});
  delegate->keysBatch({1, 10'400, 0});
  delegate->keysBatch({3, 11'000, 50});
  EXPECT_TRUE(calls().empty());
  EXPECT_EQ(delegate->bridge().pendingKeys, (KeysEvent{6, 11'000, 1'100}));

  ready();
  delegate->bridge().flushPending();
  delegate->keysBatch({1, 12'000, 0});
  EXPECT_EQ(calls(), (std::vector<PageCall>{{"onKeys", Json::parse(R"({"n": 6, "at": 11000, "span": 1100})")},
                                            {"onKeys", Json::parse(R"({"n": 1, "at": 12000, "span": 0})")}}));
}

TEST_F(AppDelegateEventsTest, TypingRereadsAWatchedWindowListAtMostOnceASecond) {
  delegate->ground().mode = GroundMode::windows;
  delegate->ground().start();
  delegate->ground().tick();
  const size_t readsBefore = fakes.windowList.reads();
  fakes.loop.advance(0.5);
  delegate->keysBatch({1, 1, 0});  // last read 0.5 s ago: a read 0.5 s from now
  fakes.loop.advance(0.25);
  delegate->keysBatch({1, 2, 0});  // keeps that deadline
  EXPECT_EQ(fakes.windowList.reads(), readsBefore);
  fakes.loop.advance(0.25);
  EXPECT_EQ(fakes.windowList.reads(), readsBefore + 1);
  fakes.loop.advance(0.5);
  EXPECT_EQ(fakes.windowList.reads(), readsBefore + 1);
}

TEST_F(AppDelegateEventsTest, ChangedWindowListsReachThePage) {
  ready();
  fakes.windowList.setEntries({{7, 99, 0, 1.0, GRect{100, 200, 640, 480}}});
  delegate->ground().mode = GroundMode::windows;
  delegate->ground().start();
  delegate->ground().tick();
  delegate->ground().tick();  // unchanged: not sent again
  EXPECT_EQ(calls(), (std::vector<PageCall>{{"onWindows", Json::parse(R"({"windows": [
                         {"id": 7, "x": 100, "y": 200, "w": 640, "h": 480}]})")}}));
}

TEST_F(AppDelegateEventsTest, LanguageChangeSendsOnLangOnlyWhenTheResolvedLanguageMoves) {
  ASSERT_EQ(delegate->lang(), Lang::en);  // the fake locale prefers English
  ready();
  delegate->prefs().apply(langPatch(LangPref::en));
  EXPECT_EQ(fns(), std::vector<std::string>{"onPrefs"});
  delegate->prefs().apply(langPatch(LangPref::ja));
  EXPECT_EQ(calls().back(), (PageCall{"onLang", Json::parse(R"({"lang": "ja"})")}));
  EXPECT_EQ(fns(), (std::vector<std::string>{"onPrefs", "onPrefs", "onLang"}));
  EXPECT_EQ(calls()[1].arg.at("lang"), "ja");
}

TEST_F(AppDelegateEventsTest, SleepDuringADragCancelsItBeforeTheSleepFlush) {
  ready();
  delegate->window()->applyPetFrame({500, 500, 200, 200});
  fakes.screens.setPressedButtons(1);
  delegate->window()->beginDrag();
  ASSERT_TRUE(delegate->window()->drag()->active());
  const size_t before = calls().size();
  fakes.systemEvents.emit(platform::SystemEvent::willSleep);
  fakes.loop.runPosted();
  EXPECT_FALSE(delegate->window()->drag()->active());
  const std::vector<PageCall> all = calls();
  const std::vector<PageCall> c(all.begin() + static_cast<std::ptrdiff_t>(before), all.end());
  ASSERT_GE(c.size(), 2u);  // the watch then reports the sleeping system
  EXPECT_EQ(c[0].fn, "onDrag");
  EXPECT_EQ(c[0].arg.at("phase"), "cancel");
  EXPECT_EQ(c[1], (PageCall{"flush", Json::parse(R"({"reason": "sleep"})")}));
  EXPECT_FALSE(fakes.application.terminated());
}

TEST_F(AppDelegateEventsTest, MenuActionsReachThePageOnceItIsReady) {
  auto& actions = delegate->status()->actions;
  fakes.keyTap.preflight = false;
  actions.permission();  // before the hello the system is asked
  EXPECT_EQ(fakes.keyTap.requestCalls, 1);
  actions.wardrobe();
  EXPECT_TRUE(calls().empty());

  ready();
  fakes.screens.setPointer({300, 400});
  delegate->status()->actions.toggleHidden();
  actions.summon();
  EXPECT_FALSE(delegate->window()->userHidden());
  actions.permission();
  actions.clearLand();
  EXPECT_EQ(fakes.keyTap.requestCalls, 1);
  const GPoint mouse = ScreenGeometry::mouseTopLeft(fakes.screens);
  EXPECT_EQ(callsOf("onMenu"), (std::vector<PageCall>{
                         {"onMenu", Json{{"command", "summon"}, {"at", {{"x", mouse.x}, {"y", mouse.y}}}}},
                         {"onMenu", Json{{"command", "permission"}}},
                         {"onMenu", Json{{"command", "clearLand"}}},
                     }));
}

TEST_F(AppDelegateEventsTest, SystemReportsReachTheKeyCounterTheLandAndThePage) {
  ready();
  fakes.systemEvents.emit(platform::SystemEvent::screenIsLocked);
  fakes.loop.runPosted();
  EXPECT_FALSE(delegate->keys().visible);
  platform::DisplayInfo second = fake::FakeScreens::defaultDisplay();
  second.number = 2;
  second.uuid = "00000000-0000-0000-0000-000000000002";
  second.frame = {1440, 0, 1920, 1080};
  second.visibleFrame = second.frame;
  fakes.screens.setDisplays({fake::FakeScreens::defaultDisplay(), second});
  fakes.screens.emitParametersChanged();
  fakes.loop.advance(0.5);
  EXPECT_EQ(delegate->land().screens().size(), 2u);
  EXPECT_EQ(fns(), (std::vector<std::string>{"onVisibility", "onScreens"}));
  EXPECT_EQ(calls()[0].arg, Json::parse(R"({"visible": false, "reasons": ["locked"]})"));
  EXPECT_EQ(calls()[1].arg.at("screens").size(), 2u);
}

TEST_F(AppDelegateEventsTest, PermissionChangesReachThePage) {
  ready();
  delegate->permissionChanged({"notGranted", true});
  EXPECT_EQ(calls(), (std::vector<PageCall>{{"onPermission", Json::parse(R"({"input": "notGranted", "asked": true})")}}));
}

}  // namespace
}  // namespace brindlow
