#include "app/AppDelegate.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <utility>

#include "bridge/MessagesJson.h"
#include "geometry/ScreenGeometry.h"
#include "model/Constants.h"
#include "platform/Defaults.h"
#include "platform/KeyTap.h"
#include "platform/MainThread.h"
#include "platform/ProcessInfo.h"
#include "platform/Resources.h"
#include "platform/Screens.h"
#include "platform/StatusItem.h"
#include "platform/StripWindow.h"
#include "platform/WeakCallback.h"
#include "platform/WebEngine.h"
#include "platform/WebView.h"
#include "platform/Workspace.h"
#include "util/Log.h"
#include "window/DragController.h"
#include "window/HitTester.h"

namespace brindlow {

namespace {

constexpr std::string_view kRelaunchFlag = "-brindlow-relaunched";
constexpr platform::Seconds kWaitInterval = 0.2;
constexpr int kWaitRetries = 50;
constexpr std::string_view kAutomaticTerminationReason = "pet lives on the desktop";
constexpr platform::Seconds kCrashWindow = 60;
constexpr size_t kCrashesThatStop = 4;
constexpr platform::Seconds kDockIconCheckDelay = 4;
constexpr platform::Seconds kPageLoadTimeout = 60;
constexpr platform::Seconds kToggleHideSeconds = 3600;
constexpr std::string_view kDockIconAutoKey = "prefs.dockIconAuto";
// Key batches re-read the watched window list at most this often (system uptime).
constexpr platform::Seconds kTypingReadGap = 1.0;
// Status item lengths: fitted to the icon and paws title, or square for the icon alone.
constexpr double kVariableLength = -1;
constexpr double kSquareLength = -2;

// The preference language, or the system's when the preference is "auto".
Lang chosenLang(LangPref pref, const platform::Locale& locale) {
  if (auto chosen = fromRaw<Lang>(rawValue(pref))) return *chosen;
  return detectLang(locale);
}

std::string decimal(int64_t value) {
  char buf[24];
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value);
  return std::string(buf, end);
}

}  // namespace

AppDelegate::AppDelegate(const platform::Platform& platform) : AppDelegate(platform, AppServices::create(platform)) {}

AppDelegate::AppDelegate(const platform::Platform& platform, AppServices services)
    : platform_(platform),
      mainLoop_(*platform.mainLoop),
      prefs_(std::move(services.prefs)),
      permission_(std::move(services.permission)),
      keys_(std::move(services.keys)),
      watch_(std::move(services.watch)),
      saveFile_(std::move(services.saveFile)),
      land_(std::move(services.land)),
      ground_(std::move(services.ground)),
      bridge_(std::move(services.bridge)),
      links_(*platform.resources, *platform.fileSystem, platform.keyTap->inputSettingsUrl()),
      updater_(*platform.application, *platform.workspace, platform.processInfo->applicationId()) {}

AppDelegate::~AppDelegate() = default;

void AppDelegate::assertMainThread() const { platform::assertMainThread(mainLoop_); }

std::optional<int32_t> AppDelegate::relaunchedPid(const std::vector<std::string>& arguments) {
  auto flag = std::find(arguments.begin(), arguments.end(), kRelaunchFlag);
  if (flag == arguments.end() || std::next(flag) == arguments.end()) return std::nullopt;
  std::string_view text = *std::next(flag);
  const bool negative = !text.empty() && text.front() == '-';
  if (!text.empty() && (text.front() == '+' || negative)) text.remove_prefix(1);
  if (text.empty() || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    return std::nullopt;
  }
  // Parse with the sign so that -2147483648 is in range and 2147483648 is not.
  const std::string signedText = negative ? "-" + std::string(text) : std::string(text);
  int32_t pid = 0;
  auto [end, ec] = std::from_chars(signedText.data(), signedText.data() + signedText.size(), pid);
  if (ec != std::errc() || end != signedText.data() + signedText.size()) return std::nullopt;
  return pid;
}

void AppDelegate::didFinishLaunching() {
  assertMainThread();
  if (auto pid = relaunchedPid(platform_.processInfo->arguments())) {
    waitForPrevious(*pid, 0);
    return;
  }
  if (!quitIfAlreadyRunning(/*reopenIt=*/true)) start();
}

void AppDelegate::waitForPrevious(int32_t pid, int attempt) {
  if (platform_.workspace->isApplicationRunning(pid) && attempt < kWaitRetries) {
    waitWork_ = mainLoop_.scheduleAfter(
        kWaitInterval, weakly([pid, attempt](AppDelegate& d) { d.waitForPrevious(pid, attempt + 1); }));
    return;
  }
  // The instance that outlived a relaunch is on its way out: it is not asked to reopen.
  if (!quitIfAlreadyRunning(/*reopenIt=*/false)) start();
}

bool AppDelegate::quitIfAlreadyRunning(bool reopenIt) {
  const std::optional<std::string> id = platform_.processInfo->applicationId();
  if (!id) return false;
  std::vector<int32_t> others = platform_.workspace->runningApplicationPids(*id);
  const int32_t self = platform_.processInfo->processId();
  std::erase(others, self);
  if (others.empty()) return false;
  // Launching the program again is how a Linux user clicks it: the running pet shows itself.
  if (reopenIt && !platform_.workspace->reopenRunningInstance(*id)) {
    logError("reopen: the running instance did not answer");
  }
  logError("already running, quitting");
  terminating_ = true;  // so the quit goes through without asking the page to flush
  platform_.application->terminate();
  return true;
}

void AppDelegate::start() {
  platform_.processInfo->disableAutomaticTermination(kAutomaticTerminationReason);
  const Prefs p = prefs_->load();
  lang_ = chosenLang(p.lang, *platform_.locale);
  StatusItemController::setLanguage(lang_, *platform_.resources, *platform_.fileSystem);
  window_ = AppServices::makeWindow(platform_, bridge_->makeConfiguration(), p.onTop);
  status_ = AppServices::makeStatus(platform_);
  // The web view lives as long as the window controller; the bridge holds it weakly.
  const std::shared_ptr<platform::WebView> webView(window_, &window_->webView());
  Bridge::Parts parts = services().parts(window_, status_);
  // Without the delegate there is nothing to relaunch and no link to give.
  parts.relaunch = weakly([](AppDelegate& d) { return d.relaunch(); });
  parts.linkUrl = weakly([](AppDelegate& d, LinkId link) { return d.links_.url(link); });
  bridge_->attach(webView, std::move(parts));
  wireWindow(*window_);
  wireStatus(*status_);
  wireWatch();
  prefs_->onChange = weakly([](AppDelegate& d, const Prefs& now, const Prefs& old) { d.prefsChanged(now, old); });
  permission_->onChange =
      weakly([](AppDelegate& d, const PermissionInfo& info) { d.permissionChanged(info); });
  keys_->onBatch = weakly([](AppDelegate& d, const KeysEvent& event) { d.keysBatch(event); });
  keys_->start();
  if (p.ground != ground_->mode) {
    ground_->mode = p.ground;
    if (p.ground != GroundMode::windows) ground_->stop();
  }
  ground_->onChange = weakly([](AppDelegate& d, const std::vector<AppWindow>& windows) {
    d.send(PageEvent::onWindows, WindowsMsg{windows});
  });
  applyPrefs(p);
  scheduleDockIconCheck();
  const std::vector<ScreenInfo> screens = ScreenGeometry::screens(*platform_.screens);
  land_->setScreens(screens);
  window_->setScreens(screens);
  window_->hitTester()->start();
  loadPage();
  updater_.ensureUpdaterController();
}

void AppDelegate::loadPage() {
  if (window_) window_->webView().loadUrl(appURL, kPageLoadTimeout);
}

bool AppDelegate::relaunch() {
  if (terminating_ || relaunching_) return false;
  relaunching_ = true;
  // The completion holds the delegate strongly, so the outcome is always handled.
  std::shared_ptr<AppDelegate> self = shared_from_this();
  platform_.workspace->openNewInstance(
      {std::string(kRelaunchFlag), decimal(platform_.processInfo->processId())}, /*activates=*/false,
      [self](std::optional<std::string> error) {
        self->assertMainThread();
        self->relaunchFinished(error);
      });
  return true;
}

void AppDelegate::relaunchFinished(const std::optional<std::string>& error) {
  if (!error) {
    platform_.application->terminate();
    return;
  }
  logError("relaunch: " + *error);
  relaunching_ = false;
}

platform::TerminateReply AppDelegate::shouldTerminate() {
  assertMainThread();
  if (terminating_) {
    replyAwaited_ = false;  // answered now: a flush still settling has nothing left to reply to
    return platform::TerminateReply::now;
  }
  terminating_ = true;
  replyAwaited_ = true;
  // When the page cannot be asked the reply comes before this answer; the platform accepts that.
  bridge_->flush(poweringOff_ ? FlushReason::logout : FlushReason::quit,
                 weakly([](AppDelegate& d) {
                   if (std::exchange(d.replyAwaited_, false)) d.platform_.application->replyToTerminate(true);
                 }));
  return platform::TerminateReply::later;
}

bool AppDelegate::shouldHandleReopen(bool /*hasVisibleWindows*/) {
  assertMainThread();
  if (window_ && window_->userHidden()) window_->setUserHidden(false);
  if (bridge_->ready) bridge_->send(PageEvent::onMenu, MenuEvent{MenuCommand::settings, std::nullopt});
  return false;
}

void AppDelegate::willTerminate() {
  assertMainThread();
  keys_->stop();
  permission_->stopPolling();
  watch_->stop();
  if (window_) window_->stop();
  ground_->stop();
  ground_->onChange = nullptr;
  bridge_->detach();
  land_->clearAll();
  if (status_) {
    status_->closeHint();
    status_->item().remove();
  }
  // Neither the relaunch wait nor the Dock-icon check may start anything after the teardown.
  waitWork_.cancel();
  dockIconWork_.cancel();
}

void AppDelegate::webContentTerminated() {
  bridge_->ready = false;
  const platform::EpochSeconds now = mainLoop_.now();
  std::erase_if(webCrashes_, [now](platform::EpochSeconds at) { return !(now - at < kCrashWindow); });
  webCrashes_.push_back(now);
  if (webCrashes_.size() < kCrashesThatStop) {
    loadPage();
    return;
  }
  webStopped_ = true;
  if (status_) status_->menuChanged();  // the reload item appears
  logError("web: crashed " + decimal(static_cast<int64_t>(webCrashes_.size())) + " times in a minute, stopped");
}

void AppDelegate::reloadWeb() {
  if (webStopped_ && status_) status_->menuChanged();
  webStopped_ = false;
  webCrashes_.clear();
  loadPage();
}

void AppDelegate::wireWindow(PetWindowController& window) {
  window.onWindow = weakly([](AppDelegate& d, const WindowInfo& info) { d.send(PageEvent::onWindow, info); });
  window.hitTester()->onPointerNear = weakly([](AppDelegate& d, const std::optional<GPoint>& at) {
    d.send(PageEvent::onPointerNear, PointerNearEvent{at});
  });
  window.drag()->onEvent = weakly([](AppDelegate& d, const DragEvent& event) { d.send(PageEvent::onDrag, event); });
  window.onSummonNeeded = weakly([](AppDelegate& d, const GPoint& point) { d.summon(point); });
  window.onShownChanged = weakly([](AppDelegate& d) { d.shownChanged(); });
  window.onWebNavigated = weakly([](AppDelegate& d) { d.bridge_->ready = false; });
  window.onWebTerminated = weakly([](AppDelegate& d) { d.webContentTerminated(); });
  // The panel lives as long as the window controller.
  watch_->watch(std::shared_ptr<platform::PetPanel>(window_, &window.panel()));
}

void AppDelegate::shownChanged() {
  land_->hidden = window_ && window_->userHidden();
  land_->refresh(/*force=*/true);
  watch_->occlusionArmed = window_ && window_->shownOnce();
  watch_->recheckOcclusion();
  if (status_) status_->menuChanged();
}

void AppDelegate::summon(GPoint point) {
  if (window_ && window_->userHidden()) window_->setUserHidden(false);
  if (bridge_->ready) {
    send(PageEvent::onMenu, MenuEvent{MenuCommand::summon, point});
    return;
  }
  if (!window_) return;
  const std::vector<ScreenInfo> screens = ScreenGeometry::screens(*platform_.screens);
  const std::optional<size_t> i = ScreenGeometry::screenIndex(point, screens);
  if (!i) return;
  const GRect v = screens[*i].visible;
  // The centre stays a cell inside the sides (on a frame narrower than two cells the right bound
  // wins) and the foot point lands on the visible bottom.
  const double cx = std::min(v.x + v.w - Land::cellWidth, std::max(point.x, v.x + Land::cellWidth));
  window_->applyPetFrame({cx - PetBox::footX, v.y + v.h - PetBox::footY, PetBox::width, PetBox::height});
}

void AppDelegate::sendMenu(MenuCommand command) {
  if (window_ && window_->userHidden()) window_->setUserHidden(false);
  send(PageEvent::onMenu, MenuEvent{command, std::nullopt});
}

void AppDelegate::wireStatus(StatusItemController& status) {
  // Each action runs on the delegate while it lives.
  status.state = weakly([](AppDelegate& d) { return d.menuState(); });
  status.willOpen =
      weakCallback(std::weak_ptr<InputPermission>(permission_), mainLoop_, [](InputPermission& p) { p.refresh(); });
  status.checkForUpdates = weakly([](AppDelegate& d) { d.updater_.checkForUpdates(); });
  StatusItemController::Actions& a = status.actions;
  a.toggleOnTop = weakly([](AppDelegate& d) { d.togglePref(&Prefs::onTop, &PrefsPatch::onTop); });
  a.toggleResting = weakly([](AppDelegate& d) { d.togglePref(&Prefs::resting, &PrefsPatch::resting); });
  a.toggleSound = weakly([](AppDelegate& d) { d.togglePref(&Prefs::sound, &PrefsPatch::sound); });
  a.toggleLaunchAtLogin = weakly([](AppDelegate& d) { d.togglePref(&Prefs::launchAtLogin, &PrefsPatch::launchAtLogin); });
  a.setGround = weakly([](AppDelegate& d, GroundMode mode) {
    PrefsPatch patch;
    patch.ground = mode;
    d.prefs_->apply(patch);
  });
  a.wardrobe = weakly([](AppDelegate& d) { d.sendMenu(MenuCommand::wardrobe); });
  a.book = weakly([](AppDelegate& d) { d.sendMenu(MenuCommand::book); });
  a.gift = weakly([](AppDelegate& d) { d.sendMenu(MenuCommand::gift); });
  a.settings = weakly([](AppDelegate& d) { d.sendMenu(MenuCommand::settings); });
  a.summon = weakly([](AppDelegate& d) { d.summon(ScreenGeometry::mouseTopLeft(*d.platform_.screens)); });
  a.clearLand = weakly([](AppDelegate& d) { d.send(PageEvent::onMenu, MenuEvent{MenuCommand::clearLand, std::nullopt}); });
  a.permission = weakly([](AppDelegate& d) {
    if (d.bridge_->ready) {
      d.send(PageEvent::onMenu, MenuEvent{MenuCommand::permission, std::nullopt});
    } else {
      d.permission_->request();
    }
  });
  a.toggleHidden = weakly([](AppDelegate& d) {
    if (d.window_) d.window_->setUserHidden(!d.window_->userHidden(), kToggleHideSeconds);
  });
  a.reloadWeb = weakly([](AppDelegate& d) { d.reloadWeb(); });
  a.quit = weakly([](AppDelegate& d) { d.platform_.application->terminate(); });
}

void AppDelegate::wireWatch() {
  SystemWatch::Handlers h;
  h.visibility = weakly([](AppDelegate& d, const VisibilityInfo& info) {
    d.keys_->visible = info.visible;
    d.keys_->sessionAway = SystemWatch::isSessionAway(info);
    d.send(PageEvent::onVisibility, info);
  });
  h.screens = weakly([](AppDelegate& d) { d.screensChanged(); });
  h.power = weakly([](AppDelegate& d, const PowerInfo& info) { d.send(PageEvent::onPower, info); });
  h.deviceLang = weakly([](AppDelegate& d) { d.refreshLang(); });
  h.willSleep = weakly([](AppDelegate& d) { d.willSleep(); });
  h.didWake = weakly([](AppDelegate& d) {
    d.permission_->refresh();
    if (d.window_) d.window_->scheduleOffscreenCheck(1.0);
  });
  h.willPowerOff = weakly([](AppDelegate& d) { d.poweringOff_ = true; });
  watch_->handlers = std::move(h);
  watch_->start();
}

void AppDelegate::screensChanged() {
  const std::vector<ScreenInfo> screens = ScreenGeometry::screens(*platform_.screens);
  land_->setScreens(screens);
  if (window_) window_->setScreens(screens);
  send(PageEvent::onScreens, ScreensMsg{screens});
}

void AppDelegate::willSleep() {
  if (window_ && window_->drag()->active()) window_->drag()->finish(DragPhase::cancel, mainLoop_.uptime());
  bridge_->flush(FlushReason::sleep, [] {});
}

void AppDelegate::togglePref(bool Prefs::*field, std::optional<bool> PrefsPatch::*patchField) {
  PrefsPatch patch;
  patch.*patchField = !(prefs_->load().*field);
  prefs_->apply(patch);
}

StatusItemController::State AppDelegate::menuState() {
  return {prefs_->load(), permission_->isGranted(), window_ && window_->userHidden(), webStopped_};
}

void AppDelegate::prefsChanged(const Prefs& now, const Prefs& old) {
  if (now.onTop != old.onTop && window_) window_->setOnTop(now.onTop);
  if (now.ground != old.ground && now.ground != ground_->mode) {
    ground_->mode = now.ground;
    if (now.ground != GroundMode::windows) ground_->stop();
  }
  applyPrefs(now);
  send(PageEvent::onPrefs, now);
  if (now.lang != old.lang) refreshLang();
  if (status_) status_->menuChanged();
}

void AppDelegate::applyPrefs(const Prefs& p) {
  land_->setShow(p.landShow);
  land_->setOnTop(p.onTop);
  if (p.hideOnFullscreen) {
    land_->behavior &= ~uint32_t{platform::fullScreenAuxiliary};
  } else {
    land_->behavior |= platform::fullScreenAuxiliary;
  }
  for (const auto& [key, entry] : land_->windows()) entry.window->setCollectionBehavior(land_->behavior);
  if (window_) window_->setFullScreenAux(!p.hideOnFullscreen);
  if (status_ && p.menuPaws != status_->menuPaws) {
    status_->menuPaws = p.menuPaws;
    status_->item().setLength(p.menuPaws ? kVariableLength : kSquareLength);
    status_->updatePawsTitle();
  }
  const auto policy = p.dockIcon ? platform::ActivationPolicy::regular : platform::ActivationPolicy::accessory;
  if (platform_.application->activationPolicy() != policy) platform_.application->setActivationPolicy(policy);
}

void AppDelegate::refreshLang() {
  const Lang l = chosenLang(prefs_->load().lang, *platform_.locale);
  if (l == lang_) return;
  lang_ = l;
  StatusItemController::setLanguage(l, *platform_.resources, *platform_.fileSystem);
  if (status_) status_->menuChanged();
  send(PageEvent::onLang, LangMsg{l});
}

void AppDelegate::permissionChanged(const PermissionInfo& info) {
  if (info.input == "granted") {
    keys_->start();
  } else {
    keys_->stop();
  }
  send(PageEvent::onPermission, info);
  if (status_) status_->menuChanged();
}

void AppDelegate::keysBatch(const KeysEvent& event) {
  land_->noteKey();
  ground_->throttle(kTypingReadGap);  // reads only while watching
  bridge_->deliverKeys(event);        // held and merged until the hello
}

void AppDelegate::scheduleDockIconCheck() {
  dockIconWork_ = mainLoop_.scheduleAfter(
      kDockIconCheckDelay, weakly([](AppDelegate& d) { d.checkDockIcon(); }));
}

void AppDelegate::checkDockIcon() {
  // A fallback for a status item that cannot be seen: the taskbar entry gives the user a way in.
  if (!status_ || !status_->isOffMenuBar()) return;
  if (prefs_->load().dockIcon) return;
  if (platform_.defaults->boolForKey(kDockIconAutoKey)) return;
  platform_.defaults->setBool(kDockIconAutoKey, true);
  PrefsPatch patch;
  patch.dockIcon = true;
  prefs_->apply(patch);
}

int runApplication(const platform::Platform& platform) {
  auto delegate = std::make_shared<AppDelegate>(platform);
  platform.application->setActivationPolicy(platform::ActivationPolicy::accessory);
  return platform.application->run(*delegate);
}

}  // namespace brindlow
