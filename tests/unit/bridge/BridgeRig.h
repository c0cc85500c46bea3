#pragma once
#include <memory>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "app/AppServices.h"
#include "bridge/Bridge.h"
#include "platform/Platform.h"
#include "platform/fake/FakeApplication.h"
#include "platform/fake/FakeDefaults.h"
#include "platform/fake/FakeFileSystem.h"
#include "platform/fake/FakeKeyTap.h"
#include "platform/fake/FakeLocale.h"
#include "platform/fake/FakeLoginItems.h"
#include "platform/fake/FakeMainLoop.h"
#include "platform/fake/FakeMouseMonitor.h"
#include "platform/fake/FakeProcessInfo.h"
#include "platform/fake/FakeResources.h"
#include "platform/fake/FakeScreens.h"
#include "platform/fake/FakeStatusBar.h"
#include "platform/fake/FakeSystemEvents.h"
#include "platform/fake/FakeWebEngine.h"
#include "platform/fake/FakeWebView.h"
#include "platform/fake/FakeWebViewConfig.h"
#include "platform/fake/FakeWindowList.h"
#include "platform/fake/FakeWindowServer.h"
#include "platform/fake/FakeWorkspace.h"
#include "services/AppInfo.h"
#include "services/AppWindows.h"
#include "services/InputPermission.h"
#include "services/LandStrips.h"
#include "services/StatusItemController.h"
#include "services/SystemWatch.h"
#include "storage/PrefsStore.h"
#include "storage/SaveFile.h"
#include "support/LogCapture.h"
#include "window/PetWindowController.h"

namespace brindlow::test {

// One attached bridge whose parts are every real service, each on fake platform pieces.
class BridgeRig : public ::testing::Test {
 protected:
  BridgeRig() {
    screens.setDisplays({{1u, "SCREEN-A", {0, 0, 1440, 900}, {0, 25, 1440, 850}, 2}});
    platform.mainLoop = &loop;
    platform.application = &application;
    platform.processInfo = &process;
    platform.workspace = &workspace;
    platform.screens = &screens;
    platform.mouseMonitor = &mouse;
    platform.windowServer = &windows;
    platform.webEngine = &engine;
    platform.keyTap = &keyTap;
    platform.windowList = &windowList;
    platform.statusBar = &bar;
    platform.systemEvents = &events;
    platform.defaults = &defaults;
    platform.fileSystem = &files;
    platform.loginItems = &loginItems;
    platform.resources = &resources;
    platform.locale = &locale;

    // Only the services in the bridge's record stay; tests that drop the bridge must drop its last owner.
    AppServices services = AppServices::create(platform);
    bridge = services.bridge;
    config = std::static_pointer_cast<fake::FakeWebViewConfig>(bridge->makeConfiguration());
    parts = services.parts(AppServices::makeWindow(platform, config, true), AppServices::makeStatus(platform));
    parts.relaunch = [this] {
      ++relaunches;
      return relaunchBegins;
    };
    parts.linkUrl = [](LinkId link) -> std::optional<std::string> {
      if (link == LinkId::terms) return std::nullopt;  // a table without it
      return "https://example.org/" + std::string(rawValue(link));
    };
    // The bridge's own view, so engine.webView() is where events go.
    view = engine.createWebView(config);
    bridge->attach(view, parts);
    loop.runPosted();
  }

  void post(Json body) { config->post(BridgeChannel::post, std::move(body)); }
  std::shared_ptr<const fake::ReplyRecord> call(Json body) { return config->call(BridgeChannel::call, std::move(body)); }
  static Json body(const std::string& text) { return Json::parse(text); }
  // The JSON text as the page's engine hands it over, for what no Json value can hold.
  void postText(std::string text) { config->postText(BridgeChannel::post, std::move(text)); }
  std::shared_ptr<const fake::ReplyRecord> callText(std::string text) {
    return config->callText(BridgeChannel::call, std::move(text));
  }
  fake::FakeWebView& pageView() { return *engine.webView(); }

  LogCapture log;
  fake::FakeMainLoop loop;
  fake::FakeApplication application{loop};
  fake::FakeProcessInfo process;
  fake::FakeWorkspace workspace;
  fake::FakeScreens screens;
  fake::FakeMouseMonitor mouse;
  fake::FakeWindowServer windows;
  fake::FakeWebEngine engine;
  fake::FakeKeyTap keyTap;
  fake::FakeWindowList windowList;
  fake::FakeStatusBar bar;
  fake::FakeSystemEvents events;
  fake::FakeDefaults defaults;
  fake::FakeFileSystem files;
  fake::FakeLoginItems loginItems;
  fake::FakeResources resources;
  fake::FakeLocale locale;
  platform::Platform platform;

  int relaunches = 0;
  bool relaunchBegins = true;
  Bridge::Parts parts;
  std::shared_ptr<Bridge> bridge;
  std::shared_ptr<fake::FakeWebViewConfig> config;
  std::shared_ptr<platform::WebView> view;
};

}  // namespace brindlow::test
