#pragma once
#include <vector>

#include "platform/Application.h"
#include "platform/TerminateHandshake.h"
#include "platform/fake/FakeMainLoop.h"

namespace brindlow::fake {

// The terminate handshake (platform::TerminateHandshake) without exiting: after willTerminate the
// application only counts as terminated. run() delivers didFinishLaunching and returns at once.
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
  bool terminated() const { return handshake_.terminated(); }
  bool awaitingReply() const { return handshake_.awaitingReply(); }
  int terminateCalls() const { return terminateCalls_; }
  int willTerminateCalls() const { return willTerminateCalls_; }
  const std::vector<platform::TerminateReply>& shouldTerminateAnswers() const { return answers_; }
  const std::vector<bool>& replies() const { return replies_; }
  const std::vector<platform::ActivationPolicy>& policiesSet() const { return policiesSet_; }
  int activations() const { return activations_; }

 private:
  platform::TerminateHandshake handshake_;
  platform::ApplicationDelegate* delegate_ = nullptr;
  platform::ActivationPolicy policy_ = platform::ActivationPolicy::regular;
  int terminateCalls_ = 0;
  int willTerminateCalls_ = 0;
  int activations_ = 0;
  std::vector<platform::TerminateReply> answers_;
  std::vector<bool> replies_;
  std::vector<platform::ActivationPolicy> policiesSet_;
};

}  // namespace brindlow::fake
