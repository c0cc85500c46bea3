#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/AppInfo.h"
#include "bridge/Bridge.h"
#include "bridge/Lang.h"
#include "platform/Application.h"
#include "platform/MainLoop.h"
#include "platform/Platform.h"
#include "platform/TaskHandle.h"
#include "services/InputPermission.h"
#include "services/KeyCounter.h"
#include "services/LandStrips.h"
#include "storage/PrefsStore.h"
#include "storage/SaveFile.h"

namespace brindlow {

// Owns the life of the program: single instance (after waiting for the old one on a self-relaunch),
// the start-up order, web-content crash recovery, relaunch and the quit handshake. Create it with
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
  // The system is about to power off: the page's last flush says "logout".
  void willPowerOff() { poweringOff_ = true; }

  PrefsStore& prefs() { return prefs_; }
  InputPermission& permission() { return *permission_; }
  KeyCounter& keys() { return *keys_; }
  SaveFile& saveFile() { return saveFile_; }
  LandStrips& land() { return *land_; }
  Bridge& bridge() { return *bridge_; }
  Lang lang() const { return lang_; }
  bool terminating() const { return terminating_; }
  bool relaunching() const { return relaunching_; }
  bool webStopped() const { return webStopped_; }
  LinkTable& links() { return links_; }
  Updater& updater() { return updater_; }

  // The pid after "-brindlow-relaunched" when it is a signed 32-bit decimal (optional "+" or "-").
  static std::optional<int32_t> relaunchedPid(const std::vector<std::string>& arguments);

 private:
  void assertMainThread() const;
  void waitForPrevious(int32_t pid, int attempt);
  bool quitIfAlreadyRunning();
  void start();
  void loadPage();
  void relaunchFinished(const std::optional<std::string>& error);

  platform::Platform platform_;
  platform::MainLoop& mainLoop_;
  // The long-lived services, created in this order; the others join as they are built.
  PrefsStore prefs_;
  std::shared_ptr<InputPermission> permission_;
  std::shared_ptr<KeyCounter> keys_;
  SaveFile saveFile_;
  std::shared_ptr<LandStrips> land_;
  std::shared_ptr<Bridge> bridge_;
  LinkTable links_;
  Updater updater_;
  platform::TaskHandle waitWork_;
  std::vector<platform::EpochSeconds> webCrashes_;
  bool webStopped_ = false;
  bool poweringOff_ = false;
  bool terminating_ = false;
  Lang lang_ = Lang::en;
  bool relaunching_ = false;
};

// The process entry: makes the delegate, sets the accessory policy and runs the application.
int runApplication(const platform::Platform& platform);

}  // namespace brindlow
