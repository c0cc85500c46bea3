#include "services/LandStrips.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>

#include "platform/fake/FakeMainLoop.h"
#include "platform/fake/FakeStripWindow.h"
#include "platform/fake/FakeWindowServer.h"
#include "support/LogCapture.h"

namespace brindlow {
namespace {

constexpr int kBase = fake::FakeWindowServer::kDesktopIconLevel + 1;
const char* const kOver = "land.state: over 16 strips, extra dropped";
const char* const kBadLine = "land.state: bad surface line, strip skipped";
const char* const kBadLevels = "land.state: bad levels, screen skipped";

LandScreen screenStrip(std::string key, int64_t cols = 10) {
  return {std::move(key), cols, std::vector<uint8_t>(static_cast<size_t>(std::max<int64_t>(cols, 0)), 0), std::nullopt};
}

LandScreen windowStrip(std::string key, SurfaceLine line = {100, 500, 300}, int64_t cols = 10) {
  auto s = screenStrip(std::move(key), cols);
  s.line = line;
  return s;
}

class LandStripsTest : public ::testing::Test {
 protected:
  LandStripsTest() : land(std::make_shared<LandStrips>(loop, server)) {
    land->setScreens({{"A", {0, 0, 1440, 900}, {0, 25, 1440, 875}, 2, true},
                      {"B", {1440, 0, 1920, 1080}, {1440, 0, 1920, 1080}, 1, false}});
  }

  void state(const std::vector<LandScreen>& entries, std::optional<Color> top = {}, std::optional<Color> side = {}) {
    land->applyState(top, side, entries);
  }
  fake::FakeStripWindow* window(const std::string& key) const {
    auto it = land->windows().find(key);
    return it == land->windows().end() ? nullptr : static_cast<fake::FakeStripWindow*>(it->second.window.get());
  }
  LandStripView& view(const std::string& key) const { return *land->windows().at(key).strip; }
  bool visible(const std::string& key) const { return window(key) != nullptr && window(key)->isVisible(); }

  test::LogCapture log;
  fake::FakeMainLoop loop;
  fake::FakeWindowServer server;
  std::shared_ptr<LandStrips> land;
};

TEST_F(LandStripsTest, StateMakesOneWindowPerStrip) {
  auto a = screenStrip("A", 3);
  a.levels = std::vector<uint8_t>{0, 9, 2};  // nine is stored as three
  const Color top{0x88 / 255.0, 0xcc / 255.0, 0x44 / 255.0, 1};
  state({a, windowStrip("w1"), screenStrip("Z"), screenStrip("B", 0)}, top, std::nullopt);

  EXPECT_EQ(land->data().size(), 3u);  // Z is no screen: dropped without a word
  EXPECT_TRUE(log.lines().empty());
  EXPECT_EQ(land->data().at("A").levels, (std::vector<uint8_t>{0, 3, 2}));
  EXPECT_EQ(land->top(), top);
  EXPECT_EQ(land->side(), (Color{0.35, 0.62, 0.30, 1}));  // no colour given: the side keeps its own

  ASSERT_NE(window("A"), nullptr);
  EXPECT_EQ(window("A")->frame(), (GRect{0, 868, 1440, 32}));
  EXPECT_EQ(window("w1")->frame(), (GRect{100, 468, 300, 32}));
  EXPECT_EQ(window("B")->frame(), (GRect{1440, 1048, 1920, 32}));
  for (const char* key : {"A", "w1", "B"}) {
    EXPECT_EQ(window(key)->level(), kBase) << key;
    EXPECT_EQ(window(key)->collectionBehavior(), 81u) << key;
    EXPECT_TRUE(window(key)->isVisible()) << key;  // "always"
  }
  EXPECT_EQ(view("A").cols, 3);
  EXPECT_EQ(view("A").levels, (std::vector<uint8_t>{0, 3, 2}));
  EXPECT_EQ(view("A").top, land->top());
  EXPECT_TRUE(window("A")->needsDisplayAll());

  // The next state replaces every strip: the windows of strips that went are closed.
  auto* w1 = window("w1");
  w1->clearOps();
  state({screenStrip("A")});
  EXPECT_EQ(window("w1"), nullptr);
  EXPECT_EQ(server.strips().size(), 1u);
  EXPECT_EQ(view("A").cols, 10);
}

TEST_F(LandStripsTest, BadEntriesAreDroppedWholeAndLoggedOnce) {
  struct Case {
    const char* name;
    LandScreen entry;
    const char* line;
  };
  auto with = [](LandScreen s, auto edit) {
    edit(s);
    return s;
  };
  const std::vector<Case> cases = {
      {"levels unreadable", with(screenStrip("A", 3), [](auto& s) { s.levels.reset(); }), kBadLevels},
      {"too few levels", with(screenStrip("A", 4), [](auto& s) { s.levels->pop_back(); }), kBadLevels},
      {"too many levels", with(screenStrip("A", 4), [](auto& s) { s.levels->push_back(0); }), kBadLevels},
      {"negative cols", with(screenStrip("A", 0), [](auto& s) { s.cols = -1; }), kBadLevels},
      {"513 cols", screenStrip("A", 513), kBadLevels},
      {"no length", windowStrip("w", {0, 0, 0}), kBadLine},
      {"NaN line", windowStrip("w", {NAN, 0, 10}), kBadLine},
      {"far line", windowStrip("w", {100000, 0, 10}), kBadLine},
      {"long key", windowStrip(std::string(81, 'k')), kBadLine},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    log.sink.clear();
    resetWarnOnceForTesting();
    state({c.entry});
    state({c.entry});
    EXPECT_EQ(log.lines(), std::vector<std::string>{c.line});
    EXPECT_TRUE(land->data().empty());
    EXPECT_TRUE(land->windows().empty());
  }

  // Limits count characters, not bytes; 512 columns is the most a strip holds.
  log.sink.clear();
  std::string flags;
  for (int i = 0; i < 80; ++i) flags += "\xF0\x9F\x87\xAF\xF0\x9F\x87\xB5";
  state({windowStrip(flags), screenStrip("A", 512)});
  EXPECT_TRUE(log.lines().empty());
  EXPECT_EQ(land->data().size(), 2u);
}

TEST_F(LandStripsTest, StripsOverTheLimitsAreDropped) {
  std::vector<LandScreen> seventeen;
  for (int i = 0; i < 16; ++i) seventeen.push_back(screenStrip("A", i));
  seventeen.push_back(screenStrip("B"));
  state(seventeen);
  state(seventeen);
  EXPECT_EQ(log.count(kOver), 1u);
  ASSERT_EQ(land->data().size(), 1u);  // the later entry of a key replaces the earlier one
  EXPECT_EQ(land->data().at("A").cols, 15);

  // A window strip with bad levels still takes one of the eight places.
  std::vector<LandScreen> nine;
  nine.push_back(windowStrip("bad"));
  nine.back().levels.reset();
  for (int i = 0; i < 8; ++i) nine.push_back(windowStrip("w" + std::to_string(i)));
  state(nine);
  EXPECT_EQ(log.count(kBadLevels), 1u);
  EXPECT_EQ(log.count(kBadLine), 1u);
  EXPECT_EQ(land->windows().size(), 7u);
  EXPECT_EQ(window("w7"), nullptr);
}

TEST_F(LandStripsTest, PaintClampsAndSkipsBadChangesAndPopsGrownCells) {
  state({screenStrip("A")});
  window("A")->takeDirty();
  land->applyPaint("A", {{2, 5}, {2, 5}, {99, 1}, {1}, {-1, 2}, {3, 1, 1}});
  EXPECT_EQ(land->data().at("A").levels[2], 3);
  EXPECT_EQ(view("A").levels[2], 3);
  EXPECT_EQ(view("A").livePops(), 1u);
  EXPECT_TRUE(view("A").isPopping(2));
  EXPECT_EQ(land->activeKey(), "A");

  window("A")->takeDirty();
  land->applyPaint("A", {{2, 3}, {2, 7}});  // nothing changes: no redraw
  land->applyPaint("nope", {{0, 1}});
  EXPECT_TRUE(window("A")->dirtyRects().empty());

  // Only the first 512 changes are taken.
  std::vector<std::vector<int64_t>> many(512, {0, 0});
  many.push_back({5, 2});
  land->applyPaint("A", many);
  EXPECT_EQ(land->data().at("A").levels[5], 0);
}

TEST_F(LandStripsTest, TypingShowsOnlyTheStripPaintedLastUntilTheLingerEnds) {
  land->setShow(LandShow::typing);
  state({screenStrip("A"), screenStrip("B")});
  EXPECT_FALSE(visible("A"));
  EXPECT_FALSE(visible("B"));

  land->applyPaint("A", {{0, 1}});
  EXPECT_TRUE(visible("A"));
  EXPECT_FALSE(visible("B"));
  EXPECT_EQ(view("A").livePops(), 0u);  // ordered out while painted: redrawn, not popped

  loop.advance(6 - 1.0 / 64);
  EXPECT_TRUE(visible("A"));
  land->noteKey();  // moves the linger without a second pending check
  loop.advance(1.0 / 64);
  EXPECT_TRUE(visible("A"));
  EXPECT_EQ(loop.pendingTimers(), 1u);
  loop.advance(6 - 2.0 / 64);
  EXPECT_TRUE(visible("A"));
  loop.advance(1.0 / 64);  // exactly 6 s after the last key
  EXPECT_FALSE(visible("A"));
  EXPECT_EQ(loop.pendingTimers(), 0u);

  land->applyPaint("A", {{0, 2}});
  land->applyPaint("B", {{0, 1}});
  EXPECT_FALSE(visible("A"));
  EXPECT_TRUE(visible("B"));
  EXPECT_EQ(land->shownKeys(), (std::set<std::string>{"B"}));
}

TEST_F(LandStripsTest, KeysRaiseScreenStripsOnlyWhileOnTop) {
  state({screenStrip("A"), windowStrip("w")});
  land->noteKey();
  EXPECT_EQ(land->lastKey(), std::nullopt);  // "always" without on-top: keys do nothing
  EXPECT_EQ(loop.pendingTimers(), 0u);

  land->setOnTop(true);
  land->noteKey();
  EXPECT_TRUE(land->raised());
  EXPECT_EQ(window("A")->level(), 2);
  EXPECT_EQ(window("w")->level(), kBase);
  loop.advance(6);
  EXPECT_FALSE(land->raised());
  EXPECT_EQ(window("A")->level(), kBase);
  EXPECT_TRUE(visible("A"));

  // Hidden: nothing raised, nothing shown, until the pet is back.
  land->hidden = true;
  land->refresh(true);
  land->noteKey();
  EXPECT_FALSE(land->raised());
  EXPECT_FALSE(visible("A"));
  EXPECT_FALSE(visible("w"));
  land->hidden = false;
  land->refresh(true);
  EXPECT_TRUE(visible("A"));
  EXPECT_TRUE(visible("w"));
  EXPECT_EQ(window("A")->level(), 2);
}

TEST_F(LandStripsTest, StandingOnAWindowStripLiftsItWithOnTop) {
  state({screenStrip("A"), windowStrip("w"), windowStrip("v", {0, 200, 100})});
  land->stand("w");
  EXPECT_EQ(window("w")->level(), kBase);
  land->setOnTop(true);
  EXPECT_EQ(window("w")->level(), 2);
  EXPECT_EQ(window("v")->level(), kBase);
  land->stand("v");
  EXPECT_EQ(window("w")->level(), kBase);
  EXPECT_EQ(window("v")->level(), 2);
  window("A")->clearOps();
  land->stand(std::nullopt);
  EXPECT_EQ(window("v")->level(), kBase);
  EXPECT_EQ(window("A")->count("setLevel"), 0);
}

TEST_F(LandStripsTest, ScreensThatGoTakeTheirStripsAlong) {
  state({screenStrip("A"), screenStrip("B"), windowStrip("w")});
  land->applyTrail("B", 2, {1, 2});
  land->setScreens({{"A", {0, 0, 1440, 900}, {0, 0, 1440, 880}, 2, true},
                    {"A", {1440, 0, 100, 100}, {1440, 0, 100, 100}, 1, false}});
  EXPECT_EQ(window("B"), nullptr);
  EXPECT_EQ(server.strips().size(), 2u);
  EXPECT_EQ(land->data().count("B"), 0u);
  EXPECT_EQ(land->trails().count("B"), 0u);
  EXPECT_NE(window("w"), nullptr);
  // Moved once, to the first screen of the shared key.
  EXPECT_EQ(window("A")->frame(), (GRect{0, 848, 1440, 32}));
  EXPECT_EQ(window("A")->count("setFrame"), 1);
  land->setScreens(land->screens());
  EXPECT_EQ(window("A")->count("setFrame"), 1);
}

TEST_F(LandStripsTest, TrailsAreKeptInRangeAndReachTheView) {
  state({screenStrip("A")});
  land->applyTrail("A", 2, {1, 1, 3, 10, -1});
  EXPECT_EQ(land->trails().at("A"), (LandStrips::Trail{2, {1, 3}}));
  EXPECT_EQ(view("A").trail, (std::set<int>{1, 3}));
  EXPECT_EQ(view("A").trailLevel(), 2);

  for (int64_t bad : {0, 4}) land->applyTrail("A", bad, {5});
  land->applyTrail("nope", 2, {1});
  EXPECT_EQ(land->trails().size(), 1u);
  EXPECT_EQ(land->trails().at("A").cols, (std::set<int64_t>{1, 3}));

  land->applyTrail("A", 3, {10, 11});
  EXPECT_EQ(land->trails().count("A"), 0u);
  EXPECT_TRUE(view("A").trail.empty());

  // A new state clears trails; the view keeps its trail level.
  land->applyTrail("A", 3, {2});
  state({screenStrip("A")});
  EXPECT_TRUE(land->trails().empty());
  EXPECT_TRUE(view("A").trail.empty());
  EXPECT_EQ(view("A").trailLevel(), 3);
}

TEST_F(LandStripsTest, ClearAllClosesEverythingAndStopsTheLinger) {
  land->setShow(LandShow::typing);
  state({screenStrip("A")}, Color{0x12 / 255.0, 0x34 / 255.0, 0x56 / 255.0, 1});
  land->applyPaint("A", {{0, 1}});
  auto* a = window("A");
  a->clearOps();
  land->clearAll();
  EXPECT_TRUE(server.strips().empty());
  EXPECT_TRUE(land->data().empty());
  EXPECT_TRUE(land->shownKeys().empty());
  EXPECT_EQ(loop.pendingTimers(), 0u);
  EXPECT_EQ(land->screens().size(), 2u);
  EXPECT_EQ(land->top(), (Color{0x12 / 255.0, 0x34 / 255.0, 0x56 / 255.0, 1}));
}

TEST_F(LandStripsTest, LingerAfterTheStripsAreGoneDoesNothing) {
  land->setShow(LandShow::typing);
  state({screenStrip("A")});
  land->applyPaint("A", {{0, 1}});
  land.reset();
  loop.advance(10);
  EXPECT_TRUE(server.strips().empty());
}

}  // namespace
}  // namespace brindlow
