#pragma once
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "platform/MainLoop.h"

namespace brindlow::platform {

struct NavigationHandlers {
  std::function<bool(const std::optional<std::string>& url)> decidePolicy;  // true = allow
  std::function<void()> didCommit;
  std::function<void()> contentProcessDidTerminate;
};

class WebView {
 public:
  virtual ~WebView() = default;
  virtual void loadUrl(std::string_view url, Seconds timeout) = 0;
  virtual void stopLoading() = 0;
  // Runs `body` as an async function in the page world of the main frame, with `arguments` as
  // its named parameters; `done` arrives later with whether the promise resolved. An engine that
  // takes only text arguments passes each value as JSON text and parses it back into the same
  // name before `body` runs, so the page sees the values themselves.
  virtual void callAsyncFunction(std::string_view body, std::map<std::string, nlohmann::json> arguments,
                                 std::function<void(bool ok)> done) = 0;
  virtual void setNavigationHandlers(std::optional<NavigationHandlers> handlers) = 0;
};

}  // namespace brindlow::platform
