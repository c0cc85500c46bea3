#include "geometry/ScreenGeometry.h"
#include "model/Constants.h"
#include "platform/MainThread.h"
#include "services/LandStripView.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>

namespace brindlow {
namespace {

constexpr Color kClear{0, 0, 0, 0};

Color withAlpha(Color c, double alpha) {
  c.a = alpha;
  return c;
}


}  // namespace

LandStripView::LandStripView(platform::MainLoop& loop, platform::StripWindow& window) : loop_(loop), window_(window) {
  window_.setContentAlpha(kAlpha);
  window_.setDrawHandler([this](platform::Canvas& canvas, GRect dirty) {
    platform::assertMainThread(loop_);
    drawStrip(canvas, dirty);
  });
}

LandStripView::~LandStripView() {
  frames_.cancel();
  pops_.clear();
  window_.setDrawHandler(nullptr);
}

double LandStripView::heightOf(int64_t level) const {
  return Land::levelHeights[static_cast<size_t>(std::clamp<int64_t>(level, 0, Land::maxLevel))];
}

double LandStripView::columnX(int c) const { return ScreenGeometry::cellX(c, cols, window_.bounds().w); }

void LandStripView::redrawColumn(int c) {
  window_.setNeedsDisplay({columnX(c), 0, Land::cellWidth, window_.bounds().h});
}

void LandStripView::drawStrip(platform::Canvas& canvas, GRect dirty) {
  canvas.fill(dirty, kClear, platform::BlendMode::copy);
  if (cols < 1) return;
  const auto [start, end] = ScreenGeometry::cellRange(cols, window_.bounds().w, dirty.x, dirty.x + dirty.w);
  for (int c = start; c < end; ++c) {
    if (trail.count(c) != 0) drawTrail(canvas, c);
    if (pops_.count(c) == 0) drawCell(canvas, c);
  }
  // Pops lie above the strip's own drawing, as layers above their view's backing.
  for (auto it = pops_.lower_bound(start); it != pops_.end() && it->first < end; ++it) {
    drawPop(canvas, it->first, it->second);
  }
}

void LandStripView::drawBlock(platform::Canvas& canvas, double x, double h, Color topColor,
                              Color sideColor) const {
  canvas.fill({x, 0, Land::cellWidth, std::max(h - kBand, 0.0)}, sideColor, platform::BlendMode::sourceOver);
  canvas.fill({x, h - kBand, Land::cellWidth, kBand}, topColor, platform::BlendMode::sourceOver);
}

void LandStripView::drawCell(platform::Canvas& canvas, int c) const {
  if (static_cast<size_t>(c) >= levels.size()) return;
  const double h = heightOf(levels[static_cast<size_t>(c)]);
  if (!(h > 0)) return;
  drawBlock(canvas, columnX(c), h, top, side);
}

void LandStripView::drawTrail(platform::Canvas& canvas, int c) const {
  const double h = static_cast<size_t>(c) < levels.size() ? heightOf(levels[static_cast<size_t>(c)]) : 0;
  const double th = heightOf(trailLevel_);
  if (h >= th) return;
  const double x = columnX(c) + kGhostInset;
  const double w = Land::cellWidth - 2 * kGhostInset;
  canvas.fill({x, h, w, th - h}, withAlpha(side, kGhostBodyAlpha), platform::BlendMode::sourceOver);
  canvas.fill({x, th - kBand, w, kBand}, withAlpha(top, kGhostBandAlpha), platform::BlendMode::sourceOver);
}

void LandStripView::drawPop(platform::Canvas& canvas, int c, const Pop& pop) const {
  canvas.save();
  canvas.scaleY(pop.scale, 0);  // stands on the bottom edge and grows upward
  drawBlock(canvas, columnX(c), pop.height, pop.top, pop.side);
  canvas.restore();
}

void LandStripView::setTrail(int64_t level, std::set<int> columns) {
  const int lv = static_cast<int>(std::clamp<int64_t>(level, 1, Land::maxLevel));
  std::vector<int> redraw;
  if (lv == trailLevel_) {
    std::set_symmetric_difference(trail.begin(), trail.end(), columns.begin(), columns.end(),
                                  std::back_inserter(redraw));
  } else {
    std::set_union(trail.begin(), trail.end(), columns.begin(), columns.end(), std::back_inserter(redraw));
  }
  trail = std::move(columns);
  trailLevel_ = lv;
  for (int c : redraw) {
    if (c >= 0 && c < cols) redrawColumn(c);
  }
}

void LandStripView::applyChanges(const std::vector<CellChange>& changes) {
  for (const CellChange& change : changes) {
    const int c = change.col;
    if (c < 0 || static_cast<size_t>(c) >= levels.size()) continue;
    levels[static_cast<size_t>(c)] = change.after;
    if (change.before < change.after && pops_.size() < kMaxPops && window_.isVisible()) {
      popCell(c);
    } else {
      redrawColumn(c);
    }
  }
}

void LandStripView::popCell(int c) {
  pops_.erase(c);  // a newer pop of the same column replaces the old one at once
  Pop pop;
  pop.id = nextPop_++;
  pop.start = loop_.uptime();
  pop.scale = spring_.from;
  pop.height = heightOf(levels[static_cast<size_t>(c)]);
  pop.top = top;
  pop.side = side;
  const uint64_t id = pop.id;
  pop.done = loop_.scheduleAfter(kPopDuration, [this, c, id] { popFinished(c, id); });
  pops_.emplace(c, std::move(pop));
  redrawColumn(c);
  if (!frames_) frames_ = window_.requestAnimationFrames([this](platform::Seconds t) { onFrame(t); });
}

void LandStripView::popFinished(int c, uint64_t id) {
  platform::assertMainThread(loop_);
  auto it = pops_.find(c);
  if (it == pops_.end() || it->second.id != id) return;
  pops_.erase(it);
  redrawColumn(c);
  if (pops_.empty()) frames_.cancel();
}

void LandStripView::onFrame(platform::Seconds frameTime) {
  for (auto& [c, pop] : pops_) {
    const double elapsed = frameTime - pop.start;
    // At the end of its duration the animation is gone and the block stands at full height.
    pop.scale = elapsed < kPopDuration ? spring_.value(elapsed) : spring_.to;
    redrawColumn(c);
  }
}

void LandStripView::clearPops() {
  pops_.clear();
  frames_.cancel();
}

}  // namespace brindlow
