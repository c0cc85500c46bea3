#include "platform/linux/LinuxSystemEvents.h"

#include <gio/gunixfdlist.h>
#include <unistd.h>

#include <cstring>

namespace brindlow::lnx {

namespace {

constexpr const char* kLogin = "org.freedesktop.login1";
constexpr const char* kLoginPath = "/org/freedesktop/login1";
constexpr const char* kManager = "org.freedesktop.login1.Manager";
constexpr const char* kSession = "org.freedesktop.login1.Session";
constexpr const char* kProperties = "org.freedesktop.DBus.Properties";
constexpr const char* kLockedHint = "LockedHint";

// The screen savers heard, by name, interface and object.
struct ScreenSaver {
  const char* name;
  const char* path;
};
constexpr ScreenSaver kScreenSavers[] = {
    {"org.freedesktop.ScreenSaver", "/org/freedesktop/ScreenSaver"},
    {"org.gnome.ScreenSaver", "/org/gnome/ScreenSaver"},
};

}  // namespace

// What a GLib callback holds: the object, and whether it is still there.
struct LinuxSystemEvents::Ref {
  LinuxSystemEvents* self;
  std::weak_ptr<bool> alive;
  void (LinuxSystemEvents::*signal)(const gchar*, const gchar*, GVariant*) = nullptr;
  Inhibitor inhibitor = Inhibitor::sleep;
  std::string source;  // the screen saver asked

  LinuxSystemEvents* get() const {
    auto a = alive.lock();
    return a && *a ? self : nullptr;
  }
  static void release(gpointer data) { delete static_cast<Ref*>(data); }
};

LinuxSystemEvents::LinuxSystemEvents(platform::MainLoop& loop)
    : loop_(loop),
      system_(busOrNull(G_BUS_TYPE_SYSTEM)),
      session_(busOrNull(G_BUS_TYPE_SESSION)),
      power_(adopt(g_power_profile_monitor_dup_default())),
      cancellable_(adopt(g_cancellable_new())),
      alive_(std::make_shared<bool>(true)) {
  if (system_) {
    subscribe(system_.get(), kLogin, kManager, nullptr, kLoginPath, nullptr, &LinuxSystemEvents::onManagerSignal);
    findSession();
    takeInhibitor(Inhibitor::sleep);
    takeInhibitor(Inhibitor::shutdown);
  }
  if (session_) {
    for (const ScreenSaver& saver : kScreenSavers) {
      subscribe(session_.get(), nullptr, saver.name, "ActiveChanged", nullptr, nullptr,
                &LinuxSystemEvents::onScreenSaver);
    }
    askScreenSavers();
  }
  if (power_) {
    powerHandler_ = g_signal_connect(power_.get(), "notify::power-saver-enabled",
                                     G_CALLBACK(+[](GObject*, GParamSpec*, gpointer data) {
                                       static_cast<LinuxSystemEvents*>(data)->observers_.emit(
                                           platform::SystemEvent::powerStateChanged);
                                     }),
                                     this);
  }
}

LinuxSystemEvents::~LinuxSystemEvents() {
  *alive_ = false;
  g_cancellable_cancel(cancellable_.get());
  if (powerHandler_ != 0) g_signal_handler_disconnect(power_.get(), powerHandler_);
  for (const auto& s : subscriptions_) g_dbus_connection_signal_unsubscribe(s.bus, s.id);
  if (sleepFd_ >= 0) ::close(sleepFd_);
  if (shutdownFd_ >= 0) ::close(shutdownFd_);
}

platform::Subscription LinuxSystemEvents::observe(platform::SystemEvent event, std::function<void()> handler) {
  return observers_.add(event, std::move(handler));
}

void LinuxSystemEvents::subscribe(GDBusConnection* bus, const char* sender, const char* interface,
                                  const char* member, const char* path, const char* arg0,
                                  void (LinuxSystemEvents::*handler)(const gchar*, const gchar*, GVariant*)) {
  auto* ref = new Ref{this, alive_, handler, Inhibitor::sleep, {}};
  const guint id = g_dbus_connection_signal_subscribe(
      bus, sender, interface, member, path, arg0, G_DBUS_SIGNAL_FLAGS_NONE,
      [](GDBusConnection*, const gchar*, const gchar*, const gchar* iface, const gchar* name, GVariant* parameters,
         gpointer data) {
        auto* r = static_cast<Ref*>(data);
        if (auto* self = r->get()) guarded("a bus signal", [&] { (self->*(r->signal))(iface, name, parameters); });
      },
      ref, Ref::release);
  subscriptions_.push_back({bus, id});
}

void LinuxSystemEvents::onManagerSignal(const gchar*, const gchar* member, GVariant* parameters) {
  if (!g_variant_is_of_type(parameters, G_VARIANT_TYPE("(b)"))) return;
  gboolean starting = FALSE;
  g_variant_get(parameters, "(b)", &starting);
  if (std::strcmp(member, "PrepareForSleep") == 0) onPrepare(Inhibitor::sleep, starting);
  if (std::strcmp(member, "PrepareForShutdown") == 0) onPrepare(Inhibitor::shutdown, starting);
}

void LinuxSystemEvents::onPrepare(Inhibitor which, bool starting) {
  const bool sleep = which == Inhibitor::sleep;
  platform::TaskHandle& release = sleep ? sleepRelease_ : shutdownRelease_;
  if (starting) {
    observers_.emit(sleep ? platform::SystemEvent::willSleep : platform::SystemEvent::willPowerOff);
    // The handlers only start the page's save: the inhibitor holds the system back a moment longer.
    std::weak_ptr<bool> alive = alive_;
    release = loop_.scheduleAfter(sleep ? kSleepGrace : kShutdownGrace, [this, alive, which] {
      if (auto a = alive.lock(); a && *a) releaseInhibitor(which);
    });
    return;
  }
  // Awake again, or a shutdown called off: hold an inhibitor again for the next time.
  release.cancel();
  releaseInhibitor(which);
  takeInhibitor(which);
  if (sleep) observers_.emit(platform::SystemEvent::didWake);
}

void LinuxSystemEvents::findSession() {
  auto reply = callSync(system_.get(), kLogin, kLoginPath, kManager, "GetSessionByPID",
                        g_variant_new("(u)", static_cast<guint32>(::getpid())), "(o)");
  if (!reply) {
    // Not started inside a session (a user service): the user's display session.
    reply = callSync(system_.get(), kLogin, kLoginPath, kManager, "GetSession", g_variant_new("(s)", "auto"), "(o)");
  }
  if (!reply) return;
  const gchar* path = nullptr;
  g_variant_get(reply.get(), "(&o)", &path);
  sessionPath_ = path;
  subscribe(system_.get(), kLogin, kProperties, "PropertiesChanged", sessionPath_.c_str(), kSession,
            &LinuxSystemEvents::onSessionProperties);
  // The starting values, so that only changes are reported.
  auto all = callSync(system_.get(), kLogin, sessionPath_.c_str(), kProperties, "GetAll", g_variant_new("(s)", kSession),
                      "(a{sv})");
  if (!all) return;
  GVariantPtr dict(g_variant_get_child_value(all.get(), 0));
  if (GVariantPtr value{g_variant_lookup_value(dict.get(), "Active", G_VARIANT_TYPE_BOOLEAN)}) {
    active_ = g_variant_get_boolean(value.get());
  }
  if (GVariantPtr value{g_variant_lookup_value(dict.get(), kLockedHint, G_VARIANT_TYPE_BOOLEAN)}) {
    if (g_variant_get_boolean(value.get())) lockedBy_.insert(kLockedHint);
    locked_ = !lockedBy_.empty();
  }
}

void LinuxSystemEvents::askScreenSavers() {
  for (const ScreenSaver& saver : kScreenSavers) {
    // No auto start: asking must not launch a screen saver that is not running.
    auto* ref = new Ref{this, alive_, nullptr, Inhibitor::sleep, saver.name};
    g_dbus_connection_call(
        session_.get(), saver.name, saver.path, saver.name, "GetActive", nullptr, G_VARIANT_TYPE("(b)"),
        G_DBUS_CALL_FLAGS_NO_AUTO_START, 2000, cancellable_.get(),
        [](GObject* source, GAsyncResult* result, gpointer data) {
          std::unique_ptr<Ref> r(static_cast<Ref*>(data));
          GErrorOut err;
          GVariantPtr reply(g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, err.out()));
          LinuxSystemEvents* self = r->get();
          if (!reply || self == nullptr) return;
          gboolean active = FALSE;
          g_variant_get(reply.get(), "(b)", &active);
          // Only a saver already active: an inactive one says nothing a change has not said since.
          if (active) guarded("a screen saver's answer", [&] { self->setLockSource(r->source, true); });
        },
        ref);
  }
}

void LinuxSystemEvents::onSessionProperties(const gchar*, const gchar*, GVariant* parameters) {
  if (!g_variant_is_of_type(parameters, G_VARIANT_TYPE("(sa{sv}as)"))) return;
  GVariantPtr changed(g_variant_get_child_value(parameters, 1));
  for (const char* name : {"Active", kLockedHint}) {
    GVariantPtr value(g_variant_lookup_value(changed.get(), name, G_VARIANT_TYPE_BOOLEAN));
    if (value) applySessionProperty(name, value.get());
  }
}

void LinuxSystemEvents::applySessionProperty(const char* name, GVariant* value) {
  const bool b = g_variant_get_boolean(value);
  if (std::strcmp(name, kLockedHint) == 0) {
    setLockSource(kLockedHint, b);
    return;
  }
  if (active_ == b) return;
  active_ = b;
  observers_.emit(b ? platform::SystemEvent::sessionDidBecomeActive : platform::SystemEvent::sessionDidResignActive);
}

void LinuxSystemEvents::onScreenSaver(const gchar* interface, const gchar*, GVariant* parameters) {
  if (!g_variant_is_of_type(parameters, G_VARIANT_TYPE("(b)"))) return;
  gboolean active = FALSE;
  g_variant_get(parameters, "(b)", &active);
  setLockSource(interface, active);
}

void LinuxSystemEvents::setLockSource(const std::string& source, bool locked) {
  if (locked) {
    lockedBy_.insert(source);
  } else {
    lockedBy_.erase(source);
  }
  // One lock is often told by several sources: only the session's change is reported.
  if (locked_ == !lockedBy_.empty()) return;
  locked_ = !lockedBy_.empty();
  observers_.emit(locked_ ? platform::SystemEvent::screenIsLocked : platform::SystemEvent::screenIsUnlocked);
}

void LinuxSystemEvents::takeInhibitor(Inhibitor which) {
  const bool sleep = which == Inhibitor::sleep;
  bool& requested = sleep ? sleepRequested_ : shutdownRequested_;
  if (!system_ || requested || (sleep ? sleepFd_ : shutdownFd_) >= 0) return;
  requested = true;
  auto* ref = new Ref{this, alive_, nullptr, which, {}};
  g_dbus_connection_call_with_unix_fd_list(
      system_.get(), kLogin, kLoginPath, kManager, "Inhibit",
      g_variant_new("(ssss)", sleep ? "sleep" : "shutdown", "Brindlow", "save pet state", "delay"),
      G_VARIANT_TYPE("(h)"), G_DBUS_CALL_FLAGS_NONE, -1, nullptr, cancellable_.get(),
      [](GObject* source, GAsyncResult* result, gpointer data) {
        std::unique_ptr<Ref> r(static_cast<Ref*>(data));
        GUnixFDList* fds = nullptr;
        GErrorOut err;
        GVariantPtr reply(g_dbus_connection_call_with_unix_fd_list_finish(G_DBUS_CONNECTION(source), &fds, result,
                                                                          err.out()));
        auto list = adopt(fds);
        int fd = -1;
        if (reply && list) {
          gint32 index = -1;
          g_variant_get(reply.get(), "(h)", &index);
          fd = g_unix_fd_list_get(list.get(), index, nullptr);
        }
        LinuxSystemEvents* self = r->get();
        if (self == nullptr) {
          if (fd >= 0) ::close(fd);
          return;
        }
        const bool isSleep = r->inhibitor == Inhibitor::sleep;
        (isSleep ? self->sleepRequested_ : self->shutdownRequested_) = false;
        int& slot = isSleep ? self->sleepFd_ : self->shutdownFd_;
        if (slot >= 0 && fd >= 0) ::close(slot);
        if (fd >= 0) slot = fd;
      },
      ref);
}

void LinuxSystemEvents::releaseInhibitor(Inhibitor which) {
  int& fd = which == Inhibitor::sleep ? sleepFd_ : shutdownFd_;
  if (fd >= 0) ::close(fd);
  fd = -1;
}

}  // namespace brindlow::lnx
