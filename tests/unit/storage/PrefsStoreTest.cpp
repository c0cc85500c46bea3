#include "storage/PrefsStore.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/fake/FakeDefaults.h"
#include "platform/fake/FakeLoginItems.h"
#include "platform/fake/FakeMainLoop.h"
#include "support/LogCapture.h"

namespace brindlow {
namespace {

using platform::DefaultsValue;
using platform::LoginItemStatus;

struct PrefsStoreTest : ::testing::Test {
  PrefsStoreTest() {
    store.onChange = [this](const Prefs& now, const Prefs& old) { changes.push_back({now, old}); };
  }
  struct Change {
    Prefs now, old;
  };
  test::LogCapture log;
  fake::FakeMainLoop loop;
  fake::FakeDefaults defaults;
  fake::FakeLoginItems login;
  PrefsStore store{defaults, login, loop};
  std::vector<Change> changes;
};

TEST_F(PrefsStoreTest, FreshInstallReadsTheRegisteredDefaults) {
  EXPECT_EQ(defaults.registerCalls(), 1u);
  const std::map<std::string, DefaultsValue, std::less<>> expected = {
      {"prefs.onTop", true},          {"prefs.sound", true},
      {"prefs.resting", false},       {"prefs.landShow", std::string("typing")},
      {"prefs.hideOnFullscreen", true}, {"prefs.menuPaws", false},
      {"prefs.lang", std::string("auto")}, {"prefs.ground", std::string("bottom")},
      {"prefs.dockIcon", false},
  };
  EXPECT_EQ(defaults.registered(), expected);

  const Prefs p = store.load();
  EXPECT_TRUE(p.onTop);
  EXPECT_TRUE(p.sound);
  EXPECT_FALSE(p.launchAtLogin);
  EXPECT_FALSE(p.resting);
  EXPECT_EQ(p.landShow, LandShow::typing);
  EXPECT_TRUE(p.hideOnFullscreen);
  EXPECT_FALSE(p.menuPaws);
  EXPECT_EQ(p.lang, LangPref::automatic);
  EXPECT_EQ(p.ground, GroundMode::bottom);
  EXPECT_FALSE(p.dockIcon);
  EXPECT_TRUE(defaults.writes().empty());

  for (auto [status, on] : {std::pair{LoginItemStatus::enabled, true}, {LoginItemStatus::requiresApproval, false},
                            {LoginItemStatus::notFound, false}, {LoginItemStatus::notRegistered, false}}) {
    login.currentStatus = status;
    EXPECT_EQ(store.load().launchAtLogin, on);
  }
}

TEST_F(PrefsStoreTest, UnknownTextsAndWrongTypesReadAsTheFallback) {
  struct Case {
    const char* key;
    DefaultsValue stored;
  };
  const std::vector<Case> cases = {
      {"prefs.ground", std::string("Windows")}, {"prefs.ground", std::string("PLACED")},
      {"prefs.ground", std::string("")},        {"prefs.ground", true},
      {"prefs.ground", int64_t{1}},             {"prefs.landShow", std::string("Always")},
      {"prefs.landShow", std::string("never")}, {"prefs.landShow", 2.5},
      {"prefs.lang", std::string("EN")},        {"prefs.lang", std::string("de")},
      {"prefs.lang", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.key);
    fake::FakeDefaults d;
    d.store(c.key, c.stored);
    fake::FakeLoginItems l;
    const Prefs p = PrefsStore(d, l, loop).load();
    EXPECT_EQ(p, Prefs{});
    EXPECT_EQ(d.stored(c.key), c.stored) << "left in the defaults untouched";
  }

  defaults.store("prefs.ground", std::string("windows"));
  defaults.store("prefs.landShow", std::string("off"));
  defaults.store("prefs.lang", std::string("pt"));
  const Prefs p = store.load();
  EXPECT_EQ(p.ground, GroundMode::windows);
  EXPECT_EQ(p.landShow, LandShow::off);
  EXPECT_EQ(p.lang, LangPref::pt);
}

TEST_F(PrefsStoreTest, BoolKeysReadOtherStoredTypesAsTheDefaultsDo) {
  defaults.store("prefs.onTop", std::string("banana"));
  defaults.store("prefs.sound", int64_t{0});
  defaults.store("prefs.resting", std::string("YES"));
  defaults.store("prefs.menuPaws", int64_t{2});
  const Prefs p = store.load();
  EXPECT_FALSE(p.onTop);
  EXPECT_FALSE(p.sound);
  EXPECT_TRUE(p.resting);
  EXPECT_TRUE(p.menuPaws);
}

TEST_F(PrefsStoreTest, EmptyPatchWritesAndReportsNothing) {
  EXPECT_EQ(store.apply({}), store.load());
  EXPECT_TRUE(defaults.writes().empty());
  EXPECT_TRUE(changes.empty());
  EXPECT_EQ(login.registerCalls + login.unregisterCalls, 0);
}

TEST_F(PrefsStoreTest, PatchWritesInOrderAndReportsOnlyRealChanges) {
  PrefsPatch all;
  all.dockIcon = true;
  all.ground = GroundMode::placed;
  all.lang = LangPref::ja;
  all.menuPaws = true;
  all.hideOnFullscreen = false;
  all.landShow = LandShow::always;
  all.resting = true;
  all.sound = false;
  all.onTop = false;
  const Prefs before = store.load();
  const Prefs after = store.apply(all);

  std::vector<fake::FakeDefaults::Write> expected = {
      {"prefs.onTop", false},
      {"prefs.sound", false},
      {"prefs.resting", true},
      {"prefs.landShow", std::string("always")},
      {"prefs.hideOnFullscreen", false},
      {"prefs.menuPaws", true},
      {"prefs.lang", std::string("ja")},
      {"prefs.ground", std::string("placed")},
      {"prefs.dockIcon", true},
  };
  EXPECT_EQ(defaults.writes(), expected);
  ASSERT_EQ(changes.size(), 1u);
  EXPECT_EQ(changes[0].old, before);
  EXPECT_EQ(changes[0].now, after);
  EXPECT_EQ(after, store.load());
  EXPECT_EQ(after.ground, GroundMode::placed);

  // Repeating the stored values writes them again and reports nothing.
  EXPECT_EQ(store.apply(all), after);
  EXPECT_EQ(defaults.writes().size(), 18u);
  EXPECT_EQ(changes.size(), 1u);
}

TEST_F(PrefsStoreTest, LaunchAtLoginGoesThroughTheLoginItemService) {
  PrefsPatch on;
  on.launchAtLogin = true;
  Prefs p = store.apply(on);
  EXPECT_TRUE(p.launchAtLogin);
  EXPECT_EQ(login.registerCalls, 1);
  EXPECT_EQ(login.settingsOpens, 0);
  ASSERT_EQ(changes.size(), 1u);
  EXPECT_FALSE(changes[0].old.launchAtLogin);

  // Equal to the loaded value: the service is not touched.
  store.apply(on);
  EXPECT_EQ(login.registerCalls, 1);

  PrefsPatch off;
  off.launchAtLogin = false;
  EXPECT_FALSE(store.apply(off).launchAtLogin);
  EXPECT_EQ(login.unregisterCalls, 1);
  EXPECT_EQ(changes.size(), 2u);
}

TEST_F(PrefsStoreTest, PendingApprovalOpensTheSettingsAndReadsOff) {
  login.statusAfterRegister = LoginItemStatus::requiresApproval;
  PrefsPatch on;
  on.launchAtLogin = true;
  EXPECT_FALSE(store.apply(on).launchAtLogin);
  EXPECT_EQ(login.settingsOpens, 1);
  EXPECT_TRUE(changes.empty());

  on.sound = false;
  store.apply(on);
  ASSERT_EQ(changes.size(), 1u);
  EXPECT_FALSE(changes[0].now.sound);
}

TEST_F(PrefsStoreTest, LoginItemFailureIsLoggedAfterApplyReturns) {
  login.registerError = "Operation not permitted";
  PrefsPatch on;
  on.launchAtLogin = true;
  EXPECT_FALSE(store.apply(on).launchAtLogin);
  EXPECT_TRUE(changes.empty());
  EXPECT_TRUE(log.lines().empty());
  loop.runPosted();
  EXPECT_EQ(log.lines(), std::vector<std::string>{"login item: Operation not permitted"});

  login.currentStatus = LoginItemStatus::enabled;
  login.unregisterError = "busy";
  store.setLaunchAtLogin(false);
  loop.runPosted();
  EXPECT_EQ(log.count("login item: busy"), 1u);
}

}  // namespace
}  // namespace brindlow
