#include "platform/fake/FakeApplication.h"

namespace brindlow::fake {

FakeApplication::FakeApplication(FakeMainLoop& loop) : handshake_(loop) {}

FakeApplication::~FakeApplication() = default;

int FakeApplication::run(platform::ApplicationDelegate& delegate) {
  delegate_ = &delegate;
  handshake_.begin({
      .shouldTerminate =
          [this] {
            const platform::TerminateReply answer = delegate_->shouldTerminate();
            answers_.push_back(answer);
            return answer;
          },
      .willTerminate =
          [this] {
            ++willTerminateCalls_;
            delegate_->willTerminate();
          },
  });
  delegate.didFinishLaunching();
  return 0;
}

void FakeApplication::terminate() {
  ++terminateCalls_;
  handshake_.terminate();
}

void FakeApplication::replyToTerminate(bool proceed) {
  replies_.push_back(proceed);
  handshake_.replyToTerminate(proceed);
}

void FakeApplication::setActivationPolicy(platform::ActivationPolicy policy) {
  policy_ = policy;
  policiesSet_.push_back(policy);
}

bool FakeApplication::simulateReopen(bool hasVisibleWindows) {
  return delegate_ != nullptr && delegate_->shouldHandleReopen(hasVisibleWindows);
}

}  // namespace brindlow::fake
