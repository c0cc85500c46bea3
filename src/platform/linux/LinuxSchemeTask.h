#pragma once
#include <optional>
#include <string>

#include <webkit2/webkit2.h>

#include "platform/SchemeHandler.h"

namespace brindlow::lnx {

// One request for a private-scheme URL. A request the handler leaves unanswered is failed when the
// task goes, so the page never waits on it.
class LinuxSchemeTask final : public platform::SchemeTask {
 public:
  explicit LinuxSchemeTask(WebKitURISchemeRequest* request);
  ~LinuxSchemeTask() override;
  LinuxSchemeTask(const LinuxSchemeTask&) = delete;
  LinuxSchemeTask& operator=(const LinuxSchemeTask&) = delete;

  std::optional<std::string> requestUrl() const override;
  void respond(int status, platform::HttpHeaders headers, std::vector<uint8_t> body) override;
  bool responded() const { return request_ == nullptr; }

 private:
  WebKitURISchemeRequest* request_;
};

}  // namespace brindlow::lnx
