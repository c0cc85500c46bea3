#pragma once
#include <optional>
#include <string>

#include "platform/FileSystem.h"

namespace brindlow::platform {

// Files on a POSIX system. The data folder is $XDG_DATA_HOME when it is an absolute path (or the folder
// given at creation); writes are durable (temporary file, fsync, rename, fsync of the folder) and a move
// never replaces its target.
class PosixFileSystem : public FileSystem {
 public:
  explicit PosixFileSystem(std::optional<std::string> dataDirectory = std::nullopt);

  std::optional<std::string> applicationSupportDirectory() override;
  std::string homeDirectory() override;
  bool fileExists(std::string_view path, bool* isDirectory = nullptr) override;
  Result<std::vector<uint8_t>> readFile(std::string_view path) override;
  std::optional<std::string> createDirectories(std::string_view path) override;
  std::optional<std::string> removeItem(std::string_view path) override;
  std::optional<std::string> moveItem(std::string_view from, std::string_view to) override;
  std::optional<std::string> writeFileAtomically(std::string_view path, const std::vector<uint8_t>& data) override;
  void removeAtomicWriteLeftovers(std::string_view path) override;

  // Whether `name` is one of the temporary names an atomic write of the file named `target` uses:
  // "." + target + "." + six letters or digits.
  static bool isAtomicWriteTemp(std::string_view name, std::string_view target);

 private:
  std::optional<std::string> dataDirectory_;
};

}  // namespace brindlow::platform
