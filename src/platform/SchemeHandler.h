#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace brindlow::platform {

using HttpHeaders = std::vector<std::pair<std::string, std::string>>;

// One request for a URL of a private scheme.
class SchemeTask {
 public:
  virtual ~SchemeTask() = default;
  virtual std::optional<std::string> requestUrl() const = 0;
  // The whole response: status, headers and body, at most once.
  virtual void respond(int status, HttpHeaders headers, std::vector<uint8_t> body) = 0;
};

class SchemeHandler {
 public:
  virtual ~SchemeHandler() = default;
  virtual void start(SchemeTask& task) = 0;
  virtual void stop(SchemeTask& task) = 0;
};

}  // namespace brindlow::platform
