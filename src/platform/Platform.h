#pragma once
#include "platform/LogSink.h"

namespace brindlow::platform {

class MainLoop;
class Application;
class ProcessInfo;
class Workspace;
class Screens;
class MouseMonitor;
class WindowServer;
class WebEngine;
class KeyTap;
class WindowList;
class StatusBar;
class SystemEvents;
class Defaults;
class FileSystem;
class LoginItems;
class Resources;
class Locale;

// Every desktop service, handed out by one backend. Each pointer outlives the core objects using it.
struct Platform {
  MainLoop* mainLoop = nullptr;
  Application* application = nullptr;
  ProcessInfo* processInfo = nullptr;
  Workspace* workspace = nullptr;
  Screens* screens = nullptr;
  MouseMonitor* mouseMonitor = nullptr;
  WindowServer* windowServer = nullptr;
  WebEngine* webEngine = nullptr;
  KeyTap* keyTap = nullptr;
  WindowList* windowList = nullptr;
  StatusBar* statusBar = nullptr;
  SystemEvents* systemEvents = nullptr;
  Defaults* defaults = nullptr;
  FileSystem* fileSystem = nullptr;
  LoginItems* loginItems = nullptr;
  LogSink* logSink = nullptr;
  Resources* resources = nullptr;
  Locale* locale = nullptr;
};

}  // namespace brindlow::platform
