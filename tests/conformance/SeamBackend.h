#pragma once
#include <functional>
#include <optional>
#include <vector>

#include "model/Geometry.h"
#include "platform/MainLoop.h"
#include "platform/Window.h"
#include "platform/WindowServer.h"

namespace brindlow::conformance {

// One backend under the conformance suite: its seam, a way to let the desktop run, and a look at
// what the desktop shows, taken the way the backend's desktop would be seen from outside (the fake's
// recorded state; the X server's windows for the real one).
class SeamBackend {
 public:
  virtual ~SeamBackend() = default;

  virtual platform::MainLoop& loop() = 0;
  virtual platform::WindowServer& windowServer() = 0;

  // Lets the desktop and the main loop run (frames tick, the window manager answers) until `done`
  // holds; false when the backend's patience ran out first.
  virtual bool settle(const std::function<bool()>& done) = 0;
  // Lets them run for a while with nothing to wait for (for things that must not happen).
  virtual void idle() = 0;

  // The frame the desktop shows the window at, in page coordinates; nullopt while it shows none.
  virtual std::optional<GRect> shownFrame(const platform::Window& window) = 0;
  // Whether a click at `point` (page coordinates) lands on the window instead of passing through.
  virtual bool takesClickAt(const platform::Window& window, GPoint point) = 0;
  // The given windows in the order the desktop stacks them, bottom first.
  virtual std::vector<const platform::Window*> stacking(std::vector<const platform::Window*> windows) = 0;
};

}  // namespace brindlow::conformance
