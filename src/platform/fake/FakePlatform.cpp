#include "platform/fake/FakePlatform.h"

namespace brindlow::fake {

FakePlatform::FakePlatform() = default;

platform::Platform FakePlatform::platform() {
  platform::Platform p;
  p.mainLoop = &loop;
  p.application = &application;
  p.processInfo = &processInfo;
  p.workspace = &workspace;
  p.screens = &screens;
  p.mouseMonitor = &mouseMonitor;
  p.windowServer = &windowServer;
  p.webEngine = &webEngine;
  p.keyTap = &keyTap;
  p.windowList = &windowList;
  p.statusBar = &statusBar;
  p.systemEvents = &systemEvents;
  p.defaults = &defaults;
  p.fileSystem = &files;
  p.loginItems = &loginItems;
  p.logSink = &logSink;
  p.resources = &resources;
  p.locale = &locale;
  return p;
}

}  // namespace brindlow::fake
