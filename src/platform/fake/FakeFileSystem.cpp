#include "platform/fake/FakeFileSystem.h"

#include <algorithm>

#include "platform/PosixFileSystem.h"

namespace brindlow::fake {

namespace {

std::string parentOf(std::string_view path) {
  const auto slash = path.rfind('/');
  if (slash == std::string_view::npos || slash == 0) return "/";
  return std::string(path.substr(0, slash));
}

}  // namespace

void FakeFileSystem::failNext(Op op, std::string description, std::optional<std::string> path) {
  failures_.push_back({op, std::move(path), std::move(description)});
}

std::optional<std::string> FakeFileSystem::injected(Op op, std::string_view path) {
  auto it = std::find_if(failures_.begin(), failures_.end(),
                         [&](const Failure& f) { return f.op == op && (!f.path || *f.path == path); });
  if (it == failures_.end()) return std::nullopt;
  std::string description = it->description;
  failures_.erase(it);
  return description;
}

bool FakeFileSystem::parentExists(std::string_view path) const { return dirs_.count(parentOf(path)) != 0; }

void FakeFileSystem::addDirectories(std::string_view path) {
  for (std::string p(path); dirs_.count(p) == 0; p = parentOf(p)) dirs_.insert(p);
}

bool FakeFileSystem::fileExists(std::string_view path, bool* isDirectory) {
  const bool dir = dirs_.count(path) != 0;
  if (isDirectory) *isDirectory = dir;
  return dir || files_.count(path) != 0;
}

platform::Result<std::vector<uint8_t>> FakeFileSystem::readFile(std::string_view path) {
  calls_.push_back({Op::readFile, std::string(path), {}});
  if (auto e = injected(Op::readFile, path)) return platform::Result<std::vector<uint8_t>>::failure(*e);
  auto it = files_.find(path);
  if (it == files_.end()) return platform::Result<std::vector<uint8_t>>::failure("No such file or directory");
  return platform::Result<std::vector<uint8_t>>::success(it->second);
}

std::optional<std::string> FakeFileSystem::createDirectories(std::string_view path) {
  calls_.push_back({Op::createDirectories, std::string(path), {}});
  if (auto e = injected(Op::createDirectories, path)) return e;
  for (std::string p(path); p != "/"; p = parentOf(p)) {
    if (files_.count(p) != 0) return "File exists";
  }
  addDirectories(path);
  return std::nullopt;
}

std::optional<std::string> FakeFileSystem::removeItem(std::string_view path) {
  calls_.push_back({Op::removeItem, std::string(path), {}});
  if (auto e = injected(Op::removeItem, path)) return e;
  auto it = files_.find(path);
  if (it == files_.end()) return "No such file or directory";
  files_.erase(it);
  return std::nullopt;
}

void FakeFileSystem::removeAtomicWriteLeftovers(std::string_view path) {
  const std::string dir = parentOf(path);
  const std::string_view name = path.substr(path.rfind('/') + 1);
  for (const std::string& file : filesIn(dir)) {
    if (platform::PosixFileSystem::isAtomicWriteTemp(file, name)) files_.erase(dir + "/" + file);
  }
}

std::vector<std::string> FakeFileSystem::filesIn(std::string_view dir) const {
  std::vector<std::string> names;
  for (const auto& [path, data] : files_) {
    if (parentOf(path) == dir) names.push_back(path.substr(path.rfind('/') + 1));
  }
  return names;
}

std::optional<std::string> FakeFileSystem::moveItem(std::string_view from, std::string_view to) {
  calls_.push_back({Op::moveItem, std::string(from), std::string(to)});
  if (auto e = injected(Op::moveItem, from)) return e;
  auto it = files_.find(from);
  if (it == files_.end()) return "No such file or directory";
  if (fileExists(to)) return "File exists";
  if (!parentExists(to)) return "No such file or directory";
  auto data = std::move(it->second);
  files_.erase(it);
  files_.emplace(std::string(to), std::move(data));
  return std::nullopt;
}

std::optional<std::string> FakeFileSystem::writeFileAtomically(std::string_view path, const std::vector<uint8_t>& data) {
  calls_.push_back({Op::writeFile, std::string(path), {}});
  if (auto e = injected(Op::writeFile, path)) return e;
  if (!parentExists(path)) return "No such file or directory";
  if (dirs_.count(path) != 0) return "Is a directory";
  files_.insert_or_assign(std::string(path), data);
  return std::nullopt;
}

void FakeFileSystem::setFile(std::string_view path, std::string_view contents) {
  setFile(path, std::vector<uint8_t>(contents.begin(), contents.end()));
}

void FakeFileSystem::setFile(std::string_view path, std::vector<uint8_t> contents) {
  addDirectories(parentOf(path));
  files_.insert_or_assign(std::string(path), std::move(contents));
}

std::optional<std::string> FakeFileSystem::contents(std::string_view path) const {
  auto it = files_.find(path);
  if (it == files_.end()) return std::nullopt;
  return std::string(it->second.begin(), it->second.end());
}

size_t FakeFileSystem::count(Op op) const {
  return static_cast<size_t>(std::count_if(calls_.begin(), calls_.end(), [&](const Call& c) { return c.op == op; }));
}

}  // namespace brindlow::fake
