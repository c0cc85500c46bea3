#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "app/AppDelegate.h"
#include "platform/Window.h"
#include "platform/fake/FakePlatform.h"
#include "platform/fake/FakeStripWindow.h"
#include "support/LogCapture.h"

namespace brindlow {
namespace {

using platform::ActivationPolicy;

constexpr std::string_view kScreenKey = "00000000-0000-0000-0000-000000000001";

// A started delegate on the fake desktop, with listen access granted.
class AppDelegateWiringTest : public testing::Test {
 protected:
  AppDelegateWiringTest() {
    fakes.processInfo.setArguments({"/usr/bin/brindlow"});
    fakes.keyTap.preflight = true;
  }

  void launch() { fakes.application.run(*delegate); }
  PrefsPatch patch(void (*set)(PrefsPatch&)) {
    PrefsPatch p;
    set(p);
    return p;
  }
  // One screen strip along the bottom of the only screen.
  fake::FakeStripWindow& screenStrip() {
    delegate->land().applyState({}, {}, {{std::string(kScreenKey), 10, std::vector<uint8_t>(10, 0), std::nullopt}});
    return static_cast<fake::FakeStripWindow&>(*delegate->land().windows().at(std::string(kScreenKey)).window);
  }

  test::LogCapture log;
  fake::FakePlatform fakes;
  std::shared_ptr<AppDelegate> delegate = std::make_shared<AppDelegate>(fakes.platform());
};

TEST_F(AppDelegateWiringTest, StartAppliesTheStoredPreferencesToTheLand) {
  fakes.defaults.store("prefs.landShow", std::string("off"));
  fakes.defaults.store("prefs.onTop", false);
  launch();
  EXPECT_EQ(delegate->land().show(), LandShow::off);
  EXPECT_FALSE(delegate->land().onTop());
  EXPECT_EQ(delegate->land().behavior, LandStrips::kBaseBehavior);  // hideOnFullscreen is on by default
}

TEST_F(AppDelegateWiringTest, HideOnFullscreenTogglesTheAuxiliaryBitOnEveryStrip) {
  launch();
  fake::FakeStripWindow& strip = screenStrip();
  ASSERT_EQ(strip.collectionBehavior() & platform::fullScreenAuxiliary, 0u);

  delegate->prefs().apply(patch([](PrefsPatch& p) { p.hideOnFullscreen = false; }));
  EXPECT_EQ(delegate->land().behavior, LandStrips::kBaseBehavior | platform::fullScreenAuxiliary);
  EXPECT_EQ(strip.collectionBehavior(), delegate->land().behavior);

  strip.clearOps();
  delegate->prefs().apply(patch([](PrefsPatch& p) { p.hideOnFullscreen = true; }));
  EXPECT_EQ(strip.collectionBehavior(), LandStrips::kBaseBehavior);
  EXPECT_EQ(strip.count("setCollectionBehavior"), 1);
}

TEST_F(AppDelegateWiringTest, ActivationPolicyFollowsTheDockIconAndIsSetOnlyOnChange) {
  launch();
  EXPECT_EQ(fakes.application.policiesSet(), std::vector{ActivationPolicy::accessory});
  delegate->prefs().apply(patch([](PrefsPatch& p) { p.dockIcon = true; }));
  delegate->prefs().apply(patch([](PrefsPatch& p) { p.sound = false; }));
  EXPECT_EQ(fakes.application.policiesSet(), (std::vector{ActivationPolicy::accessory, ActivationPolicy::regular}));
  delegate->prefs().apply(patch([](PrefsPatch& p) { p.dockIcon = false; }));
  EXPECT_EQ(fakes.application.activationPolicy(), ActivationPolicy::accessory);
}

TEST_F(AppDelegateWiringTest, LanguagePreferenceIsResolvedAgainOnChange) {
  fakes.locale.setPreferredLanguages({"ja-JP"});
  launch();
  ASSERT_EQ(delegate->lang(), Lang::ja);
  delegate->prefs().apply(patch([](PrefsPatch& p) { p.lang = LangPref::es; }));
  EXPECT_EQ(delegate->lang(), Lang::es);
  delegate->prefs().apply(patch([](PrefsPatch& p) { p.lang = LangPref::automatic; }));
  EXPECT_EQ(delegate->lang(), Lang::ja);
}

TEST_F(AppDelegateWiringTest, PermissionChangesStartAndStopTheKeyCounter) {
  launch();
  ASSERT_TRUE(delegate->keys().isCounting());
  delegate->permissionChanged({"notGranted", true});
  EXPECT_FALSE(delegate->keys().isCounting());
  delegate->permissionChanged({"granted", true});
  EXPECT_TRUE(delegate->keys().isCounting());
  EXPECT_EQ(fakes.keyTap.liveTaps(), 1u);
}

TEST_F(AppDelegateWiringTest, KeyBatchesReachTheLand) {
  launch();
  ASSERT_FALSE(delegate->land().lastKey());
  const double typedAt = fakes.loop.uptime();
  fakes.keyTap.emitKeyDown();
  fakes.loop.advance(0.125);
  ASSERT_TRUE(delegate->land().lastKey());
  EXPECT_NEAR(*delegate->land().lastKey(), typedAt + 0.1, 1e-9);  // noted when the batch went up
}

TEST_F(AppDelegateWiringTest, MenuPawsMakesTheItemVariableLengthWithThePawsTitle) {
  launch();
  fake::FakeStatusItem& item = *fakes.statusBar.item();
  delegate->prefs().apply(patch([](PrefsPatch& p) { p.menuPaws = true; }));
  EXPECT_TRUE(delegate->status()->menuPaws);
  EXPECT_EQ(item.length(), -1);
  EXPECT_EQ(item.title(), " 0");
  delegate->prefs().apply(patch([](PrefsPatch& p) { p.menuPaws = false; }));
  EXPECT_EQ(item.length(), -2);
  EXPECT_EQ(item.title(), "");
}

TEST_F(AppDelegateWiringTest, MenuTogglesWriteTheOppositeOfTheStoredValue) {
  launch();
  StatusItemController::Actions& actions = delegate->status()->actions;
  actions.toggleSound();
  actions.toggleResting();
  actions.toggleOnTop();
  actions.setGround(GroundMode::windows);
  Prefs p = delegate->prefs().load();
  EXPECT_FALSE(p.sound);
  EXPECT_TRUE(p.resting);
  EXPECT_FALSE(p.onTop);
  EXPECT_EQ(p.ground, GroundMode::windows);
  EXPECT_FALSE(delegate->land().onTop());
  actions.toggleSound();
  EXPECT_TRUE(delegate->prefs().load().sound);

  actions.toggleLaunchAtLogin();
  fakes.loop.runPosted();
  EXPECT_TRUE(delegate->menuState().prefs.launchAtLogin);

  delegate->status()->checkForUpdates();
  EXPECT_EQ(fakes.application.activations(), 1);
}

TEST_F(AppDelegateWiringTest, DockIconFallbackRunsOncePerUserAndOnlyForAnUnseenItem) {
  struct Case {
    const char* name;
    bool itemOnMenuBar;
    bool autoDone;
    bool switched;
  };
  for (const Case& c : {Case{"unseen item", false, false, true}, Case{"seen item", true, false, false},
                        Case{"switched before", false, true, false}}) {
    SCOPED_TRACE(c.name);
    fake::FakePlatform f;
    f.processInfo.setArguments({"/usr/bin/brindlow"});
    if (c.autoDone) f.defaults.store("prefs.dockIconAuto", true);
    auto d = std::make_shared<AppDelegate>(f.platform());
    f.application.run(*d);
    if (c.itemOnMenuBar) f.statusBar.item()->setButtonScreenRect(GRect{1300, 0, 24, 24});
    f.loop.advance(3.9);
    EXPECT_FALSE(d->prefs().load().dockIcon);
    f.loop.advance(0.125);
    EXPECT_EQ(d->prefs().load().dockIcon, c.switched);
    EXPECT_EQ(f.application.activationPolicy(),
              c.switched ? ActivationPolicy::regular : ActivationPolicy::accessory);
    EXPECT_EQ(f.defaults.boolForKey("prefs.dockIconAuto"), c.switched || c.autoDone);
  }
}

TEST_F(AppDelegateWiringTest, QuitTearsDownEveryService) {
  launch();
  screenStrip();
  ASSERT_GT(fakes.systemEvents.observerCount(), 0u);
  fakes.application.terminate();
  fakes.loop.runPosted();
  ASSERT_TRUE(fakes.application.terminated());
  EXPECT_EQ(fakes.keyTap.liveTaps(), 0u);
  EXPECT_EQ(fakes.systemEvents.observerCount(), 0u);
  EXPECT_FALSE(delegate->ground().onChange);
  EXPECT_FALSE(delegate->bridge().attached());
  EXPECT_TRUE(delegate->land().windows().empty());
  EXPECT_TRUE(fakes.statusBar.item()->removed());
}

TEST_F(AppDelegateWiringTest, DockIconCheckDoesNotRunAfterTheTeardown) {
  launch();
  fakes.application.terminate();
  fakes.loop.runPosted();
  ASSERT_TRUE(fakes.application.terminated());
  fakes.loop.advance(5);
  EXPECT_FALSE(delegate->prefs().load().dockIcon);
  EXPECT_FALSE(fakes.defaults.boolForKey("prefs.dockIconAuto"));
  EXPECT_EQ(fakes.application.activationPolicy(), ActivationPolicy::accessory);
}

TEST_F(AppDelegateWiringTest, SummonWithoutThePagePlacesThePetOnTheVisibleBottom) {
  launch();
  struct Case {
    GPoint at;
    GRect frame;
  };
  // The only screen's visible frame is (0, 25, 1440, 875) in page coordinates.
  for (const Case& c : {Case{{-300, 500}, {-76, 716, 200, 200}}, Case{{700, 100}, {600, 716, 200, 200}},
                        Case{{1500, 880}, {1316, 716, 200, 200}}}) {
    delegate->summon(c.at);
    EXPECT_EQ(delegate->window()->petFrame(), c.frame) << c.at.x;
  }
}

TEST_F(AppDelegateWiringTest, SummonFromTheMenuShowsAHiddenPetFirst) {
  launch();
  fakes.screens.setPointer({300, 400});
  delegate->status()->actions.toggleHidden();
  ASSERT_TRUE(delegate->window()->userHidden());
  EXPECT_TRUE(delegate->menuState().hidden);
  delegate->status()->actions.summon();
  EXPECT_FALSE(delegate->window()->userHidden());
  EXPECT_EQ(delegate->window()->petFrame(), (GRect{200, 716, 200, 200}));
}

TEST_F(AppDelegateWiringTest, HiddenPetHidesTheLandAndReopenShowsItAgain) {
  launch();
  delegate->window()->setUserHidden(true, 60);
  fakes.loop.runPosted();
  EXPECT_TRUE(delegate->land().hidden);
  EXPECT_FALSE(fakes.application.simulateReopen(false));
  fakes.loop.runPosted();
  EXPECT_FALSE(delegate->window()->userHidden());
  EXPECT_FALSE(delegate->land().hidden);
}

TEST_F(AppDelegateWiringTest, HideOnFullscreenTogglesTheAuxiliaryBitOnThePanel) {
  launch();
  const auto& panel = delegate->window()->panel();
  ASSERT_EQ(panel.collectionBehavior() & platform::fullScreenAuxiliary, 0u);
  delegate->prefs().apply(patch([](PrefsPatch& p) { p.hideOnFullscreen = false; }));
  EXPECT_NE(panel.collectionBehavior() & platform::fullScreenAuxiliary, 0u);
  delegate->prefs().apply(patch([](PrefsPatch& p) { p.hideOnFullscreen = true; }));
  EXPECT_EQ(panel.collectionBehavior() & platform::fullScreenAuxiliary, 0u);
}

TEST_F(AppDelegateWiringTest, OnTopOffNarrowsAWideWindowAndLowersThePanelToThePetLevel) {
  launch();
  PetWindowController& window = *delegate->window();
  // The visible bottom of the only screen is at page y 900, so the pet stands at y 716.
  window.applyPetFrame({600, 716, 200, 200});
  fakes.loop.advance(1.0 / 64);
  window.applyPetFrame({601.25, 716, 200, 200});
  ASSERT_TRUE(window.wide());
  ASSERT_EQ(window.panel().level(), PetWindowController::floatingLevel);

  delegate->prefs().apply(patch([](PrefsPatch& p) { p.onTop = false; }));
  EXPECT_FALSE(window.onTop());
  EXPECT_FALSE(window.wide());
  EXPECT_EQ(window.panel().frame(), (GRect{601.25, 716, 200, 200}));
  EXPECT_EQ(window.panel().level(), window.petBaseLevel());
}

TEST_F(AppDelegateWiringTest, WakeRefreshesThePermissionAndChecksThePetIsOnScreen) {
  launch();
  delegate->bridge().ready = true;  // so the page, not the delegate, is asked to bring the pet back
  delegate->window()->applyPetFrame({3000, 716, 200, 200});
  fakes.loop.advance(5);
  ASSERT_FALSE(delegate->window()->offscreenCheckPending());
  const int probes = fakes.keyTap.preflightCalls;
  fakes.systemEvents.emit(platform::SystemEvent::didWake);
  fakes.loop.runPosted();
  EXPECT_TRUE(delegate->window()->offscreenCheckPending());
  EXPECT_GT(fakes.keyTap.preflightCalls, probes);
}

}  // namespace
}  // namespace brindlow
