#include "platform/PosixFileSystem.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <utility>

namespace brindlow::platform {

namespace {

std::string describe(int error, std::string_view path) {
  return std::generic_category().message(error) + ": " + std::string(path);
}

std::string parentOf(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }
  // Closes now, so that a failing close is seen.
  int close() { return ::close(std::exchange(fd_, -1)); }

 private:
  int fd_;
};

bool writeAll(int fd, const uint8_t* data, size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

PosixFileSystem::PosixFileSystem(std::optional<std::string> dataDirectory) : dataDirectory_(std::move(dataDirectory)) {}

std::optional<std::string> PosixFileSystem::applicationSupportDirectory() {
  if (dataDirectory_) return dataDirectory_;
  const char* xdg = std::getenv("XDG_DATA_HOME");
  if (xdg != nullptr && xdg[0] == '/') return std::string(xdg);
  return std::nullopt;
}

std::string PosixFileSystem::homeDirectory() {
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] != '\0') return home;
  struct passwd pw {};
  struct passwd* found = nullptr;
  char buffer[4096];
  if (::getpwuid_r(::getuid(), &pw, buffer, sizeof buffer, &found) == 0 && found != nullptr) return pw.pw_dir;
  return "/";
}

bool PosixFileSystem::fileExists(std::string_view path, bool* isDirectory) {
  struct stat st {};
  const bool exists = ::stat(std::string(path).c_str(), &st) == 0;
  if (isDirectory) *isDirectory = exists && S_ISDIR(st.st_mode);
  return exists;
}

Result<std::vector<uint8_t>> PosixFileSystem::readFile(std::string_view path) {
  using R = Result<std::vector<uint8_t>>;
  const std::string p(path);
  Fd fd(::open(p.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) return R::failure(describe(errno, path));
  std::vector<uint8_t> data;
  uint8_t chunk[65536];
  for (;;) {
    const ssize_t n = ::read(fd.get(), chunk, sizeof chunk);
    if (n < 0) {
      if (errno == EINTR) continue;
      return R::failure(describe(errno, path));
    }
    if (n == 0) break;
    data.insert(data.end(), chunk, chunk + n);
  }
  return R::success(std::move(data));
}

std::optional<std::string> PosixFileSystem::createDirectories(std::string_view path) {
  const std::string p(path);
  for (size_t pos = 1; pos <= p.size(); ++pos) {
    if (pos != p.size() && p[pos] != '/') continue;
    const std::string part = p.substr(0, pos);
    if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return describe(errno, part);
  }
  bool dir = false;
  if (!fileExists(p, &dir) || !dir) return describe(ENOTDIR, p);
  return std::nullopt;
}

std::optional<std::string> PosixFileSystem::removeItem(std::string_view path) {
  const std::string p(path);
  struct stat st {};
  if (::lstat(p.c_str(), &st) != 0) return describe(errno, path);
  std::error_code ec;
  std::filesystem::remove_all(p, ec);
  if (ec) return ec.message() + ": " + p;
  return std::nullopt;
}

std::optional<std::string> PosixFileSystem::moveItem(std::string_view from, std::string_view to) {
  const std::string f(from);
  const std::string t(to);
  if (::renameat2(AT_FDCWD, f.c_str(), AT_FDCWD, t.c_str(), RENAME_NOREPLACE) == 0) return std::nullopt;
  if (errno != EINVAL && errno != ENOSYS) return describe(errno, from);
  // The file system cannot rename without replacing: a hard link refuses an existing target too.
  if (::link(f.c_str(), t.c_str()) != 0) return describe(errno, from);
  if (::unlink(f.c_str()) != 0) {
    const int error = errno;
    ::unlink(t.c_str());
    return describe(error, from);
  }
  return std::nullopt;
}

std::optional<std::string> PosixFileSystem::writeFileAtomically(std::string_view path, const std::vector<uint8_t>& data) {
  const std::string target(path);
  const std::string dir = parentOf(target);
  // The name isAtomicWriteTemp knows.
  std::string temp = dir + "/." + target.substr(target.rfind('/') + 1) + ".XXXXXX";
  Fd fd(::mkostemp(temp.data(), O_CLOEXEC));
  if (fd.get() < 0) return describe(errno, target);
  auto fail = [&](int error) {
    ::unlink(temp.c_str());
    return describe(error, target);
  };
  if (!writeAll(fd.get(), data.data(), data.size())) return fail(errno);
  if (::fsync(fd.get()) != 0) return fail(errno);
  if (fd.close() != 0) return fail(errno);
  if (::rename(temp.c_str(), target.c_str()) != 0) return fail(errno);
  // The new contents are in place once renamed; syncing the folder only makes the rename survive a
  // power cut, so a failure here is not reported as a failed write.
  Fd dirFd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dirFd.get() >= 0) ::fsync(dirFd.get());
  return std::nullopt;
}

void PosixFileSystem::removeAtomicWriteLeftovers(std::string_view path) {
  const std::string target(path);
  const std::string name = target.substr(target.rfind('/') + 1);
  std::error_code ec;
  for (std::filesystem::directory_iterator it(parentOf(target), ec), end; !ec && it != end; it.increment(ec)) {
    // Only plain files: a folder or a link of that name is not one of ours.
    if (isAtomicWriteTemp(it->path().filename().native(), name) && it->is_regular_file(ec) && !it->is_symlink(ec)) {
      ::unlink(it->path().c_str());
    }
  }
}

bool PosixFileSystem::isAtomicWriteTemp(std::string_view name, std::string_view target) {
  constexpr std::size_t kRandom = 6;  // the X's of mkostemp
  if (target.empty() || name.size() != target.size() + 2 + kRandom || name[0] != '.' ||
      name.substr(1, target.size()) != target || name[target.size() + 1] != '.') {
    return false;
  }
  for (const char c : name.substr(target.size() + 2)) {
    const bool alnum = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    if (!alnum) return false;
  }
  return true;
}

}  // namespace brindlow::platform
