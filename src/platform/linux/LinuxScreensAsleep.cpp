#include "platform/linux/LinuxScreensAsleep.h"

#include <X11/extensions/dpms.h>
#include <gdk/gdk.h>
#include <glib-unix.h>

#include <algorithm>
#include <cstring>

namespace brindlow::lnx {

namespace {

constexpr const char* kMutter = "org.gnome.Mutter.DisplayConfig";
constexpr const char* kMutterPath = "/org/gnome/Mutter/DisplayConfig";
// The server drops the level on its own timer as idle time reaches the timeout; a moment later it
// has surely done so.
constexpr int64_t kAfterTimeoutMs = 500;

bool xErrorSeen = false;

int recordXError(Display*, XErrorEvent*) {
  xErrorSeen = true;
  return 0;
}

// Runs the requests with errors recorded, not fatal: GDK does not own this connection, and Xlib's
// default handler would end the process. False when one failed.
template <class F>
bool trapped(Display* dpy, F&& requests) {
  xErrorSeen = false;
  auto previous = XSetErrorHandler(recordXError);
  requests();
  XSync(dpy, False);
  XSetErrorHandler(previous);
  return !xErrorSeen;
}

}  // namespace

LinuxScreensAsleep::LinuxScreensAsleep(platform::SystemEvents& others)
    : others_(others), cancellable_(adopt(g_cancellable_new())) {
  g_dbus_proxy_new_for_bus(G_BUS_TYPE_SESSION, G_DBUS_PROXY_FLAGS_DO_NOT_AUTO_START, nullptr, kMutter, kMutterPath,
                           kMutter, cancellable_.get(), onProxy, this);
  openDpms();
}

LinuxScreensAsleep::~LinuxScreensAsleep() {
  g_cancellable_cancel(cancellable_.get());
  if (mutter_) g_signal_handlers_disconnect_by_data(mutter_.get(), this);
  if (xSource_ != 0) g_source_remove(xSource_);
  if (xIdle_ != 0) g_source_remove(xIdle_);
  if (dpy_ != nullptr) XCloseDisplay(dpy_);
}

platform::Subscription LinuxScreensAsleep::observe(platform::SystemEvent event, std::function<void()> handler) {
  if (event == platform::SystemEvent::screensDidSleep || event == platform::SystemEvent::screensDidWake)
    return observers_.add(event, std::move(handler));
  return others_.observe(event, std::move(handler));
}

void LinuxScreensAsleep::report() {
  const bool asleep = mutterAsleep_ || dpmsAsleep_;
  if (asleep == reported_) return;
  reported_ = asleep;
  observers_.emit(asleep ? platform::SystemEvent::screensDidSleep : platform::SystemEvent::screensDidWake);
}

// ---- GNOME's display configuration

void LinuxScreensAsleep::onProxy(GObject*, GAsyncResult* result, gpointer data) {
  GErrorOut err;
  GDBusProxy* proxy = g_dbus_proxy_new_for_bus_finish(result, err.out());
  if (proxy == nullptr) return;  // cancelled (the object is gone) or no session bus
  auto* self = static_cast<LinuxScreensAsleep*>(data);
  self->mutter_ = adopt(proxy);
  // The proxy follows the service coming and going, and loads its properties when it appears.
  g_signal_connect(proxy, "g-properties-changed", G_CALLBACK(+[](GDBusProxy* p, GVariant*, GStrv, gpointer s) {
                     onProxyChanged(p, nullptr, s);
                   }),
                   self);
  g_signal_connect(proxy, "notify::g-name-owner", G_CALLBACK(+[](GObject* p, GParamSpec*, gpointer s) {
                     onProxyChanged(G_DBUS_PROXY(p), nullptr, s);
                   }),
                   self);
  self->readMutter();
}

void LinuxScreensAsleep::onProxyChanged(GDBusProxy*, gpointer, gpointer self) {
  guarded("the display configuration", [self] { static_cast<LinuxScreensAsleep*>(self)->readMutter(); });
}

void LinuxScreensAsleep::readMutter() {
  GVariantPtr mode(mutter_ ? g_dbus_proxy_get_cached_property(mutter_.get(), "PowerSaveMode") : nullptr);
  // -1 is "unknown"; a service that is gone says nothing.
  mutterAsleep_ = mode && g_variant_is_of_type(mode.get(), G_VARIANT_TYPE_INT32) && g_variant_get_int32(mode.get()) > 0;
  report();
}

// ---- DPMS, woken by the server's idle counter

void LinuxScreensAsleep::openDpms() {
  GdkDisplay* gdk = gdk_display_get_default();
  dpy_ = XOpenDisplay(gdk != nullptr ? gdk_display_get_name(gdk) : nullptr);
  if (dpy_ == nullptr) return;
  int dpmsEvent = 0, dpmsError = 0, syncError = 0, major = 0, minor = 0;
  bool ok = DPMSQueryExtension(dpy_, &dpmsEvent, &dpmsError) && DPMSCapable(dpy_) &&
            XSyncQueryExtension(dpy_, &syncEventBase_, &syncError) && XSyncInitialize(dpy_, &major, &minor);
  if (ok) {
    int count = 0;
    XSyncSystemCounter* counters = XSyncListSystemCounters(dpy_, &count);
    for (int i = 0; i < count; ++i)
      if (std::strcmp(counters[i].name, "IDLETIME") == 0) idleTime_ = counters[i].counter;
    if (counters != nullptr) XSyncFreeSystemCounterList(counters);
    ok = idleTime_ != 0;
  }
  if (!ok) {
    XCloseDisplay(dpy_);
    dpy_ = nullptr;
    return;
  }
  xSource_ = g_unix_fd_add(ConnectionNumber(dpy_), G_IO_IN, onXReadable, this);
  // Read on a later turn, never inside the constructor: a start with the screens asleep is reported.
  xIdle_ = g_idle_add(onXIdle, this);
}

gboolean LinuxScreensAsleep::onXIdle(gpointer data) {
  auto* self = static_cast<LinuxScreensAsleep*>(data);
  self->xIdle_ = 0;
  guarded("the screens' power level", [self] { self->checkDpms(); });
  return G_SOURCE_REMOVE;
}

XSyncAlarm LinuxScreensAsleep::armIdleAlarm(int64_t milliseconds, XSyncTestType test) {
  XSyncAlarmAttributes attributes{};
  attributes.trigger.counter = idleTime_;
  attributes.trigger.value_type = XSyncAbsolute;
  XSyncIntsToValue(&attributes.trigger.wait_value, static_cast<unsigned>(milliseconds & 0xFFFFFFFF),
                   static_cast<int>(milliseconds >> 32));
  attributes.trigger.test_type = test;
  XSyncIntToValue(&attributes.delta, 0);
  attributes.events = True;
  const unsigned long mask = XSyncCACounter | XSyncCAValueType | XSyncCAValue | XSyncCATestType | XSyncCADelta |
                             XSyncCAEvents;
  return XSyncCreateAlarm(dpy_, mask, &attributes);
}

void LinuxScreensAsleep::checkDpms() {
  if (dpy_ == nullptr) return;
  CARD16 level = DPMSModeOn, standby = 0, suspend = 0, off = 0;
  BOOL enabled = False;
  const bool ok = trapped(dpy_, [&] {
    if (alarm_ != 0) XSyncDestroyAlarm(dpy_, alarm_);
    alarm_ = 0;
    DPMSInfo(dpy_, &level, &enabled);
    DPMSGetTimeouts(dpy_, &standby, &suspend, &off);
    dpmsAsleep_ = enabled && level != DPMSModeOn;
    if (dpmsAsleep_) {
      // Any input resets the idle counter, and the server wakes the screens with it.
      alarm_ = armIdleAlarm(1, XSyncNegativeTransition);
    } else {
      int64_t shortest = 0;
      for (CARD16 t : {standby, suspend, off})
        if (t > 0 && (shortest == 0 || t < shortest)) shortest = t;
      // Armed also while DPMS is off: enabling it later is then seen at the next timeout.
      if (shortest > 0) alarm_ = armIdleAlarm(shortest * 1000 + kAfterTimeoutMs, XSyncPositiveTransition);
    }
  });
  if (!ok) dpmsAsleep_ = false;
  report();
  // XSync may have queued events that the fd will not announce again.
  if (XPending(dpy_) > 0 && xIdle_ == 0) xIdle_ = g_idle_add(onXReadableLater, this);
}

gboolean LinuxScreensAsleep::onXReadableLater(gpointer data) {
  static_cast<LinuxScreensAsleep*>(data)->xIdle_ = 0;
  onXReadable(0, G_IO_IN, data);
  return G_SOURCE_REMOVE;
}

gboolean LinuxScreensAsleep::onXReadable(gint, GIOCondition, gpointer data) {
  auto* self = static_cast<LinuxScreensAsleep*>(data);
  bool fired = false;
  while (XPending(self->dpy_) > 0) {
    XEvent ev;
    XNextEvent(self->dpy_, &ev);
    if (ev.type != self->syncEventBase_ + XSyncAlarmNotify) continue;
    // Destroying the old alarm also sends a notification; only the one armed now counts.
    const auto& alarm = reinterpret_cast<const XSyncAlarmNotifyEvent&>(ev);
    if (alarm.alarm == self->alarm_ && alarm.state != XSyncAlarmDestroyed) fired = true;
  }
  if (fired) guarded("the screens' power level", [self] { self->checkDpms(); });
  return G_SOURCE_CONTINUE;
}

}  // namespace brindlow::lnx
