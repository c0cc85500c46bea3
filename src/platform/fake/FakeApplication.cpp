#include "platform/fake/FakeApplication.h"

namespace brindlow::fake {

FakeApplication::FakeApplication(FakeMainLoop& loop) : loop_(loop), alive_(std::make_shared<bool>(true)) {}

FakeApplication::~FakeApplication() { *alive_ = false; }

void FakeApplication::later(void (FakeApplication::*step)()) {
  std::weak_ptr<bool> alive = alive_;
  loop_.post([this, alive, step] {
    if (auto a = alive.lock(); a && *a) (this->*step)();
  });
}

int FakeApplication::run(platform::ApplicationDelegate& delegate) {
  delegate_ = &delegate;
  delegate.didFinishLaunching();
  return 0;
}

void FakeApplication::terminate() {
  ++terminateCalls_;
  if (!terminated_) later(&FakeApplication::askShouldTerminate);
}

void FakeApplication::askShouldTerminate() {
  if (terminated_ || delegate_ == nullptr) return;
  asking_ = true;
  const platform::TerminateReply answer = delegate_->shouldTerminate();
  asking_ = false;
  answers_.push_back(answer);
  if (answer == platform::TerminateReply::now) {
    awaitingReply_ = false;
    finish();
    return;
  }
  awaitingReply_ = true;
  if (auto held = std::exchange(heldReply_, std::nullopt)) replyToTerminate(*held);
}

void FakeApplication::replyToTerminate(bool proceed) {
  if (asking_) {
    heldReply_ = proceed;
    return;
  }
  replies_.push_back(proceed);
  if (!awaitingReply_) return;
  awaitingReply_ = false;
  if (proceed) later(&FakeApplication::finish);
}

void FakeApplication::finish() {
  if (terminated_ || delegate_ == nullptr) return;
  ++willTerminateCalls_;
  delegate_->willTerminate();
  terminated_ = true;
}

void FakeApplication::setActivationPolicy(platform::ActivationPolicy policy) {
  policy_ = policy;
  policiesSet_.push_back(policy);
}

bool FakeApplication::simulateReopen(bool hasVisibleWindows) {
  return delegate_ != nullptr && delegate_->shouldHandleReopen(hasVisibleWindows);
}

}  // namespace brindlow::fake
