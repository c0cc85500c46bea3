#pragma once
#include <memory>
#include <string>

#include "platform/Platform.h"

namespace brindlow::lnx {

// One of every desktop service on GTK, WebKitGTK and X11, handed out together as one Platform.
// The services live behind this header so that main needs no GTK headers.
class LinuxPlatform {
 public:
  // Opens the X11 display (also under Wayland, through XWayland) and builds every service. Null, with
  // `error` saying why, when there is no display to open: the program never runs without a desktop.
  // GTK takes its own options out of argc/argv; the arguments reported to the core are those given.
  static std::unique_ptr<LinuxPlatform> open(int& argc, char**& argv, std::string& error);

  ~LinuxPlatform();
  LinuxPlatform(const LinuxPlatform&) = delete;
  LinuxPlatform& operator=(const LinuxPlatform&) = delete;

  // Every pointer set.
  platform::Platform platform();

 private:
  struct Services;
  explicit LinuxPlatform(std::unique_ptr<Services> services);

  std::unique_ptr<Services> services_;
};

}  // namespace brindlow::lnx
