#pragma once
#include <gtk/gtk.h>

#include <memory>
#include <vector>

#include "platform/Application.h"
#include "platform/MainLoop.h"
#include "platform/linux/GlibUtil.h"
#include "platform/TerminateHandshake.h"

namespace brindlow::lnx {

// The GTK application: gtk_main, the terminate handshake, termination signals and the taskbar entry.
//
// There is no dock on Linux: `regular` shows a small iconified window named after the application, so
// that the taskbar lists it; restoring it from the taskbar counts as a reopen (the delegate is asked, and
// the window goes back to the taskbar), and closing it there quits. `accessory` removes that window; the
// application's own windows always skip the taskbar. Without a window manager that hides windows
// (_NET_WM_STATE_HIDDEN) there is no taskbar and `regular` shows nothing.
//
// Launching the program again is the other reopen: the new instance calls Activate of
// org.freedesktop.Application on the running one's application-id path of the session bus
// (LinuxWorkspace::reopenRunningInstance), which asks the delegate just as the taskbar entry does.
class LinuxApplication : public platform::Application {
 public:
  explicit LinuxApplication(platform::MainLoop& loop);
  ~LinuxApplication() override;

  // Initialises GTK if that has not been done, handles SIGTERM, SIGINT and SIGHUP as terminate(),
  // tells the delegate it finished launching on the first turn and runs gtk_main. Returns 0 after
  // willTerminate, 1 when there is no display.
  int run(platform::ApplicationDelegate& delegate) override;
  void terminate() override;
  void replyToTerminate(bool proceed) override;
  platform::ActivationPolicy activationPolicy() const override { return policy_; }
  void setActivationPolicy(platform::ActivationPolicy policy) override;
  void activateIgnoringOtherApps() override;

 private:
  void later(void (LinuxApplication::*step)());
  void finish();
  void showTaskbarEntry();
  void removeTaskbarEntry();
  void reopenFromTaskbar();
  void reopen();
  void exportOnSessionBus();
  static void onBusMethod(GDBusConnection* bus, const gchar* sender, const gchar* path, const gchar* interface,
                          const gchar* method, GVariant* parameters, GDBusMethodInvocation* invocation,
                          gpointer self);
  bool hasVisibleWindows() const;
  static gboolean onEntryProperty(GtkWidget* widget, GdkEventProperty* event, gpointer self);
  static gboolean onDelete(GtkWidget* widget, GdkEvent* event, gpointer self);

  platform::MainLoop& loop_;
  platform::ApplicationDelegate* delegate_ = nullptr;
  platform::ActivationPolicy policy_ = platform::ActivationPolicy::regular;
  platform::TerminateHandshake handshake_;
  GtkWidget* taskbarEntry_ = nullptr;
  bool entryHidden_ = false;  // as the window manager last said (_NET_WM_STATE_HIDDEN)
  std::vector<guint> signalSources_;
  GObjectPtr<GDBusConnection> bus_;
  guint busObject_ = 0;
  std::shared_ptr<bool> alive_;
};

}  // namespace brindlow::lnx
