#pragma once
#include <memory>
#include <optional>
#include <vector>

#include "platform/Application.h"
#include "platform/fake/FakeMainLoop.h"

namespace brindlow::fake {

// The terminate handshake without exiting. terminate() asks shouldTerminate on the next turn of the
// loop; `now` runs willTerminate once and marks the application terminated; `later` waits for
// replyToTerminate (true finishes on the next turn, false cancels). A reply given while shouldTerminate
// is still running is held until it returns. run() delivers didFinishLaunching and returns at once.
class FakeApplication : public platform::Application {
 public:
  explicit FakeApplication(FakeMainLoop& loop);
  ~FakeApplication() override;

  int run(platform::ApplicationDelegate& delegate) override;
  void terminate() override;
  void replyToTerminate(bool proceed) override;
  platform::ActivationPolicy activationPolicy() const override { return policy_; }
  void setActivationPolicy(platform::ActivationPolicy policy) override;
  void activateIgnoringOtherApps() override { ++activations_; }

  // Drivers.
  bool simulateReopen(bool hasVisibleWindows);

  // Inspection.
  bool terminated() const { return terminated_; }
  bool awaitingReply() const { return awaitingReply_; }
  int terminateCalls() const { return terminateCalls_; }
  int willTerminateCalls() const { return willTerminateCalls_; }
  const std::vector<platform::TerminateReply>& shouldTerminateAnswers() const { return answers_; }
  const std::vector<bool>& replies() const { return replies_; }
  const std::vector<platform::ActivationPolicy>& policiesSet() const { return policiesSet_; }
  int activations() const { return activations_; }

 private:
  void askShouldTerminate();
  void finish();
  void later(void (FakeApplication::*step)());

  FakeMainLoop& loop_;
  platform::ApplicationDelegate* delegate_ = nullptr;
  platform::ActivationPolicy policy_ = platform::ActivationPolicy::regular;
  bool terminated_ = false;
  bool asking_ = false;
  bool awaitingReply_ = false;
  std::optional<bool> heldReply_;
  int terminateCalls_ = 0;
  int willTerminateCalls_ = 0;
  int activations_ = 0;
  std::vector<platform::TerminateReply> answers_;
  std::vector<bool> replies_;
  std::vector<platform::ActivationPolicy> policiesSet_;
  std::shared_ptr<bool> alive_;
};

}  // namespace brindlow::fake
