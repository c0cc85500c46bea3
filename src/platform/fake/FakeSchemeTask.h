#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/SchemeHandler.h"

namespace brindlow::fake {

// What a scheme handler answered for one task.
struct SchemeResponse {
  int status = 0;
  platform::HttpHeaders headers;  // in the order given
  std::vector<uint8_t> body;
  bool operator==(const SchemeResponse&) const = default;

  std::optional<std::string> header(std::string_view name) const;
  std::string bodyText() const { return std::string(body.begin(), body.end()); }
};

// One request. Records the answer and how many times respond() was called (a handler must answer once).
class FakeSchemeTask : public platform::SchemeTask {
 public:
  explicit FakeSchemeTask(std::optional<std::string> url) : url_(std::move(url)) {}

  std::optional<std::string> requestUrl() const override { return url_; }
  void respond(int status, platform::HttpHeaders headers, std::vector<uint8_t> body) override;

  // The first answer; later ones are only counted.
  const std::optional<SchemeResponse>& response() const { return response_; }
  int respondCount() const { return respondCount_; }

  // Starts `handler` on a task for `url` and returns the answer (status 0 when there was none).
  // `respondCount` receives the number of respond() calls when given.
  static SchemeResponse fetch(platform::SchemeHandler& handler, std::optional<std::string> url,
                              int* respondCount = nullptr);

 private:
  std::optional<std::string> url_;
  std::optional<SchemeResponse> response_;
  int respondCount_ = 0;
};

}  // namespace brindlow::fake
