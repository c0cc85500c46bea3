#include "platform/linux/LinuxWebViewConfig.h"

#include <exception>
#include <utility>

#include "platform/linux/LinuxSchemeTask.h"
#include "platform/linux/LinuxScriptReply.h"

namespace brindlow::lnx {
namespace {

// Marks a content manager with the config that owns it, so a scheme request finds its handler
// through the web view that made it.
constexpr const char* kConfigKey = "brindlow-web-view-config";

std::string schemeKey(std::string_view scheme) { return "brindlow-scheme-" + std::string(scheme); }

// The posted value as JSON text; empty for a value that has none (undefined, a function).
std::string bodyText(JSCValue* value) {
  char* text = value ? jsc_value_to_json(value, 0) : nullptr;
  if (!text) return {};
  std::string body(text);
  g_free(text);
  return body;
}

}  // namespace

LinuxWebViewConfig::LinuxWebViewConfig(WebKitWebContext* context)
    : context_(WEBKIT_WEB_CONTEXT(g_object_ref(context))),
      contentManager_(webkit_user_content_manager_new()),
      settings_(webkit_settings_new()),
      frameGuard_(context_.get(), [this] {
        LinuxFrameGuard::Channels names;
        for (const auto& [name, channel] : channels_) (channel->withReply ? names.calls : names.posts).push_back(name);
        return names;
      }) {
  g_object_set_data(G_OBJECT(contentManager_.get()), kConfigKey, this);
  // The page is one small pet: painted on the CPU its web process needs less than half the memory
  // of the GL compositor's, starts sooner, and a still pet costs less between its short moves.
  webkit_settings_set_hardware_acceleration_policy(settings_.get(), WEBKIT_HARDWARE_ACCELERATION_POLICY_NEVER);
}

LinuxWebViewConfig::~LinuxWebViewConfig() {
  // The content manager may outlive this object inside a web view: leave nothing pointing here.
  for (auto& [name, channel] : channels_) {
    g_signal_handler_disconnect(contentManager_.get(), channel->signal);
    webkit_user_content_manager_unregister_script_message_handler(contentManager_.get(), name.c_str());
  }
  g_object_set_data(G_OBJECT(contentManager_.get()), kConfigKey, nullptr);
  if (view_) g_object_remove_weak_pointer(G_OBJECT(view_), &view_);
}

bool LinuxWebViewConfig::addMessageHandler(std::string name,
                                           std::function<void(const platform::ScriptMessage&)> handler) {
  if (channels_.contains(name)) return false;
  if (!webkit_user_content_manager_register_script_message_handler(contentManager_.get(), name.c_str()))
    return false;
  auto channel = std::make_unique<Channel>();
  channel->owner = this;
  channel->name = name;
  channel->message = std::move(handler);
  const std::string signal = "script-message-received::" + name;
  channel->signal = g_signal_connect(contentManager_.get(), signal.c_str(), G_CALLBACK(onMessage), channel.get());
  channels_.emplace(std::move(name), std::move(channel));
  return true;
}

bool LinuxWebViewConfig::addReplyHandler(
    std::string name,
    std::function<void(const platform::ScriptMessage&, std::shared_ptr<platform::ScriptReply>)> handler) {
  if (channels_.contains(name)) return false;
  // No world: the page's own, where the page's scripts see window.webkit.messageHandlers.
  if (!webkit_user_content_manager_register_script_message_handler_with_reply(contentManager_.get(), name.c_str(),
                                                                              nullptr))
    return false;
  auto channel = std::make_unique<Channel>();
  channel->owner = this;
  channel->name = name;
  channel->withReply = true;
  channel->reply = std::move(handler);
  const std::string signal = "script-message-with-reply-received::" + name;
  channel->signal =
      g_signal_connect(contentManager_.get(), signal.c_str(), G_CALLBACK(onMessageWithReply), channel.get());
  channels_.emplace(std::move(name), std::move(channel));
  return true;
}

void LinuxWebViewConfig::remove(std::string_view name, bool withReply) {
  auto it = channels_.find(name);
  if (it == channels_.end() || it->second->withReply != withReply) return;
  // Unregistering leaves the signal connected.
  g_signal_handler_disconnect(contentManager_.get(), it->second->signal);
  webkit_user_content_manager_unregister_script_message_handler(contentManager_.get(), it->first.c_str());
  channels_.erase(it);
}

void LinuxWebViewConfig::removeMessageHandler(std::string_view name) { remove(name, false); }

void LinuxWebViewConfig::removeReplyHandler(std::string_view name) { remove(name, true); }

void LinuxWebViewConfig::removeAllUserScripts() {
  webkit_user_content_manager_remove_all_scripts(contentManager_.get());
}

void LinuxWebViewConfig::setSchemeHandler(std::string scheme, std::shared_ptr<platform::SchemeHandler> handler) {
  // A scheme is registered once per context; each request finds its own config's handler.
  const std::string key = schemeKey(scheme);
  if (!g_object_get_data(G_OBJECT(context_.get()), key.c_str())) {
    webkit_web_context_register_uri_scheme(context_.get(), scheme.c_str(), onSchemeRequest, nullptr, nullptr);
    g_object_set_data(G_OBJECT(context_.get()), key.c_str(), GINT_TO_POINTER(1));
  }
  schemeHandlers_[std::move(scheme)] = std::move(handler);
}

void LinuxWebViewConfig::setMediaPlaybackRequiresUserAction(bool required) {
  mediaNeedsUserAction_ = required;
  webkit_settings_set_media_playback_requires_user_gesture(settings_.get(), required);
}

void LinuxWebViewConfig::setElementFullscreenEnabled(bool enabled) {
  webkit_settings_set_enable_fullscreen(settings_.get(), enabled);
}

void LinuxWebViewConfig::setJavaScriptCanOpenWindowsAutomatically(bool can) {
  webkit_settings_set_javascript_can_open_windows_automatically(settings_.get(), can);
}

web::ObjectPtr<WebKitWebsitePolicies> LinuxWebViewConfig::makeWebsitePolicies() const {
  const WebKitAutoplayPolicy autoplay = mediaNeedsUserAction_ ? WEBKIT_AUTOPLAY_ALLOW_WITHOUT_SOUND : WEBKIT_AUTOPLAY_ALLOW;
  return web::ObjectPtr<WebKitWebsitePolicies>(webkit_website_policies_new_with_policies("autoplay", autoplay, nullptr));
}

void LinuxWebViewConfig::attachView(WebKitWebView* view) {
  if (view_) g_object_remove_weak_pointer(G_OBJECT(view_), &view_);
  view_ = view;
  if (view_) g_object_add_weak_pointer(G_OBJECT(view_), &view_);
  frameGuard_.watch(view);
}

std::shared_ptr<platform::SchemeHandler> LinuxWebViewConfig::schemeHandler(std::string_view scheme) const {
  auto it = schemeHandlers_.find(scheme);
  return it == schemeHandlers_.end() ? nullptr : it->second;
}

platform::ScriptMessage LinuxWebViewConfig::message(JSCValue* value) const {
  platform::ScriptMessage message;
  message.body = bodyText(value);
  // Every other frame's channels are closed while the guard runs, so the main frame sent this.
  if (view_ && frameGuard_.closesSubframes()) {
    message.frame.isMainFrame = true;
    const char* uri = webkit_web_view_get_uri(WEBKIT_WEB_VIEW(view_));
    if (GUri* url = uri ? g_uri_parse(uri, G_URI_FLAGS_NONE, nullptr) : nullptr) {
      message.frame.scheme = g_uri_get_scheme(url);
      const char* host = g_uri_get_host(url);
      message.frame.host = host ? host : "";
      g_uri_unref(url);
    }
  }
  return message;
}

void LinuxWebViewConfig::holdContext(JSCValue* value) {
  JSCContext* context = value ? jsc_value_get_context(value) : nullptr;
  if (context != nullptr && context != messageContext_.get()) messageContext_.reset(JSC_CONTEXT(g_object_ref(context)));
}

void LinuxWebViewConfig::onMessage(WebKitUserContentManager*, WebKitJavascriptResult* result, gpointer data) {
  auto* channel = static_cast<Channel*>(data);
  try {
    JSCValue* value = webkit_javascript_result_get_js_value(result);
    channel->owner->holdContext(value);
    const platform::ScriptMessage message = channel->owner->message(value);
    // Copied: the handler may remove its own channel.
    auto handler = channel->message;
    if (handler) handler(message);
  } catch (const std::exception&) {
    // Nothing may unwind into WebKit; the message is lost.
  }
}

gboolean LinuxWebViewConfig::onMessageWithReply(WebKitUserContentManager*, JSCValue* value,
                                                WebKitScriptMessageReply* reply, gpointer data) {
  auto* channel = static_cast<Channel*>(data);
  try {
    channel->owner->holdContext(value);
    auto answer = std::make_shared<LinuxScriptReply>(reply, value);
    const platform::ScriptMessage message = channel->owner->message(value);
    auto handler = channel->reply;
    if (handler) handler(message, std::move(answer));
  } catch (const std::exception&) {
    // Released unanswered: the page's promise resolves with undefined.
  }
  return TRUE;
}

void LinuxWebViewConfig::onSchemeRequest(WebKitURISchemeRequest* request, gpointer) {
  try {
    LinuxSchemeTask task(request);
    WebKitWebView* view = webkit_uri_scheme_request_get_web_view(request);
    auto* config = view ? static_cast<LinuxWebViewConfig*>(g_object_get_data(
                              G_OBJECT(webkit_web_view_get_user_content_manager(view)), kConfigKey))
                        : nullptr;
    auto handler = config ? config->schemeHandler(webkit_uri_scheme_request_get_scheme(request)) : nullptr;
    if (!handler) return;  // the task fails the request as it goes
    handler->start(task);
    // The task lives only through this call; an answer later is impossible, so it is failed now.
    if (!task.responded()) handler->stop(task);
  } catch (const std::exception&) {
    // The task has failed the request on unwinding.
  }
}

}  // namespace brindlow::lnx
