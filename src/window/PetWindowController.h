#pragma once
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "model/Enums.h"
#include "model/Geometry.h"
#include "model/Messages.h"
#include "platform/MainLoop.h"
#include "platform/Subscription.h"
#include "platform/TaskHandle.h"

namespace brindlow {

namespace platform {
class MouseMonitor;
class PetPanel;
class Screens;
class WebEngine;
class WebView;
class WebViewConfig;
class WindowServer;
}  // namespace platform

class DragController;
class HitTester;

// Owns the pet's window: the panel with the page's web view, its hit tester and drag controller.
// In pet mode the panel is the pet's 200 × 200 box placed where the page says, widened along the
// line the pet walks on so that animation frames move only the web view; in panel mode it shows a
// page panel centred on the screen and may become key. It also hides the pet for a while on
// request, brings it back when it ends up off screen, and keeps the web view on the app's pages.
// Held in a shared_ptr (see create): every platform callback holds it weakly.
class PetWindowController : public std::enable_shared_from_this<PetWindowController> {
  struct Private {
    explicit Private() = default;
  };

 public:
  // Pet mode, or panel mode showing one page panel.
  struct Mode {
    std::optional<PanelKind> panel;
    static Mode pet() { return {}; }
    static Mode panelOf(PanelKind kind) { return {kind}; }
    bool isPet() const { return !panel; }
    bool operator==(const Mode&) const = default;
  };

  struct VisibleFraction {
    double fraction = 0;
    bool enough = false;  // fraction >= 0.3: the user can still reach the pet
  };

  // The panel level on top and in panel mode (the floating level).
  static constexpr int floatingLevel = 3;
  // Less than this share of the pet on screen asks for a summon.
  static constexpr double enoughOnScreen = 0.3;
  static constexpr double defaultHideSeconds = 3600;

  [[nodiscard]] static std::shared_ptr<PetWindowController> create(
      platform::MainLoop& loop, platform::Screens& screens, platform::WindowServer& windows,
      platform::WebEngine& engine, platform::MouseMonitor& mouse, std::shared_ptr<platform::WebViewConfig> config,
      bool onTop);
  PetWindowController(Private, platform::MainLoop& loop, platform::Screens& screens, platform::WindowServer& windows,
                      platform::WebEngine& engine, platform::MouseMonitor& mouse,
                      std::shared_ptr<platform::WebViewConfig> config, bool onTop);
  ~PetWindowController();
  PetWindowController(const PetWindowController&) = delete;
  PetWindowController& operator=(const PetWindowController&) = delete;

  // Reports to the application delegate.
  std::function<void(const WindowInfo&)> onWindow;
  std::function<void(GPoint pointer)> onSummonNeeded;  // the pet is off screen
  std::function<void(bool shown)> onShownChanged;
  std::function<void()> onWebTerminated;
  std::function<void()> onWebNavigated;

  // Driven by the application delegate.
  void setScreens(std::vector<ScreenInfo> screens);
  void setUserHidden(bool hidden, double seconds = defaultHideSeconds);
  void setFullScreenAux(bool aux);
  // Brings the pet back after `delay` seconds when it is then off screen (after a wake).
  void scheduleOffscreenCheck(double delay);
  bool onTop() const { return onTop_; }
  void setOnTop(bool onTop);
  void stop();

  platform::PetPanel& panel() const { return *panel_; }
  const std::shared_ptr<HitTester>& hitTester() const { return hitTester_; }
  const std::shared_ptr<DragController>& drag() const { return drag_; }
  platform::WebView& webView() const { return *webView_; }
  bool userHidden() const { return userHidden_; }
  bool shownOnce() const { return shownOnce_; }

  // Driven by the bridge.
  // Places the pet's box (page coordinates); a frame of the wrong size or with wild values is ignored.
  void applyPetFrame(GRect frame);
  // The line the pet stands on ("surface.stand"); a change gives up the wide window.
  void setStandingLine(std::optional<SurfaceLine> line);
  const std::optional<SurfaceLine>& standingLine() const { return standingLine_; }
  void setMode(Mode mode);
  void beginDrag();
  WindowInfo windowInfo() const;

  // Only the app's own pages and the blank page may load.
  static bool allowNavigation(const std::optional<std::string>& url);
  // The visible frame of the screen under the pet (or the pointer), else (0, 0, 1440, 900).
  GRect panelScreenRect() const;
  // The pet's rect on screen: the panel, or the pet's box inside a widened panel.
  GRect webFrameOnScreen() const;
  VisibleFraction visibleFraction() const;

  // Inspection.
  Mode mode() const { return mode_; }
  const std::optional<GRect>& petFrame() const { return petFrame_; }
  const std::optional<GRect>& wide() const { return wide_; }
  int petBaseLevel() const { return petBaseLevel_; }
  bool offscreenCheckPending() const { return offscreenWork_.isPending(); }
  bool unhidePending() const { return unhideWork_.isPending(); }
  bool narrowPending() const { return narrowWork_.isPending(); }

 private:
  void wire();
  void assertMainThread() const;
  // The last screens snapshot, or a fresh list when there is none; `scratch` holds the fresh one.
  const std::vector<ScreenInfo>& currentScreens(std::vector<ScreenInfo>& scratch) const;
  void cancelDrag();
  void clearHits();
  void refreshHits();
  void narrow();
  void collapseWide();
  void placeWide(const GRect& pet, const GRect& wide);
  void scheduleNarrow();
  void narrowIfIdle();
  void summonIfOffscreen();
  void syncHitMode();
  void reportWindow();
  void reportShown(bool shown);
  void webDidCommit();
  void webTerminated();

  platform::MainLoop& loop_;
  platform::Screens& screensSource_;
  std::shared_ptr<platform::PetPanel> panel_;
  std::shared_ptr<HitTester> hitTester_;
  std::shared_ptr<DragController> drag_;
  std::unique_ptr<platform::WebView> webView_;
  const int petBaseLevel_;

  Mode mode_;
  std::optional<GRect> petFrame_;
  bool onTop_;
  bool shownOnce_ = false;
  bool userHidden_ = false;
  std::vector<ScreenInfo> screens_;
  platform::TaskHandle offscreenWork_;
  platform::TaskHandle unhideWork_;
  std::optional<GRect> wide_;
  platform::Seconds lastPlaceAt_;
  platform::TaskHandle narrowWork_;
  std::optional<SurfaceLine> standingLine_;
  std::vector<platform::Subscription> tokens_;
};

}  // namespace brindlow
