// One whole session on the fake desktop: a scripted page talks to a started application from its
// hello to the flush at quit.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/AppDelegate.h"
#include "platform/fake/FakePlatform.h"
#include "platform/fake/FakeWebView.h"
#include "platform/fake/FakeWebViewConfig.h"
#include "support/LogCapture.h"

namespace brindlow {
namespace {

constexpr std::string_view kScreen = "00000000-0000-0000-0000-000000000001";

// The page's side: posts and calls on the two channels, and reads the calls made into it.
class ScriptedPage {
 public:
  explicit ScriptedPage(fake::FakeWebEngine& engine) : engine_(engine) {}

  fake::FakeWebView& view() const { return *engine_.webView(); }
  fake::FakeWebViewConfig& config() const { return static_cast<fake::FakeWebViewConfig&>(*view().config()); }
  void post(const char* json) { ASSERT_TRUE(config().post("brindlow", Json::parse(json))); }
  std::shared_ptr<const fake::ReplyRecord> call(const char* json) {
    return config().call("brindlowCall", Json::parse(json));
  }
  // The function each call into the page ran, in order ("flush" for the flush).
  std::vector<std::string> received() const {
    std::vector<std::string> out;
    for (const auto& c : view().scriptCalls()) {
      auto fn = c.arguments.find("fn");
      out.push_back(fn == c.arguments.end() ? "flush" : fn->second.get<std::string>());
    }
    return out;
  }
  const Json& argument(std::size_t index) const { return view().scriptCalls().at(index).arguments.at("arg"); }

 private:
  fake::FakeWebEngine& engine_;
};

// Keys 1/32 s apart (past the debounce), then time for their batch to go up.
void typeKeys(fake::FakePlatform& fakes, int n) {
  for (int i = 0; i < n; ++i) {
    fakes.keyTap.emitKeyDown();
    fakes.loop.advance(0.03125);
  }
  fakes.loop.advance(0.125);
}

TEST(SessionTest, HelloPlacementKeysPrefsSaveAndQuit) {
  test::LogCapture log;
  fake::FakePlatform fakes;
  fakes.processInfo.setArguments({"/usr/bin/brindlow"});
  fakes.keyTap.preflight = true;
  auto delegate = std::make_shared<AppDelegate>(fakes.platform());
  fakes.application.run(*delegate);
  fakes.statusBar.item()->setButtonScreenRect(GRect{1300, 0, 24, 24});
  ScriptedPage page(fakes.webEngine);
  ASSERT_EQ(page.view().loads().size(), 1u);

  // Keys typed while the page loads are held for it.
  typeKeys(fakes, 2);
  EXPECT_TRUE(page.received().empty());

  // Hello: the snapshot, then the held keys.
  auto hello = page.call(R"({"type": "app.hello", "protocol": 6, "webVersion": "1.0"})");
  fakes.loop.runPosted();
  ASSERT_EQ(hello->values.size(), 1u);
  const Json& snapshot = hello->values[0];
  EXPECT_EQ(snapshot.at("protocol"), 6);
  EXPECT_EQ(snapshot.at("screens").size(), 1u);
  EXPECT_EQ(snapshot.at("prefs").at("sound"), true);
  EXPECT_TRUE(snapshot.at("save").is_null());
  EXPECT_EQ(page.received(), std::vector<std::string>{"onKeys"});
  EXPECT_EQ(page.argument(0).at("n"), 2);

  // The pet goes along the bottom of the screen, over a land strip.
  page.post(R"({"type": "land.state", "palette": {"top": "#7c5", "side": "#5a3"},
                "screens": [{"key": "00000000-0000-0000-0000-000000000001", "cols": 60,
                             "levels": "AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA"}]})");
  page.post(R"({"type": "pet.frame", "frame": {"x": 600, "y": 716, "w": 200, "h": 200}})");
  page.post(R"({"type": "surface.stand", "surface": {"id": "screen-0", "kind": "screenBottom",
                "x": 0, "y": 900, "w": 1440, "screen": "00000000-0000-0000-0000-000000000001"}})");
  fakes.loop.runPosted();
  ASSERT_TRUE(delegate->window()->petFrame());
  EXPECT_EQ(*delegate->window()->petFrame(), (GRect{600, 716, 200, 200}));
  ASSERT_EQ(delegate->land().windows().count(std::string(kScreen)), 1u);

  // Typing: the page hears the count and paints the land under the pet.
  const std::size_t beforeKeys = page.received().size();
  typeKeys(fakes, 3);
  ASSERT_EQ(page.received().size(), beforeKeys + 1);
  EXPECT_EQ(page.received().back(), "onKeys");
  EXPECT_EQ(page.argument(beforeKeys).at("n"), 3);
  page.post(R"({"type": "land.paint", "key": "00000000-0000-0000-0000-000000000001", "changes": [[29, 1], [30, 3]]})");
  fakes.loop.runPosted();
  const auto& levels = delegate->land().data().at(std::string(kScreen)).levels;
  EXPECT_EQ(levels[29], 1);
  EXPECT_EQ(levels[30], 3);

  // A preference from the settings panel.
  auto prefs = page.call(R"({"type": "prefs.set", "patch": {"sound": false, "landShow": "always"}})");
  fakes.loop.runPosted();
  ASSERT_EQ(prefs->values.size(), 1u);
  EXPECT_EQ(prefs->values[0].at("sound"), false);
  EXPECT_EQ(page.received().back(), "onPrefs");
  EXPECT_EQ(page.argument(page.received().size() - 1).at("landShow"), "always");
  EXPECT_EQ(delegate->land().show(), LandShow::always);
  EXPECT_FALSE(delegate->prefs().load().sound);

  // Quit: the page is asked to flush, saves, and the application ends when the flush settles.
  fakes.application.terminate();
  fakes.loop.runPosted();
  ASSERT_EQ(page.received().back(), "flush");
  EXPECT_EQ(page.argument(page.received().size() - 1), Json::parse(R"({"reason": "quit"})"));
  EXPECT_FALSE(fakes.application.terminated());
  auto saved = page.call(R"({"type": "save.write", "data": "{\"paws\": 5, \"name\": \"Mochi\"}"})");
  fakes.loop.runPosted();
  ASSERT_EQ(saved->values.size(), 1u);
  EXPECT_EQ(saved->values[0].at("ok"), true);
  page.view().completeScript(page.received().size() - 1, true);
  fakes.loop.runPosted();
  EXPECT_TRUE(fakes.application.terminated());
  EXPECT_FALSE(delegate->bridge().attached());

  // Everything the page heard, in order; the pet's first showing reported it visible.
  EXPECT_EQ(page.received(), (std::vector<std::string>{"onKeys", "onVisibility", "onKeys", "onPrefs", "flush"}));
  EXPECT_EQ(page.argument(1), Json::parse(R"({"visible": true, "reasons": []})"));
  const std::optional<SaveFile::ReadResult> file = delegate->saveFile().read();
  ASSERT_TRUE(file);
  EXPECT_EQ(file->text, R"({"paws": 5, "name": "Mochi"})");
  EXPECT_TRUE(log.lines().empty()) << testing::PrintToString(log.lines());
}

TEST(SessionTest, NoKeyCountsWhileTheSessionIsLockedOrInactiveFromTheStartOn) {
  using platform::SystemEvent;
  test::LogCapture log;
  fake::FakePlatform fakes;
  fakes.processInfo.setArguments({"/usr/bin/brindlow"});
  fakes.keyTap.preflight = true;
  // A relaunch on the lock screen of a session another user has switched away from.
  fakes.systemEvents.session = {.locked = true, .active = false};
  auto delegate = std::make_shared<AppDelegate>(fakes.platform());
  fakes.application.run(*delegate);
  ScriptedPage page(fakes.webEngine);
  auto hello = page.call(R"({"type": "app.hello", "protocol": 6, "webVersion": "1.0"})");
  fakes.loop.runPosted();
  ASSERT_EQ(hello->values.size(), 1u);
  EXPECT_EQ(hello->values[0].at("visibility"),
            Json::parse(R"({"visible": false, "reasons": ["locked", "sessionInactive"]})"));

  auto keysHeard = [&] {
    const std::size_t before = page.received().size();
    typeKeys(fakes, 2);
    fakes.loop.advance(1.0);  // a hidden pet's batch waits a second
    fakes.loop.runPosted();
    const std::vector<std::string> now = page.received();
    return std::count(now.begin() + static_cast<std::ptrdiff_t>(before), now.end(), "onKeys");
  };
  EXPECT_EQ(keysHeard(), 0);
  // Unlocked, but the session is still not the active one.
  fakes.systemEvents.emit(SystemEvent::screenIsUnlocked);
  fakes.loop.runPosted();
  EXPECT_EQ(keysHeard(), 0);
  fakes.systemEvents.emit(SystemEvent::sessionDidBecomeActive);
  fakes.loop.runPosted();
  EXPECT_EQ(keysHeard(), 1);
  fakes.systemEvents.emit(SystemEvent::screenIsLocked);
  fakes.loop.runPosted();
  EXPECT_EQ(keysHeard(), 0);
}

}  // namespace
}  // namespace brindlow
