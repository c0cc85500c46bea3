#include "platform/fake/FakeScreens.h"

#include <gtest/gtest.h>

#include <memory>

namespace brindlow {
namespace {

TEST(FakeScreens, DefaultsAndDrivers) {
  fake::FakeScreens screens;
  ASSERT_EQ(screens.displays().size(), 1u);
  EXPECT_EQ(screens.displays()[0].visibleFrame, (GRect{0, 25, 1440, 875}));
  EXPECT_EQ(screens.displaysReads(), 2);
  EXPECT_EQ(screens.pointerLocation(), (GPoint{720, 450}));
  EXPECT_EQ(screens.pressedMouseButtons(), 0u);
  screens.setPressedButtons(1);
  EXPECT_EQ(screens.pressedMouseButtons(), 1u);
}

TEST(FakeScreens, ParametersChangedOnlyWhenDriven) {
  fake::FakeScreens screens;
  int a = 0;
  int b = 0;
  platform::Subscription subB;
  auto subA = screens.onParametersChanged([&] {
    ++a;
    subB.cancel();  // a handler cancelling another one mid-delivery
  });
  subB = screens.onParametersChanged([&] { ++b; });
  screens.setDisplays({});
  EXPECT_EQ(a, 0);
  screens.emitParametersChanged();
  EXPECT_EQ(a, 1);
  EXPECT_EQ(b, 0);
  EXPECT_EQ(screens.subscriberCount(), 1u);
  subA.cancel();
  screens.emitParametersChanged();
  EXPECT_EQ(a, 1);
}

TEST(FakeScreens, HandlerMayDestroyTheFake) {
  auto screens = std::make_unique<fake::FakeScreens>();
  int calls = 0;
  auto first = screens->onParametersChanged([&] {
    ++calls;
    screens.reset();
  });
  auto second = screens->onParametersChanged([&] { ++calls; });
  screens->emitParametersChanged();
  EXPECT_EQ(calls, 1);
  // The subscriptions outlive the fake and cancel harmlessly.
}

}  // namespace
}  // namespace brindlow
