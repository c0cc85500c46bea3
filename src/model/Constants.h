#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

namespace brindlow {

// Named constants. Every use site takes its number from here.

namespace PetBox {
inline constexpr double width = 200.0;
inline constexpr double height = 200.0;
inline constexpr double footX = 100.0;  // from the box's left edge
inline constexpr double footY = 184.0;  // from the box's top edge
}  // namespace PetBox

namespace Land {
inline constexpr double cellWidth = 24.0;  // also the margin keeping the pet's centre off a surface's ends
inline constexpr std::array<double, 4> levelHeights{0.0, 5.0, 9.0, 13.0};
inline constexpr int64_t maxLevel = 3;
inline constexpr std::size_t maxColumns = 512;  // also the most changes of one paint, columns of one trail
inline constexpr double stripHeight = 32.0;
}  // namespace Land

namespace Limits {
inline constexpr std::size_t saveBytes = 262144;  // UTF-8 bytes
inline constexpr std::size_t iconBytes = 16384;   // decoded PNG bytes
inline constexpr std::size_t iconBase64Chars = 21853;  // a little more than the 21848 that iconBytes need
inline constexpr std::size_t logChars = 500;      // grapheme clusters; longer text is cut
inline constexpr std::size_t hintChars = 200;     // grapheme clusters
inline constexpr std::size_t windowStrips = 8;
inline constexpr std::size_t hitRectsKept = 8;
inline constexpr std::size_t webCrashes = 4;  // within 60 s, then the page is no longer reloaded
inline constexpr std::size_t landStrips = 16;
inline constexpr std::size_t hitRectsPosted = 32;
inline constexpr std::size_t surfaceTextChars = 80;  // grapheme clusters of a surface's id and screen key
}  // namespace Limits

namespace BridgeVersion {
inline constexpr int64_t current = 6;
}  // namespace BridgeVersion

namespace WideWindow {
inline constexpr double burst = 0.25;  // seconds between placements that form a burst
inline constexpr double hold = 2.0;    // seconds after the last placement before narrowing back
}  // namespace WideWindow

}  // namespace brindlow
