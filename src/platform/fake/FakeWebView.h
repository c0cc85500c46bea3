#pragma once
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/WebView.h"
#include "platform/WebViewConfig.h"

namespace brindlow::fake {

class FakeWebEngine;

// A web view that loads nothing. It records loads, stops and script calls; navigation events and
// script completions reach the core only through the drivers.
class FakeWebView : public platform::WebView {
 public:
  struct Load {
    std::string url;
    platform::Seconds timeout;
    bool operator==(const Load&) const = default;
  };
  struct ScriptCall {
    std::string body;
    std::map<std::string, nlohmann::json> arguments;
    std::function<void(bool ok)> done;
    bool completed = false;
  };

  FakeWebView(FakeWebEngine* engine, std::shared_ptr<platform::WebViewConfig> config);
  ~FakeWebView() override;
  FakeWebView(const FakeWebView&) = delete;
  FakeWebView& operator=(const FakeWebView&) = delete;

  void loadUrl(std::string_view url, platform::Seconds timeout) override;
  void stopLoading() override { ++stopLoadingCount_; }
  void callAsyncFunction(std::string_view body, std::map<std::string, nlohmann::json> arguments,
                         std::function<void(bool ok)> done) override;
  void setNavigationHandlers(std::optional<platform::NavigationHandlers> handlers) override;

  // Drivers. Each is a no-op (decide gives nullopt) while no handlers are set.
  // The engine asks whether to follow a navigation to `url`; gives the answer.
  std::optional<bool> decide(const std::optional<std::string>& url);
  void commit();
  void terminateWebProcess();
  // Settles the script call at `index` (once; later calls are ignored).
  void completeScript(std::size_t index, bool ok);

  // Inspection.
  const std::shared_ptr<platform::WebViewConfig>& config() const { return config_; }
  const std::vector<Load>& loads() const { return loads_; }
  int stopLoadingCount() const { return stopLoadingCount_; }
  const std::vector<ScriptCall>& scriptCalls() const { return scriptCalls_; }
  bool hasNavigationHandlers() const { return handlers_.has_value(); }
  int navigationHandlersSet() const { return handlersSet_; }

 private:
  FakeWebEngine* engine_;
  std::shared_ptr<platform::WebViewConfig> config_;
  std::vector<Load> loads_;
  int stopLoadingCount_ = 0;
  std::vector<ScriptCall> scriptCalls_;
  std::optional<platform::NavigationHandlers> handlers_;
  int handlersSet_ = 0;
};

}  // namespace brindlow::fake
