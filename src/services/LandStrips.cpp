#include "services/LandStrips.h"

#include <algorithm>
#include <cstdlib>
#include <string>
#include <utility>

#include "geometry/ScreenGeometry.h"
#include "model/Constants.h"
#include "platform/MainThread.h"
#include "platform/WeakCallback.h"
#include "util/Log.h"
#include "util/Text.h"

namespace brindlow {
namespace {

// The levels of one strip, or nothing when the count or the bytes are not usable.
std::optional<std::vector<uint8_t>> usableLevels(int64_t cols, const std::optional<std::vector<uint8_t>>& bytes) {
  if (cols < 0 || cols > static_cast<int64_t>(Land::maxColumns)) return std::nullopt;
  if (!bytes || bytes->size() != static_cast<size_t>(cols)) return std::nullopt;
  std::vector<uint8_t> levels = *bytes;
  for (uint8_t& b : levels) b = std::min<uint8_t>(b, static_cast<uint8_t>(Land::maxLevel));
  return levels;
}

}  // namespace

LandStrips::LandStrips(platform::MainLoop& loop, platform::WindowServer& windowServer)
    : loop_(loop), windowServer_(windowServer) {}

LandStrips::~LandStrips() = default;

int LandStrips::baseLevel() {
  if (!baseLevel_) baseLevel_ = windowServer_.desktopIconLevel() + 1;
  return *baseLevel_;
}

bool LandStrips::typingCounts() const { return show_ == LandShow::typing || (show_ == LandShow::always && onTop_); }

bool LandStrips::recentlyTyped() const { return LandShowRule::recentlyTyped(lastKey_, loop_.uptime()); }

void LandStrips::applyState(std::optional<Color> top, std::optional<Color> side,
                            const std::vector<LandScreen>& entries) {
  if (entries.size() > Limits::landStrips) {
    warnOnce("land.screens", "land.state: over " + std::to_string(Limits::landStrips) + " strips, extra dropped");
  }
  const size_t used = std::min(entries.size(), Limits::landStrips);
  if (top) top_ = *top;
  if (side) side_ = *side;

  std::set<std::string> known;
  for (const ScreenInfo& s : screens_) known.insert(s.key);

  std::map<std::string, Strip> next;
  size_t windowLines = 0;
  for (size_t i = 0; i < used; ++i) {
    const LandScreen& entry = entries[i];
    if (entry.line) {
      if (!entry.line->isSane() || windowLines >= Limits::windowStrips ||
          !withinGraphemes(entry.key, Limits::surfaceTextChars)) {
        warnOnce("land.line", "land.state: bad surface line, strip skipped");
        continue;
      }
      ++windowLines;  // taken even when the levels turn out bad
    } else if (known.count(entry.key) == 0) {
      continue;
    }
    auto levels = usableLevels(entry.cols, entry.levels);
    if (!levels) {
      warnOnce("land.levels", "land.state: bad levels, screen skipped");
      continue;
    }
    next.insert_or_assign(entry.key, Strip{entry.cols, std::move(*levels), entry.line});
  }

  data_ = std::move(next);
  trails_.clear();
  sync();
  for (auto& [key, entry] : windows_) {
    if (auto it = data_.find(key); it != data_.end()) resetView(*entry.strip, it->second);
  }
}

void LandStrips::applyPaint(const std::string& key, const std::vector<std::vector<int64_t>>& changes) {
  auto found = data_.find(key);
  if (found == data_.end()) return;
  Strip strip = found->second;
  std::vector<CellChange> recorded;
  const size_t taken = std::min(changes.size(), Land::maxColumns);
  for (size_t i = 0; i < taken; ++i) {
    const auto& change = changes[i];
    if (change.size() != 2 || change[0] < 0 || change[0] >= strip.cols) continue;
    const auto col = static_cast<size_t>(change[0]);
    const auto level = static_cast<uint8_t>(std::clamp<int64_t>(change[1], 0, Land::maxLevel));
    if (strip.levels[col] == level) continue;
    recorded.push_back({static_cast<int>(col), strip.levels[col], level});
    strip.levels[col] = level;
  }
  if (recorded.empty()) return;

  found->second = std::move(strip);
  if (windows_.count(key) == 0) sync();
  if (auto w = windows_.find(key); w != windows_.end()) w->second.strip->applyChanges(recorded);

  const bool typing = typingCounts();
  if (activeKey_ != key || typing) {
    activeKey_ = key;
    if (typing) {
      lastKey_ = loop_.uptime();
      scheduleLinger();
    }
    refresh(false);
  }
}

void LandStrips::applyTrail(const std::string& key, int64_t level, const std::vector<int64_t>& columns) {
  auto found = data_.find(key);
  if (found == data_.end() || level < 1 || level > Land::maxLevel) return;
  std::set<int64_t> set;
  for (int64_t c : columns) {
    if (c >= 0 && c < found->second.cols) set.insert(c);
  }
  if (set.empty()) {
    trails_.erase(key);
  } else {
    trails_[key] = Trail{level, set};
  }
  if (auto w = windows_.find(key); w != windows_.end()) {
    w->second.strip->setTrail(level, std::set<int>(set.begin(), set.end()));
  }
}

void LandStrips::stand(const std::optional<std::string>& key) {
  if (key == standingKey_) return;
  standingKey_ = key;
  relevelWindowStrips();
}

void LandStrips::relevelWindowStrips() {
  for (auto& [key, entry] : windows_) {
    auto it = data_.find(key);
    if (it != data_.end() && it->second.line) entry.window->setLevel(levelFor(key));
  }
}

void LandStrips::noteKey() {
  if (!typingCounts()) return;
  lastKey_ = loop_.uptime();
  if (!(shown_ && raised_ == wantsRaised())) refresh(false);
  scheduleLinger();
}

void LandStrips::setScreens(std::vector<ScreenInfo> list) {
  screens_ = std::move(list);
  std::set<std::string> keys;
  for (const ScreenInfo& s : screens_) keys.insert(s.key);
  std::erase_if(data_, [&](const auto& kv) { return !kv.second.line && keys.count(kv.first) == 0; });
  std::erase_if(trails_, [&](const auto& kv) { return data_.count(kv.first) == 0; });
  sync();
}

void LandStrips::setShow(LandShow mode) {
  if (mode == show_) return;
  show_ = mode;
  if (!typingCounts()) lingerWork_.cancel();
  refresh(true);
}

void LandStrips::setOnTop(bool flag) {
  if (flag == onTop_) return;
  onTop_ = flag;
  if (!typingCounts()) lingerWork_.cancel();
  refresh(false);
  relevelWindowStrips();
}

void LandStrips::clearAll() {
  lingerWork_.cancel();
  for (auto& [key, entry] : windows_) closeWindow(entry);
  windows_.clear();
  shownKeys_.clear();
  data_.clear();
  trails_.clear();
}

void LandStrips::closeWindow(LandStripWindow& entry) {
  entry.strip->clearPops();
  entry.window->close();
}

void LandStrips::resetView(LandStripView& view, const Strip& strip) {
  view.clearPops();
  view.cols = static_cast<int>(strip.cols);
  view.levels = strip.levels;
  view.top = top_;
  view.side = side_;
  view.trail.clear();
  view.setNeedsDisplay();
}

void LandStrips::sync() {
  std::map<std::string, const ScreenInfo*> byKey;
  for (const ScreenInfo& s : screens_) byKey.try_emplace(s.key, &s);  // the first of a shared key wins

  for (auto it = windows_.begin(); it != windows_.end();) {
    auto strip = data_.find(it->first);
    const bool gone = strip == data_.end() || (!strip->second.line && byKey.count(it->first) == 0);
    if (!gone) {
      ++it;
      continue;
    }
    closeWindow(it->second);
    shownKeys_.erase(it->first);
    it = windows_.erase(it);
  }

  for (const auto& [key, strip] : data_) {
    GRect rect;
    if (strip.line) {
      rect = ScreenGeometry::stripRectOnLine(*strip.line);
    } else if (auto s = byKey.find(key); s != byKey.end()) {
      rect = ScreenGeometry::stripRectAtBottom(s->second->visible);
    } else {
      continue;
    }
    if (auto w = windows_.find(key); w != windows_.end()) {
      if (w->second.window->frame() != rect) w->second.window->setFrame(rect, true);
      continue;
    }
    LandStripWindow entry;
    entry.window = windowServer_.createStripWindow(rect);
    entry.strip = std::make_unique<LandStripView>(loop_, *entry.window);
    entry.window->setLevel(levelFor(key));
    entry.window->setCollectionBehavior(behavior);
    resetView(*entry.strip, strip);
    if (auto t = trails_.find(key); t != trails_.end()) {
      entry.strip->setTrail(t->second.level, std::set<int>(t->second.cols.begin(), t->second.cols.end()));
    }
    auto& placed = windows_.emplace(key, std::move(entry)).first->second;
    if (visibleKeys(shown_).count(key) != 0) {
      placed.window->orderFrontRegardless();
      shownKeys_.insert(key);
    }
  }
}

int LandStrips::levelFor(const std::string& key) {
  auto it = data_.find(key);
  if (it != data_.end() && it->second.line) {
    return onTop_ && standingKey_ == key ? kLiftedLevel : baseLevel();
  }
  return raised_ ? kLiftedLevel : baseLevel();
}

bool LandStrips::wantsRaised() const {
  return !hidden && LandShowRule::wantsRaised(show_, onTop_, lastKey_, loop_.uptime());
}

std::set<std::string> LandStrips::visibleKeys(bool visible) const {
  if (!visible) return {};
  if (show_ == LandShow::typing) {
    if (activeKey_ && windows_.count(*activeKey_) != 0) return {*activeKey_};
    return {};
  }
  std::set<std::string> keys;
  for (const auto& [key, entry] : windows_) keys.insert(key);
  return keys;
}

void LandStrips::refresh(bool force) {
  const platform::Seconds now = loop_.uptime();
  const bool visible = !hidden && LandShowRule::isVisible(show_, lastKey_, now);
  const bool wantRaise = visible && wantsRaised();
  if (wantRaise != raised_) {
    raised_ = wantRaise;
    for (auto& [key, entry] : windows_) entry.window->setLevel(levelFor(key));
  }
  std::set<std::string> keys = visibleKeys(visible);
  if (!force && visible == shown_ && keys == shownKeys_) return;
  shown_ = visible;
  for (auto& [key, entry] : windows_) {
    const bool want = keys.count(key) != 0;
    const bool was = shownKeys_.count(key) != 0;
    if (want && (force || !was)) {
      entry.window->orderFrontRegardless();
    } else if (!want && (force || was)) {
      entry.window->orderOut();
    }
  }
  shownKeys_ = std::move(keys);
}

void LandStrips::scheduleLinger() {
  if (lingerWork_ || !lastKey_) return;
  const platform::Seconds delay = std::max(*lastKey_ + LandShowRule::linger - loop_.uptime(), 0.05);
  lingerWork_ =
      loop_.scheduleAfter(delay, weakCallback(weak_from_this(), loop_, [](LandStrips& l) { l.lingerFired(); }));
}

void LandStrips::lingerFired() {
  platform::assertMainThread(loop_);
  lingerWork_ = {};
  if (recentlyTyped()) {
    scheduleLinger();
  } else {
    refresh(false);
  }
}

}  // namespace brindlow
