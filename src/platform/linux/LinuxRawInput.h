#pragma once
#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>
#include <glib.h>

#include <functional>
#include <memory>
#include <vector>

namespace brindlow::lnx {

// XInput 2 raw events of every master device, on a connection of its own so GDK's own event masks
// stay untouched. The connection is drained from a GLib fd source on the main loop.
class LinuxRawInput {
 public:
  // Null when the display cannot be opened or has no XInput 2.
  static std::unique_ptr<LinuxRawInput> open();
  // Whether XInput 2 is there, asked on a short-lived connection.
  static bool available();

  ~LinuxRawInput();
  LinuxRawInput(const LinuxRawInput&) = delete;
  LinuxRawInput& operator=(const LinuxRawInput&) = delete;

  // Selects these raw event types (XI_RawKeyPress, ...) on the root; empty deselects. False on an X error.
  bool select(const std::vector<int>& types);
  Display* display() const { return dpy_; }

  // The raw event type (XI_RawMotion, ...), its detail (button or key code), its flags and the
  // server's time stamp in milliseconds.
  std::function<void(int type, int detail, int flags, unsigned long timeMs)> onEvent;
  std::function<void()> onDrained;  // after each batch read from the connection

 private:
  LinuxRawInput(Display* dpy, int opcode);
  void drain();
  static gboolean onReadable(gint fd, GIOCondition condition, gpointer self);
  static gboolean onIdle(gpointer self);

  Display* dpy_;
  int opcode_;
  guint source_ = 0;
  guint idle_ = 0;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace brindlow::lnx
