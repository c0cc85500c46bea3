#pragma once
#include "platform/Platform.h"
#include "platform/fake/FakeApplication.h"
#include "platform/fake/FakeDefaults.h"
#include "platform/fake/FakeFileSystem.h"
#include "platform/fake/FakeKeyTap.h"
#include "platform/fake/FakeLocale.h"
#include "platform/fake/FakeLoginItems.h"
#include "platform/fake/FakeMainLoop.h"
#include "platform/fake/FakeProcessInfo.h"
#include "platform/fake/FakeResources.h"
#include "platform/fake/FakeScreens.h"
#include "platform/fake/FakeWindowServer.h"
#include "platform/fake/FakeWorkspace.h"

namespace brindlow::test {

// The fakes the application shell stands on, wired into one Platform.
struct AppPlatform {
  fake::FakeMainLoop loop;
  fake::FakeApplication application{loop};
  fake::FakeProcessInfo processInfo;
  fake::FakeWorkspace workspace;
  fake::FakeScreens screens;
  fake::FakeWindowServer windowServer;
  fake::FakeKeyTap keyTap;
  fake::FakeDefaults defaults;
  fake::FakeFileSystem files;
  fake::FakeLoginItems loginItems;
  fake::FakeResources resources;
  fake::FakeLocale locale;

  platform::Platform platform() {
    platform::Platform p;
    p.mainLoop = &loop;
    p.application = &application;
    p.processInfo = &processInfo;
    p.workspace = &workspace;
    p.screens = &screens;
    p.windowServer = &windowServer;
    p.keyTap = &keyTap;
    p.defaults = &defaults;
    p.fileSystem = &files;
    p.loginItems = &loginItems;
    p.resources = &resources;
    p.locale = &locale;
    return p;
  }
};

}  // namespace brindlow::test
