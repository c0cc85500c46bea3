#pragma once
#include <gio/gio.h>

#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/MainLoop.h"
#include "platform/SystemEvents.h"
#include "platform/linux/GlibUtil.h"
#include "platform/linux/Observers.h"

namespace brindlow::lnx {

// System notifications from logind, the screen saver and the power profile.
//
// - willSleep / didWake: logind PrepareForSleep(true / false). A delay inhibitor is held while awake and
//   released a moment after the willSleep handlers ran, so the page can still save; it is taken again
//   at wake.
// - willPowerOff: logind PrepareForShutdown(true), with its own delay inhibitor. A plain logout has no
//   logind signal: it ends the program with SIGTERM (a quit).
// - sessionDidResignActive / DidBecomeActive: the Active property of this process's logind session.
// - screenIsLocked / Unlocked: locked while any of the session's LockedHint and the screen savers'
//   ActiveChanged (freedesktop or GNOME; it also fires for blanking when the locker sets no hint) says
//   so, unlocked once none does. Lockers differ in which of them they tell, and in what order.
// - powerStateChanged: the power-saver profile switching on or off.
// - Never reported here: screensDidSleep / DidWake (no common display-sleep signal), thermalStateChanged
//   (no thermal state for a session), currentLocaleChanged (a running process's locale never changes),
//   screenParametersChanged (Screens reports it).
// Without a system bus (a container) only the screen saver and the power profile report anything.
class LinuxSystemEvents : public platform::SystemEvents {
 public:
  explicit LinuxSystemEvents(platform::MainLoop& loop);
  ~LinuxSystemEvents() override;

  platform::Subscription observe(platform::SystemEvent event, std::function<void()> handler) override;
  // logind's values read at creation, then the sources' latest word; a screen saver already active at
  // start counts once its answer arrives (reported as a change).
  platform::SessionState sessionState() const override { return {locked_, active_.value_or(true)}; }

  // How long the sleep and shutdown inhibitors outlive the handlers of willSleep and willPowerOff.
  static constexpr platform::Seconds kSleepGrace = 1.0;
  static constexpr platform::Seconds kShutdownGrace = 2.0;

 private:
  struct Ref;
  enum class Inhibitor { sleep, shutdown };

  void subscribe(GDBusConnection* bus, const char* sender, const char* interface, const char* member,
                 const char* path, const char* arg0,
                 void (LinuxSystemEvents::*handler)(const gchar* interface, const gchar* member, GVariant* parameters));
  void onManagerSignal(const gchar* interface, const gchar* member, GVariant* parameters);
  void onSessionProperties(const gchar* interface, const gchar* member, GVariant* parameters);
  void onScreenSaver(const gchar* interface, const gchar* member, GVariant* parameters);
  void onPrepare(Inhibitor which, bool starting);
  void findSession();
  void takeInhibitor(Inhibitor which);
  void releaseInhibitor(Inhibitor which);
  void applySessionProperty(const char* name, GVariant* value);
  void askScreenSavers();
  // One lock source's word; reports the session's lock when the sources together change it.
  void setLockSource(const std::string& source, bool locked);

  platform::MainLoop& loop_;
  Observers<platform::SystemEvent> observers_;
  GObjectPtr<GDBusConnection> system_;
  GObjectPtr<GDBusConnection> session_;
  GObjectPtr<GPowerProfileMonitor> power_;
  gulong powerHandler_ = 0;
  struct SignalSubscription {
    GDBusConnection* bus;
    guint id;
  };
  std::vector<SignalSubscription> subscriptions_;
  std::string sessionPath_;
  std::optional<bool> active_;
  std::set<std::string> lockedBy_;  // the sources that now say locked
  bool locked_ = false;
  int sleepFd_ = -1;
  int shutdownFd_ = -1;
  bool sleepRequested_ = false;
  bool shutdownRequested_ = false;
  platform::TaskHandle sleepRelease_;
  platform::TaskHandle shutdownRelease_;
  GObjectPtr<GCancellable> cancellable_;
  std::shared_ptr<bool> alive_;
};

}  // namespace brindlow::lnx
