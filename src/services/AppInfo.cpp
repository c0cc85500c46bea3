#include "services/AppInfo.h"

#include <unicode/locid.h>
#include <unicode/unistr.h>

#include <nlohmann/json.hpp>

#include "platform/Application.h"
#include "platform/FileSystem.h"
#include "platform/Locale.h"
#include "platform/Resources.h"
#include "platform/Workspace.h"
#include "util/Log.h"

namespace brindlow {

namespace {

// Full Unicode lower-casing, as the system's language tags are compared.
std::string lowercased(std::string_view text) {
  icu::UnicodeString s = icu::UnicodeString::fromUTF8(icu::StringPiece(text.data(), static_cast<int32_t>(text.size())));
  std::string out;
  s.toLower(icu::Locale::getRoot()).toUTF8String(out);
  return out;
}

std::string_view firstSubtag(std::string_view tag) {
  size_t start = 0;
  while (start < tag.size()) {
    const size_t end = std::min(tag.find('-', start), tag.size());
    if (end > start) return tag.substr(start, end - start);
    start = end + 1;
  }
  return tag;  // empty or only hyphens: kept as it is
}

std::string infoText(const platform::Resources& resources, std::string_view key) {
  const std::optional<nlohmann::json> value = resources.infoValue(key);
  if (value && value->is_string()) return value->get<std::string>();
  return "0";
}

bool isAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isHex(char c) { return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

// The characters a URL may hold unescaped, and well-formed percent escapes.
bool parsesAsUrl(std::string_view text) {
  if (text.empty()) return false;
  constexpr std::string_view allowed = "-._~:/?#[]@!$&'()*+,;=";
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '%') {
      if (i + 2 >= text.size() || !isHex(text[i + 1]) || !isHex(text[i + 2])) return false;
      i += 2;
    } else if (!isAlpha(c) && !isDigit(c) && allowed.find(c) == std::string_view::npos) {
      return false;
    }
  }
  return true;
}

// The scheme before the first ":", when what precedes it is a scheme name.
std::optional<std::string_view> scheme(std::string_view url) {
  const size_t colon = url.find(':');
  if (colon == std::string_view::npos || colon == 0 || !isAlpha(url[0])) return std::nullopt;
  for (size_t i = 1; i < colon; ++i) {
    const char c = url[i];
    if (!isAlpha(c) && !isDigit(c) && c != '+' && c != '-' && c != '.') return std::nullopt;
  }
  return url.substr(0, colon);
}

}  // namespace

Lang detectLang(const platform::Locale& locale) {
  for (const std::string& tag : locale.preferredLanguages()) {
    if (auto lang = fromRaw<Lang>(lowercased(firstSubtag(tag)))) return *lang;
  }
  return Lang::en;
}

std::string appVersion(const platform::Resources& resources) {
  return infoText(resources, "CFBundleShortVersionString");
}

std::string appBuild(const platform::Resources& resources) { return infoText(resources, "CFBundleVersion"); }

LinkTable::LinkTable(const platform::Resources& resources, platform::FileSystem& fileSystem,
                     std::optional<std::string> inputSettingsUrl)
    : resources_(resources), fileSystem_(fileSystem), inputSettingsUrl_(std::move(inputSettingsUrl)) {}

const std::map<std::string, std::string, std::less<>>& LinkTable::table() {
  if (table_) return *table_;
  table_.emplace();
  const std::optional<std::string> path = resources_.pathForResource("links", "json");
  if (!path) return *table_;
  const platform::Result<std::vector<uint8_t>> bytes = fileSystem_.readFile(*path);
  if (!bytes) return *table_;
  const nlohmann::json root = nlohmann::json::parse(bytes.value(), nullptr, /*allow_exceptions=*/false);
  if (!root.is_object()) return *table_;
  for (const auto& [key, value] : root.items()) {
    if (value.is_string()) table_->emplace(key, value.get<std::string>());
  }
  return *table_;
}

std::optional<std::string> LinkTable::url(LinkId link) {
  if (link == LinkId::inputSettings) return inputSettingsUrl_;
  const auto& links = table();
  auto it = links.find(rawValue(link));
  if (it == links.end()) return std::nullopt;
  const std::string& value = it->second;
  if (!parsesAsUrl(value) || scheme(value) != "https") return std::nullopt;
  return value;
}

Updater::Updater(platform::Application& application, platform::Workspace& workspace,
                 std::optional<std::string> applicationId)
    : application_(application), workspace_(workspace), applicationId_(std::move(applicationId)) {}

void Updater::ensureUpdaterController() {
  if (controller_) return;
  UpdaterController controller;
  if (applicationId_ && !applicationId_->empty()) controller.storeUrl = "appstream://" + *applicationId_;
  controller_ = std::move(controller);
}

void Updater::checkForUpdates() {
  ensureUpdaterController();
  application_.activateIgnoringOtherApps();
  if (controller_->storeUrl && !workspace_.openUrl(*controller_->storeUrl)) {
    logError("update: no program opens " + *controller_->storeUrl);
  }
}

}  // namespace brindlow
