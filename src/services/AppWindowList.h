#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "model/Messages.h"
#include "services/RawWindow.h"

namespace brindlow {

namespace platform {
class WindowList;
}

namespace AppWindowList {

inline constexpr std::size_t limit = 32;  // the frontmost windows listed

// The ordinary, visible, sanely sized windows of other processes, front to back, at most `limit`.
// An unreadable list is logged once per run and reads as empty.
std::vector<AppWindow> read(platform::WindowList& list, int32_t ownPid);

// Keeps layer-0 windows of other processes with alpha above 0.05 and finite bounds inside
// +-100000 with positive sizes; stops at `limit`.
std::vector<AppWindow> filter(const std::vector<RawWindow>& windows, int32_t ownPid, std::size_t limit);

}  // namespace AppWindowList
}  // namespace brindlow
