#pragma once
#include <memory>

#include "platform/WebView.h"
#include "platform/WebViewConfig.h"

namespace brindlow::platform {

class WebEngine {
 public:
  virtual ~WebEngine() = default;
  [[nodiscard]] virtual std::shared_ptr<WebViewConfig> makeConfiguration() = 0;
  // A transparent web view with no context menu, using `config`.
  [[nodiscard]] virtual std::unique_ptr<WebView> createWebView(std::shared_ptr<WebViewConfig> config) = 0;
};

}  // namespace brindlow::platform
