#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace brindlow::EwmhWindow {

// The layer of a window managed by an EWMH window manager, from the names of its _NET_WM_WINDOW_TYPE
// atoms (in order of preference) and of its _NET_WM_STATE atoms: 0 for an ordinary window, 3 kept above,
// -1 kept below, 20 a dock, 8 any other known kind. The first type known here decides, as the list
// puts extension types before the standard one they fall back to; none known reads as normal. Nothing
// for windows that are never listed: the desktop itself and hidden (minimised) windows.
std::optional<int64_t> layer(const std::vector<std::string>& types, const std::vector<std::string>& states);

}  // namespace brindlow::EwmhWindow
