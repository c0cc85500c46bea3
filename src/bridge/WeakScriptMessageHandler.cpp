#include "bridge/WeakScriptMessageHandler.h"

#include <cstdlib>
#include <utility>

#include "bridge/Bridge.h"
#include "platform/MainLoop.h"
#include "platform/MainThread.h"

namespace brindlow {

WeakScriptMessageHandler::WeakScriptMessageHandler(const platform::MainLoop& loop,
                                                   std::weak_ptr<ScriptMessageHandler> target)
    : loop_(&loop), target_(std::move(target)) {}

void WeakScriptMessageHandler::operator()(const platform::ScriptMessage& message) const {
  platform::assertMainThread(*loop_);
  if (auto target = target_.lock()) target->didReceiveScriptMessage(message);
}

WeakScriptMessageReplyHandler::WeakScriptMessageReplyHandler(const platform::MainLoop& loop,
                                                             std::weak_ptr<ScriptMessageReplyHandler> target)
    : loop_(&loop), target_(std::move(target)) {}

void WeakScriptMessageReplyHandler::operator()(const platform::ScriptMessage& message,
                                               std::shared_ptr<platform::ScriptReply> reply) const {
  platform::assertMainThread(*loop_);
  if (auto target = target_.lock()) {
    target->didReceiveScriptMessageWithReply(message, std::move(reply));
  } else if (reply) {
    reply->replyError(BridgeError::closed);
  }
}

}  // namespace brindlow
