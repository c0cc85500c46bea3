#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "model/Geometry.h"
#include "platform/Subscription.h"

namespace brindlow::platform {

// One display as the desktop reports it, in page coordinates.
struct DisplayInfo {
  std::optional<uint32_t> number;
  std::optional<std::string> uuid;  // canonical upper-case 8-4-4-4-12 text
  GRect frame;
  GRect visibleFrame;
  double backingScale = 1;
  bool operator==(const DisplayInfo&) const = default;
};

class Screens {
 public:
  virtual ~Screens() = default;
  virtual std::vector<DisplayInfo> displays() const = 0;  // primary first, system order
  virtual GPoint pointerLocation() const = 0;             // page coordinates
  virtual uint32_t pressedMouseButtons() const = 0;       // bit 0 = left
  virtual Subscription onParametersChanged(std::function<void()> handler) = 0;
};

}  // namespace brindlow::platform
