#pragma once
#include <cstdint>
#include <optional>

#include "model/Geometry.h"

namespace brindlow::platform {

enum CollectionBehavior : uint32_t {
  canJoinAllSpaces = 1,
  stationary = 16,
  ignoresCycle = 64,
  fullScreenAuxiliary = 256,
};

// A top-level window. Frames are page coordinates and read back exactly as last set.
class Window {
 public:
  virtual ~Window() = default;
  virtual GRect frame() const = 0;
  virtual void setFrame(GRect frame, bool display) = 0;
  virtual void setFrameOrigin(GPoint topLeft) = 0;  // keeps the size
  virtual void setLevel(int level) = 0;
  virtual int level() const = 0;
  virtual void setCollectionBehavior(uint32_t bits) = 0;
  virtual uint32_t collectionBehavior() const = 0;
  virtual void orderFrontRegardless() = 0;
  virtual void orderOut() = 0;
  virtual bool isVisible() const = 0;
  virtual std::optional<double> backingScale() const = 0;
  virtual void close() = 0;
};

}  // namespace brindlow::platform
