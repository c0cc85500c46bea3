#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Result.h"

namespace brindlow::platform {

// Files. An optional<string> result is the description of a failure; nullopt means success.
class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // The per-user data folder under which the application keeps its own folder.
  virtual std::optional<std::string> applicationSupportDirectory() = 0;
  // The user's home folder, for when there is no data folder.
  virtual std::string homeDirectory() = 0;
  virtual bool fileExists(std::string_view path, bool* isDirectory = nullptr) = 0;
  virtual Result<std::vector<uint8_t>> readFile(std::string_view path) = 0;
  virtual std::optional<std::string> createDirectories(std::string_view path) = 0;
  virtual std::optional<std::string> removeItem(std::string_view path) = 0;
  // Fails when `to` exists.
  virtual std::optional<std::string> moveItem(std::string_view from, std::string_view to) = 0;
  // Durable: a reader sees the old contents or the new, never a mix.
  virtual std::optional<std::string> writeFileAtomically(std::string_view path, const std::vector<uint8_t>& data) = 0;
  // Removes the temporary files that atomic writes of `path` left behind when the process was killed
  // midway: only files named the way those writes name them, never `path` itself. Call it only while
  // no atomic write of `path` is under way.
  virtual void removeAtomicWriteLeftovers(std::string_view path) = 0;
};

}  // namespace brindlow::platform
