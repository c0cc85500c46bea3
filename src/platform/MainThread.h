#pragma once
#include <cstdlib>

#include "platform/MainLoop.h"

namespace brindlow::platform {

// Every entry the platform calls runs on the main loop's thread; anything else is a wiring fault,
// so the process ends there rather than racing.
inline void assertMainThread(const MainLoop& loop) {
  if (!loop.isMainThread()) std::abort();
}

}  // namespace brindlow::platform
