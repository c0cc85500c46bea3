#pragma once
#include <cstdint>
#include <optional>
#include <vector>

#include "model/Geometry.h"

namespace brindlow::platform {

// One on-screen window as the desktop lists it; a missing or mistyped field is nullopt.
struct RawWindowEntry {
  std::optional<int64_t> number;
  std::optional<int32_t> ownerPid;  // this process's for its own windows; nullopt when unknown
  std::optional<int64_t> layer;
  std::optional<double> alpha;
  std::optional<GRect> bounds;  // page coordinates
  bool operator==(const RawWindowEntry&) const = default;
};

class WindowList {
 public:
  virtual ~WindowList() = default;
  // Front to back; nullopt when the desktop cannot list windows.
  virtual std::optional<std::vector<RawWindowEntry>> copyOnScreenWindows() = 0;
};

}  // namespace brindlow::platform
