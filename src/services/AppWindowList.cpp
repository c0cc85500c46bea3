#include "services/AppWindowList.h"

#include <cmath>

#include "platform/WindowList.h"
#include "util/Log.h"

namespace brindlow::AppWindowList {

namespace {
constexpr double maxCoordinate = 100000;
constexpr double minAlpha = 0.05;

// Written so that a NaN fails every test. A window whose owner is unknown is not ours.
bool passes(const RawWindow& w, int32_t ownPid) {
  const GRect& b = w.bounds;
  return w.layer == 0 && w.pid != ownPid && w.alpha > minAlpha && std::isfinite(b.x) && std::isfinite(b.y) &&
         std::fabs(b.x) < maxCoordinate && std::fabs(b.y) < maxCoordinate && b.w > 0 && b.w < maxCoordinate &&
         b.h > 0 && b.h < maxCoordinate;
}
}  // namespace

std::vector<AppWindow> filter(const std::vector<RawWindow>& windows, int32_t ownPid, std::size_t limit) {
  std::vector<AppWindow> out;
  for (const RawWindow& w : windows) {
    if (out.size() >= limit) break;
    if (!passes(w, ownPid)) continue;
    out.push_back(AppWindow{w.number, w.bounds.x, w.bounds.y, w.bounds.w, w.bounds.h});
  }
  return out;
}

std::vector<AppWindow> read(platform::WindowList& list, int32_t ownPid) {
  auto entries = list.copyOnScreenWindows();
  if (!entries) {
    warnOnce("windows-read", "windows: window list unavailable");
    return {};
  }
  std::vector<RawWindow> raw;
  raw.reserve(entries->size());
  for (const auto& e : *entries) {
    if (auto w = RawWindow::fromEntry(e)) raw.push_back(*w);
  }
  return filter(raw, ownPid, limit);
}

}  // namespace brindlow::AppWindowList
