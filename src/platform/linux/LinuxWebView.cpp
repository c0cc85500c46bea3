#include "platform/linux/LinuxWebView.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <string>
#include <utility>

#include "platform/linux/LinuxWebViewWidget.h"

namespace brindlow::lnx {
namespace {

bool isIdentifier(std::string_view name) {
  if (name.empty()) return false;
  for (size_t i = 0; i < name.size(); ++i) {
    const char c = name[i];
    const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == '$';
    if (!letter && !(i > 0 && c >= '0' && c <= '9')) return false;
  }
  return true;
}

struct ScriptCall {
  std::function<void(bool ok)> done;
};

void finishScript(GObject* source, GAsyncResult* result, gpointer data) {
  std::unique_ptr<ScriptCall> call(static_cast<ScriptCall*>(data));
  GError* error = nullptr;
  JSCValue* value = webkit_web_view_call_async_javascript_function_finish(WEBKIT_WEB_VIEW(source), result, &error);
  const bool ok = value != nullptr;
  if (value) g_object_unref(value);
  if (error) g_error_free(error);
  try {
    if (call->done) call->done(ok);
  } catch (const std::exception&) {
    // Nothing may unwind into GLib.
  }
}

gboolean runDone(gpointer data) {
  std::unique_ptr<ScriptCall> call(static_cast<ScriptCall*>(data));
  try {
    if (call->done) call->done(false);
  } catch (const std::exception&) {
  }
  return G_SOURCE_REMOVE;
}

}  // namespace

GtkWidget* webViewWidget(platform::WebView& view) {
  auto* own = dynamic_cast<LinuxWebView*>(&view);
  return own ? own->widget() : nullptr;
}

LinuxWebView::LinuxWebView(std::shared_ptr<LinuxWebViewConfig> config)
    : config_(std::move(config)), cancellable_(g_cancellable_new()) {
  web::ObjectPtr<WebKitWebsitePolicies> policies = config_->makeWebsitePolicies();
  view_ = WEBKIT_WEB_VIEW(g_object_new(WEBKIT_TYPE_WEB_VIEW, "web-context", config_->context(), "user-content-manager",
                                       config_->contentManager(), "settings", config_->settings(),
                                       "website-policies", policies.get(), nullptr));
  g_object_ref_sink(view_);
  const GdkRGBA clear{0, 0, 0, 0};
  webkit_web_view_set_background_color(view_, &clear);
  g_signal_connect(view_, "decide-policy", G_CALLBACK(onDecidePolicy), this);
  g_signal_connect(view_, "load-changed", G_CALLBACK(onLoadChanged), this);
  g_signal_connect(view_, "web-process-terminated", G_CALLBACK(onWebProcessTerminated), this);
  g_signal_connect(view_, "context-menu", G_CALLBACK(onContextMenu), this);
  config_->attachView(view_);
}

LinuxWebView::~LinuxWebView() {
  cancelLoadTimeout();
  g_cancellable_cancel(cancellable_.get());  // pending scripts end with done(false), later
  g_signal_handlers_disconnect_by_data(view_, this);
  gtk_widget_destroy(GTK_WIDGET(view_));  // leaves its holder
  g_object_unref(view_);
}

void LinuxWebView::loadUrl(std::string_view url, platform::Seconds timeout) {
  cancelLoadTimeout();
  WebKitURIRequest* request = webkit_uri_request_new(std::string(url).c_str());
  webkit_web_view_load_request(view_, request);
  g_object_unref(request);
  if (timeout > 0 && std::isfinite(timeout)) {
    const double ms = std::min(timeout * 1000.0, 4.0e9);
    loadTimeout_ = g_timeout_add(static_cast<guint>(std::ceil(ms)), onLoadTimeout, this);
  }
}

void LinuxWebView::stopLoading() {
  cancelLoadTimeout();
  webkit_web_view_stop_loading(view_);
}

void LinuxWebView::cancelLoadTimeout() {
  if (loadTimeout_) g_source_remove(loadTimeout_);
  loadTimeout_ = 0;
}

gboolean LinuxWebView::onLoadTimeout(gpointer data) {
  auto* self = static_cast<LinuxWebView*>(data);
  self->loadTimeout_ = 0;
  webkit_web_view_stop_loading(self->view_);
  return G_SOURCE_REMOVE;
}

void LinuxWebView::callAsyncFunction(std::string_view body, std::map<std::string, nlohmann::json> arguments,
                                     std::function<void(bool ok)> done) {
  auto call = std::make_unique<ScriptCall>(ScriptCall{std::move(done)});
  std::string prologue;
  GVariantBuilder builder;
  g_variant_builder_init(&builder, G_VARIANT_TYPE_VARDICT);
  bool valid = true;
  for (const auto& [name, value] : arguments) {
    if (!isIdentifier(name)) {
      valid = false;
      break;
    }
    const std::string text = value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    g_variant_builder_add(&builder, "{sv}", (name + "_json").c_str(), g_variant_new_string(text.c_str()));
    prologue += "const " + name + " = JSON.parse(" + name + "_json);\n";
  }
  GVariant* args = g_variant_builder_end(&builder);
  if (!valid) {
    g_variant_unref(g_variant_ref_sink(args));
    g_idle_add(runDone, call.release());  // never inline
    return;
  }
  const std::string script = prologue + std::string(body);
  // No world: the page's own, where window.brindlow lives. The main frame runs it.
  webkit_web_view_call_async_javascript_function(view_, script.c_str(), static_cast<gssize>(script.size()), args,
                                                 nullptr, nullptr, cancellable_.get(), finishScript, call.release());
}

void LinuxWebView::setNavigationHandlers(std::optional<platform::NavigationHandlers> handlers) {
  handlers_ = std::move(handlers);
}

gboolean LinuxWebView::onDecidePolicy(WebKitWebView*, WebKitPolicyDecision* decision, WebKitPolicyDecisionType type,
                                      gpointer data) {
  auto* self = static_cast<LinuxWebView*>(data);
  try {
    switch (type) {
      case WEBKIT_POLICY_DECISION_TYPE_RESPONSE:
        // No subframe gets a document of its own: a second wall behind the frame guard.
        if (!webkit_response_policy_decision_is_main_frame_main_resource(
                WEBKIT_RESPONSE_POLICY_DECISION(decision))) {
          webkit_policy_decision_ignore(decision);
          return TRUE;
        }
        return FALSE;
      case WEBKIT_POLICY_DECISION_TYPE_NEW_WINDOW_ACTION:
        webkit_policy_decision_ignore(decision);
        return TRUE;
      case WEBKIT_POLICY_DECISION_TYPE_NAVIGATION_ACTION: {
        if (!self->handlers_ || !self->handlers_->decidePolicy) return FALSE;
        WebKitNavigationAction* action =
            webkit_navigation_policy_decision_get_navigation_action(WEBKIT_NAVIGATION_POLICY_DECISION(decision));
        WebKitURIRequest* request = webkit_navigation_action_get_request(action);
        const char* uri = request ? webkit_uri_request_get_uri(request) : nullptr;
        std::optional<std::string> url;
        if (uri) url = std::string(uri);
        auto decide = self->handlers_->decidePolicy;
        if (decide(url))
          webkit_policy_decision_use(decision);
        else
          webkit_policy_decision_ignore(decision);
        return TRUE;
      }
    }
  } catch (const std::exception&) {
    webkit_policy_decision_ignore(decision);
    return TRUE;
  }
  return FALSE;
}

void LinuxWebView::onLoadChanged(WebKitWebView*, WebKitLoadEvent event, gpointer data) {
  auto* self = static_cast<LinuxWebView*>(data);
  if (event != WEBKIT_LOAD_COMMITTED) return;
  self->cancelLoadTimeout();
  if (!self->handlers_ || !self->handlers_->didCommit) return;
  try {
    auto commit = self->handlers_->didCommit;
    commit();
  } catch (const std::exception&) {
  }
}

void LinuxWebView::onWebProcessTerminated(WebKitWebView*, WebKitWebProcessTerminationReason, gpointer data) {
  auto* self = static_cast<LinuxWebView*>(data);
  self->cancelLoadTimeout();
  if (!self->handlers_ || !self->handlers_->contentProcessDidTerminate) return;
  try {
    auto terminated = self->handlers_->contentProcessDidTerminate;
    terminated();
  } catch (const std::exception&) {
  }
}

gboolean LinuxWebView::onContextMenu(WebKitWebView*, WebKitContextMenu*, GdkEvent*, WebKitHitTestResult*, gpointer) {
  return TRUE;  // no menu at all
}

}  // namespace brindlow::lnx
