#include "platform/linux/LinuxRawInput.h"

#include <gdk/gdk.h>
#include <glib-unix.h>

#include <optional>

#include "platform/linux/GlibUtil.h"


namespace brindlow::lnx {

namespace {

bool xErrorSeen = false;

int recordXError(Display*, XErrorEvent*) {
  xErrorSeen = true;
  return 0;
}

Display* openSecondConnection() {
  GdkDisplay* gdk = gdk_display_get_default();
  return XOpenDisplay(gdk != nullptr ? gdk_display_get_name(gdk) : nullptr);
}

// The XInput opcode when the server speaks XInput 2.
std::optional<int> xi2Opcode(Display* dpy) {
  int opcode = 0, event = 0, error = 0;
  if (!XQueryExtension(dpy, "XInputExtension", &opcode, &event, &error)) return std::nullopt;
  int major = 2, minor = 2;
  if (XIQueryVersion(dpy, &major, &minor) != Success || major < 2) return std::nullopt;
  return opcode;
}

}  // namespace

bool LinuxRawInput::available() {
  Display* dpy = openSecondConnection();
  if (dpy == nullptr) return false;
  const bool ok = xi2Opcode(dpy).has_value();
  XCloseDisplay(dpy);
  return ok;
}

std::unique_ptr<LinuxRawInput> LinuxRawInput::open() {
  Display* dpy = openSecondConnection();
  if (dpy == nullptr) return nullptr;
  const auto opcode = xi2Opcode(dpy);
  if (!opcode) {
    XCloseDisplay(dpy);
    return nullptr;
  }
  return std::unique_ptr<LinuxRawInput>(new LinuxRawInput(dpy, *opcode));
}

LinuxRawInput::LinuxRawInput(Display* dpy, int opcode) : dpy_(dpy), opcode_(opcode) {
  source_ = g_unix_fd_add(ConnectionNumber(dpy_), G_IO_IN, onReadable, this);
}

LinuxRawInput::~LinuxRawInput() {
  *alive_ = false;
  if (source_ != 0) g_source_remove(source_);
  if (idle_ != 0) g_source_remove(idle_);
  XCloseDisplay(dpy_);
}

bool LinuxRawInput::select(const std::vector<int>& types) {
  unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
  for (int t : types) XISetMask(bits, t);
  XIEventMask mask{XIAllMasterDevices, static_cast<int>(sizeof bits), bits};
  // Only here: GDK does not own this connection, and Xlib's default handler would end the process.
  xErrorSeen = false;
  auto previous = XSetErrorHandler(recordXError);
  XISelectEvents(dpy_, DefaultRootWindow(dpy_), &mask, 1);
  XSync(dpy_, False);
  XSetErrorHandler(previous);
  // XSync may have queued events the fd will not announce again; they are read on a later turn,
  // never inside this call.
  if (idle_ == 0) idle_ = g_idle_add(onIdle, this);
  return !xErrorSeen;
}

void LinuxRawInput::drain() {
  // A handler may drop the listener that owns this connection.
  std::weak_ptr<bool> alive = alive_;
  auto gone = [&alive] {
    auto a = alive.lock();
    return !a || !*a;
  };
  while (XPending(dpy_) > 0) {
    XEvent ev;
    XNextEvent(dpy_, &ev);
    XGenericEventCookie* cookie = &ev.xcookie;
    if (cookie->type != GenericEvent || cookie->extension != opcode_ || !XGetEventData(dpy_, cookie)) continue;
    const int type = cookie->evtype;
    const auto* raw = static_cast<const XIRawEvent*>(cookie->data);
    const int detail = raw->detail, flags = raw->flags;
    const unsigned long timeMs = raw->time;
    XFreeEventData(dpy_, cookie);
    if (onEvent) {
      guarded("a raw input event", [this, type, detail, flags, timeMs] { onEvent(type, detail, flags, timeMs); });
      if (gone()) return;
    }
  }
  if (onDrained) guarded("a raw input event", [this] { onDrained(); });
}

gboolean LinuxRawInput::onIdle(gpointer self) {
  auto* input = static_cast<LinuxRawInput*>(self);
  input->idle_ = 0;
  input->drain();
  return G_SOURCE_REMOVE;
}

gboolean LinuxRawInput::onReadable(gint, GIOCondition, gpointer self) {
  static_cast<LinuxRawInput*>(self)->drain();
  return G_SOURCE_CONTINUE;
}

}  // namespace brindlow::lnx
