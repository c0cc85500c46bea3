#pragma once
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "model/Geometry.h"
#include "platform/MainLoop.h"
#include "platform/Subscription.h"
#include "platform/TaskHandle.h"

namespace brindlow {

namespace platform {
class MouseMonitor;
class PetPanel;
class Screens;
}  // namespace platform

// Makes the pet panel accept the mouse exactly while the pointer is over one of the page's hit
// rectangles, and reports the pointer while it is near the pet (at most 15 times a second, one
// trailing report after a burst, one absent report when it leaves). Held in a shared_ptr: the
// monitor and the trailing report hold it weakly.
class HitTester : public std::enable_shared_from_this<HitTester> {
 public:
  HitTester(platform::MainLoop& loop, platform::Screens& screens, platform::MouseMonitor& monitor);
  ~HitTester();
  HitTester(const HitTester&) = delete;
  HitTester& operator=(const HitTester&) = delete;

  std::weak_ptr<platform::PetPanel> panel;
  // The page's area on screen; absent (or no callback) means the panel's frame.
  std::function<std::optional<GRect>()> webFrame;
  // The pointer while near, absent once it left.
  std::function<void(std::optional<GPoint>)> onPointerNear;
  bool nearEnabled = true;
  // Sanitised hit rectangles, relative to the web frame's top-left. The controller empties them directly.
  std::vector<GRect> rects;

  bool forceAccept() const { return forceAccept_; }
  // Accept the mouse everywhere on the panel; a change updates at once.
  void setForceAccept(bool accept);

  // The page's rectangles: sanitised against the web frame's size, then applied.
  void setRects(const std::vector<GRect>& pageRects);
  // Re-evaluates click-through and pointer-near for the current pointer; touches the panel only on a flip.
  void update();
  // The same after the pet moved under a pointer that did not: with the pointer position the last
  // update read (read now only when none was), so a walking pet costs no pointer query per step.
  void updateAfterMove();
  // Installs the global mouse-moved monitor once.
  void start();
  // Removes the monitor and cancels the pending trailing report.
  void stop();

  bool nearInside() const { return nearInside_; }
  bool hasGlobalMonitor() const { return static_cast<bool>(globalMonitor_); }
  bool trailingPending() const { return nearTrailing_.isPending(); }

 private:
  GRect currentWebFrame(const platform::PetPanel& panel) const;
  void evaluate(GPoint pointer);
  GPoint readPointer();
  void updateNear(const platform::PetPanel* panel, GPoint pointer, GRect frame);
  void trailingFired();

  platform::MainLoop& loop_;
  platform::Screens& screens_;
  platform::MouseMonitor& monitor_;
  bool forceAccept_ = false;
  platform::Subscription globalMonitor_;
  bool nearInside_ = false;
  platform::Seconds lastNearSent_ = 0;
  platform::TaskHandle nearTrailing_;
  std::optional<GPoint> lastPointer_;  // as the last read found it
};

}  // namespace brindlow
