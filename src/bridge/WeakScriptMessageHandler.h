#pragma once
// The web view's configuration keeps its message handlers for as long as it lives; these forwarders
// let it do so without keeping the bridge alive.
#include <memory>

#include "platform/ScriptMessage.h"

namespace brindlow {

namespace platform {
class MainLoop;
}

// Receives the page's fire-and-forget messages.
class ScriptMessageHandler {
 public:
  virtual ~ScriptMessageHandler() = default;
  virtual void didReceiveScriptMessage(const platform::ScriptMessage& message) = 0;
};

// Receives the page's requests; `reply` must be answered exactly once.
class ScriptMessageReplyHandler {
 public:
  virtual ~ScriptMessageReplyHandler() = default;
  virtual void didReceiveScriptMessageWithReply(const platform::ScriptMessage& message,
                                                std::shared_ptr<platform::ScriptReply> reply) = 0;
};

// A message channel's handler that holds its target weakly: once the target is gone, messages are
// dropped without a word.
class WeakScriptMessageHandler {
 public:
  WeakScriptMessageHandler(const platform::MainLoop& loop, std::weak_ptr<ScriptMessageHandler> target);
  void operator()(const platform::ScriptMessage& message) const;

 private:
  const platform::MainLoop* loop_;
  std::weak_ptr<ScriptMessageHandler> target_;
};

// A reply channel's handler that holds its target weakly: once the target is gone, every request
// is answered "closed".
class WeakScriptMessageReplyHandler {
 public:
  WeakScriptMessageReplyHandler(const platform::MainLoop& loop, std::weak_ptr<ScriptMessageReplyHandler> target);
  void operator()(const platform::ScriptMessage& message, std::shared_ptr<platform::ScriptReply> reply) const;

 private:
  const platform::MainLoop* loop_;
  std::weak_ptr<ScriptMessageReplyHandler> target_;
};

}  // namespace brindlow
