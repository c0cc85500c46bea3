#include "platform/fake/FakeWebViewConfig.h"
#include "window/PetWindowFixture.h"

namespace brindlow {
namespace {

using Mode = PetWindowController::Mode;

constexpr GRect kOnScreen{600, 691, 200, 200};
constexpr GRect kMostlyOff{1400, 691, 200, 200};  // 40 of 200 points on screen: 20 %

class PetWindow : public test::PetWindowFixture {
 protected:
  PetWindow() { make(); }
};

TEST_F(PetWindow, StartsHiddenClickThroughWithThePageInThePetBox) {
  EXPECT_FALSE(panel->isVisible());
  EXPECT_TRUE(panel->ignoresMouseEvents());
  EXPECT_EQ(panel->webView(), web);
  EXPECT_EQ(panel->webViewFrame(), (GRect{0, 0, 200, 200}));
  EXPECT_EQ(panel->level(), PetWindowController::floatingLevel);
  EXPECT_TRUE(web->hasNavigationHandlers());

  make(false);
  EXPECT_EQ(panel->level(), fake::FakeWindowServer::kDesktopIconLevel + 2);
  controller->setOnTop(true);
  EXPECT_EQ(panel->level(), 3);
  controller->setOnTop(false);
  EXPECT_EQ(panel->level(), fake::FakeWindowServer::kDesktopIconLevel + 2);
}

TEST_F(PetWindow, FullScreenAuxiliaryFlipsOnlyItsBit) {
  controller->setFullScreenAux(true);
  EXPECT_EQ(panel->collectionBehavior(), 81u + 256u);
  controller->setFullScreenAux(false);
  EXPECT_EQ(panel->collectionBehavior(), 81u);
}

TEST_F(PetWindow, PanelModeCentresAKeyPanelAndReportsEachTime) {
  screens.setDisplays({display({0, 0, 1440, 900}, {0, 25, 1440, 875})});
  controller->setMode(Mode::panelOf(PanelKind::settings));
  EXPECT_EQ(panel->frame(), (GRect{340, 193, 760, 540}));  // 192.5 rounds up
  EXPECT_TRUE(panel->allowsKey());
  EXPECT_TRUE(panel->isKey());
  EXPECT_TRUE(panel->isVisible());
  EXPECT_EQ(panel->level(), 3);
  EXPECT_EQ(panel->webViewFrame(), (GRect{0, 0, 760, 540}));
  EXPECT_TRUE(panel->webViewFillsContent());
  EXPECT_TRUE(controller->hitTester()->forceAccept());
  EXPECT_FALSE(controller->hitTester()->nearEnabled);
  EXPECT_EQ(shownReports, std::vector<bool>{true});
  ASSERT_EQ(windowReports.size(), 1u);
  EXPECT_EQ(windowReports[0], (WindowInfo{"panel", {340, 193, 760, 540}, 2, "SCREEN-A"}));

  controller->setMode(Mode::panelOf(PanelKind::settings));
  EXPECT_EQ(windowReports.size(), 2u);
  EXPECT_EQ(shownReports.size(), 1u);

  // A narrow screen keeps the panel 320 wide.
  screens.setDisplays({display({0, 0, 300, 900}, {0, 0, 300, 900})});
  controller->setMode(Mode::panelOf(PanelKind::wardrobe));
  EXPECT_EQ(panel->frame().w, 320);
}

TEST_F(PetWindow, BackToPetModeFromAKeyPanel) {
  screens.setDisplays({display({0, 0, 1440, 900}, {0, 25, 1440, 875})});
  screens.setPointer({100, 100});
  panel->clearOps();
  controller->setMode(Mode::pet());  // already pet: nothing
  EXPECT_TRUE(windowReports.empty());
  EXPECT_TRUE(panel->ops().empty());

  controller->setMode(Mode::panelOf(PanelKind::onboarding));
  ASSERT_TRUE(panel->isKey());
  controller->setMode(Mode::pet());
  // No pet frame yet: the bottom centre of the screen under the pointer.
  EXPECT_EQ(panel->frame(), (GRect{620, 716, 200, 200}));
  EXPECT_EQ(controller->petFrame(), std::nullopt);
  EXPECT_TRUE(panel->isVisible());
  EXPECT_FALSE(panel->isKey());
  EXPECT_FALSE(panel->allowsKey());
  EXPECT_EQ(panel->webViewFrame(), (GRect{0, 0, 200, 200}));
  EXPECT_FALSE(panel->webViewFillsContent());
  EXPECT_FALSE(controller->hitTester()->forceAccept());
  EXPECT_TRUE(controller->hitTester()->nearEnabled);
  EXPECT_EQ(windowReports.back().mode, "pet");

  // With a stored frame the pet returns there, and the frame is kept as it was.
  controller->applyPetFrame(kOnScreen);
  controller->setMode(Mode::panelOf(PanelKind::wardrobe));
  controller->applyPetFrame({10, 691, 200, 200});  // only stored in panel mode
  EXPECT_EQ(panel->frame(), (GRect{340, 193, 760, 540}));
  controller->setMode(Mode::pet());
  EXPECT_EQ(panel->frame(), (GRect{10, 691, 200, 200}));
}

TEST_F(PetWindow, PanelScreenRectFallsBackWithoutScreens) {
  screens.setDisplays({});
  EXPECT_EQ(controller->panelScreenRect(), (GRect{0, 0, 1440, 900}));
  controller->setMode(Mode::panelOf(PanelKind::settings));
  EXPECT_EQ(panel->frame(), (GRect{340, 180, 760, 540}));
  panel->setBackingScaleForTest(std::nullopt);
  const WindowInfo info = controller->windowInfo();
  EXPECT_EQ(info.scale, 2.0);
  EXPECT_EQ(info.screenKey, std::nullopt);
}

TEST_F(PetWindow, WindowInfoNamesTheScreenUnderThePetsCentre) {
  screens.setDisplays({display(), {2u, "SCREEN-B", {1440, 0, 1000, 800}, {1440, 0, 1000, 800}, 1}});
  controller->applyPetFrame({1400, 100, 200, 200});
  EXPECT_EQ(controller->windowInfo().screenKey, "SCREEN-B");  // centre x 1500
  controller->applyPetFrame({1400, 700, 200, 200});
  EXPECT_EQ(controller->windowInfo().screenKey, std::nullopt);  // centre (1500, 800) is below B
  panel->setBackingScaleForTest(std::nullopt);
  EXPECT_EQ(controller->windowInfo().scale, 2.0);  // the primary screen's

  panel->changeBackingScale(1.0);
  ASSERT_EQ(windowReports.size(), 1u);
  EXPECT_EQ(windowReports[0].scale, 1.0);
}

TEST_F(PetWindow, HiddenForAnHourByTheWallClock) {
  controller->applyPetFrame(kOnScreen);
  controller->setUserHidden(true);
  EXPECT_FALSE(panel->isVisible());
  EXPECT_TRUE(controller->unhidePending());
  EXPECT_TRUE(panel->ignoresMouseEvents());

  loop.advance(3599);
  EXPECT_TRUE(controller->userHidden());
  loop.advance(1);
  EXPECT_FALSE(controller->userHidden());
  EXPECT_TRUE(panel->isVisible());
  EXPECT_EQ(shownReports, (std::vector<bool>{true, false, true}));

  // A wall-clock jump (a suspend, a clock change) brings the pet back at the deadline.
  controller->setUserHidden(true);
  const double deadline = loop.now() + 3600;
  loop.setWall(deadline - 1);
  EXPECT_TRUE(controller->userHidden());
  loop.setWall(deadline);
  EXPECT_FALSE(controller->userHidden());
  EXPECT_TRUE(panel->isVisible());
  EXPECT_FALSE(controller->unhidePending());
}

TEST_F(PetWindow, ShowingAgainCancelsTheUnhideAndShowingBeforeTheFirstPlacementShowsNothing) {
  controller->setUserHidden(true);
  controller->setUserHidden(false);
  EXPECT_FALSE(panel->isVisible());
  EXPECT_FALSE(controller->unhidePending());
  EXPECT_EQ(shownReports, (std::vector<bool>{false, false}));

  controller->applyPetFrame(kOnScreen);
  controller->setUserHidden(true);
  controller->setUserHidden(false);
  EXPECT_TRUE(panel->isVisible());
  EXPECT_FALSE(controller->unhidePending());
  EXPECT_EQ(loop.pendingTimers(), 0u);
}

TEST_F(PetWindow, HidingDuringADragCancelsItFirst) {
  controller->applyPetFrame(kOnScreen);
  std::vector<std::string> phases;
  controller->drag()->onEvent = [&](const DragEvent& e) { phases.push_back(e.phase); };
  screens.setPressedButtons(1);
  controller->beginDrag();
  ASSERT_TRUE(controller->drag()->active());
  controller->setUserHidden(true);
  EXPECT_EQ(phases, std::vector<std::string>{"cancel"});
  EXPECT_FALSE(controller->drag()->active());
  EXPECT_FALSE(controller->hitTester()->forceAccept());

  controller->beginDrag();  // hidden: no drag
  EXPECT_FALSE(controller->drag()->active());
}

TEST_F(PetWindow, OffScreenPetIsSummonedAfterTheDelay) {
  screens.setPointer({300, 400});
  controller->applyPetFrame(kMostlyOff);
  EXPECT_NEAR(controller->visibleFraction().fraction, 0.2, 1e-12);
  EXPECT_TRUE(controller->offscreenCheckPending());
  loop.advance(1.75);
  controller->applyPetFrame(kMostlyOff);  // a pending check keeps its deadline
  loop.advance(0.125);
  EXPECT_TRUE(summons.empty());
  loop.advance(0.25);
  EXPECT_EQ(summons, (std::vector<GPoint>{{300, 400}}));

  // Back on screen (30 % is enough) before the delay: the check is dropped.
  controller->applyPetFrame(kMostlyOff);
  controller->applyPetFrame({1380, 691, 200, 200});
  EXPECT_FALSE(controller->offscreenCheckPending());
  loop.advance(5);
  EXPECT_EQ(summons.size(), 1u);
}

TEST_F(PetWindow, OffScreenCheckDelaysByTrigger) {
  struct Case {
    const char* name;
    std::function<void()> trigger;
    double delay;
  };
  const std::vector<Case> cases{
      {"placement", [&] { controller->applyPetFrame(kMostlyOff); }, 2.0},
      {"new screens", [&] { controller->setScreens({}); }, 1.0},
      {"unhide", [&] { controller->setUserHidden(false); }, 0.5},
      {"back to pet mode",
       [&] {
         controller->setMode(Mode::panelOf(PanelKind::settings));
         controller->setMode(Mode::pet());
       },
       2.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    make();
    controller->applyPetFrame(kMostlyOff);
    loop.advance(3);
    ASSERT_EQ(summons.size(), 1u);
    summons.clear();
    controller->setUserHidden(true);
    if (std::string(c.name) != "unhide") controller->setUserHidden(false);
    loop.advance(3);
    summons.clear();

    c.trigger();
    loop.advance(c.delay - 0.03125);
    EXPECT_TRUE(summons.empty());
    loop.advance(0.0625);
    EXPECT_EQ(summons.size(), 1u);
  }
}

TEST_F(PetWindow, NoSummonWhileHiddenDraggingOrInPanelMode) {
  controller->applyPetFrame(kMostlyOff);
  controller->setUserHidden(true);
  loop.advance(3);
  EXPECT_TRUE(summons.empty());
  controller->setUserHidden(false);
  screens.setPressedButtons(1);
  controller->beginDrag();
  loop.advance(3);
  EXPECT_TRUE(summons.empty());
  controller->drag()->cancel();  // a drag's end checks again, 2 s later
  controller->setMode(Mode::panelOf(PanelKind::settings));
  loop.advance(3);
  EXPECT_TRUE(summons.empty());
}

TEST_F(PetWindow, NavigationStaysOnTheAppsPages) {
  struct Case {
    std::optional<std::string> url;
    bool allowed;
  };
  const std::vector<Case> cases{
      {"brindlow://app/index.html", true},
      {"brindlow://app", true},
      {"brindlow://app/sub/page.html?x=1#y", true},
      {"about:blank", true},
      {std::nullopt, false},
      {"", false},
      {"brindlow://other/index.html", false},
      {"brindlow://APP/index.html", false},
      {"Brindlow://app/index.html", false},
      {"brindlow:app", false},
      {"brindlow:///index.html", false},
      {"about:srcdoc", false},
      {"about:blank#top", false},
      {"https://app/index.html", false},
      {"file:///etc/passwd", false},
      {"javascript:alert(1)", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.url.value_or("(none)"));
    EXPECT_EQ(web->decide(c.url), c.allowed);
  }
}

TEST_F(PetWindow, CommitAndCrashClearTheHitRectsAndReport) {
  controller->applyPetFrame(kOnScreen);
  int navigated = 0;
  int terminated = 0;
  controller->onWebNavigated = [&] { ++navigated; };
  controller->onWebTerminated = [&] { ++terminated; };
  std::vector<std::string> phases;
  controller->drag()->onEvent = [&](const DragEvent& e) { phases.push_back(e.phase); };

  screens.setPointer({650, 750});
  controller->hitTester()->setRects({{0, 0, 200, 200}});
  EXPECT_FALSE(panel->ignoresMouseEvents());
  web->commit();
  EXPECT_TRUE(controller->hitTester()->rects.empty());
  EXPECT_TRUE(panel->ignoresMouseEvents());
  EXPECT_EQ(navigated, 1);
  EXPECT_TRUE(log.lines().empty());

  controller->hitTester()->setRects({{0, 0, 200, 200}});
  screens.setPressedButtons(1);
  controller->beginDrag();
  web->terminateWebProcess();
  EXPECT_EQ(phases, std::vector<std::string>{"cancel"});
  EXPECT_TRUE(controller->hitTester()->rects.empty());
  EXPECT_TRUE(panel->ignoresMouseEvents());
  EXPECT_EQ(terminated, 1);
  EXPECT_EQ(log.lines(), std::vector<std::string>{"web: content process terminated"});
}

TEST_F(PetWindow, StopCancelsEverythingAndDetachesTheWebView) {
  controller->applyPetFrame(kMostlyOff);
  loop.advance(1.0 / 60);
  controller->applyPetFrame({1240, 691, 200, 200});
  controller->setUserHidden(true);
  controller->setUserHidden(false, 10);
  controller->setUserHidden(true, 10);
  ASSERT_GT(loop.pendingTimers(), 0u);
  controller->hitTester()->start();
  controller->stop();
  EXPECT_EQ(loop.pendingTimers(), 0u);
  EXPECT_FALSE(web->hasNavigationHandlers());
  EXPECT_EQ(web->stopLoadingCount(), 1);
  EXPECT_FALSE(controller->hitTester()->hasGlobalMonitor());
  panel->changeBackingScale(1);
  EXPECT_TRUE(windowReports.empty());
}

TEST_F(PetWindow, StopDuringADragLeavesNoCheckBehind) {
  controller->applyPetFrame(kMostlyOff);
  std::vector<std::string> phases;
  controller->drag()->onEvent = [&](const DragEvent& e) { phases.push_back(e.phase); };
  screens.setPressedButtons(1);
  controller->beginDrag();
  ASSERT_TRUE(controller->drag()->active());
  controller->stop();
  EXPECT_EQ(phases, std::vector<std::string>{"cancel"});
  EXPECT_EQ(loop.pendingTimers(), 0u);
  loop.advance(10);
  EXPECT_TRUE(summons.empty());
}

TEST_F(PetWindow, PendingWorkDiesWithTheController) {
  controller->applyPetFrame(kMostlyOff);
  loop.advance(1.0 / 60);
  controller->applyPetFrame({1240, 691, 200, 200});
  controller->setUserHidden(true);
  controller.reset();
  EXPECT_EQ(windows.panel(), nullptr);
  EXPECT_EQ(engine.webView(), nullptr);
  EXPECT_EQ(loop.pendingTimers(), 0u);
  loop.advance(7200);
  EXPECT_TRUE(summons.empty());
}

}  // namespace
}  // namespace brindlow
