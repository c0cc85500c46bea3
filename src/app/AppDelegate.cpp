#include "app/AppDelegate.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>

#include "app/Log.h"
#include "bridge/Messages.h"
#include "platform/KeyTap.h"
#include "platform/ProcessInfo.h"
#include "platform/Resources.h"
#include "platform/Screens.h"
#include "platform/Workspace.h"

namespace brindlow {

namespace {

constexpr std::string_view kRelaunchFlag = "-brindlow-relaunched";
constexpr platform::Seconds kWaitInterval = 0.2;
constexpr int kWaitRetries = 50;
constexpr std::string_view kAutomaticTerminationReason = "pet lives on the desktop";
constexpr platform::Seconds kCrashWindow = 60;
constexpr size_t kCrashesThatStop = 4;

std::string decimal(int64_t value) {
  char buf[24];
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value);
  return std::string(buf, end);
}

}  // namespace

AppDelegate::AppDelegate(const platform::Platform& platform)
    : platform_(platform),
      mainLoop_(*platform.mainLoop),
      prefs_(*platform.defaults, *platform.loginItems, mainLoop_),
      permission_(std::make_shared<InputPermission>(*platform.keyTap, *platform.defaults, mainLoop_,
                                                    *platform.workspace)),
      keys_(std::make_shared<KeyCounter>(*platform.keyTap, *platform.defaults, mainLoop_)),
      saveFile_(*platform.fileSystem),
      land_(std::make_shared<LandStrips>(mainLoop_, *platform.windowServer)),
      bridge_(std::make_shared<Bridge>(platform, platform.resources->resourceDirectory())),
      links_(*platform.resources, *platform.fileSystem, platform.keyTap->inputSettingsUrl()),
      updater_(*platform.application, *platform.workspace, platform.processInfo->applicationId()) {}

AppDelegate::~AppDelegate() = default;

void AppDelegate::assertMainThread() const {
  if (!mainLoop_.isMainThread()) std::abort();
}

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
  if (!quitIfAlreadyRunning()) start();
}

void AppDelegate::waitForPrevious(int32_t pid, int attempt) {
  if (platform_.workspace->isApplicationRunning(pid) && attempt < kWaitRetries) {
    std::weak_ptr<AppDelegate> weak = weak_from_this();
    waitWork_ = mainLoop_.scheduleAfter(kWaitInterval, [weak, pid, attempt] {
      if (auto self = weak.lock()) {
        self->assertMainThread();
        self->waitForPrevious(pid, attempt + 1);
      }
    });
    return;
  }
  if (!quitIfAlreadyRunning()) start();
}

bool AppDelegate::quitIfAlreadyRunning() {
  const std::optional<std::string> id = platform_.processInfo->applicationId();
  if (!id) return false;
  std::vector<int32_t> others = platform_.workspace->runningApplicationPids(*id);
  const int32_t self = platform_.processInfo->processId();
  std::erase(others, self);
  if (others.empty()) return false;
  logError("already running, quitting");
  terminating_ = true;  // so the quit goes through without asking the page to flush
  platform_.application->terminate();
  return true;
}

void AppDelegate::start() {
  platform_.processInfo->disableAutomaticTermination(kAutomaticTerminationReason);
  const Prefs p = prefs_.load();
  if (auto chosen = fromRaw<Lang>(rawValue(p.lang))) {
    lang_ = *chosen;
  } else {
    lang_ = detectLang(*platform_.locale);
  }
  // The bridge, the pet window, the status item, the system watch, the window list and the wiring
  // between them join this sequence, in their places, as they are built.
  keys_->start();
  land_->setScreens(ScreenGeometry::screens(*platform_.screens));
  loadPage();
  updater_.ensureUpdaterController();
}

void AppDelegate::loadPage() {
  // Loads appURL into the pet window; does nothing while there is no pet window.
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
  if (terminating_) return platform::TerminateReply::now;
  terminating_ = true;
  // When the page cannot be asked the reply comes before this answer; the platform accepts that.
  platform::Application* application = platform_.application;
  bridge_->flush(poweringOff_ ? FlushReason::logout : FlushReason::quit,
                 [application] { application->replyToTerminate(true); });
  return platform::TerminateReply::later;
}

bool AppDelegate::shouldHandleReopen(bool /*hasVisibleWindows*/) {
  assertMainThread();
  // Showing a pet the user hid joins here with the pet window.
  if (bridge_->ready) bridge_->send(PageEvent::onMenu, MenuEvent{MenuCommand::settings, std::nullopt});
  return false;
}

void AppDelegate::willTerminate() {
  assertMainThread();
  // The system watch, the pet window, the window list and the status item are torn
  // down between these steps, in their places, as they are built.
  keys_->stop();
  permission_->stopPolling();
  bridge_->detach();
  land_->clearAll();
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
  logError("web: crashed " + decimal(static_cast<int64_t>(webCrashes_.size())) + " times in a minute, stopped");
}

void AppDelegate::reloadWeb() {
  webStopped_ = false;
  webCrashes_.clear();
  loadPage();
}

int runApplication(const platform::Platform& platform) {
  auto delegate = std::make_shared<AppDelegate>(platform);
  platform.application->setActivationPolicy(platform::ActivationPolicy::accessory);
  return platform.application->run(*delegate);
}

}  // namespace brindlow
