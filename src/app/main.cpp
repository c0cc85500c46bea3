#include <cstdio>

#ifdef BRINDLOW_HAVE_LINUX_BACKEND
#include <string>

#include "app/AppDelegate.h"
#include "platform/linux/LinuxPlatform.h"
#include "util/Log.h"

int main(int argc, char** argv) {
  std::string error;
  auto desktop = brindlow::lnx::LinuxPlatform::open(argc, argv, error);
  if (!desktop) {
    std::fprintf(stderr, "brindlow: %s\n", error.c_str());
    return 1;
  }
  const brindlow::platform::Platform platform = desktop->platform();
  brindlow::setLogSink(platform.logSink);
  const int status = brindlow::runApplication(platform);
  brindlow::setLogSink(nullptr);
  return status;
}

#else

// The desktop backend is not built: say so plainly rather than pretend to run.
int main() {
  std::fputs("brindlow: no desktop backend is built yet; only the core and its tests exist.\n", stderr);
  return 2;
}

#endif
