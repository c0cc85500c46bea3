#include <cmath>
#include <limits>

#include "window/PetWindowFixture.h"

namespace brindlow {
namespace {

constexpr double kFrameStep = 1.0 / 60;
// The bottom of the visible frame (0, 25, 1440, 850) is y = 875; the pet stands on it at y = 691.
constexpr double kStandingY = 691;
constexpr GRect kBottomWide{-100, 659, 1640, 232};

class PetPlacement : public test::PetWindowFixture {
 protected:
  PetPlacement() { make(); }
  static GRect pet(double x, double y = kStandingY) { return {x, y, 200, 200}; }
};

TEST_F(PetPlacement, AnimationWidensOnceThenMovesOnlyTheHolderAndNarrowsAfterTheHold) {
  controller->applyPetFrame(pet(600));
  EXPECT_EQ(panel->frame(), pet(600));
  EXPECT_FALSE(controller->wide());
  EXPECT_TRUE(panel->isVisible());
  EXPECT_EQ(shownReports, std::vector<bool>{true});

  loop.advance(kFrameStep);
  controller->applyPetFrame(pet(601.25));
  EXPECT_EQ(panel->frame(), kBottomWide);
  EXPECT_EQ(controller->wide(), kBottomWide);
  // Snapped at scale 2 to 701.5 from the wide window's left; bottom-up, the holder sits on the floor.
  EXPECT_EQ(panel->webViewFrame(), (GRect{701.5, 0, 200, 200}));
  EXPECT_EQ(controller->webFrameOnScreen(), (GRect{601.5, 691, 200, 200}));
  EXPECT_EQ(controller->windowInfo().frame, (GRect{601.5, 691, 200, 200}));

  // Three seconds of frames, longer than the hold: the panel's frame is never set again.
  panel->clearOps();
  double x = 601.25;
  for (int i = 0; i < 180; ++i) {
    loop.advance(kFrameStep);
    x += 1;
    controller->applyPetFrame(pet(x));
  }
  EXPECT_EQ(panel->count("setFrame"), 0);
  EXPECT_EQ(panel->count("setWebViewFrame"), 180);
  EXPECT_EQ(panel->frame(), kBottomWide);
  EXPECT_EQ(controller->webFrameOnScreen(), pet(std::round(x * 2) / 2));

  // A frame whose snapped place does not change leaves the holder alone.
  loop.advance(kFrameStep);
  controller->applyPetFrame(pet(x + 0.1));
  EXPECT_EQ(panel->count("setWebViewFrame"), 180);

  loop.advance(1.9);
  EXPECT_EQ(controller->wide(), kBottomWide);
  loop.advance(0.2);
  EXPECT_FALSE(controller->wide());
  EXPECT_FALSE(controller->narrowPending());
  EXPECT_EQ(panel->frame(), pet(x + 0.1));
  EXPECT_EQ(panel->webViewFrame(), (GRect{0, 0, 200, 200}));
  EXPECT_EQ(panel->count("setFrame"), 1);
}

TEST_F(PetPlacement, AWalkUnderAStillPointerReadsThePointerOnceAndStillFlipsClickThrough) {
  screens.setPointer({1000, 800});  // on the floor, ahead of the pet
  controller->applyPetFrame(pet(600));
  controller->hitTester()->setRects({{0, 0, 200, 200}});
  ASSERT_TRUE(panel->ignoresMouseEvents());
  const int reads = screens.pointerReads();
  double x = 600;
  while (x < 950) {
    loop.advance(kFrameStep);
    x += 5;
    controller->applyPetFrame(pet(x));
    // The pet's box covers the pointer once its left edge passes 800.
    EXPECT_EQ(panel->ignoresMouseEvents(), x <= 800) << "x = " << x;
  }
  ASSERT_TRUE(controller->wide());
  EXPECT_EQ(screens.pointerReads(), reads);

  // A pointer event reads it afresh.
  screens.setPointer({100, 100});
  controller->hitTester()->update();
  EXPECT_TRUE(panel->ignoresMouseEvents());
  EXPECT_GT(screens.pointerReads(), reads);
}

TEST_F(PetPlacement, NoWideWindowWithoutOnTopOrWhileHidden) {
  struct Case {
    const char* name;
    bool onTop;
    bool hidden;
  };
  for (const Case& c : {Case{"on top off", false, false}, Case{"hidden", true, true}}) {
    SCOPED_TRACE(c.name);
    make(c.onTop);
    if (c.hidden) controller->setUserHidden(true);
    controller->applyPetFrame(pet(600));
    for (int i = 1; i <= 3; ++i) {
      loop.advance(kFrameStep);
      controller->applyPetFrame(pet(600 + i));
      EXPECT_FALSE(controller->wide());
      EXPECT_EQ(panel->frame(), pet(600 + i));
    }
    EXPECT_EQ(panel->isVisible(), !c.hidden);
    EXPECT_FALSE(controller->narrowPending());
  }
}

TEST_F(PetPlacement, SlowPlacementsStayNarrowUntilABurst) {
  controller->applyPetFrame(pet(600));
  loop.advance(0.25);  // not closer than the burst
  controller->applyPetFrame(pet(610));
  EXPECT_FALSE(controller->wide());
  loop.advance(0.125);
  controller->applyPetFrame(pet(620));
  EXPECT_EQ(controller->wide(), kBottomWide);
  // Once wide, a slow placement on the same wide window keeps it.
  loop.advance(1.5);
  controller->applyPetFrame(pet(630));
  EXPECT_EQ(controller->wide(), kBottomWide);
  // Leaving the line (jumping higher than the headroom) is applied narrow at once.
  loop.advance(kFrameStep);
  controller->applyPetFrame(pet(640, 600));
  EXPECT_FALSE(controller->wide());
  EXPECT_EQ(panel->frame(), pet(640, 600));
}

TEST_F(PetPlacement, WindowLineTakesOnlyFramesInsideItsWideRect) {
  const SurfaceLine line{500, 300, 400};
  struct Case {
    GRect frame;
    bool wide;
  };
  for (const Case& c : {Case{{400, 116, 200, 200}, true}, Case{{399, 116, 200, 200}, false},
                        Case{{400, 117, 200, 200}, false}, Case{{800, 84, 200, 200}, true}}) {
    SCOPED_TRACE(testing::PrintToString(c.frame));
    make();
    controller->setStandingLine(line);
    controller->applyPetFrame(pet(500, 116));
    loop.advance(kFrameStep);
    controller->applyPetFrame(c.frame);
    if (c.wide) {
      EXPECT_EQ(controller->wide(), (GRect{400, 84, 600, 232}));
      EXPECT_EQ(controller->webFrameOnScreen(), c.frame);
    } else {
      EXPECT_FALSE(controller->wide());
      EXPECT_EQ(panel->frame(), c.frame);
    }
  }
}

TEST_F(PetPlacement, AStandingLineThatMissesThePetDoesNotFallBackToTheScreenBottom) {
  controller->setStandingLine(SurfaceLine{500, 300, 400});
  controller->applyPetFrame(pet(600));
  loop.advance(kFrameStep);
  controller->applyPetFrame(pet(601));
  EXPECT_FALSE(controller->wide());
}

TEST_F(PetPlacement, ChangingTheStandingLineGivesUpTheWideWindowAtOnce) {
  controller->applyPetFrame(pet(600));
  loop.advance(kFrameStep);
  controller->applyPetFrame(pet(601));
  ASSERT_TRUE(controller->wide());

  controller->setStandingLine(std::nullopt);  // the same (absent) line: nothing happens
  EXPECT_TRUE(controller->wide());

  controller->setStandingLine(SurfaceLine{500, 300, 400});
  EXPECT_FALSE(controller->wide());
  EXPECT_EQ(panel->frame(), pet(601));
  EXPECT_EQ(panel->webViewFrame(), (GRect{0, 0, 200, 200}));

  panel->clearOps();
  controller->setStandingLine(SurfaceLine{500, 300, 400});
  EXPECT_TRUE(panel->ops().empty());
}

TEST_F(PetPlacement, HolderSnapsToDevicePixels) {
  struct Case {
    std::optional<double> scale;
    double holderX;
  };
  // The line's wide rect starts at x = 400, so the pet at 410.3 is 10.3 points in.
  for (const Case& c : {Case{2.0, 10.5}, Case{0.5, 10}, Case{3.0, 31.0 / 3}, Case{std::nullopt, 10}}) {
    SCOPED_TRACE(c.scale.value_or(-1));
    make();
    panel->setBackingScaleForTest(c.scale);
    controller->setStandingLine(SurfaceLine{500, 300, 400});
    controller->applyPetFrame(pet(410, 116));
    loop.advance(kFrameStep);
    controller->applyPetFrame(pet(410.3, 116));
    ASSERT_TRUE(controller->wide());
    EXPECT_DOUBLE_EQ(panel->webViewFrame().x, c.holderX);
    EXPECT_EQ(panel->webViewFrame().y, 0);
  }
}

TEST_F(PetPlacement, InvalidFramesAreIgnoredWithOneWarning) {
  controller->applyPetFrame(pet(600));
  panel->clearOps();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  for (const GRect& bad : {GRect{nan, 691, 200, 200}, GRect{600, 691, 201, 200}, GRect{600, 691, 200, 199.5},
                           GRect{100000, 691, 200, 200}, GRect{600, -100000, 200, 200}, GRect{600, inf, 200, 200},
                           GRect{600, 691, 200, nan}}) {
    SCOPED_TRACE(testing::PrintToString(bad));
    loop.advance(kFrameStep);
    controller->applyPetFrame(bad);
    EXPECT_EQ(controller->petFrame(), pet(600));
  }
  EXPECT_TRUE(panel->ops().empty());
  EXPECT_FALSE(controller->wide());
  EXPECT_EQ(log.lines(), std::vector<std::string>{"pet.frame: wrong size or value, ignored"});

  // Within half a point of the pet box is still the pet box.
  loop.advance(1);
  controller->applyPetFrame({600, 691, 200.4, 199.6});
  EXPECT_EQ(panel->frame(), (GRect{600, 691, 200.4, 199.6}));
}

TEST_F(PetPlacement, FirstFrameWhileHiddenIsStoredButNotShown) {
  controller->setUserHidden(true);
  shownReports.clear();
  controller->applyPetFrame(pet(600));
  EXPECT_TRUE(controller->shownOnce());
  EXPECT_FALSE(panel->isVisible());
  EXPECT_EQ(panel->frame(), pet(600));
  EXPECT_EQ(shownReports, std::vector<bool>{false});
}

TEST_F(PetPlacement, PlacementDuringADragLeavesThePanelWhereTheDragPutIt) {
  controller->applyPetFrame(pet(600));
  loop.advance(kFrameStep);
  controller->applyPetFrame(pet(601));
  ASSERT_TRUE(controller->wide());

  screens.setPressedButtons(1);
  screens.setPointer({700, 800});
  controller->beginDrag();
  ASSERT_TRUE(controller->drag()->active());
  EXPECT_FALSE(controller->wide());  // the drag moves the pet's own box
  EXPECT_EQ(panel->frame(), pet(601));
  EXPECT_TRUE(controller->hitTester()->forceAccept());

  screens.setPointer({750, 700});
  mouse.emitLocal(platform::MouseEventType::leftMouseDragged, 1001);
  const GRect dragged = panel->frame();
  EXPECT_EQ(dragged, pet(651, 591));
  controller->applyPetFrame(pet(300));
  EXPECT_EQ(panel->frame(), dragged);
  EXPECT_EQ(controller->petFrame(), pet(300));

  mouse.emitLocal(platform::MouseEventType::leftMouseUp, 1002);
  EXPECT_FALSE(controller->drag()->active());
  EXPECT_FALSE(controller->hitTester()->forceAccept());
}

}  // namespace
}  // namespace brindlow
