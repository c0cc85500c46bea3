#include "platform/linux/LinuxWebEngine.h"

#include "platform/linux/LinuxWebView.h"

namespace brindlow::lnx {

LinuxWebEngine::LinuxWebEngine() : context_(webkit_web_context_new_ephemeral()) {}

std::shared_ptr<platform::WebViewConfig> LinuxWebEngine::makeConfiguration() {
  return std::make_shared<LinuxWebViewConfig>(context_.get());
}

std::unique_ptr<platform::WebView> LinuxWebEngine::createWebView(std::shared_ptr<platform::WebViewConfig> config) {
  auto own = std::dynamic_pointer_cast<LinuxWebViewConfig>(std::move(config));
  if (!own) return nullptr;
  return std::make_unique<LinuxWebView>(std::move(own));
}

}  // namespace brindlow::lnx
