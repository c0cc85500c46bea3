#include "platform/linux/LinuxDefaults.h"

#include <glib.h>
#include <glib/gstdio.h>

#include <cstdio>

#include "platform/linux/GlibUtil.h"

namespace brindlow::lnx {

namespace {

std::optional<platform::DefaultsValue> fromJson(const nlohmann::json& j) {
  if (j.is_boolean()) return j.get<bool>();
  if (j.is_number_integer()) return j.get<int64_t>();
  if (j.is_number_float()) return j.get<double>();
  if (j.is_string()) return j.get<std::string>();
  return std::nullopt;
}

}  // namespace

LinuxDefaults::LinuxDefaults(std::optional<std::string> path) {
  if (path) {
    path_ = *path;
  } else {
    GCharPtr built(g_build_filename(g_get_user_config_dir(), "brindlow", "defaults.json", nullptr));
    path_ = built.get();
  }
  gchar* contents = nullptr;
  gsize length = 0;
  if (g_file_get_contents(path_.c_str(), &contents, &length, nullptr)) {
    GCharPtr owned(contents);
    nlohmann::json parsed = nlohmann::json::parse(contents, contents + length, nullptr, /*allow_exceptions=*/false);
    if (parsed.is_object()) stored_ = std::move(parsed);
  }
}

void LinuxDefaults::registerDefaults(std::map<std::string, platform::DefaultsValue> defaults) {
  for (auto& [key, value] : defaults) registered_.insert_or_assign(key, std::move(value));
}

std::optional<platform::DefaultsValue> LinuxDefaults::lookup(std::string_view key) const {
  if (auto it = stored_.find(key); it != stored_.end()) return fromJson(*it);
  if (auto it = registered_.find(key); it != registered_.end()) return it->second;
  return std::nullopt;
}

bool LinuxDefaults::boolForKey(std::string_view key) const {
  const auto value = lookup(key);
  return value && platform::boolReading(*value);
}

std::optional<std::string> LinuxDefaults::stringForKey(std::string_view key) const {
  const auto value = lookup(key);
  if (!value) return std::nullopt;
  if (auto s = std::get_if<std::string>(&*value)) return *s;
  return std::nullopt;
}

void LinuxDefaults::setBool(std::string_view key, bool value) {
  stored_[std::string(key)] = value;
  save();
}

void LinuxDefaults::setString(std::string_view key, std::string_view value) {
  stored_[std::string(key)] = std::string(value);
  save();
}

void LinuxDefaults::save() {
  // Invalid UTF-8 in a value is written as U+FFFD rather than failing the whole file.
  const std::string text = stored_.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
  GCharPtr folder(g_path_get_dirname(path_.c_str()));
  GErrorOut err;
  if (g_mkdir_with_parents(folder.get(), 0700) != 0 ||
      !g_file_set_contents_full(path_.c_str(), text.data(), static_cast<gssize>(text.size()),
                                G_FILE_SET_CONTENTS_CONSISTENT, 0600, err.out())) {
    // The settings API has no failure path; the values stay in memory for this run.
    if (!std::exchange(warned_, true)) {
      std::fprintf(stderr, "brindlow: settings not saved to %s: %s\n", path_.c_str(),
                   err ? err.message().c_str() : "cannot create the folder");
    }
  }
}

}  // namespace brindlow::lnx
