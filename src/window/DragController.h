#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>

#include "model/Geometry.h"
#include "model/Messages.h"
#include "platform/MainLoop.h"
#include "platform/MouseMonitor.h"
#include "platform/Subscription.h"
#include "util/Enum.h"

namespace brindlow {

// A drag reports nothing when it begins.
enum class DragPhase { move, end, cancel };

template <>
struct EnumTraits<DragPhase> {
  static constexpr std::array<std::string_view, 3> names{"move", "end", "cancel"};
};

namespace platform {
class PetPanel;
class Screens;
}  // namespace platform

// Moves the pet panel with the pointer while the left button is held, reporting each step. Every
// drag that began reports exactly one "end" or "cancel", then onFinish. Held in a shared_ptr: the
// monitors hold it weakly.
class DragController : public std::enable_shared_from_this<DragController> {
 public:
  // Left mouse up, mouse moved and left mouse dragged.
  static constexpr uint32_t monitorMask =
      platform::leftMouseUpMask | platform::mouseMovedMask | platform::leftMouseDraggedMask;

  DragController(platform::MainLoop& loop, platform::Screens& screens, platform::MouseMonitor& monitor);
  ~DragController();
  DragController(const DragController&) = delete;
  DragController& operator=(const DragController&) = delete;

  std::weak_ptr<platform::PetPanel> panel;
  std::function<void(const DragEvent&)> onEvent;
  // Runs after the last event of every drag.
  std::function<void()> onFinish;

  bool active() const { return active_; }
  GPoint offset() const { return offset_; }
  bool hasLocalMonitor() const { return static_cast<bool>(localMonitor_); }
  bool hasGlobalMonitor() const { return static_cast<bool>(globalMonitor_); }

  // Starts a drag at the pointer; ends it at once when the left button is already up.
  void begin();
  // One event from either monitor.
  void handle(const platform::MouseEvent& event);
  // Moves the panel to pointer − offset and reports `phase`.
  void move(DragPhase phase, platform::Seconds t);
  // Ends the drag with `phase` at `t` (uptime seconds). Reports even when no drag is active: use cancel().
  void finish(DragPhase phase, platform::Seconds t);
  // Cancels an active drag now; does nothing when idle.
  void cancel();

  // Seconds to whole milliseconds, halves away from zero.
  static double milliseconds(platform::Seconds t);

 private:
  void report(DragPhase phase, GPoint cursor, GPoint origin, platform::Seconds t);

  platform::MainLoop& loop_;
  platform::Screens& screens_;
  platform::MouseMonitor& monitor_;
  bool active_ = false;
  GPoint offset_;
  platform::Subscription localMonitor_;
  platform::Subscription globalMonitor_;
};

}  // namespace brindlow
