#pragma once
#include <X11/Xlib.h>
#include <X11/extensions/sync.h>
#include <gio/gio.h>

#include <functional>
#include <memory>
#include <optional>

#include "platform/SystemEvents.h"
#include "platform/linux/GlibUtil.h"
#include "platform/linux/Observers.h"

namespace brindlow::lnx {

// screensDidSleep / screensDidWake, on top of the other system events (handed on to `others`). The
// screens count as asleep while either source says so, and each change is reported once:
// - GNOME: the PowerSaveMode property of org.gnome.Mutter.DisplayConfig (0 on, 1-3 standby, suspend,
//   off), followed through its change signal;
// - any X server with DPMS: its power level. DPMS sends no events, so the server's idle counter (SYNC
//   IDLETIME) raises an alarm just after the shortest DPMS timeout, when the level may have dropped,
//   and, while asleep, one at the first input, when it comes back; nothing runs in between. A level
//   forced off by a client (`xset dpms force off`) is seen at the next such alarm.
// Elsewhere (no DPMS, as on Xvfb, and no GNOME) it stays unknown and nothing is reported.
class LinuxScreensAsleep : public platform::SystemEvents {
 public:
  explicit LinuxScreensAsleep(platform::SystemEvents& others);
  ~LinuxScreensAsleep() override;
  LinuxScreensAsleep(const LinuxScreensAsleep&) = delete;
  LinuxScreensAsleep& operator=(const LinuxScreensAsleep&) = delete;

  platform::Subscription observe(platform::SystemEvent event, std::function<void()> handler) override;
  platform::SessionState sessionState() const override { return others_.sessionState(); }

 private:
  static void onProxy(GObject*, GAsyncResult* result, gpointer self);
  static void onProxyChanged(GDBusProxy*, gpointer, gpointer self);
  static gboolean onXReadable(gint fd, GIOCondition, gpointer self);
  static gboolean onXReadableLater(gpointer self);
  static gboolean onXIdle(gpointer self);
  void readMutter();
  void openDpms();
  void checkDpms();
  XSyncAlarm armIdleAlarm(int64_t milliseconds, XSyncTestType test);
  void report();

  platform::SystemEvents& others_;
  Observers<platform::SystemEvent> observers_;
  GObjectPtr<GCancellable> cancellable_;
  GObjectPtr<GDBusProxy> mutter_;
  bool mutterAsleep_ = false;
  Display* dpy_ = nullptr;  // a connection of its own for the alarms
  guint xSource_ = 0;
  guint xIdle_ = 0;
  int syncEventBase_ = 0;
  XSyncCounter idleTime_ = 0;
  XSyncAlarm alarm_ = 0;
  bool dpmsAsleep_ = false;
  bool reported_ = false;  // awake until a source says otherwise
};

}  // namespace brindlow::lnx
