#include "platform/TerminateHandshake.h"

#include <utility>

namespace brindlow::platform {

TerminateHandshake::TerminateHandshake(MainLoop& loop)
    : loop_(loop), self_(std::make_shared<TerminateHandshake*>(this)) {}

TerminateHandshake::~TerminateHandshake() = default;

void TerminateHandshake::later(void (TerminateHandshake::*step)()) {
  loop_.post([weak = std::weak_ptr<TerminateHandshake*>(self_), step] {
    // The lock is let go before the step runs, so the step can tell when the delegate ended us.
    TerminateHandshake* self = nullptr;
    if (auto alive = weak.lock()) self = *alive;
    if (self != nullptr) (self->*step)();
  });
}

void TerminateHandshake::begin(Steps steps) {
  steps_ = std::move(steps);
  begun_ = true;
}

void TerminateHandshake::terminate() {
  if (begun_ && !terminated_) later(&TerminateHandshake::ask);
}

void TerminateHandshake::ask() {
  if (terminated_) return;
  const std::weak_ptr<TerminateHandshake*> alive = self_;
  const auto shouldTerminate = steps_.shouldTerminate;  // a copy: the delegate may end the application
  asking_ = true;
  const TerminateReply answer = shouldTerminate ? shouldTerminate() : TerminateReply::now;
  if (alive.expired()) return;
  asking_ = false;
  if (answer == TerminateReply::now) {
    awaitingReply_ = false;
    heldReply_.reset();
    finish();
    return;
  }
  awaitingReply_ = true;
  if (auto held = std::exchange(heldReply_, std::nullopt)) replyToTerminate(*held);
}

void TerminateHandshake::replyToTerminate(bool proceed) {
  if (terminated_) return;
  if (asking_) {
    heldReply_ = proceed;
    return;
  }
  if (!awaitingReply_) return;
  awaitingReply_ = false;
  if (proceed) later(&TerminateHandshake::finish);
}

void TerminateHandshake::finish() {
  if (terminated_) return;
  terminated_ = true;
  awaitingReply_ = false;
  const auto willTerminate = steps_.willTerminate;  // a copy: the backend may go inside it
  if (willTerminate) willTerminate();
}

}  // namespace brindlow::platform
