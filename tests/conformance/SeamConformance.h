#pragma once
// The seam's promises about windows and subscriptions, written once and run against every backend:
// the fake in the unit tests, the real one on an X desktop in the end-to-end run. Include this in one
// file per backend and instantiate it there with INSTANTIATE_TYPED_TEST_SUITE_P(Name, SeamConformance, T),
// where T is a default-constructible SeamBackend.
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "SeamBackend.h"
#include "model/Geometry.h"
#include "platform/PetPanel.h"
#include "platform/StripWindow.h"
#include "platform/Subscription.h"
#include "support/GeometryPrinters.h"

namespace brindlow::conformance {

template <class Backend>
class SeamConformance : public ::testing::Test {
 protected:
  std::unique_ptr<SeamBackend> backend = std::make_unique<Backend>();
  platform::WindowServer& server() { return backend->windowServer(); }
  bool shownAt(const platform::Window& w, GRect frame) {
    return backend->settle([&] { return backend->shownFrame(w) == frame; });
  }
  std::string shown(const platform::Window& w) { return "shown: " + testing::PrintToString(backend->shownFrame(w)); }
};

TYPED_TEST_SUITE_P(SeamConformance);

// A frame set reads back exactly, and the desktop shows the window there once the loop has run;
// the same for a move that keeps the size and for a window placed before it is shown.
TYPED_TEST_P(SeamConformance, AFrameSetIsTheFrameReadBackAndShown) {
  auto panel = this->server().createPetPanel();
  auto strip = this->server().createStripWindow(GRect{40, 700, 600, 12});
  EXPECT_EQ(strip->frame(), (GRect{40, 700, 600, 12}));

  panel->setFrame(GRect{300, 200, 200, 180}, true);
  EXPECT_EQ(panel->frame(), (GRect{300, 200, 200, 180}));
  panel->orderFrontRegardless();
  strip->orderFrontRegardless();
  EXPECT_TRUE(this->shownAt(*panel, GRect{300, 200, 200, 180})) << this->shown(*panel);
  EXPECT_TRUE(this->shownAt(*strip, GRect{40, 700, 600, 12})) << this->shown(*strip);

  for (GRect frame : {GRect{120, 80, 240, 220}, GRect{0, 0, 64, 64}, GRect{900, 500, 300, 260}}) {
    SCOPED_TRACE(testing::PrintToString(frame));
    panel->setFrame(frame, true);
    EXPECT_EQ(panel->frame(), frame);
    EXPECT_TRUE(this->shownAt(*panel, frame)) << this->shown(*panel);
  }
  panel->setFrameOrigin(GPoint{500, 300});
  EXPECT_EQ(panel->frame(), (GRect{500, 300, 300, 260}));
  EXPECT_TRUE(this->shownAt(*panel, GRect{500, 300, 300, 260}));
  strip->setFrame(GRect{40, 640, 480, 20}, false);
  EXPECT_EQ(strip->frame(), (GRect{40, 640, 480, 20}));
  EXPECT_TRUE(this->shownAt(*strip, GRect{40, 640, 480, 20}));
}

// A click-through window lets every click pass; a panel that takes clicks takes them inside its
// frame only; a strip never takes one.
TYPED_TEST_P(SeamConformance, ClicksPassThroughOutsideTheInputRegion) {
  auto panel = this->server().createPetPanel();
  auto strip = this->server().createStripWindow(GRect{100, 600, 500, 40});
  panel->setFrame(GRect{300, 200, 200, 200}, true);
  panel->orderFrontRegardless();
  strip->orderFrontRegardless();
  ASSERT_TRUE(this->shownAt(*panel, GRect{300, 200, 200, 200}));
  ASSERT_TRUE(this->shownAt(*strip, GRect{100, 600, 500, 40}));

  EXPECT_TRUE(panel->ignoresMouseEvents());  // panels start click-through
  EXPECT_FALSE(this->backend->takesClickAt(*panel, GPoint{400, 300}));
  EXPECT_FALSE(this->backend->takesClickAt(*strip, GPoint{350, 620}));

  panel->setIgnoresMouseEvents(false);
  EXPECT_FALSE(panel->ignoresMouseEvents());
  EXPECT_TRUE(this->backend->settle([&] { return this->backend->takesClickAt(*panel, GPoint{400, 300}); }));
  for (GPoint inside : {GPoint{301, 201}, GPoint{498, 398}}) {
    EXPECT_TRUE(this->backend->takesClickAt(*panel, inside)) << inside.x << "," << inside.y;
  }
  for (GPoint outside : {GPoint{299, 300}, GPoint{400, 401}, GPoint{520, 300}}) {
    EXPECT_FALSE(this->backend->takesClickAt(*panel, outside)) << outside.x << "," << outside.y;
  }

  panel->setIgnoresMouseEvents(true);
  EXPECT_TRUE(this->backend->settle([&] { return !this->backend->takesClickAt(*panel, GPoint{400, 300}); }));
}

// An order-out takes the window off the desktop; an order-in brings it back where it was.
TYPED_TEST_P(SeamConformance, AnOrderOutHides) {
  auto panel = this->server().createPetPanel();
  auto strip = this->server().createStripWindow(GRect{0, 780, 800, 20});
  panel->setFrame(GRect{200, 200, 150, 150}, true);
  EXPECT_FALSE(panel->isVisible());  // created off the desktop
  panel->orderFrontRegardless();
  strip->orderFrontRegardless();
  EXPECT_TRUE(panel->isVisible());
  ASSERT_TRUE(this->shownAt(*panel, GRect{200, 200, 150, 150}));
  ASSERT_TRUE(this->shownAt(*strip, GRect{0, 780, 800, 20}));

  panel->orderOut();
  strip->orderOut();
  EXPECT_FALSE(panel->isVisible());
  EXPECT_FALSE(strip->isVisible());
  EXPECT_TRUE(this->backend->settle(
      [&] { return !this->backend->shownFrame(*panel) && !this->backend->shownFrame(*strip); }));

  panel->setFrameOrigin(GPoint{260, 240});  // moved while hidden
  panel->orderFrontRegardless();
  EXPECT_TRUE(this->shownAt(*panel, GRect{260, 240, 150, 150}));
  EXPECT_FALSE(this->backend->shownFrame(*strip));
}

// Windows stack by level whatever order they were brought in, and a level change restacks.
TYPED_TEST_P(SeamConformance, LevelsStackInOrder) {
  const int desktopIcon = this->server().desktopIconLevel();
  auto ground = this->server().createStripWindow(GRect{0, 700, 600, 10});
  auto lifted = this->server().createStripWindow(GRect{0, 720, 600, 10});
  auto panel = this->server().createPetPanel();
  ground->setLevel(desktopIcon + 1);
  lifted->setLevel(2);
  panel->setLevel(3);
  panel->setFrame(GRect{100, 600, 200, 200}, true);
  EXPECT_EQ(ground->level(), desktopIcon + 1);
  EXPECT_EQ(panel->level(), 3);
  // Brought in top first, so the order they came in is the wrong one.
  panel->orderFrontRegardless();
  lifted->orderFrontRegardless();
  ground->orderFrontRegardless();
  const std::vector<const platform::Window*> all{panel.get(), ground.get(), lifted.get()};
  auto stacked = [&](std::vector<const platform::Window*> expected) {
    return this->backend->settle([&] {
      return this->backend->shownFrame(*panel) && this->backend->shownFrame(*ground) &&
             this->backend->shownFrame(*lifted) && this->backend->stacking(all) == expected;
    });
  };
  auto names = [&](const std::vector<const platform::Window*>& order) {
    std::string out;
    for (const auto* w : order) out += w == panel.get() ? "panel " : w == ground.get() ? "ground " : "lifted ";
    return out;
  };
  EXPECT_TRUE(stacked({ground.get(), lifted.get(), panel.get()})) << names(this->backend->stacking(all));

  panel->setLevel(desktopIcon + 2);  // the pet sinks below the lifted strip, still above the ground
  EXPECT_TRUE(stacked({ground.get(), panel.get(), lifted.get()})) << names(this->backend->stacking(all));
}

// A subscription dropped, before its time or by another handler in the same delivery, is never
// called again; the others go on.
TYPED_TEST_P(SeamConformance, ASubscriptionRemovedIsNeverCalled) {
  auto strip = this->server().createStripWindow(GRect{0, 760, 400, 20});
  strip->orderFrontRegardless();
  int dropped = 0, later = 0, kept = 0;
  platform::Subscription droppedFrames = strip->requestAnimationFrames([&](platform::Seconds) { ++dropped; });
  platform::Subscription laterFrames;
  platform::Subscription keptFrames = strip->requestAnimationFrames([&](platform::Seconds) {
    ++kept;
    laterFrames.cancel();  // added after this one: it never gets a frame
  });
  laterFrames = strip->requestAnimationFrames([&](platform::Seconds) { ++later; });
  droppedFrames.cancel();
  EXPECT_TRUE(this->backend->settle([&] { return kept >= 3; })) << "frames: " << kept;
  EXPECT_EQ(dropped, 0);
  EXPECT_EQ(later, 0);

  keptFrames.cancel();
  const int seen = kept;
  this->backend->idle();
  EXPECT_EQ(kept, seen);
}

// A handler that destroys the window it subscribed to ends that delivery safely: the handlers after
// it are not called, and nothing else happens later.
TYPED_TEST_P(SeamConformance, AHandlerThatDestroysItsOwnerIsSafe) {
  auto strip = this->server().createStripWindow(GRect{0, 760, 400, 20});
  auto other = this->server().createStripWindow(GRect{0, 700, 400, 20});
  strip->orderFrontRegardless();
  other->orderFrontRegardless();
  int destroyer = 0, after = 0, elsewhere = 0;
  std::vector<platform::Subscription> subs;
  subs.push_back(strip->requestAnimationFrames([&](platform::Seconds) {
    ++destroyer;
    strip.reset();
  }));
  subs.push_back(strip->requestAnimationFrames([&](platform::Seconds) { ++after; }));
  subs.push_back(other->requestAnimationFrames([&](platform::Seconds) { ++elsewhere; }));
  EXPECT_TRUE(this->backend->settle([&] { return !strip && elsewhere >= 3; }));
  EXPECT_EQ(destroyer, 1);
  EXPECT_EQ(after, 0);
  subs.clear();  // subscriptions outliving their window do nothing
  this->backend->idle();
  EXPECT_EQ(destroyer, 1);
}

REGISTER_TYPED_TEST_SUITE_P(SeamConformance, AFrameSetIsTheFrameReadBackAndShown,
                            ClicksPassThroughOutsideTheInputRegion, AnOrderOutHides, LevelsStackInOrder,
                            ASubscriptionRemovedIsNeverCalled, AHandlerThatDestroysItsOwnerIsSafe);

}  // namespace brindlow::conformance
