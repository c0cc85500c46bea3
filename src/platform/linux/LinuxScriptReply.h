#pragma once
#include <string_view>

#include <webkit2/webkit2.h>

#include "platform/ScriptMessage.h"

namespace brindlow::lnx {

// The answer to one request on a reply channel. It keeps the engine's reply and the posted value
// (whose context builds the answer) referenced until it answers or is released; released
// unanswered, the page's promise resolves with undefined.
class LinuxScriptReply final : public platform::ScriptReply {
 public:
  LinuxScriptReply(WebKitScriptMessageReply* reply, JSCValue* value);
  ~LinuxScriptReply() override;
  LinuxScriptReply(const LinuxScriptReply&) = delete;
  LinuxScriptReply& operator=(const LinuxScriptReply&) = delete;

  void replyValue(const nlohmann::json& value) override;
  void replyError(std::string_view code) override;

 private:
  void release();

  WebKitScriptMessageReply* reply_;
  JSCValue* value_;
};

}  // namespace brindlow::lnx
