#include "platform/fake/FakeWebEngine.h"

#include <algorithm>

#include "platform/fake/FakeWebView.h"
#include "platform/fake/FakeWebViewConfig.h"

namespace brindlow::fake {

std::shared_ptr<platform::WebViewConfig> FakeWebEngine::makeConfiguration() {
  auto config = std::make_shared<FakeWebViewConfig>();
  configs_.push_back(config);
  return config;
}

std::unique_ptr<platform::WebView> FakeWebEngine::createWebView(std::shared_ptr<platform::WebViewConfig> config) {
  auto view = std::make_unique<FakeWebView>(this, std::move(config));
  webViews_.push_back(view.get());
  ++webViewsCreated_;
  return view;
}

void FakeWebEngine::forget(FakeWebView* view) { std::erase(webViews_, view); }

}  // namespace brindlow::fake
