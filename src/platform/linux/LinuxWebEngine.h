#pragma once
#include <memory>

#include <webkit2/webkit2.h>

#include "platform/WebEngine.h"
#include "platform/linux/LinuxWebViewConfig.h"

namespace brindlow::lnx {

// One ephemeral WebKitWebContext (nothing is kept on disk, the web processes have a memory limit)
// shared by every view it creates.
// Built after gtk_init; it creates no JavaScript context of its own, which would keep the first
// web view from ever loading.
class LinuxWebEngine final : public platform::WebEngine {
 public:
  LinuxWebEngine();
  ~LinuxWebEngine() override = default;

  std::shared_ptr<platform::WebViewConfig> makeConfiguration() override;
  // Null for a configuration this engine did not make.
  std::unique_ptr<platform::WebView> createWebView(std::shared_ptr<platform::WebViewConfig> config) override;

 private:
  web::ObjectPtr<WebKitWebContext> context_;
};

}  // namespace brindlow::lnx
