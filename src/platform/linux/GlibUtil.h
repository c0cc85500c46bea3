#pragma once
// Small shared helpers for the GLib/GIO side of the desktop backend: owning pointers for GObjects and
// GLib values, a guard that keeps exceptions out of C callbacks, and a synchronous D-Bus call.
#include <gio/gio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

namespace brindlow::lnx {

// The fixed application id: D-Bus name, syslog identifier, indicator id and autostart file name.
inline constexpr const char* kApplicationId = "io.github.brindlow.Brindlow";

struct GObjectUnref {
  void operator()(gpointer object) const {
    if (object != nullptr) g_object_unref(object);
  }
};
// Owns one reference to a GObject (GDBusConnection, GSubprocess, GPowerProfileMonitor, a GTK widget that
// was ref-sunk, …).
template <class T>
using GObjectPtr = std::unique_ptr<T, GObjectUnref>;

// Takes ownership of a freshly returned (full) reference.
template <class T>
GObjectPtr<T> adopt(T* object) {
  return GObjectPtr<T>(object);
}

struct GErrorFree {
  void operator()(GError* error) const {
    if (error != nullptr) g_error_free(error);
  }
};
using GErrorPtr = std::unique_ptr<GError, GErrorFree>;

struct GVariantUnref {
  void operator()(GVariant* value) const {
    if (value != nullptr) g_variant_unref(value);
  }
};
using GVariantPtr = std::unique_ptr<GVariant, GVariantUnref>;

struct GFree {
  void operator()(gpointer p) const { g_free(p); }
};
using GCharPtr = std::unique_ptr<gchar, GFree>;

// An out-parameter for GLib calls that fill a GError**: `GErrorOut err; f(..., err.out()); if (err) ...`.
class GErrorOut {
 public:
  GError** out() { return &error_; }
  explicit operator bool() const { return error_ != nullptr; }
  std::string message() const { return error_ != nullptr && error_->message != nullptr ? error_->message : ""; }
  bool matches(GQuark domain, int code) const { return g_error_matches(error_, domain, code); }
  GErrorOut() = default;
  GErrorOut(const GErrorOut&) = delete;
  GErrorOut& operator=(const GErrorOut&) = delete;
  ~GErrorOut() {
    if (error_ != nullptr) g_error_free(error_);
  }

 private:
  GError* error_ = nullptr;
};

// Runs `f` and swallows any exception, so that none unwinds through GLib's C frames. `where` names the
// callback in the line written to stderr.
template <class F>
void guarded(const char* where, F&& f) noexcept {
  try {
    std::forward<F>(f)();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "brindlow: exception in %s: %s\n", where, e.what());
  } catch (...) {
    std::fprintf(stderr, "brindlow: exception in %s\n", where);
  }
}

// A blocking method call on the main context, for the few answers needed before anything else can go on
// (name ownership at start). Returns nullopt and fills `error` on failure.
inline GVariantPtr callSync(GDBusConnection* bus, const char* name, const char* path, const char* interface,
                            const char* method, GVariant* parameters, const char* replyType,
                            std::string* error = nullptr, int timeoutMs = 2000) {
  GErrorOut err;
  GVariant* reply = g_dbus_connection_call_sync(bus, name, path, interface, method, parameters,
                                                replyType != nullptr ? G_VARIANT_TYPE(replyType) : nullptr,
                                                G_DBUS_CALL_FLAGS_NONE, timeoutMs, nullptr, err.out());
  if (err && error != nullptr) *error = err.message();
  return GVariantPtr(reply);
}

// The object path of an application id on the bus ("org.example.App" → "/org/example/App"), where the
// running instance answers org.freedesktop.Application.
inline std::string applicationObjectPath(std::string_view applicationId) {
  std::string path = "/";
  for (char c : applicationId) path += c == '.' ? '/' : c == '-' ? '_' : c;
  return path;
}

// The session or system bus, or null (with nothing printed) when there is none.
inline GObjectPtr<GDBusConnection> busOrNull(GBusType type) {
  GErrorOut err;
  return adopt(g_bus_get_sync(type, nullptr, err.out()));
}

// The program a /proc/<pid>/exe link names, without the " (deleted)" an upgrade adds while it runs;
// "" when it cannot be read.
inline std::string executableAt(const std::string& link = "/proc/self/exe") {
  char buffer[4096];
  const ssize_t n = ::readlink(link.c_str(), buffer, sizeof buffer - 1);
  if (n <= 0) return {};
  std::string path(buffer, static_cast<size_t>(n));
  constexpr std::string_view deleted = " (deleted)";
  if (path.size() > deleted.size() && path.ends_with(deleted)) path.resize(path.size() - deleted.size());
  return path;
}

// The folder `relative` beside the program (the build tree) or under its prefix (installed: the
// program in <prefix>/bin); empty when neither exists.
inline std::string folderBesideProgram(const std::string& relative) {
  const std::string exe = executableAt();
  const auto slash = exe.rfind('/');
  if (slash == std::string::npos) return {};
  const std::string exeDir = exe.substr(0, slash);
  for (const std::string& candidate : {exeDir + "/" + relative, exeDir + "/../" + relative}) {
    struct stat st {};
    if (::stat(candidate.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return candidate;
  }
  return {};
}

}  // namespace brindlow::lnx
