#include "platform/fake/FakeWindowServer.h"

#include <gtest/gtest.h>

#include "platform/fake/FakePetPanel.h"
#include "platform/fake/FakeStripWindow.h"

namespace brindlow::fake {
namespace {

TEST(FakeWindowServer, TracksLiveWindowsAndRecordsOperations) {
  FakeWindowServer server;
  auto panel = server.createPetPanel();
  auto strip = server.createStripWindow({0, 868, 1440, 32});
  ASSERT_EQ(server.panel(), panel.get());
  ASSERT_EQ(server.strips().size(), 1u);

  EXPECT_TRUE(panel->ignoresMouseEvents());  // click-through from the start
  panel->setFrame({1, 2, 200, 200}, true);
  panel->setIgnoresMouseEvents(false);
  panel->orderFrontRegardless();
  EXPECT_EQ(server.panel()->ops(), (std::vector<std::string>{"setFrame", "setIgnoresMouseEvents", "orderFrontRegardless"}));
  EXPECT_EQ(panel->frame(), (GRect{1, 2, 200, 200}));

  strip.reset();
  EXPECT_TRUE(server.strips().empty());
  EXPECT_EQ(server.stripsCreated(), 1);
}

TEST(FakeWindowServer, PanelBecomesKeyOnlyWhileAllowed) {
  FakeWindowServer server;
  auto panel = server.createPetPanel();
  panel->makeKey();
  EXPECT_FALSE(panel->isKey());
  panel->setAllowsKey(true);
  panel->makeKey();
  EXPECT_TRUE(panel->isKey());
  // As on the desktop: clearing the flag does not take key status away; leaving the screen does.
  panel->setAllowsKey(false);
  EXPECT_TRUE(panel->isKey());
  panel->orderOut();
  EXPECT_FALSE(panel->isKey());
}

TEST(FakeCanvas, ScalesAboutPivotAndRestores) {
  FakeCanvas canvas;
  canvas.save();
  canvas.scaleY(0.5, 10);
  canvas.fill({0, 10, 24, 8}, {}, platform::BlendMode::copy);
  canvas.restore();
  canvas.fill({0, 10, 24, 8}, {}, platform::BlendMode::sourceOver);
  ASSERT_EQ(canvas.fills().size(), 2u);
  EXPECT_EQ(canvas.fills()[0].effective, (GRect{0, 10, 24, 4}));
  EXPECT_EQ(canvas.fills()[1].effective, (GRect{0, 10, 24, 8}));
  EXPECT_EQ(canvas.unbalancedSaves(), 0);
}

TEST(FakeStripWindow, AnimationFramesOnlyWhileMapped) {
  FakeWindowServer server;
  auto strip = server.createStripWindow({0, 0, 100, 32});
  auto* fake = server.strips().front();
  int frames = 0;
  auto sub = strip->requestAnimationFrames([&](platform::Seconds) { ++frames; });
  fake->deliverAnimationFrame(1);
  strip->orderFrontRegardless();
  fake->deliverAnimationFrame(2);
  sub.cancel();
  fake->deliverAnimationFrame(3);
  EXPECT_EQ(frames, 1);
}

}  // namespace
}  // namespace brindlow::fake
