#pragma once
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace brindlow::platform {

enum class KeyTapEventKind { keyDown, disabledByTimeout, disabledByUserInput, other };
// Never carries the key: only that one went down, and whether it was an autorepeat.
struct KeyTapEvent {
  KeyTapEventKind kind = KeyTapEventKind::keyDown;
  bool autorepeat = false;
  // When the key went down, on the uptime clock, where the desktop stamps its events. Events can
  // reach the main loop in bursts; the press time keeps the debounce about the keys, not the reads.
  std::optional<double> uptime;
};

class KeyTapHandle {
 public:
  virtual ~KeyTapHandle() = default;
  virtual void setEnabled(bool enabled) = 0;
  virtual void invalidate() = 0;
};

class KeyTap {
 public:
  virtual ~KeyTap() = default;
  virtual bool preflightListenAccess() = 0;
  virtual void requestListenAccess() = 0;
  // A listen-only key-down tap; null when it could not be created.
  [[nodiscard]] virtual std::unique_ptr<KeyTapHandle> createListenTap(std::function<void(const KeyTapEvent&)> handler) = 0;
  // Creates and at once drops a tap: whether listening works right now.
  virtual bool probeListenTap() = 0;
  virtual std::optional<std::string> inputSettingsUrl() const = 0;
  // True where no system permission exists and the user's yes is itself the permission: then every
  // request records it again (not only the first ever), and listen access is exactly the preflight.
  virtual bool consentIsPermission() const { return false; }
};

}  // namespace brindlow::platform
