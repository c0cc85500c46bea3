#include "services/WindowWatchPace.h"

#include <algorithm>

namespace brindlow::WindowWatchPace {

double nextIdle(bool changed, double interval) {
  if (changed) return shortestIdle;
  return std::min(std::max(2 * interval, shortestIdle), longestIdle);
}

double wait(double now, double last, double gap) { return std::max(gap - (now - last), 0.0); }

}  // namespace brindlow::WindowWatchPace
