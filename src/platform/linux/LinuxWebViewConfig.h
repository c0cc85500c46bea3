#pragma once
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include <webkit2/webkit2.h>

#include "platform/WebViewConfig.h"
#include "platform/linux/LinuxFrameGuard.h"

namespace brindlow::lnx {

namespace web {
struct Unref {
  void operator()(gpointer object) const {
    if (object) g_object_unref(object);
  }
};
// Owns one reference to a GObject.
template <class T>
using ObjectPtr = std::unique_ptr<T, Unref>;
}  // namespace web

// The user content manager with the channels, the settings and the private schemes a web view is
// built with. Frame facts: the UI-process signals say nothing about the sending frame. In the page's
// process the frame guard closes the channels of every frame but the main one, whatever kind of frame
// it is (see LinuxFrameGuard), and the web view refuses every subframe document besides; so while the
// guard runs, a message comes from the main frame, whose scheme and host are read from the view's
// address. Until the guard has said it runs, no message counts as the main frame's. A script in a
// subframe of the page's own origin can still call the main frame's own handlers through `parent`:
// that is the main frame's channel, as on any engine.
class LinuxWebViewConfig final : public platform::WebViewConfig {
 public:
  explicit LinuxWebViewConfig(WebKitWebContext* context);
  ~LinuxWebViewConfig() override;
  LinuxWebViewConfig(const LinuxWebViewConfig&) = delete;
  LinuxWebViewConfig& operator=(const LinuxWebViewConfig&) = delete;

  bool addMessageHandler(std::string name, std::function<void(const platform::ScriptMessage&)> handler) override;
  bool addReplyHandler(std::string name,
                       std::function<void(const platform::ScriptMessage&, std::shared_ptr<platform::ScriptReply>)>
                           handler) override;
  void removeMessageHandler(std::string_view name) override;
  void removeReplyHandler(std::string_view name) override;
  void removeAllUserScripts() override;
  void setSchemeHandler(std::string scheme, std::shared_ptr<platform::SchemeHandler> handler) override;
  // The engine's context is always ephemeral: nothing is ever stored on disk.
  void setNonPersistentDataStore() override {}
  void setMediaPlaybackRequiresUserAction(bool required) override;
  void setElementFullscreenEnabled(bool enabled) override;
  void setJavaScriptCanOpenWindowsAutomatically(bool can) override;

  WebKitWebContext* context() const { return context_.get(); }
  WebKitUserContentManager* contentManager() const { return contentManager_.get(); }
  WebKitSettings* settings() const { return settings_.get(); }
  // Autoplay follows the media setting; a web view takes its policies when it is built.
  web::ObjectPtr<WebKitWebsitePolicies> makeWebsitePolicies() const;
  // The view whose main frame the channels hear.
  void attachView(WebKitWebView* view);
  std::shared_ptr<platform::SchemeHandler> schemeHandler(std::string_view scheme) const;

 private:
  struct Channel {
    LinuxWebViewConfig* owner = nullptr;
    std::string name;
    bool withReply = false;
    gulong signal = 0;
    std::function<void(const platform::ScriptMessage&)> message;
    std::function<void(const platform::ScriptMessage&, std::shared_ptr<platform::ScriptReply>)> reply;
  };
  static void onMessage(WebKitUserContentManager* manager, WebKitJavascriptResult* result, gpointer data);
  static gboolean onMessageWithReply(WebKitUserContentManager* manager, JSCValue* value,
                                     WebKitScriptMessageReply* reply, gpointer data);
  static void onSchemeRequest(WebKitURISchemeRequest* request, gpointer data);
  platform::ScriptMessage message(JSCValue* value) const;
  void holdContext(JSCValue* value);
  void remove(std::string_view name, bool withReply);

  web::ObjectPtr<WebKitWebContext> context_;
  web::ObjectPtr<WebKitUserContentManager> contentManager_;
  web::ObjectPtr<WebKitSettings> settings_;
  bool mediaNeedsUserAction_ = true;
  gpointer view_ = nullptr;  // weak: cleared by GObject when the view goes
  std::map<std::string, std::unique_ptr<Channel>, std::less<>> channels_;
  std::map<std::string, std::shared_ptr<platform::SchemeHandler>, std::less<>> schemeHandlers_;
  LinuxFrameGuard frameGuard_;
  // WebKit gives every message a new wrapper of its one script context once nothing holds the last
  // wrapper; holding it spares a walking pet that work on each step.
  web::ObjectPtr<JSCContext> messageContext_;
};

}  // namespace brindlow::lnx
