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
  // its named parameters; `done` arrives later with whether the promise resolved.
  virtual void callAsyncFunction(std::string_view body, std::map<std::string, nlohmann::json> arguments,
                                 std::function<void(bool ok)> done) = 0;
  virtual void setNavigationHandlers(std::optional<NavigationHandlers> handlers) = 0;
};

}  // namespace brindlow::platform
