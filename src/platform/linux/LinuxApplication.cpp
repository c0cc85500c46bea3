#include "platform/linux/LinuxApplication.h"

#include <glib-unix.h>

#include <csignal>
#include <cstdio>
#include <utility>

// X11 last: its macros must not reach the headers above.
#include <X11/Xatom.h>
#include <gdk/gdkx.h>

#include "platform/linux/LinuxXProperty.h"

namespace brindlow::lnx {

namespace {

constexpr const char* kApplicationInterface = R"(<node>
  <interface name="org.freedesktop.Application">
    <method name="Activate"><arg type="a{sv}" name="platform_data" direction="in"/></method>
  </interface>
</node>)";

}  // namespace

LinuxApplication::LinuxApplication(platform::MainLoop& loop)
    : loop_(loop), handshake_(loop), alive_(std::make_shared<bool>(true)) {}

LinuxApplication::~LinuxApplication() {
  *alive_ = false;
  for (guint id : signalSources_) g_source_remove(id);
  if (busObject_ != 0) g_dbus_connection_unregister_object(bus_.get(), busObject_);
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
  exportOnSessionBus();
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
  gtk_widget_add_events(taskbarEntry_, GDK_PROPERTY_CHANGE_MASK);
  g_signal_connect(taskbarEntry_, "property-notify-event", G_CALLBACK(onEntryProperty), this);
  g_signal_connect(taskbarEntry_, "delete-event", G_CALLBACK(onDelete), this);
  entryHidden_ = false;
  gtk_window_iconify(window);  // before mapping: it maps straight into the taskbar
  gtk_widget_show(taskbarEntry_);
}

void LinuxApplication::removeTaskbarEntry() {
  if (taskbarEntry_ == nullptr) return;
  GtkWidget* entry = std::exchange(taskbarEntry_, nullptr);
  g_signal_handlers_disconnect_by_data(entry, this);
  gtk_widget_destroy(entry);
}

// A restore is the window manager taking _NET_WM_STATE_HIDDEN away. GDK's own iconified state is no
// guide: it also ends at a MapNotify, and a compositing manager (mutter) maps minimized windows.
gboolean LinuxApplication::onEntryProperty(GtkWidget* widget, GdkEventProperty* event, gpointer data) {
  auto* self = static_cast<LinuxApplication*>(data);
  if (event->atom != gdk_atom_intern_static_string("_NET_WM_STATE")) return FALSE;
  GdkWindow* window = gtk_widget_get_window(widget);
  if (window == nullptr || !GDK_IS_X11_WINDOW(window)) return FALSE;
  GdkDisplay* display = gdk_window_get_display(window);
  const Atom hiddenAtom = gdk_x11_get_xatom_by_name_for_display(display, "_NET_WM_STATE_HIDDEN");
  bool hidden = false;
  for (unsigned long atom : readProperty32(GDK_DISPLAY_XDISPLAY(display), GDK_WINDOW_XID(window),
                                           gdk_x11_get_xatom_by_name_for_display(display, "_NET_WM_STATE"), XA_ATOM)) {
    hidden = hidden || atom == hiddenAtom;
  }
  const bool restored = self->entryHidden_ && !hidden;
  self->entryHidden_ = hidden;
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
  reopen();
}

void LinuxApplication::reopen() {
  if (handshake_.terminated() || delegate_ == nullptr) return;
  const bool visible = hasVisibleWindows();
  guarded("shouldHandleReopen", [&] { delegate_->shouldHandleReopen(visible); });
}

// Every instance answers on its own connection; only the one that holds the application id as a bus
// name is reached through it.
void LinuxApplication::exportOnSessionBus() {
  if (busObject_ != 0) return;
  bus_ = busOrNull(G_BUS_TYPE_SESSION);
  if (!bus_) return;
  GErrorOut err;
  GDBusNodeInfo* node = g_dbus_node_info_new_for_xml(kApplicationInterface, err.out());
  if (node == nullptr) return;
  static const GDBusInterfaceVTable vtable{onBusMethod, nullptr, nullptr, {}};
  busObject_ = g_dbus_connection_register_object(bus_.get(), applicationObjectPath(kApplicationId).c_str(),
                                                 node->interfaces[0], &vtable, this, nullptr, err.out());
  g_dbus_node_info_unref(node);
  if (busObject_ == 0) std::fprintf(stderr, "brindlow: reopen on the session bus is off: %s\n", err.message().c_str());
}

void LinuxApplication::onBusMethod(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*,
                                   GVariant* parameters, GDBusMethodInvocation* invocation, gpointer data) {
  // The bus checks calls against the interface above: this is Activate.
  auto* self = static_cast<LinuxApplication*>(data);
  GVariantPtr platformData(g_variant_get_child_value(parameters, 0));
  const gchar* startupId = nullptr;
  g_variant_lookup(platformData.get(), "desktop-startup-id", "&s", &startupId);
  GdkDisplay* display = gdk_display_get_default();
  const bool x11 = display != nullptr && GDK_IS_X11_DISPLAY(display);
  // The launch's time lets a window presented in answer take the focus.
  if (x11 && startupId != nullptr && *startupId != '\0') gdk_x11_display_set_startup_notification_id(display, startupId);
  self->reopen();
  // Nothing of ours maps in answer to the launch, so its busy cursor ends here.
  if (x11 && startupId != nullptr && *startupId != '\0') gdk_display_notify_startup_complete(display, startupId);
  g_dbus_method_invocation_return_value(invocation, nullptr);
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
