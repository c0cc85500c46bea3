#pragma once
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "platform/fake/FakeMainLoop.h"
#include "platform/fake/FakeMouseMonitor.h"
#include "platform/fake/FakePetPanel.h"
#include "platform/fake/FakeScreens.h"
#include "platform/fake/FakeWebEngine.h"
#include "platform/fake/FakeWebView.h"
#include "platform/fake/FakeWindowServer.h"
#include "support/GeometryPrinters.h"
#include "support/LogCapture.h"
#include "window/DragController.h"
#include "window/HitTester.h"
#include "window/PetWindowController.h"

namespace brindlow::test {

// One pet window on fake platform pieces, with every report it makes recorded.
class PetWindowFixture : public ::testing::Test {
 protected:
  // The screen of the placement examples: a 25-point menu bar and a 25-point dock.
  static platform::DisplayInfo display(GRect frame = {0, 0, 1440, 900}, GRect visible = {0, 25, 1440, 850}) {
    return {1u, "SCREEN-A", frame, visible, 2};
  }

  PetWindowFixture() { screens.setDisplays({display()}); }

  void make(bool onTop = true) {
    controller.reset();
    controller = PetWindowController::create(loop, screens, windows, engine, mouse, engine.makeConfiguration(), onTop);
    panel = windows.panel();
    web = engine.webView();
    windowReports.clear();
    shownReports.clear();
    summons.clear();
    controller->onWindow = [this](const WindowInfo& info) { windowReports.push_back(info); };
    controller->onShownChanged = [this](bool shown) { shownReports.push_back(shown); };
    controller->onSummonNeeded = [this](GPoint p) { summons.push_back(p); };
  }

  LogCapture log;
  fake::FakeMainLoop loop;
  fake::FakeScreens screens;
  fake::FakeWindowServer windows;
  fake::FakeWebEngine engine;
  fake::FakeMouseMonitor mouse;
  std::shared_ptr<PetWindowController> controller;
  fake::FakePetPanel* panel = nullptr;
  fake::FakeWebView* web = nullptr;
  std::vector<WindowInfo> windowReports;
  std::vector<bool> shownReports;
  std::vector<GPoint> summons;
};

}  // namespace brindlow::test
