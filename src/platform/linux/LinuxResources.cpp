#include "platform/linux/LinuxResources.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

#include "platform/linux/GlibUtil.h"

namespace brindlow::lnx {

namespace {

bool isDirectory(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool isFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::optional<std::string> findDirectory() {
  if (const char* env = std::getenv("BRINDLOW_RESOURCES"); env != nullptr && env[0] != '\0') {
    if (isDirectory(env)) return std::string(env);
  }
  std::string folder = folderBesideProgram("share/brindlow");
  if (folder.empty()) return std::nullopt;
  return folder;
}

}  // namespace

LinuxResources::LinuxResources() : directory_(findDirectory()) {
  if (!directory_) return;
  std::ifstream in(*directory_ + "/info.json", std::ios::binary);
  if (!in) return;
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  nlohmann::json parsed = nlohmann::json::parse(text, nullptr, /*allow_exceptions=*/false);
  if (parsed.is_object()) info_ = std::move(parsed);
}

std::optional<std::string> LinuxResources::pathForResource(std::string_view name, std::string_view type) const {
  if (!directory_) return std::nullopt;
  std::string path = *directory_ + "/" + std::string(name);
  if (!type.empty()) path += "." + std::string(type);
  if (!isFile(path) && !isDirectory(path)) return std::nullopt;
  return path;
}

std::optional<nlohmann::json> LinuxResources::infoValue(std::string_view key) const {
  if (!info_.is_object()) return std::nullopt;
  auto it = info_.find(key);
  if (it == info_.end()) return std::nullopt;
  return *it;
}

}  // namespace brindlow::lnx
