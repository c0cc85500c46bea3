#include "platform/fake/FakeSchemeTask.h"

namespace brindlow::fake {

std::optional<std::string> SchemeResponse::header(std::string_view name) const {
  for (const auto& [key, value] : headers) {
    if (key == name) return value;
  }
  return std::nullopt;
}

void FakeSchemeTask::respond(int status, platform::HttpHeaders headers, std::vector<uint8_t> body) {
  if (respondCount_++ == 0) response_ = SchemeResponse{status, std::move(headers), std::move(body)};
}

SchemeResponse FakeSchemeTask::fetch(platform::SchemeHandler& handler, std::optional<std::string> url,
                                     int* respondCount) {
  FakeSchemeTask task(std::move(url));
  handler.start(task);
  if (respondCount) *respondCount = task.respondCount();
  return task.response().value_or(SchemeResponse{});
}

}  // namespace brindlow::fake
