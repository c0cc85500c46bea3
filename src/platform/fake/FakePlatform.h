#pragma once
#include "platform/Platform.h"
#include "platform/fake/FakeApplication.h"
#include "platform/fake/FakeDefaults.h"
#include "platform/fake/FakeFileSystem.h"
#include "platform/fake/FakeKeyTap.h"
#include "platform/fake/FakeLocale.h"
#include "platform/fake/FakeLogSink.h"
#include "platform/fake/FakeLoginItems.h"
#include "platform/fake/FakeMainLoop.h"
#include "platform/fake/FakeMouseMonitor.h"
#include "platform/fake/FakeProcessInfo.h"
#include "platform/fake/FakeResources.h"
#include "platform/fake/FakeScreens.h"
#include "platform/fake/FakeStatusBar.h"
#include "platform/fake/FakeSystemEvents.h"
#include "platform/fake/FakeWebEngine.h"
#include "platform/fake/FakeWindowList.h"
#include "platform/fake/FakeWindowServer.h"
#include "platform/fake/FakeWorkspace.h"

namespace brindlow::fake {

// One of every fake desktop service, handed out together as one Platform.
class FakePlatform {
 public:
  FakePlatform();
  FakePlatform(const FakePlatform&) = delete;
  FakePlatform& operator=(const FakePlatform&) = delete;

  // Every pointer set, each to the fake field of the same name.
  platform::Platform platform();

  FakeMainLoop loop;
  FakeApplication application{loop};
  FakeProcessInfo processInfo;
  FakeScreens screens;
  FakeMouseMonitor mouseMonitor;
  FakeWindowServer windowServer;
  FakeWebEngine webEngine;
  FakeKeyTap keyTap;
  FakeWindowList windowList;
  FakeStatusBar statusBar;
  FakeSystemEvents systemEvents;
  FakeDefaults defaults;
  FakeFileSystem files;
  FakeLoginItems loginItems;
  FakeLogSink logSink;
  FakeResources resources;
  FakeLocale locale;
  // Last, so it goes first: completions it keeps may hold the last owner of core objects, which
  // must go while the other fakes they use still exist.
  FakeWorkspace workspace;
};

}  // namespace brindlow::fake
