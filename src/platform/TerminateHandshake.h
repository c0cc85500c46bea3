#pragma once
#include <functional>
#include <memory>
#include <optional>

#include "platform/Application.h"
#include "platform/MainLoop.h"

namespace brindlow::platform {

// The terminate handshake both backends run, apart from how they ask the delegate and end their loop.
// - terminate() asks `shouldTerminate` on a later turn; `now` runs `willTerminate` on that turn,
//   `later` waits for replyToTerminate.
// - replyToTerminate(true) while waiting runs `willTerminate` on the next turn; false cancels and the
//   application goes on; a reply while nothing waits is ignored. A reply given while `shouldTerminate`
//   is still running is held until it has answered, and dropped if it answered `now`.
// - `willTerminate` runs at most once. The application counts as terminated from the moment it
//   starts, so a terminate or a reply from inside it (or any later one) does nothing: the
//   application is already on its way out and the delegate is not asked again.
// - Until `begin` a terminate does nothing.
class TerminateHandshake {
 public:
  struct Steps {
    std::function<TerminateReply()> shouldTerminate;
    std::function<void()> willTerminate;  // the backend also ends its loop here
  };

  explicit TerminateHandshake(MainLoop& loop);
  ~TerminateHandshake();
  TerminateHandshake(const TerminateHandshake&) = delete;
  TerminateHandshake& operator=(const TerminateHandshake&) = delete;

  void begin(Steps steps);
  void terminate();
  void replyToTerminate(bool proceed);

  bool terminated() const { return terminated_; }
  bool awaitingReply() const { return awaitingReply_; }

 private:
  void later(void (TerminateHandshake::*step)());
  void ask();
  void finish();

  MainLoop& loop_;
  Steps steps_;
  bool begun_ = false;
  bool terminated_ = false;
  bool asking_ = false;
  bool awaitingReply_ = false;
  std::optional<bool> heldReply_;
  std::shared_ptr<TerminateHandshake*> self_;
};

}  // namespace brindlow::platform
