#pragma once
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "model/Lang.h"
#include "model/LinkId.h"

namespace brindlow {

namespace platform {
class Application;
class FileSystem;
class Locale;
class Resources;
class Workspace;
}  // namespace platform

// The start page of the pet window.
inline constexpr std::string_view appURL = "brindlow://app/index.html";

// The first preferred language whose primary subtag is one of ours; "en" otherwise. Only "-" separates
// subtags, so "en_US" is no match. The list is read at each call.
Lang detectLang(const platform::Locale& locale);

// The installed version and build texts; "0" when the info value is absent or not a text.
std::string appVersion(const platform::Resources& resources);
std::string appBuild(const platform::Resources& resources);

// The outside links the page may open. The "links" resource is read on first use and never again,
// so a missing or unreadable file leaves the table empty for the life of this object.
class LinkTable {
 public:
  LinkTable(const platform::Resources& resources, platform::FileSystem& fileSystem,
            std::optional<std::string> inputSettingsUrl);

  // An https address for support, privacy and terms (scheme compared exactly); the input-monitoring
  // settings address for inputSettings; nothing otherwise.
  std::optional<std::string> url(LinkId link);

 private:
  const std::map<std::string, std::string, std::less<>>& table();

  const platform::Resources& resources_;
  platform::FileSystem& fileSystem_;
  std::optional<std::string> inputSettingsUrl_;
  std::optional<std::map<std::string, std::string, std::less<>>> table_;
};

// Linux has no in-app update framework: updates come through the software centre, so the updater
// controller is the hand-off to it ("appstream://<application id>").
class Updater {
 public:
  Updater(platform::Application& application, platform::Workspace& workspace,
          std::optional<std::string> applicationId);

  // The single place the controller is created; later calls do nothing.
  void ensureUpdaterController();
  // The menu's update check: brings the application forward and opens the software centre on it; where
  // nothing handles the link, a log line says so.
  void checkForUpdates();

  bool hasController() const { return controller_.has_value(); }

 private:
  struct UpdaterController {
    std::optional<std::string> storeUrl;
  };

  platform::Application& application_;
  platform::Workspace& workspace_;
  std::optional<std::string> applicationId_;
  std::optional<UpdaterController> controller_;
};

}  // namespace brindlow
