#pragma once
#include <cstdint>
#include <functional>
#include <optional>

#include "platform/MainLoop.h"
#include "platform/Subscription.h"

namespace brindlow::platform {

enum MouseMask : uint32_t { leftMouseUpMask = 4, mouseMovedMask = 32, leftMouseDraggedMask = 64 };
enum class MouseEventType { leftMouseUp, mouseMoved, leftMouseDragged };
// The mask bit that selects events of this type.
constexpr uint32_t maskOf(MouseEventType type) {
  switch (type) {
    case MouseEventType::leftMouseUp:
      return leftMouseUpMask;
    case MouseEventType::mouseMoved:
      return mouseMovedMask;
    case MouseEventType::leftMouseDragged:
      return leftMouseDraggedMask;
  }
  return 0;
}

struct MouseEvent {
  MouseEventType type;
  Seconds timestamp;  // uptime
};

// Global monitors see events bound for other applications; local ones see our own windows' events.
class MouseMonitor {
 public:
  virtual ~MouseMonitor() = default;
  // nullopt: the desktop refused the monitor.
  virtual std::optional<Subscription> addGlobalMonitor(uint32_t mask, std::function<void(const MouseEvent&)> handler) = 0;
  virtual std::optional<Subscription> addLocalMonitor(uint32_t mask, std::function<void(const MouseEvent&)> handler) = 0;
};

}  // namespace brindlow::platform
