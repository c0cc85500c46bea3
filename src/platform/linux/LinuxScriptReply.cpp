#include "platform/linux/LinuxScriptReply.h"

#include <string>

namespace brindlow::lnx {

LinuxScriptReply::LinuxScriptReply(WebKitScriptMessageReply* reply, JSCValue* value)
    : reply_(webkit_script_message_reply_ref(reply)), value_(JSC_VALUE(g_object_ref(value))) {}

LinuxScriptReply::~LinuxScriptReply() { release(); }

void LinuxScriptReply::release() {
  if (reply_) webkit_script_message_reply_unref(reply_);
  if (value_) g_object_unref(value_);
  reply_ = nullptr;
  value_ = nullptr;
}

void LinuxScriptReply::replyValue(const nlohmann::json& value) {
  if (!reply_) return;
  const std::string text = value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
  // A context made here before the first web view would stop it loading; the posted value's
  // context is the page's own.
  JSCValue* answer = jsc_value_new_from_json(jsc_value_get_context(value_), text.c_str());
  webkit_script_message_reply_return_value(reply_, answer);
  g_object_unref(answer);
  release();
}

void LinuxScriptReply::replyError(std::string_view code) {
  if (!reply_) return;
  webkit_script_message_reply_return_error_message(reply_, std::string(code).c_str());
  release();
}

}  // namespace brindlow::lnx
