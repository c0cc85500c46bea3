#pragma once
#include <functional>
#include <vector>

#include "platform/HandlerList.h"
#include "platform/StripWindow.h"
#include "platform/fake/FakeCanvas.h"
#include "platform/fake/FakeWindow.h"

namespace brindlow::fake {

class FakeWindowServer;

// A land strip window: created ordered out at the given frame, always click-through.
// Invalidations are recorded until a draw pass or takeDirty() consumes them.
class FakeStripWindow : public FakeWindow<platform::StripWindow> {
 public:
  FakeStripWindow(FakeWindowServer* server, GRect frame);
  ~FakeStripWindow() override;

  GRect bounds() const override { return {0, 0, frame_.w, frame_.h}; }
  void setDrawHandler(std::function<void(platform::Canvas&, GRect dirty)> handler) override;
  void setNeedsDisplay(GRect dirtyBottomUp) override;
  void setNeedsDisplayAll() override;
  void setContentAlpha(double alpha) override;
  platform::Subscription requestAnimationFrames(std::function<void(platform::Seconds)> handler) override;

  // Inspection.
  bool ignoresMouseEvents() const { return true; }
  double contentAlpha() const { return alpha_; }
  const std::vector<GRect>& dirtyRects() const { return dirty_; }
  bool needsDisplayAll() const { return dirtyAll_; }
  std::vector<GRect> takeDirty();
  size_t animationClients() const { return frameHandlers_.size(); }

  // Drivers.
  // Runs one draw pass over `dirty` (bottom-up view coordinates) and returns what it drew.
  FakeCanvas draw(GRect dirty);
  FakeCanvas drawAll() { return draw(bounds()); }
  // Delivers one animation frame to every client, only while the window is visible (mapped).
  void deliverAnimationFrame(platform::Seconds frameTime);

 private:
  FakeWindowServer* server_;
  std::function<void(platform::Canvas&, GRect)> drawHandler_;
  std::vector<GRect> dirty_;
  bool dirtyAll_ = false;
  double alpha_ = 1;
  platform::HandlerList<void(platform::Seconds)> frameHandlers_;
};

}  // namespace brindlow::fake
