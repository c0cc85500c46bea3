#pragma once
// Page coordinates: points, origin at the top-left of the primary screen, y down.
// Everything here is a plain value or a stateless function; nothing caches the screens.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "util/Enum.h"

namespace brindlow::platform {
class Screens;
struct DisplayInfo;
}  // namespace brindlow::platform

namespace brindlow {

// ---- Value records. Equality compares doubles exactly, so a NaN field makes records unequal.

struct GPoint {
  double x = 0;
  double y = 0;
  bool isFinite() const;
  bool operator==(const GPoint&) const = default;
};

struct GRect {
  double x = 0;
  double y = 0;
  double w = 0;
  double h = 0;

  bool isFinite() const;
  // Half-open: x <= p.x < x + w and y <= p.y < y + h. A NaN point lies in no rectangle.
  bool contains(GPoint p) const;
  // Absent unless the overlap has positive width and height (touching rectangles do not intersect).
  std::optional<GRect> intersection(const GRect& other) const;
  double area() const;  // max(w, 0) * max(h, 0), a NaN side counting as 0
  double midX() const { return x + w * 0.5; }
  double midY() const { return y + h * 0.5; }
  double maxX() const { return x + w; }
  double maxY() const { return y + h; }
  bool operator==(const GRect&) const = default;
};

// One display: whole frame, visible frame (without panels and docks), backing scale.
struct ScreenInfo {
  std::string key;
  GRect frame;
  GRect visible;
  double scale = 1;
  bool primary = false;
  bool operator==(const ScreenInfo&) const = default;
};

// A batch of key presses: count, epoch milliseconds of the last key, milliseconds first to last.
struct KeysEvent {
  int64_t n = 0;
  double at = 0;
  double span = 0;
  bool operator==(const KeysEvent&) const = default;
};

// A horizontal line the pet can stand on: left end, height, length.
struct SurfaceLine {
  double x = 0;
  double y = 0;
  double w = 0;
  // Finite, |x| and |y| below 100000, 0 < w <= 100000.
  bool isSane() const;
  bool operator==(const SurfaceLine&) const = default;
};

// ---- String enumerations (raw value = case name, compared exactly).

enum class GroundMode { bottom, windows, placed };
enum class SurfaceKind { screenBottom, window, placed };
enum class LandShow { always, typing, off };

template <>
struct EnumTraits<GroundMode> {
  static constexpr std::array<std::string_view, 3> names{"bottom", "windows", "placed"};
};
template <>
struct EnumTraits<SurfaceKind> {
  static constexpr std::array<std::string_view, 3> names{"screenBottom", "window", "placed"};
};
template <>
struct EnumTraits<LandShow> {
  static constexpr std::array<std::string_view, 3> names{"always", "typing", "off"};
};

// The surface the pet stands on, as the page names it.
struct Surface {
  std::string id;
  SurfaceKind kind = SurfaceKind::screenBottom;
  double x = 0;
  double y = 0;
  double w = 0;
  std::string screen;  // screen key
  SurfaceLine line() const { return {x, y, w}; }
  bool operator==(const Surface&) const = default;
};

// ---- Named constants. Every use site takes its number from here.

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

// The land visibility rule. Times are seconds on one clock (the land strips use uptime).
namespace LandShowRule {
inline constexpr double linger = 6.0;  // typing counts as recent for this long after the last key
// lastKey present and now - lastKey < linger (strictly).
bool recentlyTyped(std::optional<double> lastKey, double now);
// always: true; off: false; typing: recentlyTyped.
bool isVisible(LandShow show, std::optional<double> lastKey, double now);
// onTop, show is not off, and recentlyTyped (for always and typing alike).
bool wantsRaised(LandShow show, bool onTop, std::optional<double> lastKey, double now);
}  // namespace LandShowRule

// ---- Screen and geometry operations. Containment in a screen always tests its whole frame.

// A half-open range of land columns, start..<end.
struct CellRange {
  int64_t start = 0;
  int64_t end = 0;
  bool empty() const { return end <= start; }
  int64_t size() const { return empty() ? 0 : end - start; }
  bool operator==(const CellRange&) const = default;
};

namespace ScreenGeometry {
inline constexpr double wideHeadroom = 32.0;  // extra height of the wide window above the pet box

// Platform readers; main thread only. The seam already speaks page coordinates.
GPoint mouseTopLeft(const platform::Screens& screens);
// The display's uuid text; "display-<number>" without one; "unknown" without a number.
std::string screenKey(const platform::DisplayInfo& display);
// Every display in platform order; the first is the primary.
std::vector<ScreenInfo> screens(const platform::Screens& screens);

// Index of the first screen whose frame holds p.
std::optional<std::size_t> screenContaining(GPoint p, const std::vector<ScreenInfo>& screens);
// The screen holding p, else the nearest (earlier wins ties); absent for no screens or a NaN point.
std::optional<std::size_t> screenIndex(GPoint p, const std::vector<ScreenInfo>& screens);
// Key of the first screen whose frame holds r's centre.
std::optional<std::string> screenKeyAtCentre(const GRect& r, const std::vector<ScreenInfo>& screens);
// Share of r's area lying on screen frames, 0 to 1.
double visibleFraction(const GRect& r, const std::vector<ScreenInfo>& screens);

// The pet box standing on r's bottom edge, its foot at centreX kept 24 points from the ends.
GRect petFrameAtBottom(double centreX, const GRect& r);
// The centred panel-mode frame inside a visible frame.
GRect panelFrame(const GRect& visible);
SurfaceLine bottomLine(const GRect& r);

// The wide window for a line, present only when the pet rectangle lies inside it (closed bounds).
std::optional<GRect> wideRect(const GRect& pet, const SurfaceLine& line);
// The wide window on the bottom of the visible frame of the screen under the pet's foot.
std::optional<GRect> bottomWideRect(const std::vector<ScreenInfo>& screens, const GRect& pet);
// The wide rectangle to use now: the candidate, when allowed and (burst or equal to current).
std::optional<GRect> chooseWide(const GRect& pet, const std::vector<ScreenInfo>& screens,
                                const std::optional<SurfaceLine>& line, const std::optional<GRect>& current,
                                bool burst, bool allowed);

// Offset (x = dx, y = dy) of r's top-left inside container, rounded to device pixels.
GPoint snapOffset(const GRect& r, const GRect& container, double scale);

GRect stripRectOnLine(const SurfaceLine& line);
GRect stripRectAtBottom(const GRect& visible);

// Columns of Land::cellWidth, centred in a strip of the given width.
CellRange cellRange(int64_t cols, double width, double minX, double maxX);
double cellX(int64_t index, int64_t cols, double width);
}  // namespace ScreenGeometry

}  // namespace brindlow
