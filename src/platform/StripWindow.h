#pragma once
#include <functional>

#include "platform/Canvas.h"
#include "platform/MainLoop.h"
#include "platform/Subscription.h"
#include "platform/Window.h"

namespace brindlow::platform {

// A thin land strip window: borderless, transparent, always click-through.
class StripWindow : public Window {
 public:
  virtual GRect bounds() const = 0;  // bottom-up view bounds
  // Called from the main loop to draw the dirty part of the view.
  virtual void setDrawHandler(std::function<void(Canvas&, GRect dirty)> handler) = 0;
  virtual void setNeedsDisplay(GRect dirtyBottomUp) = 0;
  virtual void setNeedsDisplayAll() = 0;
  virtual void setContentAlpha(double alpha) = 0;  // group alpha of the whole view
  // Frame ticks while the window is mapped; none arrive while it is hidden.
  virtual Subscription requestAnimationFrames(std::function<void(Seconds frameTime)> handler) = 0;
};

}  // namespace brindlow::platform
