// The web-process side of the page's channels. WebKit gives every frame the page's message handlers,
// and the program cannot tell which frame posted. This module, loaded into each web process, closes
// them in every frame but the main one before that frame's scripts run: whatever the frame is (no
// source, about:blank, written by script, another origin), its window.webkit holds handlers that drop
// posts and reject requests with Error("origin"). It tells the view that it runs, so the program
// trusts the main frame only while the guard is in place.
#include <webkit2/webkit-web-extension.h>

#include "platform/linux/webext/FrameGuardProtocol.h"

namespace {

namespace frameguard = brindlow::lnx::frameguard;

// Run in the frame's own global with the two name lists. window.webkit itself cannot be replaced (a
// fixed, read-only property), but the namespace it holds is the frame's own: its messageHandlers
// getter, which lives on the namespace's prototype, goes, and stand-ins take its place on the
// namespace, which is then frozen. True when the frame sees only the stand-ins.
constexpr const char* kCloseScript = R"JS((function (posts, calls) {
  "use strict";
  const reject = Promise.reject.bind(Promise);
  const OriginError = Error;
  const handlers = Object.create(null);
  for (const name of posts) handlers[name] = Object.freeze({ postMessage() {} });
  for (const name of calls)
    handlers[name] = Object.freeze({ postMessage() { return reject(new OriginError("origin")); } });
  Object.freeze(handlers);
  const namespace = globalThis.webkit;
  if (namespace === undefined) return true;  // no handlers to reach
  if (namespace === null || typeof namespace !== "object") return false;
  for (let o = namespace; o; o = Object.getPrototypeOf(o))
    if (Object.prototype.hasOwnProperty.call(o, "messageHandlers") && !delete o.messageHandlers) return false;
  Object.defineProperty(namespace, "messageHandlers", { value: handlers, writable: false, enumerable: true, configurable: false });
  Object.freeze(namespace);
  return globalThis.webkit === namespace && namespace.messageHandlers === handlers;
}))JS";

// Lives as long as the web process.
struct Guard {
  GStrv posts = nullptr;
  GStrv calls = nullptr;
};

void report(WebKitWebPage* page, bool closed) {
  // The message is floating: sending consumes it.
  webkit_web_page_send_message_to_view(
      page, webkit_user_message_new(frameguard::kStateMessage, g_variant_new("(b)", closed)), nullptr, nullptr,
      nullptr);
}

bool closeChannels(const Guard& guard, WebKitFrame* frame, WebKitScriptWorld* world) {
  JSCContext* context = webkit_frame_get_js_context_for_script_world(frame, world);
  if (!context) return false;
  bool closed = false;
  JSCValue* close = jsc_context_evaluate(context, kCloseScript, -1);
  if (close && jsc_value_is_function(close)) {
    JSCValue* posts = jsc_value_new_array_from_strv(context, guard.posts);
    JSCValue* calls = jsc_value_new_array_from_strv(context, guard.calls);
    JSCValue* result = jsc_value_function_call(close, JSC_TYPE_VALUE, posts, JSC_TYPE_VALUE, calls, G_TYPE_NONE);
    closed = result && jsc_value_is_boolean(result) && jsc_value_to_boolean(result) &&
             !jsc_context_get_exception(context);
    if (result) g_object_unref(result);
    g_object_unref(calls);
    g_object_unref(posts);
  }
  if (close) g_object_unref(close);
  jsc_context_clear_exception(context);
  g_object_unref(context);
  return closed;
}

void onWindowObjectCleared(WebKitScriptWorld* world, WebKitWebPage* page, WebKitFrame* frame, gpointer data) {
  if (webkit_frame_is_main_frame(frame)) return;
  if (!closeChannels(*static_cast<const Guard*>(data), frame, world)) {
    g_warning("brindlow frame guard: the channels of a frame at %s stay open", webkit_frame_get_uri(frame));
    report(page, false);
  }
}

void onPageCreated(WebKitWebExtension*, WebKitWebPage* page, gpointer) { report(page, true); }

GStrv namesAt(GVariant* tuple, gsize index) {
  GVariant* names = g_variant_get_child_value(tuple, index);
  GStrv copy = g_variant_dup_strv(names, nullptr);
  g_variant_unref(names);
  return copy;
}

}  // namespace

extern "C" G_MODULE_EXPORT void webkit_web_extension_initialize_with_user_data(WebKitWebExtension* extension,
                                                                               const GVariant* data) {
  auto* guard = new Guard;  // kept for the life of the process
  auto* channels = const_cast<GVariant*>(data);
  if (channels && g_variant_is_of_type(channels, G_VARIANT_TYPE(frameguard::kChannelsType))) {
    guard->posts = namesAt(channels, 0);
    guard->calls = namesAt(channels, 1);
  } else {
    // Without names every subframe still loses the real handlers; it just gets none in their place.
    guard->posts = g_new0(gchar*, 1);
    guard->calls = g_new0(gchar*, 1);
  }
  g_signal_connect(webkit_script_world_get_default(), "window-object-cleared", G_CALLBACK(onWindowObjectCleared),
                   guard);
  g_signal_connect(extension, "page-created", G_CALLBACK(onPageCreated), nullptr);
}
