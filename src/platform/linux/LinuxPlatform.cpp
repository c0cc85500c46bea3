#include "platform/linux/LinuxPlatform.h"

#include <gtk/gtk.h>

#include <cstdlib>
#include <vector>

#include "platform/PosixFileSystem.h"
#include "platform/linux/GlibUtil.h"
#include "platform/linux/LinuxApplication.h"
#include "platform/linux/LinuxDefaults.h"
#include "platform/linux/LinuxKeyTap.h"
#include "platform/linux/LinuxLocale.h"
#include "platform/linux/LinuxLogSink.h"
#include "platform/linux/LinuxLoginItems.h"
#include "platform/linux/LinuxMainLoop.h"
#include "platform/linux/LinuxMouseMonitor.h"
#include "platform/linux/LinuxProcessInfo.h"
#include "platform/linux/LinuxResources.h"
#include "platform/linux/LinuxScreens.h"
#include "platform/linux/LinuxScreensAsleep.h"
#include "platform/linux/LinuxStatusBar.h"
#include "platform/linux/LinuxSystemEvents.h"
#include "platform/linux/LinuxWebEngine.h"
#include "platform/linux/LinuxWindowList.h"
#include "platform/linux/LinuxWindowServer.h"
#include "platform/linux/LinuxWorkspace.h"

namespace brindlow::lnx {

// Declared in the order they are built (after gtk_init); they go in the reverse order.
struct LinuxPlatform::Services {
  explicit Services(std::vector<std::string> arguments) : processInfo(std::move(arguments)) {}

  LinuxLogSink logSink;
  LinuxMainLoop loop;
  LinuxProcessInfo processInfo;
  LinuxResources resources;
  LinuxLocale locale;
  LinuxDefaults defaults;
  platform::PosixFileSystem files;
  LinuxLoginItems loginItems;
  LinuxApplication application{loop};
  LinuxScreens screens{loop};
  LinuxMouseMonitor mouseMonitor{loop};
  LinuxWindowServer windowServer{loop};
  LinuxKeyTap keyTap{loop};
  LinuxWindowList windowList;
  LinuxWebEngine webEngine;
  LinuxStatusBar statusBar{kApplicationId, resources.pathForResource("icons", "")};
  LinuxSystemEvents systemEvents{loop};
  LinuxScreensAsleep screensAsleep{systemEvents};  // what the core sees: screens asleep, then the rest
  // Last, so it goes first: completions it keeps may hold the last owner of core objects, which must
  // go while the other services they use still exist.
  LinuxWorkspace workspace{loop};
};

namespace {

std::string displayName() {
  const char* display = std::getenv("DISPLAY");
  return display != nullptr && display[0] != '\0' ? std::string(display) : std::string("(DISPLAY is not set)");
}

}  // namespace

std::unique_ptr<LinuxPlatform> LinuxPlatform::open(int& argc, char**& argv, std::string& error) {
  std::vector<std::string> arguments(argv, argv + argc);
  // The windows, input shapes, raw keys and window list all speak X11; under Wayland this is XWayland.
  gdk_set_allowed_backends("x11");
  if (!gtk_init_check(&argc, &argv)) {
    error = "cannot open the X11 display " + displayName() + "; brindlow needs an X11 desktop (or XWayland)";
    return nullptr;
  }
  return std::unique_ptr<LinuxPlatform>(new LinuxPlatform(std::make_unique<Services>(std::move(arguments))));
}

LinuxPlatform::LinuxPlatform(std::unique_ptr<Services> services) : services_(std::move(services)) {}

LinuxPlatform::~LinuxPlatform() = default;

platform::Platform LinuxPlatform::platform() {
  Services& s = *services_;
  platform::Platform p;
  p.mainLoop = &s.loop;
  p.application = &s.application;
  p.processInfo = &s.processInfo;
  p.workspace = &s.workspace;
  p.screens = &s.screens;
  p.mouseMonitor = &s.mouseMonitor;
  p.windowServer = &s.windowServer;
  p.webEngine = &s.webEngine;
  p.keyTap = &s.keyTap;
  p.windowList = &s.windowList;
  p.statusBar = &s.statusBar;
  p.systemEvents = &s.screensAsleep;
  p.defaults = &s.defaults;
  p.fileSystem = &s.files;
  p.loginItems = &s.loginItems;
  p.logSink = &s.logSink;
  p.resources = &s.resources;
  p.locale = &s.locale;
  return p;
}

}  // namespace brindlow::lnx
