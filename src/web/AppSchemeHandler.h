#pragma once
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "platform/SchemeHandler.h"

namespace brindlow {

namespace platform {
class MainLoop;
}

// Serves the files of the bundle's "web" folder for "brindlow://app/...". Every task is answered
// completely inside start(); every failure is a 404 with an empty body, never an error.
class AppSchemeHandler : public platform::SchemeHandler {
 public:
  // `resourceDirectory` is the folder that holds "web"; without one every request is a 404.
  AppSchemeHandler(const platform::MainLoop& loop, const std::optional<std::string>& resourceDirectory);

  void start(platform::SchemeTask& task) override;
  void stop(platform::SchemeTask& task) override;

  // The file under the web folder for a decoded request path, or absent when it would leave the folder.
  std::optional<std::filesystem::path> resolve(std::string_view requestPath) const;
  // The Content-Type for a file extension (without the dot), in any letter case.
  static std::string_view mimeType(std::string_view extension);

  const std::optional<std::filesystem::path>& root() const { return root_; }

 private:
  const platform::MainLoop& loop_;
  std::optional<std::filesystem::path> root_;
};

}  // namespace brindlow
