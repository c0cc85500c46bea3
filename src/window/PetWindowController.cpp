#include "window/PetWindowController.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <utility>

#include "geometry/ScreenGeometry.h"
#include "model/Constants.h"
#include "platform/MainThread.h"
#include "platform/PetPanel.h"
#include "platform/Screens.h"
#include "platform/WeakCallback.h"
#include "platform/WebEngine.h"
#include "platform/WebView.h"
#include "platform/WindowServer.h"
#include "util/Log.h"
#include "util/Url.h"
#include "window/DragController.h"
#include "window/HitTester.h"

namespace brindlow {
namespace {

constexpr GRect kPetBox{0, 0, PetBox::width, PetBox::height};
// Used for the panel when no screen is known at all.
constexpr GRect kFallbackScreen{0, 0, 1440, 900};
constexpr double kFallbackScale = 2.0;
constexpr double kSizeTolerance = 0.5;
constexpr double kCoordinateBound = 100000;
constexpr double kShortestNarrowDelay = 0.05;
// Off-screen check delays: after a placement, a return to pet mode or a drag; new screens; unhiding.
constexpr double kCheckAfterPlacement = 2.0;
constexpr double kCheckAfterScreens = 1.0;
constexpr double kCheckAfterUnhide = 0.5;

bool validPetFrame(const GRect& r) {
  return r.isFinite() && std::abs(r.w - PetBox::width) < kSizeTolerance &&
         std::abs(r.h - PetBox::height) < kSizeTolerance && std::abs(r.x) < kCoordinateBound &&
         std::abs(r.y) < kCoordinateBound;
}

// Calls a callback property through a copy, so the callback may replace or clear it.
template <class F, class... Args>
void call(const F& callback, Args&&... args) {
  if (auto f = callback) f(std::forward<Args>(args)...);
}

}  // namespace

std::shared_ptr<PetWindowController> PetWindowController::create(
    platform::MainLoop& loop, platform::Screens& screens, platform::WindowServer& windows,
    platform::WebEngine& engine, platform::MouseMonitor& mouse, std::shared_ptr<platform::WebViewConfig> config,
    bool onTop) {
  auto controller =
      std::make_shared<PetWindowController>(Private{}, loop, screens, windows, engine, mouse, std::move(config), onTop);
  controller->wire();
  return controller;
}

PetWindowController::PetWindowController(Private, platform::MainLoop& loop, platform::Screens& screens,
                                         platform::WindowServer& windows, platform::WebEngine& engine,
                                         platform::MouseMonitor& mouse,
                                         std::shared_ptr<platform::WebViewConfig> config, bool onTop)
    : loop_(loop),
      screensSource_(screens),
      panel_(windows.createPetPanel()),
      hitTester_(std::make_shared<HitTester>(loop, screens, mouse)),
      drag_(std::make_shared<DragController>(loop, screens, mouse)),
      webView_(engine.createWebView(std::move(config))),
      petBaseLevel_(windows.desktopIconLevel() + 2),
      onTop_(onTop),
      lastPlaceAt_(-std::numeric_limits<double>::infinity()) {}

PetWindowController::~PetWindowController() = default;

void PetWindowController::wire() {
  // Every callback runs on the controller while it lives; a gone one refuses navigation.
  auto on = [this, weak = weak_from_this()](auto action) { return weakCallback(weak, loop_, std::move(action)); };

  webView_->setNavigationHandlers(platform::NavigationHandlers{
      on([](PetWindowController&, const std::optional<std::string>& url) { return allowNavigation(url); }),
      on([](PetWindowController& c) { c.webDidCommit(); }),
      on([](PetWindowController& c) { c.webTerminated(); })});

  // The holder: the pet's box, carrying the web view.
  panel_->setWebView(*webView_);
  panel_->setWebViewFrame(kPetBox, false);
  panel_->setPointerActivityHandler(on([](PetWindowController& c) { c.refreshHits(); }));
  panel_->setLevel(onTop_ ? floatingLevel : petBaseLevel_);

  hitTester_->panel = panel_;
  // No frame at all once the controller is gone, not an empty one.
  hitTester_->webFrame = on([](PetWindowController& c) { return std::optional<GRect>(c.webFrameOnScreen()); });

  drag_->panel = panel_;
  drag_->onFinish = on([](PetWindowController& c) { c.syncHitMode(); });

  tokens_.push_back(panel_->onBackingPropertiesChanged(on([](PetWindowController& c) { c.reportWindow(); })));
}

void PetWindowController::assertMainThread() const { platform::assertMainThread(loop_); }

const std::vector<ScreenInfo>& PetWindowController::currentScreens(std::vector<ScreenInfo>& scratch) const {
  if (!screens_.empty()) return screens_;
  scratch = ScreenGeometry::screens(screensSource_);
  return scratch;
}

void PetWindowController::cancelDrag() { drag_->cancel(); }

void PetWindowController::clearHits() {
  hitTester_->rects.clear();
  hitTester_->update();
}

void PetWindowController::refreshHits() { hitTester_->update(); }

void PetWindowController::reportWindow() { call(onWindow, windowInfo()); }

void PetWindowController::reportShown(bool shown) { call(onShownChanged, shown); }

// ---- Geometry reads.

GRect PetWindowController::webFrameOnScreen() const {
  const GRect frame = panel_->frame();
  if (!wide_) return frame;
  // The holder lives in the content's bottom-up coordinates.
  const GRect holder = panel_->webViewFrame();
  return {frame.x + holder.x, frame.y + frame.h - holder.maxY(), holder.w, holder.h};
}

GRect PetWindowController::panelScreenRect() const {
  const GPoint point = petFrame_ ? GPoint{petFrame_->x + PetBox::footX, petFrame_->y + PetBox::footY - 1}
                                 : ScreenGeometry::mouseTopLeft(screensSource_);
  std::vector<ScreenInfo> scratch;
  const auto& list = currentScreens(scratch);
  if (auto i = ScreenGeometry::screenIndex(point, list)) return list[*i].visible;
  return kFallbackScreen;
}

PetWindowController::VisibleFraction PetWindowController::visibleFraction() const {
  std::vector<ScreenInfo> scratch;
  const double fraction = ScreenGeometry::visibleFraction(webFrameOnScreen(), currentScreens(scratch));
  return {fraction, fraction >= enoughOnScreen};
}

WindowInfo PetWindowController::windowInfo() const {
  std::vector<ScreenInfo> scratch;
  const auto& list = currentScreens(scratch);
  const GRect frame = webFrameOnScreen();
  double scale = kFallbackScale;
  if (auto own = panel_->backingScale()) {
    scale = *own;
  } else if (!list.empty()) {
    scale = list.front().scale;  // the main screen
  }
  return {mode_.isPet() ? "pet" : "panel", frame, scale, ScreenGeometry::screenKeyAtCentre(frame, list)};
}

bool PetWindowController::allowNavigation(const std::optional<std::string>& url) {
  if (!url) return false;
  auto parsed = parseUrl(*url);
  if (!parsed) return false;
  if (parsed->scheme == "brindlow") return parsed->host == "app";
  if (parsed->scheme == "about") return *url == "about:blank";
  return false;
}

// ---- Wide window.

void PetWindowController::narrow() {
  narrowWork_.cancel();
  if (!wide_) return;
  wide_.reset();
  GRect holder = panel_->webViewFrame();
  holder.x = 0;
  holder.y = 0;
  panel_->setWebViewFrame(holder, false);
}

void PetWindowController::collapseWide() {
  if (!wide_) return;
  narrow();
  if (mode_.isPet() && petFrame_) panel_->setFrame(*petFrame_, false);
  hitTester_->update();
}

void PetWindowController::placeWide(const GRect& pet, const GRect& wide) {
  if (wide_ != wide) {
    wide_ = wide;
    panel_->setFrame(wide, false);
  }
  const GPoint offset = ScreenGeometry::snapOffset(pet, wide, panel_->backingScale().value_or(1));
  const GRect holder = panel_->webViewFrame();
  const double holderY = wide.h - offset.y - PetBox::height;  // bottom-up
  if (holder.x != offset.x || holder.y != holderY) {
    panel_->setWebViewFrame({offset.x, holderY, PetBox::width, PetBox::height}, false);
  }
  scheduleNarrow();
}

void PetWindowController::scheduleNarrow() {
  if (narrowWork_.isPending()) return;
  const double delay = std::max(lastPlaceAt_ + WideWindow::hold - loop_.uptime(), kShortestNarrowDelay);
  narrowWork_ = loop_.scheduleAfter(
      delay, weakCallback(weak_from_this(), loop_, [](PetWindowController& c) { c.narrowIfIdle(); }));
}

void PetWindowController::narrowIfIdle() {
  assertMainThread();
  narrowWork_ = {};
  if (!wide_) return;
  if (loop_.uptime() - lastPlaceAt_ < WideWindow::hold) {
    scheduleNarrow();
    return;
  }
  narrow();
  if (mode_.isPet() && petFrame_) panel_->setFrame(*petFrame_, false);
  hitTester_->update();
}

void PetWindowController::setStandingLine(std::optional<SurfaceLine> line) {
  if (line == standingLine_) return;
  standingLine_ = line;
  collapseWide();
}

// ---- Placement.

void PetWindowController::applyPetFrame(GRect r) {
  if (!validPetFrame(r)) {
    warnOnce("pet.frame", "pet.frame: wrong size or value, ignored");
    return;
  }
  petFrame_ = r;
  if (!mode_.isPet() || drag_->active()) return;  // placed later, on entering pet mode or collapsing

  auto keepAlive = shared_from_this();
  const platform::Seconds now = loop_.uptime();
  const platform::Seconds since = now - lastPlaceAt_;
  lastPlaceAt_ = now;

  std::vector<ScreenInfo> scratch;
  const bool allowed = onTop_ && shownOnce_ && !userHidden_;
  const auto wide = ScreenGeometry::chooseWide(r, currentScreens(scratch), standingLine_, wide_,
                                               since < WideWindow::burst, allowed);
  if (wide) {
    placeWide(r, *wide);
  } else {
    narrow();
    panel_->setFrame(r, false);
  }

  if (!shownOnce_) {
    shownOnce_ = true;
    if (!userHidden_) panel_->orderFrontRegardless();
    reportShown(!userHidden_);
  }
  hitTester_->updateAfterMove();
  scheduleOffscreenCheck(kCheckAfterPlacement);
}

// ---- Modes.

void PetWindowController::setMode(Mode m) {
  if (m.isPet() && mode_.isPet()) return;
  auto keepAlive = shared_from_this();
  cancelDrag();
  clearHits();
  narrow();
  mode_ = m;

  if (m.isPet()) {
    const bool wasKey = panel_->isKey();
    panel_->setAllowsKey(false);
    panel_->setLevel(onTop_ ? floatingLevel : petBaseLevel_);
    GRect frame;
    if (petFrame_) {
      frame = *petFrame_;
    } else {
      const GRect area = panelScreenRect();
      frame = ScreenGeometry::petFrameAtBottom(area.midX(), area);
    }
    panel_->setFrame(frame, true);
    panel_->setWebViewFrame(kPetBox, false);
    hitTester_->setForceAccept(false);
    hitTester_->nearEnabled = true;
    if (wasKey && panel_->isVisible()) {
      // Ordering out and back in is how a panel stops being key while staying on screen.
      panel_->orderOut();
      panel_->orderFrontRegardless();
    }
    scheduleOffscreenCheck(kCheckAfterPlacement);
  } else {
    const GRect frame = ScreenGeometry::panelFrame(panelScreenRect());
    panel_->setAllowsKey(true);
    panel_->setLevel(floatingLevel);
    panel_->setFrame(frame, true);
    panel_->setWebViewFrame(panel_->contentBounds(), true);
    hitTester_->setForceAccept(true);
    hitTester_->nearEnabled = false;
    if (!userHidden_) {
      panel_->orderFrontRegardless();
      panel_->makeKey();
    }
    if (!shownOnce_) {
      shownOnce_ = true;
      reportShown(!userHidden_);
    }
  }
  reportWindow();
}

void PetWindowController::setOnTop(bool onTop) {
  onTop_ = onTop;
  if (onTop) {
    if (mode_.isPet()) panel_->setLevel(floatingLevel);
    return;
  }
  collapseWide();
  if (mode_.isPet()) panel_->setLevel(petBaseLevel_);
}

void PetWindowController::setFullScreenAux(bool aux) {
  const uint32_t bits = panel_->collectionBehavior();
  const uint32_t next = aux ? (bits | platform::fullScreenAuxiliary) : (bits & ~uint32_t{platform::fullScreenAuxiliary});
  panel_->setCollectionBehavior(next);
}

// ---- Hiding and screens.

void PetWindowController::setUserHidden(bool hidden, double seconds) {
  auto keepAlive = shared_from_this();
  unhideWork_.cancel();
  userHidden_ = hidden;
  if (!hidden) {
    if (shownOnce_) {
      panel_->orderFrontRegardless();
      scheduleOffscreenCheck(kCheckAfterUnhide);
    }
  } else {
    cancelDrag();
    collapseWide();
    panel_->orderOut();
    unhideWork_ = loop_.scheduleAtWallTime(loop_.now() + seconds,
                                           weakCallback(weak_from_this(), loop_, [](PetWindowController& c) {
                                             c.unhideWork_ = {};
                                             c.setUserHidden(false);
                                           }));
  }
  hitTester_->update();
  reportShown(!hidden && shownOnce_);
}

void PetWindowController::setScreens(std::vector<ScreenInfo> screens) {
  auto keepAlive = shared_from_this();
  screens_ = std::move(screens);
  collapseWide();
  if (!mode_.isPet()) {
    panel_->setFrame(ScreenGeometry::panelFrame(panelScreenRect()), true);
    reportWindow();
  }
  scheduleOffscreenCheck(kCheckAfterScreens);
}

// ---- Off-screen recovery.

void PetWindowController::scheduleOffscreenCheck(double delay) {
  if (!mode_.isPet() || !shownOnce_ || userHidden_) return;
  if (visibleFraction().enough) {
    offscreenWork_.cancel();
    return;
  }
  if (offscreenWork_.isPending()) return;  // keeps its deadline
  offscreenWork_ = loop_.scheduleAfter(
      delay, weakCallback(weak_from_this(), loop_, [](PetWindowController& c) { c.summonIfOffscreen(); }));
}

void PetWindowController::summonIfOffscreen() {
  assertMainThread();
  offscreenWork_ = {};
  if (!mode_.isPet() || drag_->active() || userHidden_) return;
  if (visibleFraction().enough) return;
  call(onSummonNeeded, ScreenGeometry::mouseTopLeft(screensSource_));
}

// ---- Dragging.

void PetWindowController::beginDrag() {
  if (!mode_.isPet() || !shownOnce_ || userHidden_) return;
  auto keepAlive = shared_from_this();
  collapseWide();
  hitTester_->setForceAccept(true);
  drag_->begin();
  // A drag that could not start (the panel is not on screen) must not leave the panel catching
  // every click; one that ended at once has already synced through onFinish.
  if (!drag_->active()) hitTester_->setForceAccept(!mode_.isPet());
}

void PetWindowController::syncHitMode() {
  hitTester_->setForceAccept(!mode_.isPet());
  scheduleOffscreenCheck(kCheckAfterPlacement);
}

// ---- The page.

void PetWindowController::webDidCommit() {
  assertMainThread();
  auto keepAlive = shared_from_this();
  cancelDrag();
  clearHits();
  call(onWebNavigated);
}

void PetWindowController::webTerminated() {
  assertMainThread();
  auto keepAlive = shared_from_this();
  logError("web: content process terminated");
  cancelDrag();
  clearHits();
  call(onWebTerminated);
}

void PetWindowController::stop() {
  auto keepAlive = shared_from_this();
  tokens_.clear();
  // The drag goes first: its end schedules an off-screen check, which must not outlive the stop.
  cancelDrag();
  offscreenWork_.cancel();
  unhideWork_.cancel();
  narrowWork_.cancel();
  hitTester_->stop();
  webView_->setNavigationHandlers(std::nullopt);
  webView_->stopLoading();
}

}  // namespace brindlow
