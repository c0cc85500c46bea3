#pragma once
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FileSystem.h"

namespace brindlow::fake {

// An in-memory tree of absolute paths ("/a/b"). Writes are whole or nothing, moveItem refuses an existing
// target, writing needs the parent folder. The data folder starts as "/home/user/.local/share" and the
// home folder as "/home/user"; "/" always exists.
class FakeFileSystem : public platform::FileSystem {
 public:
  enum class Op { readFile, createDirectories, removeItem, moveItem, writeFile };
  struct Call {
    Op op;
    std::string path;
    std::string to;  // moveItem only
    bool operator==(const Call&) const = default;
  };

  std::optional<std::string> applicationSupportDirectory() override { return supportDirectory; }
  std::string homeDirectory() override { return home; }
  bool fileExists(std::string_view path, bool* isDirectory = nullptr) override;
  platform::Result<std::vector<uint8_t>> readFile(std::string_view path) override;
  std::optional<std::string> createDirectories(std::string_view path) override;
  std::optional<std::string> removeItem(std::string_view path) override;
  std::optional<std::string> moveItem(std::string_view from, std::string_view to) override;
  std::optional<std::string> writeFileAtomically(std::string_view path, const std::vector<uint8_t>& data) override;
  // Removes the files beside `path` named as PosixFileSystem names its temporary files.
  void removeAtomicWriteLeftovers(std::string_view path) override;

  // Drivers.
  std::optional<std::string> supportDirectory = "/home/user/.local/share";
  std::string home = "/home/user";
  // The next call of `op` (on `path`, when given) fails with `description` and changes nothing.
  void failNext(Op op, std::string description, std::optional<std::string> path = std::nullopt);
  void clearFailures() { failures_.clear(); }
  void setFile(std::string_view path, std::string_view contents);  // creates the parent folders
  void setFile(std::string_view path, std::vector<uint8_t> contents);

  // Inspection.
  std::optional<std::string> contents(std::string_view path) const;
  // The names of the files directly inside the folder `dir`, in order.
  std::vector<std::string> filesIn(std::string_view dir) const;
  bool isDirectory(std::string_view path) const { return dirs_.count(std::string(path)) != 0; }
  const std::vector<Call>& calls() const { return calls_; }
  size_t count(Op op) const;

 private:
  struct Failure {
    Op op;
    std::optional<std::string> path;
    std::string description;
  };
  std::optional<std::string> injected(Op op, std::string_view path);
  bool parentExists(std::string_view path) const;
  void addDirectories(std::string_view path);

  std::map<std::string, std::vector<uint8_t>, std::less<>> files_;
  std::set<std::string, std::less<>> dirs_{"/"};
  std::vector<Failure> failures_;
  std::vector<Call> calls_;
};

}  // namespace brindlow::fake
