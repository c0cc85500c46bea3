#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/AppServices.h"
#include "bridge/Bridge.h"
#include "model/Lang.h"
#include "platform/Application.h"
#include "platform/MainLoop.h"
#include "platform/Platform.h"
#include "platform/TaskHandle.h"
#include "platform/WeakCallback.h"
#include "services/AppInfo.h"
#include "services/AppWindows.h"
#include "services/InputPermission.h"
#include "services/KeyCounter.h"
#include "services/LandStrips.h"
#include "services/StatusItemController.h"
#include "services/SystemWatch.h"
#include "storage/PrefsStore.h"
#include "storage/SaveFile.h"
#include "window/PetWindowController.h"

namespace brindlow {

// Owns the life of the program: single instance (after waiting for the old one on a self-relaunch),
// the start-up order, web-content crash recovery, relaunch and the quit handshake. It owns every
// service and fills their callbacks, so that each report reaches the page and the services that need it. Create it with
// std::make_shared: the relaunch and retry callbacks need shared_from_this.
class AppDelegate : public platform::ApplicationDelegate, public std::enable_shared_from_this<AppDelegate> {
 public:
  // Every pointer of `platform` that the delegate uses must be set and outlive it.
  explicit AppDelegate(const platform::Platform& platform);
  ~AppDelegate() override;
  AppDelegate(const AppDelegate&) = delete;
  AppDelegate& operator=(const AppDelegate&) = delete;

  void didFinishLaunching() override;
  platform::TerminateReply shouldTerminate() override;
  bool shouldHandleReopen(bool hasVisibleWindows) override;
  void willTerminate() override;

  // Starts a new instance that waits for this one, then quits; false when refused.
  bool relaunch();
  // The pet window's web content process ended.
  void webContentTerminated();
  // The menu's reload action: forgets the crashes and loads the page again.
  void reloadWeb();

  // The wiring between the services, run by start and by the services' callbacks.
  void prefsChanged(const Prefs& now, const Prefs& old);
  void applyPrefs(const Prefs& p);
  void refreshLang();
  void permissionChanged(const PermissionInfo& info);
  void keysBatch(const KeysEvent& event);
  void wireWindow(PetWindowController& window);
  void wireStatus(StatusItemController& status);
  void wireWatch();
  // Shows a pet that is off screen or was asked for; places it along the bottom when the page cannot.
  void summon(GPoint point);
  void sendMenu(MenuCommand command);
  StatusItemController::State menuState();
  void scheduleDockIconCheck();
  void checkDockIcon();

  PrefsStore& prefs() { return *prefs_; }
  InputPermission& permission() { return *permission_; }
  KeyCounter& keys() { return *keys_; }
  SystemWatch& watch() { return *watch_; }
  AppWindows& ground() { return *ground_; }
  SaveFile& saveFile() { return *saveFile_; }
  LandStrips& land() { return *land_; }
  Bridge& bridge() { return *bridge_; }
  // Null before start.
  StatusItemController* status() { return status_.get(); }
  PetWindowController* window() { return window_.get(); }
  Lang lang() const { return lang_; }
  bool terminating() const { return terminating_; }
  bool relaunching() const { return relaunching_; }
  bool webStopped() const { return webStopped_; }
  LinkTable& links() { return links_; }
  Updater& updater() { return updater_; }

  // The pid after "-brindlow-relaunched" when it is a signed 32-bit decimal (optional "+" or "-").
  static std::optional<int32_t> relaunchedPid(const std::vector<std::string>& arguments);

 private:
  AppDelegate(const platform::Platform& platform, AppServices services);
  AppServices services() const { return {prefs_, permission_, keys_, watch_, saveFile_, land_, ground_, bridge_}; }
  void assertMainThread() const;
  // A platform or service callback that reaches the delegate while it lives.
  template <class F>
  auto weakly(F action) {
    return weakCallback(weak_from_this(), mainLoop_, std::move(action));
  }
  void waitForPrevious(int32_t pid, int attempt);
  // `reopenIt`: a launch by the user, which asks the running instance to reopen before quitting.
  bool quitIfAlreadyRunning(bool reopenIt);
  void start();
  void loadPage();
  void shownChanged();
  void screensChanged();
  void willSleep();
  // Sends `event` to the page; dropped while it is not ready.
  template <class T>
  void send(PageEvent event, const T& payload) {
    bridge_->send(event, payload);
  }
  // Writes one preference taken from the current snapshot.
  void togglePref(bool Prefs::*field, std::optional<bool> PrefsPatch::*patchField);
  void relaunchFinished(const std::optional<std::string>& error);

  platform::Platform platform_;
  platform::MainLoop& mainLoop_;
  // The long-lived services, created in this order; the pet window and the status item come with start.
  std::shared_ptr<PrefsStore> prefs_;
  std::shared_ptr<InputPermission> permission_;
  std::shared_ptr<KeyCounter> keys_;
  std::shared_ptr<SystemWatch> watch_;
  std::shared_ptr<SaveFile> saveFile_;
  std::shared_ptr<LandStrips> land_;
  std::shared_ptr<AppWindows> ground_;
  std::shared_ptr<Bridge> bridge_;
  std::shared_ptr<PetWindowController> window_;
  std::shared_ptr<StatusItemController> status_;
  LinkTable links_;
  Updater updater_;
  platform::TaskHandle waitWork_;
  platform::TaskHandle dockIconWork_;
  std::vector<platform::EpochSeconds> webCrashes_;
  bool webStopped_ = false;
  bool poweringOff_ = false;
  bool terminating_ = false;
  // A should-terminate request was answered later and the flush has not replied yet.
  bool replyAwaited_ = false;
  Lang lang_ = Lang::en;
  bool relaunching_ = false;
};

// The process entry: makes the delegate, sets the accessory policy and runs the application.
int runApplication(const platform::Platform& platform);

}  // namespace brindlow
