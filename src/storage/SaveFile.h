#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace brindlow {

namespace platform {
class FileSystem;
}

// The page's game state: one JSON object kept as the page's own text in "save.json", with the previous
// generation in "save.json.bak". Only its size is guarded on write; reading refuses anything but an object.
class SaveFile {
 public:
  struct ReadResult {
    std::string text;
    bool recovered = false;  // the text came from the backup
    bool operator==(const ReadResult&) const = default;
  };
  struct WriteResult {
    bool ok = false;
    std::size_t bytes = 0;  // UTF-8 bytes of the text, stored or not
    bool operator==(const WriteResult&) const = default;
  };

  // Works out the paths; touches no file.
  explicit SaveFile(platform::FileSystem& fs);

  std::optional<ReadResult> read();
  // A text over the save limit is refused (see refuseOversized) and touches no file.
  WriteResult write(std::string_view text);
  // The refusal of a save of `bytes` UTF-8 bytes, logged once per run: the one size check behind every
  // write, also given by the bridge for a request too large to read, whose text never reaches write.
  static WriteResult refuseOversized(std::size_t bytes);
  // The file's text when it is at most the save limit, a JSON object and UTF-8; nullopt otherwise.
  std::optional<std::string> readValidJSON(const std::string& path);

  const std::string& dir() const { return dir_; }
  const std::string& main() const { return main_; }
  const std::string& backup() const { return backup_; }
  bool mainBroken() const { return mainBroken_; }

 private:
  platform::FileSystem& fm_;
  std::string dir_;
  std::string main_;
  std::string backup_;
  bool mainBroken_ = false;
};

}  // namespace brindlow
