#pragma once
#include <cstdint>
#include <map>
#include <set>
#include <vector>

#include "model/Geometry.h"
#include "platform/Canvas.h"
#include "platform/MainLoop.h"
#include "platform/StripWindow.h"
#include "platform/Subscription.h"
#include "platform/TaskHandle.h"
#include "util/Spring.h"

namespace brindlow {

// One paint change that really altered a column's level.
struct CellChange {
  int col = 0;
  uint8_t before = 0;
  uint8_t after = 0;
  bool operator==(const CellChange&) const = default;
};

// Draws one row of land columns into its strip window, bottom-up, and springs grown columns up.
// There is no animation engine below us: a popping column is drawn scaled by the spring curve on
// every animation frame, and the pop ends on a timer, because a window that is not mapped gets no
// frames. Every callback handed to the window or the loop is owned here and cancelled on
// destruction, so the window may outlive the view but not the other way round.
class LandStripView {
 public:
  static constexpr double kBand = 3;
  static constexpr double kGhostInset = 2;
  static constexpr double kAlpha = 0.85;
  static constexpr double kGhostBodyAlpha = 0.4;
  static constexpr double kGhostBandAlpha = 0.85;
  static constexpr size_t kMaxPops = 24;
  static constexpr platform::Seconds kPopDuration = 0.3;

  LandStripView(platform::MainLoop& loop, platform::StripWindow& window);
  ~LandStripView();
  LandStripView(const LandStripView&) = delete;
  LandStripView& operator=(const LandStripView&) = delete;

  // Written directly by the land strips whenever they reset the view.
  int cols = 0;
  std::vector<uint8_t> levels;
  Color top{0.204, 0.780, 0.349, 1};   // until the first reset: a plain green
  Color side{0.333, 0.333, 0.333, 1};  // and a dark grey
  std::set<int> trail;

  int trailLevel() const { return trailLevel_; }

  // Stores the new levels; grown columns pop while the window is shown, the rest are redrawn.
  void applyChanges(const std::vector<CellChange>& changes);
  // Replaces the trail and redraws only the columns whose ghost changes.
  void setTrail(int64_t level, std::set<int> columns);
  // Drops every running pop without redrawing; callers that keep the view redraw it whole.
  void clearPops();
  void setNeedsDisplay() { window_.setNeedsDisplayAll(); }

  void drawStrip(platform::Canvas& canvas, GRect dirty);

  size_t livePops() const { return pops_.size(); }
  bool isPopping(int col) const { return pops_.count(col) != 0; }

 private:
  struct Pop {
    uint64_t id = 0;
    platform::Seconds start = 0;
    double scale = 0;
    // A pop keeps the block it started with, as a layer keeps its contents.
    double height = 0;
    Color top;
    Color side;
    platform::TaskHandle done;
  };

  void popCell(int c);
  void popFinished(int c, uint64_t id);
  void onFrame(platform::Seconds frameTime);
  void drawCell(platform::Canvas& canvas, int c) const;
  void drawTrail(platform::Canvas& canvas, int c) const;
  void drawPop(platform::Canvas& canvas, int c, const Pop& pop) const;
  void drawBlock(platform::Canvas& canvas, double x, double h, Color top, Color side) const;
  double columnX(int c) const;
  void redrawColumn(int c);
  double heightOf(int64_t level) const;

  platform::MainLoop& loop_;
  platform::StripWindow& window_;
  int trailLevel_ = 1;
  std::map<int, Pop> pops_;
  uint64_t nextPop_ = 1;
  platform::Subscription frames_;
  Spring spring_;
};

}  // namespace brindlow
