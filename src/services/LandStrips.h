#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "model/Geometry.h"
#include "model/LandShow.h"
#include "model/PageBodies.h"
#include "platform/Canvas.h"
#include "platform/MainLoop.h"
#include "platform/StripWindow.h"
#include "platform/TaskHandle.h"
#include "platform/Window.h"
#include "platform/WindowServer.h"
#include "services/LandStripView.h"

namespace brindlow {

// One strip window with the view that draws it. The view goes first, the window after it.
struct LandStripWindow {
  std::unique_ptr<platform::StripWindow> window;
  std::unique_ptr<LandStripView> strip;
};

// The page's land, shown in thin click-through windows along the screen bottoms and along the
// tops of other windows: one strip per key. Decides which strips are ordered in and at which
// level: always, only while the user types (with a linger), or never.
class LandStrips : public std::enable_shared_from_this<LandStrips> {
 public:
  struct Strip {
    int64_t cols = 0;
    std::vector<uint8_t> levels;  // one per column, each 0...3
    std::optional<SurfaceLine> line;  // absent: a screen strip keyed by its screen
    bool operator==(const Strip&) const = default;
  };
  struct Trail {
    int64_t level = 0;
    std::set<int64_t> cols;
    bool operator==(const Trail&) const = default;
  };

  static constexpr uint32_t kBaseBehavior =
      platform::canJoinAllSpaces | platform::stationary | platform::ignoresCycle;
  static constexpr int kLiftedLevel = 2;

  LandStrips(platform::MainLoop& loop, platform::WindowServer& windowServer);
  ~LandStrips();
  LandStrips(const LandStrips&) = delete;
  LandStrips& operator=(const LandStrips&) = delete;

  // From the page.
  // An absent colour keeps the current one; an entry whose levels are absent is a bad entry.
  void applyState(std::optional<Color> top, std::optional<Color> side, const std::vector<LandScreen>& entries);
  void applyPaint(const std::string& key, const std::vector<std::vector<int64_t>>& changes);
  void applyTrail(const std::string& key, int64_t level, const std::vector<int64_t>& columns);
  void stand(const std::optional<std::string>& key);

  // From the application delegate.
  void noteKey();
  void setScreens(std::vector<ScreenInfo> list);
  void setShow(LandShow mode);
  void setOnTop(bool flag);
  void refresh(bool force);
  void clearAll();

  // Written by the delegate, which applies `behavior` to every window itself.
  bool hidden = false;
  uint32_t behavior = kBaseBehavior;

  const std::map<std::string, LandStripWindow>& windows() const { return windows_; }
  const std::map<std::string, Strip>& data() const { return data_; }
  const std::map<std::string, Trail>& trails() const { return trails_; }
  const std::vector<ScreenInfo>& screens() const { return screens_; }
  Color top() const { return top_; }
  Color side() const { return side_; }
  LandShow show() const { return show_; }
  bool onTop() const { return onTop_; }
  bool raised() const { return raised_; }
  bool shown() const { return shown_; }
  const std::set<std::string>& shownKeys() const { return shownKeys_; }
  const std::optional<std::string>& activeKey() const { return activeKey_; }
  const std::optional<std::string>& standingKey() const { return standingKey_; }
  std::optional<platform::Seconds> lastKey() const { return lastKey_; }

 private:
  void sync();
  int levelFor(const std::string& key);
  bool wantsRaised() const;
  std::set<std::string> visibleKeys(bool visible) const;
  void scheduleLinger();
  void lingerFired();
  bool typingCounts() const;
  bool recentlyTyped() const;
  int baseLevel();
  void resetView(LandStripView& view, const Strip& strip);
  void relevelWindowStrips();
  void closeWindow(LandStripWindow& entry);

  platform::MainLoop& loop_;
  platform::WindowServer& windowServer_;
  std::map<std::string, Strip> data_;
  std::map<std::string, Trail> trails_;
  std::map<std::string, LandStripWindow> windows_;
  std::vector<ScreenInfo> screens_;
  Color top_{0.55, 0.85, 0.45, 1};
  Color side_{0.35, 0.62, 0.30, 1};
  LandShow show_ = LandShow::always;
  std::optional<platform::Seconds> lastKey_;
  platform::TaskHandle lingerWork_;
  bool shown_ = true;
  std::set<std::string> shownKeys_;
  std::optional<std::string> activeKey_;
  bool onTop_ = false;
  bool raised_ = false;
  std::optional<std::string> standingKey_;
  std::optional<int> baseLevel_;
};

}  // namespace brindlow
