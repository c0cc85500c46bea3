#pragma once
#include <memory>
#include <vector>

#include "platform/WebEngine.h"

namespace brindlow::fake {

class FakeWebView;
class FakeWebViewConfig;

// Hands out fake configurations and web views and keeps track of them. It must outlive every
// web view it made.
class FakeWebEngine : public platform::WebEngine {
 public:
  FakeWebEngine() = default;
  FakeWebEngine(const FakeWebEngine&) = delete;
  FakeWebEngine& operator=(const FakeWebEngine&) = delete;

  std::shared_ptr<platform::WebViewConfig> makeConfiguration() override;
  std::unique_ptr<platform::WebView> createWebView(std::shared_ptr<platform::WebViewConfig> config) override;

  // Inspection: configurations made, live web views in creation order.
  const std::vector<std::shared_ptr<FakeWebViewConfig>>& configs() const { return configs_; }
  const std::vector<FakeWebView*>& webViews() const { return webViews_; }
  FakeWebView* webView() const { return webViews_.empty() ? nullptr : webViews_.back(); }
  int webViewsCreated() const { return webViewsCreated_; }

  void forget(FakeWebView* view);

 private:
  std::vector<std::shared_ptr<FakeWebViewConfig>> configs_;
  std::vector<FakeWebView*> webViews_;
  int webViewsCreated_ = 0;
};

}  // namespace brindlow::fake
