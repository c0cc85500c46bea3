#include "web/AppSchemeHandler.h"

#include <array>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <system_error>

#include "platform/MainLoop.h"
#include "platform/MainThread.h"
#include "util/Url.h"

namespace brindlow {
namespace fs = std::filesystem;
namespace {

constexpr std::string_view kHost = "app";
constexpr std::string_view kIndex = "index.html";

struct MimeEntry {
  std::string_view extension;
  std::string_view type;
};

constexpr std::array<MimeEntry, 18> kMimeTable{{
    {"html", "text/html; charset=utf-8"},
    {"htm", "text/html; charset=utf-8"},
    {"js", "text/javascript; charset=utf-8"},
    {"mjs", "text/javascript; charset=utf-8"},
    {"css", "text/css; charset=utf-8"},
    {"json", "application/json; charset=utf-8"},
    {"map", "application/json; charset=utf-8"},
    {"png", "image/png"},
    {"jpg", "image/jpeg"},
    {"jpeg", "image/jpeg"},
    {"webp", "image/webp"},
    {"svg", "image/svg+xml"},
    {"woff2", "font/woff2"},
    {"woff", "font/woff"},
    {"mp3", "audio/mpeg"},
    {"ogg", "audio/ogg"},
    {"wav", "audio/wav"},
    {"wasm", "application/wasm"},
}};

// Lexical "." and ".." removal, with no trailing separator, like a standardised file URL.
std::string standardise(const std::string& path) {
  std::string s = fs::path(path).lexically_normal().generic_string();
  while (s.size() > 1 && s.back() == '/') s.pop_back();
  return s;
}

bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

std::optional<std::vector<uint8_t>> readRegularFile(const fs::path& path) {
  std::error_code ec;
  if (!fs::is_regular_file(path, ec)) return std::nullopt;  // directories, sockets and devices too
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::vector<uint8_t> data{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (in.bad()) return std::nullopt;
  return data;
}

void answerNotFound(platform::SchemeTask& task) { task.respond(404, {{"Content-Type", "text/plain"}}, {}); }

}  // namespace

AppSchemeHandler::AppSchemeHandler(const platform::MainLoop& loop, const std::optional<std::string>& resourceDirectory)
    : loop_(loop) {
  if (resourceDirectory && !resourceDirectory->empty()) root_ = fs::path(standardise(*resourceDirectory + "/web"));
}

std::string_view AppSchemeHandler::mimeType(std::string_view extension) {
  if (!extension.empty()) {
    for (const auto& entry : kMimeTable) {
      if (equalsIgnoringAsciiCase(entry.extension, extension)) return entry.type;
    }
  }
  return "application/octet-stream";
}

std::optional<fs::path> AppSchemeHandler::resolve(std::string_view requestPath) const {
  if (!root_) return std::nullopt;
  // A NUL would cut the name short at the system call, so a different file than the checked one opens.
  if (requestPath.find('\0') != std::string_view::npos) return std::nullopt;
  if (requestPath.starts_with('/')) requestPath.remove_prefix(1);
  const std::string rootPath = root_->generic_string();
  const std::string path = standardise(rootPath + "/" + std::string(requestPath));
  if (path != rootPath && !path.starts_with(rootPath + "/")) return std::nullopt;
  std::error_code ec;
  if (fs::is_directory(path, ec)) return fs::path(path) / kIndex;
  return fs::path(path);
}

void AppSchemeHandler::start(platform::SchemeTask& task) {
  platform::assertMainThread(loop_);
  const auto text = task.requestUrl();
  const auto url = text ? parseUrl(*text) : std::nullopt;
  if (!url || url->host != kHost) return answerNotFound(task);
  const auto file = resolve(url->path);
  if (!file) return answerNotFound(task);
  auto data = readRegularFile(*file);
  if (!data) return answerNotFound(task);

  std::string extension = file->extension().string();
  if (!extension.empty()) extension.erase(0, 1);
  platform::HttpHeaders headers{
      {"Content-Type", std::string(mimeType(extension))},
      {"Content-Length", std::to_string(data->size())},
      {"Cache-Control", "no-cache"},
  };
  task.respond(200, std::move(headers), std::move(*data));
}

void AppSchemeHandler::stop(platform::SchemeTask&) {
  // Every task was answered inside start(), so none is still running.
  platform::assertMainThread(loop_);
}

}  // namespace brindlow
