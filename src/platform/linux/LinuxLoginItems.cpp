#include "platform/linux/LinuxLoginItems.h"

#include <errno.h>
#include <glib.h>
#include <glib/gstdio.h>
#include <unistd.h>

#include <cstring>
#include <string_view>

#include "platform/linux/GlibUtil.h"

namespace brindlow::lnx {

namespace {

// One argument of an Exec line: quoted when it holds a reserved character, then escaped for the
// desktop-entry string itself, with field codes disarmed.
std::string execArgument(std::string_view arg) {
  const bool quote = arg.find_first_of(" \t\"'\\><~|&;$*?#()`") != std::string_view::npos;
  std::string quoted;
  if (quote) quoted += '"';
  for (char c : arg) {
    if (quote && (c == '"' || c == '`' || c == '$' || c == '\\')) quoted += '\\';
    quoted += c;
  }
  if (quote) quoted += '"';
  std::string out;
  for (char c : quoted) {
    if (c == '\\') out += '\\';
    if (c == '%') out += '%';
    out += c;
  }
  return out;
}

// The TryExec value: a plain string, where only the backslash is escaped.
std::string tryExecValue(std::string_view path) {
  std::string out;
  for (char c : path) {
    if (c == '\\') out += '\\';
    out += c;
  }
  return out;
}

}  // namespace

LinuxLoginItems::LinuxLoginItems(std::optional<std::string> autostartDirectory) {
  if (autostartDirectory) {
    directory_ = *autostartDirectory;
  } else {
    GCharPtr built(g_build_filename(g_get_user_config_dir(), "autostart", nullptr));
    directory_ = built.get();
  }
  file_ = directory_ + "/" + kApplicationId + ".desktop";
}

platform::LoginItemStatus LinuxLoginItems::status() {
  GKeyFile* keys = g_key_file_new();
  bool enabled = false;
  if (g_key_file_load_from_file(keys, file_.c_str(), G_KEY_FILE_NONE, nullptr)) {
    const char* group = G_KEY_FILE_DESKTOP_GROUP;
    const bool hidden = g_key_file_get_boolean(keys, group, G_KEY_FILE_DESKTOP_KEY_HIDDEN, nullptr);
    GErrorOut err;
    const bool gnomeEnabled = g_key_file_get_boolean(keys, group, "X-GNOME-Autostart-enabled", err.out());
    // An entry whose program is gone (a moved checkout, an uninstalled prefix) is skipped at login.
    GCharPtr tryExec(g_key_file_get_string(keys, group, G_KEY_FILE_DESKTOP_KEY_TRY_EXEC, nullptr));
    const bool present = !tryExec || g_file_test(tryExec.get(), G_FILE_TEST_IS_EXECUTABLE);
    enabled = !hidden && (gnomeEnabled || err) && present;
  }
  g_key_file_free(keys);
  return enabled ? platform::LoginItemStatus::enabled : platform::LoginItemStatus::notRegistered;
}

std::optional<std::string> LinuxLoginItems::registerMainApp() {
  const std::string exe = executableAt();
  if (exe.empty()) return std::string("cannot find the program's own path");
  if (exe.find_first_of("\n\r") != std::string::npos) return "the program's path cannot be written to " + file_;
  const std::string entry =
      "[Desktop Entry]\n"
      "Type=Application\n"
      "Name=Brindlow\n"
      "Exec=" +
      execArgument(exe) +
      "\n"
      "TryExec=" +
      tryExecValue(exe) +
      "\n"
      "NoDisplay=true\n"
      "X-GNOME-Autostart-enabled=true\n";
  if (g_mkdir_with_parents(directory_.c_str(), 0700) != 0) {
    return std::string(std::strerror(errno)) + ": " + directory_;
  }
  GErrorOut err;
  if (!g_file_set_contents_full(file_.c_str(), entry.data(), static_cast<gssize>(entry.size()),
                                G_FILE_SET_CONTENTS_CONSISTENT, 0644, err.out())) {
    return err.message();
  }
  return std::nullopt;
}

std::optional<std::string> LinuxLoginItems::unregisterMainApp() {
  if (g_remove(file_.c_str()) != 0 && errno != ENOENT) return std::string(std::strerror(errno)) + ": " + file_;
  return std::nullopt;
}

void LinuxLoginItems::openLoginItemsSettings() {
  g_mkdir_with_parents(directory_.c_str(), 0700);
  GCharPtr uri(g_filename_to_uri(directory_.c_str(), nullptr, nullptr));
  if (uri) g_app_info_launch_default_for_uri(uri.get(), nullptr, nullptr);
}

}  // namespace brindlow::lnx
