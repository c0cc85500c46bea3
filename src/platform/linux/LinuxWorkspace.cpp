#include "platform/linux/LinuxWorkspace.h"

#include <dirent.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>

// X11 last: its macros (None, Status, Bool) must not reach the headers above.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <gdk/gdkx.h>

namespace brindlow::lnx {

namespace {

constexpr guint32 kRequestNameDoNotQueue = 4;
constexpr guint32 kPrimaryOwner = 1;
constexpr guint32 kAlreadyOwner = 4;

// The one-letter state in /proc/<pid>/stat, read after the command name (which may hold spaces and
// parentheses).
char processState(int32_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  std::stringstream text;
  text << in.rdbuf();
  const std::string s = text.str();
  const auto close = s.rfind(')');
  if (close == std::string::npos || close + 2 >= s.size()) return '?';
  return s[close + 2];
}

}  // namespace

LinuxWorkspace::LinuxWorkspace(platform::MainLoop& loop)
    : loop_(loop), executable_(executableAt("/proc/self/exe")) {}

LinuxWorkspace::~LinuxWorkspace() {
  if (root_ != nullptr) gdk_window_remove_filter(root_, onRootEvent, this);
}

bool LinuxWorkspace::openUrl(std::string_view url) {
  const std::string text(url);
  return g_app_info_launch_default_for_uri(text.c_str(), nullptr, nullptr);
}

std::vector<int32_t> LinuxWorkspace::runningApplicationPids(std::string_view applicationId) {
  const std::string id(applicationId);
  std::vector<int32_t> pids{static_cast<int32_t>(::getpid())};
  if (!g_dbus_is_name(id.c_str()) || g_dbus_is_unique_name(id.c_str())) return pids;
  if (ownedNames_.contains(id)) return pids;
  auto bus = busOrNull(G_BUS_TYPE_SESSION);
  if (!bus) {
    for (int32_t pid : sameExecutablePids()) pids.push_back(pid);
    return pids;
  }
  auto requested = callSync(bus.get(), "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                            "RequestName", g_variant_new("(su)", id.c_str(), kRequestNameDoNotQueue), "(u)");
  if (!requested) {
    for (int32_t pid : sameExecutablePids()) pids.push_back(pid);
    return pids;
  }
  guint32 answer = 0;
  g_variant_get(requested.get(), "(u)", &answer);
  if (answer == kPrimaryOwner || answer == kAlreadyOwner) {
    ownedNames_.insert(id);  // held until this process's bus connection closes
    return pids;
  }
  auto owner = callSync(bus.get(), "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                        "GetNameOwner", g_variant_new("(s)", id.c_str()), "(s)");
  if (!owner) return pids;  // the owner left in between
  const gchar* unique = nullptr;
  g_variant_get(owner.get(), "(&s)", &unique);
  auto pid = callSync(bus.get(), "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                      "GetConnectionUnixProcessID", g_variant_new("(s)", unique), "(u)");
  if (pid) {
    guint32 other = 0;
    g_variant_get(pid.get(), "(u)", &other);
    if (other != 0 && static_cast<int32_t>(other) != pids.front()) pids.push_back(static_cast<int32_t>(other));
  }
  return pids;
}

bool LinuxWorkspace::reopenRunningInstance(std::string_view applicationId) {
  const std::string id(applicationId);
  if (!g_dbus_is_name(id.c_str()) || g_dbus_is_unique_name(id.c_str())) return false;
  auto bus = busOrNull(G_BUS_TYPE_SESSION);
  if (!bus) return false;
  GVariantBuilder platformData;
  g_variant_builder_init(&platformData, G_VARIANT_TYPE_VARDICT);
  // GDK took the launcher's startup id out of the environment when it opened the display.
  GdkDisplay* display = gdk_display_get_default();
  const gchar* startupId =
      display != nullptr && GDK_IS_X11_DISPLAY(display) ? gdk_x11_display_get_startup_notification_id(display) : nullptr;
  if (startupId != nullptr && *startupId != '\0') {
    g_variant_builder_add(&platformData, "{sv}", "desktop-startup-id", g_variant_new_string(startupId));
  }
  // The answer comes after the running instance has handled it, so a busy one gets a few seconds.
  return callSync(bus.get(), id.c_str(), applicationObjectPath(id).c_str(), "org.freedesktop.Application", "Activate",
                  g_variant_new("(a{sv})", &platformData), nullptr, nullptr, 5000) != nullptr;
}

std::vector<int32_t> LinuxWorkspace::sameExecutablePids() {
  std::vector<int32_t> found;
  DIR* proc = ::opendir("/proc");
  if (proc == nullptr) return found;
  const int32_t self = static_cast<int32_t>(::getpid());
  while (dirent* entry = ::readdir(proc)) {
    char* end = nullptr;
    const long pid = std::strtol(entry->d_name, &end, 10);
    if (end == entry->d_name || *end != '\0' || pid <= 0 || pid == self || pid > INT32_MAX) continue;
    struct stat st {};
    if (::stat(("/proc/" + std::string(entry->d_name)).c_str(), &st) != 0 || st.st_uid != ::getuid()) continue;
    if (isApplicationRunning(static_cast<int32_t>(pid))) found.push_back(static_cast<int32_t>(pid));
  }
  ::closedir(proc);
  return found;
}

bool LinuxWorkspace::isApplicationRunning(int32_t pid) {
  if (pid <= 0) return false;
  if (::kill(pid, 0) != 0 && errno != EPERM) return false;
  // A quit instance stays a zombie until its parent reaps it.
  const char state = processState(pid);
  if (state == 'Z' || state == 'X' || state == '?') return false;
  // Guards against the pid having been reused by another program.
  return !executable_.empty() && executableAt("/proc/" + std::to_string(pid) + "/exe") == executable_;
}

void LinuxWorkspace::openNewInstance(std::vector<std::string> arguments, bool,
                                     std::function<void(std::optional<std::string> error)> done) {
  std::optional<std::string> error;
  if (executable_.empty()) {
    error = "cannot find the program's own path";
  } else {
    std::vector<const gchar*> argv{executable_.c_str()};
    for (const auto& a : arguments) argv.push_back(a.c_str());
    argv.push_back(nullptr);
    auto launcher = adopt(g_subprocess_launcher_new(G_SUBPROCESS_FLAGS_NONE));
    // Our own startup notification is not the new instance's.
    g_subprocess_launcher_unsetenv(launcher.get(), "DESKTOP_STARTUP_ID");
    GErrorOut err;
    // The subprocess reaps the child itself if we outlive it.
    auto child = adopt(g_subprocess_launcher_spawnv(launcher.get(), argv.data(), err.out()));
    if (!child) error = err ? err.message() : std::string("the new instance did not start");
  }
  loop_.post([done = std::move(done), error] {
    if (done) done(error);
  });
}

platform::Subscription LinuxWorkspace::observe(platform::WorkspaceEvent event, std::function<void()> handler) {
  watchRootWindow();
  return observers_.add(event, std::move(handler));
}

void LinuxWorkspace::watchRootWindow() {
  if (root_ != nullptr) return;
  GdkDisplay* display = gdk_display_get_default();
  if (display == nullptr || !GDK_IS_X11_DISPLAY(display)) return;
  root_ = gdk_get_default_root_window();
  Display* x = GDK_DISPLAY_XDISPLAY(display);
  activeWindowAtom_ = XInternAtom(x, "_NET_ACTIVE_WINDOW", False);
  currentDesktopAtom_ = XInternAtom(x, "_NET_CURRENT_DESKTOP", False);
  clientListAtom_ = XInternAtom(x, "_NET_CLIENT_LIST", False);
  gdk_window_set_events(root_, static_cast<GdkEventMask>(gdk_window_get_events(root_) | GDK_PROPERTY_CHANGE_MASK));
  gdk_window_add_filter(root_, onRootEvent, this);
  readClientList(false);
}

void LinuxWorkspace::readClientList(bool report) {
  Display* x = GDK_DISPLAY_XDISPLAY(gdk_window_get_display(root_));
  Atom type = 0;
  int format = 0;
  unsigned long count = 0;
  unsigned long after = 0;
  unsigned char* data = nullptr;
  std::set<unsigned long> now;
  if (XGetWindowProperty(x, GDK_WINDOW_XID(root_), clientListAtom_, 0, 65536, False, XA_WINDOW, &type, &format,
                         &count, &after, &data) == Success &&
      data != nullptr) {
    if (type == XA_WINDOW && format == 32) {
      const auto* windows = reinterpret_cast<const unsigned long*>(data);
      now.insert(windows, windows + count);
    }
    XFree(data);
  }
  bool gone = false;
  for (unsigned long w : clients_) gone = gone || !now.contains(w);
  clients_ = std::move(now);
  if (report && gone) observers_.emit(platform::WorkspaceEvent::didTerminateApplication);
}

GdkFilterReturn LinuxWorkspace::onRootEvent(GdkXEvent* xevent, GdkEvent*, gpointer data) {
  auto* self = static_cast<LinuxWorkspace*>(data);
  const auto* event = static_cast<const XEvent*>(xevent);
  if (event->type != PropertyNotify) return GDK_FILTER_CONTINUE;
  const Atom atom = event->xproperty.atom;
  if (atom == self->activeWindowAtom_) {
    self->observers_.emit(platform::WorkspaceEvent::didActivateApplication);
  } else if (atom == self->currentDesktopAtom_) {
    self->observers_.emit(platform::WorkspaceEvent::activeSpaceDidChange);
  } else if (atom == self->clientListAtom_) {
    guarded("the client list", [&] { self->readClientList(true); });
  }
  return GDK_FILTER_CONTINUE;
}

}  // namespace brindlow::lnx
