#pragma once
// Screen and geometry operations in page coordinates. Everything here is a stateless function;
// nothing caches the screens. Containment in a screen always tests its whole frame.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/Constants.h"
#include "model/Geometry.h"

namespace brindlow::platform {
class Screens;
struct DisplayInfo;
}  // namespace brindlow::platform

namespace brindlow {

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
