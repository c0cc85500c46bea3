#pragma once
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/SchemeHandler.h"
#include "platform/ScriptMessage.h"

namespace brindlow::platform {

// The configuration a web view is created with: message channels, the private scheme, settings.
class WebViewConfig {
 public:
  virtual ~WebViewConfig() = default;
  virtual bool addMessageHandler(std::string name, std::function<void(const ScriptMessage&)> handler) = 0;
  virtual bool addReplyHandler(std::string name,
                               std::function<void(const ScriptMessage&, std::shared_ptr<ScriptReply>)> handler) = 0;
  virtual void removeMessageHandler(std::string_view name) = 0;
  virtual void removeReplyHandler(std::string_view name) = 0;
  virtual void removeAllUserScripts() = 0;
  virtual void setSchemeHandler(std::string scheme, std::shared_ptr<SchemeHandler> handler) = 0;
  virtual void setNonPersistentDataStore() = 0;
  virtual void setMediaPlaybackRequiresUserAction(bool required) = 0;
  virtual void setElementFullscreenEnabled(bool enabled) = 0;
  virtual void setJavaScriptCanOpenWindowsAutomatically(bool can) = 0;
};

}  // namespace brindlow::platform
