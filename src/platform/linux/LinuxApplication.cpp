#include "platform/linux/LinuxApplication.h"

#include <glib-unix.h>

#include <csignal>
#include <utility>

#include "platform/linux/GlibUtil.h"

// X11 last: its macros must not reach the headers above.
#include <gdk/gdkx.h>

namespace brindlow::lnx {

LinuxApplication::LinuxApplication(platform::MainLoop& loop)
    : loop_(loop), handshake_(loop), alive_(std::make_shared<bool>(true)) {}

LinuxApplication::~LinuxApplication() {
  *alive_ = false;
  for (guint id : signalSources_) g_source_remove(id);
  removeTaskbarEntry();
}

void LinuxApplication::later(void (LinuxApplication::*step)()) {
  std::weak_ptr<bool> alive = alive_;
  loop_.post([this, alive, step] {
    if (auto a = alive.lock(); a && *a) (this->*step)();
  });
}

int LinuxApplication::run(platform::ApplicationDelegate& delegate) {
  if (!gtk_init_check(nullptr, nullptr)) return 1;
  delegate_ = &delegate;
  handshake_.begin({
      .shouldTerminate =
          [this] {
            platform::TerminateReply answer = platform::TerminateReply::now;
            guarded("shouldTerminate", [&] { answer = delegate_->shouldTerminate(); });
            return answer;
          },
      .willTerminate = [this] { finish(); },
  });
  for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
    signalSources_.push_back(g_unix_signal_add(
        signal,
        [](gpointer self) -> gboolean {
          static_cast<LinuxApplication*>(self)->terminate();
          return G_SOURCE_CONTINUE;
        },
        this));
  }
  std::weak_ptr<bool> alive = alive_;
  loop_.post([this, alive] {
    if (auto a = alive.lock(); a && *a && !handshake_.terminated()) {
      guarded("didFinishLaunching", [&] { delegate_->didFinishLaunching(); });
    }
  });
  gtk_main();
  for (guint id : std::exchange(signalSources_, {})) g_source_remove(id);
  return 0;
}

void LinuxApplication::terminate() { handshake_.terminate(); }

void LinuxApplication::replyToTerminate(bool proceed) { handshake_.replyToTerminate(proceed); }

void LinuxApplication::finish() {
  guarded("willTerminate", [&] { delegate_->willTerminate(); });
  removeTaskbarEntry();
  if (gtk_main_level() > 0) gtk_main_quit();
}

void LinuxApplication::setActivationPolicy(platform::ActivationPolicy policy) {
  policy_ = policy;
  if (policy == platform::ActivationPolicy::regular) {
    showTaskbarEntry();
  } else {
    removeTaskbarEntry();
  }
}

void LinuxApplication::showTaskbarEntry() {
  if (taskbarEntry_ != nullptr) return;
  // Without a window manager that can hide windows there is no taskbar, and the entry would be a stray
  // window on the screen.
  GdkDisplay* display = gdk_display_get_default();
  if (display == nullptr) return;
  if (GDK_IS_X11_DISPLAY(display) &&
      !gdk_x11_screen_supports_net_wm_hint(gdk_display_get_default_screen(display),
                                           gdk_atom_intern_static_string("_NET_WM_STATE_HIDDEN"))) {
    return;
  }
  taskbarEntry_ = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  GtkWindow* window = GTK_WINDOW(taskbarEntry_);
  gtk_window_set_title(window, "Brindlow");
  gtk_window_set_icon_name(window, "brindlow");
  gtk_window_set_default_size(window, 1, 1);
  gtk_window_set_focus_on_map(window, FALSE);
  g_signal_connect(taskbarEntry_, "window-state-event", G_CALLBACK(onWindowState), this);
  g_signal_connect(taskbarEntry_, "delete-event", G_CALLBACK(onDelete), this);
  entryIconified_ = true;
  gtk_window_iconify(window);  // before mapping: it maps straight into the taskbar
  gtk_widget_show(taskbarEntry_);
}

void LinuxApplication::removeTaskbarEntry() {
  if (taskbarEntry_ == nullptr) return;
  GtkWidget* entry = std::exchange(taskbarEntry_, nullptr);
  g_signal_handlers_disconnect_by_data(entry, this);
  gtk_widget_destroy(entry);
}

gboolean LinuxApplication::onWindowState(GtkWidget*, GdkEventWindowState* event, gpointer data) {
  auto* self = static_cast<LinuxApplication*>(data);
  if ((event->changed_mask & GDK_WINDOW_STATE_ICONIFIED) == 0) return FALSE;
  const bool iconified = (event->new_window_state & GDK_WINDOW_STATE_ICONIFIED) != 0;
  const bool restored = self->entryIconified_ && !iconified;
  self->entryIconified_ = iconified;
  if (restored) self->later(&LinuxApplication::reopenFromTaskbar);
  return FALSE;
}

gboolean LinuxApplication::onDelete(GtkWidget*, GdkEvent*, gpointer data) {
  static_cast<LinuxApplication*>(data)->terminate();
  return TRUE;  // the entry stays until the application ends
}

void LinuxApplication::reopenFromTaskbar() {
  if (taskbarEntry_ == nullptr || handshake_.terminated()) return;
  gtk_window_iconify(GTK_WINDOW(taskbarEntry_));
  if (delegate_ == nullptr) return;
  const bool visible = hasVisibleWindows();
  guarded("shouldHandleReopen", [&] { delegate_->shouldHandleReopen(visible); });
}

bool LinuxApplication::hasVisibleWindows() const {
  bool visible = false;
  GList* windows = gtk_window_list_toplevels();
  for (GList* w = windows; w != nullptr; w = w->next) {
    auto* widget = static_cast<GtkWidget*>(w->data);
    if (widget != taskbarEntry_ && gtk_widget_get_visible(widget) &&
        gtk_window_get_window_type(GTK_WINDOW(widget)) == GTK_WINDOW_TOPLEVEL) {
      visible = true;
    }
  }
  g_list_free(windows);
  return visible;
}

void LinuxApplication::activateIgnoringOtherApps() {
  // Brings forward the windows that take focus; the pet and its strips never do, and keep their place.
  GList* windows = gtk_window_list_toplevels();
  for (GList* w = windows; w != nullptr; w = w->next) {
    auto* window = GTK_WINDOW(w->data);
    if (GTK_WIDGET(window) != taskbarEntry_ && gtk_widget_get_visible(GTK_WIDGET(window)) &&
        gtk_window_get_accept_focus(window) && gtk_window_get_window_type(window) == GTK_WINDOW_TOPLEVEL) {
      gtk_window_present_with_time(window, GDK_CURRENT_TIME);
    }
  }
  g_list_free(windows);
}

}  // namespace brindlow::lnx
