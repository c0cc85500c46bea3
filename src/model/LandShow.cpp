#include "model/LandShow.h"

namespace brindlow {

namespace LandShowRule {

bool recentlyTyped(std::optional<double> lastKey, double now) { return lastKey && now - *lastKey < linger; }

bool isVisible(LandShow show, std::optional<double> lastKey, double now) {
  switch (show) {
    case LandShow::always: return true;
    case LandShow::typing: return recentlyTyped(lastKey, now);
    case LandShow::off: return false;
  }
  return false;
}

bool wantsRaised(LandShow show, bool onTop, std::optional<double> lastKey, double now) {
  return onTop && show != LandShow::off && recentlyTyped(lastKey, now);
}

}  // namespace LandShowRule

}  // namespace brindlow
