#include "platform/fake/FakeApplication.h"

#include <gtest/gtest.h>

#include <functional>

namespace brindlow::fake {
namespace {

using platform::TerminateReply;

struct ScriptedDelegate : platform::ApplicationDelegate {
  std::function<TerminateReply()> answer = [] { return TerminateReply::later; };
  int willTerminate_ = 0;
  void didFinishLaunching() override {}
  TerminateReply shouldTerminate() override { return answer(); }
  bool shouldHandleReopen(bool) override { return false; }
  void willTerminate() override { ++willTerminate_; }
};

TEST(FakeApplication, TerminateHandshake) {
  FakeMainLoop loop;
  FakeApplication app(loop);
  ScriptedDelegate delegate;
  app.run(delegate);

  app.terminate();
  EXPECT_TRUE(app.shouldTerminateAnswers().empty());  // asked on a later turn, never inline
  loop.runPosted();
  EXPECT_TRUE(app.awaitingReply());
  app.replyToTerminate(false);  // cancelled: the application keeps running
  loop.runPosted();
  EXPECT_FALSE(app.terminated());
  EXPECT_EQ(delegate.willTerminate_, 0);

  // A reply given inside shouldTerminate is held until it has answered.
  delegate.answer = [&] {
    app.replyToTerminate(true);
    EXPECT_FALSE(app.terminated());
    return TerminateReply::later;
  };
  app.terminate();
  loop.runPosted();
  EXPECT_TRUE(app.terminated());
  EXPECT_EQ(delegate.willTerminate_, 1);
  EXPECT_EQ(app.replies(), (std::vector<bool>{false, true}));

  app.terminate();
  loop.runPosted();
  EXPECT_EQ(delegate.willTerminate_, 1);
  EXPECT_EQ(app.shouldTerminateAnswers().size(), 2u);
}

}  // namespace
}  // namespace brindlow::fake
