#include "storage/SaveFile.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <vector>

#include "model/Constants.h"
#include "platform/FileSystem.h"
#include "util/Json.h"
#include "util/Log.h"

namespace brindlow {

namespace {

std::string joinPath(std::string base, std::string_view name) {
  if (base.empty() || base.back() != '/') base.push_back('/');
  base.append(name);
  return base;
}

bool isUtf8(const std::vector<uint8_t>& bytes) {
  const std::size_t n = bytes.size();
  for (std::size_t i = 0; i < n;) {
    const uint8_t c = bytes[i];
    if (c < 0x80) {
      ++i;
      continue;
    }
    std::size_t len = 0;
    uint32_t cp = 0;
    uint32_t min = 0;
    if ((c & 0xE0) == 0xC0) {
      len = 2, cp = c & 0x1F, min = 0x80;
    } else if ((c & 0xF0) == 0xE0) {
      len = 3, cp = c & 0x0F, min = 0x800;
    } else if ((c & 0xF8) == 0xF0) {
      len = 4, cp = c & 0x07, min = 0x10000;
    } else {
      return false;
    }
    if (i + len > n) return false;
    for (std::size_t k = 1; k < len; ++k) {
      if ((bytes[i + k] & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (bytes[i + k] & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    i += len;
  }
  return true;
}

// One JSON value that is an object, read as the page reads it (nothing after the value, not even NUL
// bytes; a lone surrogate escape stands for U+FFFD). Checked without building it: the parser accepts
// the whole text and its first significant character opens an object.
bool isJsonObject(const std::vector<uint8_t>& bytes) {
  std::string repaired;
  const std::optional<std::string_view> text =
      browserJsonText(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), repaired);
  if (!text) return false;
  std::size_t i = 0;
  if (text->starts_with("\xEF\xBB\xBF")) i = 3;
  while (i < text->size() && ((*text)[i] == ' ' || (*text)[i] == '\t' || (*text)[i] == '\n' || (*text)[i] == '\r')) ++i;
  if (i == text->size() || (*text)[i] != '{') return false;
  return nlohmann::json::accept(*text);
}

}  // namespace

SaveFile::SaveFile(platform::FileSystem& fs) : fm_(fs) {
  std::string base;
  if (auto support = fm_.applicationSupportDirectory(); support && !support->empty()) {
    base = *support;
  } else {
    base = joinPath(fm_.homeDirectory(), ".local/share");
  }
  dir_ = joinPath(base, "Brindlow");
  main_ = joinPath(dir_, "save.json");
  backup_ = joinPath(dir_, "save.json.bak");
}

std::optional<std::string> SaveFile::readValidJSON(const std::string& path) {
  auto data = fm_.readFile(path);
  if (!data) return std::nullopt;
  const auto& bytes = data.value();
  if (bytes.size() > Limits::saveBytes) return std::nullopt;
  if (!isJsonObject(bytes)) return std::nullopt;
  if (!isUtf8(bytes)) return std::nullopt;
  return std::string(bytes.begin(), bytes.end());
}

std::optional<SaveFile::ReadResult> SaveFile::read() {
  // A kill during a write leaves its temporary file; nothing else ever removes it.
  fm_.removeAtomicWriteLeftovers(main_);
  if (auto text = readValidJSON(main_)) {
    mainBroken_ = false;
    return ReadResult{std::move(*text), false};
  }
  mainBroken_ = fm_.fileExists(main_);
  if (auto text = readValidJSON(backup_)) {
    logError("save: main file unreadable, using backup");
    return ReadResult{std::move(*text), true};
  }
  return std::nullopt;
}

SaveFile::WriteResult SaveFile::refuseOversized(std::size_t bytes) {
  // Named after the page's request: every save arrives through it.
  warnOnce("save.size", "save.write: over limit");
  return {false, bytes};
}

SaveFile::WriteResult SaveFile::write(std::string_view text) {
  const std::size_t bytes = text.size();
  if (bytes > Limits::saveBytes) return refuseOversized(bytes);
  auto failed = [bytes](const std::string& description) {
    logError("save: write failed " + description);
    return WriteResult{false, bytes};
  };
  if (auto e = fm_.createDirectories(dir_)) return failed(*e);
  fm_.removeAtomicWriteLeftovers(main_);

  // Rotate only a main file that is valid right now. A main file never read in this run, or one holding
  // a text that was not an object, would otherwise replace the good backup, and a failed write after
  // that would leave nothing to recover.
  if (!mainBroken_ && fm_.fileExists(main_)) {
    if (readValidJSON(main_)) {
      if (fm_.fileExists(backup_)) {
        if (auto e = fm_.removeItem(backup_)) return failed(*e);
      }
      if (auto e = fm_.moveItem(main_, backup_)) return failed(*e);
    } else {
      mainBroken_ = true;
    }
  }

  if (auto e = fm_.writeFileAtomically(main_, std::vector<uint8_t>(text.begin(), text.end()))) return failed(*e);
  mainBroken_ = false;
  return {true, bytes};
}

}  // namespace brindlow
