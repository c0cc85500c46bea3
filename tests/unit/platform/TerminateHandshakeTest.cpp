#include "platform/TerminateHandshake.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "platform/fake/FakeMainLoop.h"

namespace brindlow::platform {
namespace {

struct HandshakeRig {
  fake::FakeMainLoop loop;
  std::unique_ptr<TerminateHandshake> handshake = std::make_unique<TerminateHandshake>(loop);
  std::function<TerminateReply()> answer = [] { return TerminateReply::later; };
  std::function<void()> onWillTerminate = [] {};
  int asked = 0;
  int willTerminate = 0;

  HandshakeRig() {
    handshake->begin({.shouldTerminate =
                          [this] {
                            ++asked;
                            return answer();
                          },
                      .willTerminate =
                          [this] {
                            ++willTerminate;
                            onWillTerminate();
                          }});
  }
};

TEST(TerminateHandshake, AsksOnALaterTurnAndEndsOnNowOrAYes) {
  struct Case {
    const char* name;
    TerminateReply answer;
    std::optional<bool> reply;  // given after the ask
    int willTerminate;
  };
  for (const Case& c : std::vector<Case>{{"now", TerminateReply::now, std::nullopt, 1},
                                         {"later then yes", TerminateReply::later, true, 1},
                                         {"later then no", TerminateReply::later, false, 0},
                                         {"later, no reply", TerminateReply::later, std::nullopt, 0}}) {
    SCOPED_TRACE(c.name);
    HandshakeRig rig;
    rig.answer = [&] { return c.answer; };
    rig.handshake->terminate();
    EXPECT_EQ(rig.asked, 0);  // never inside the call
    rig.loop.runPosted();
    EXPECT_EQ(rig.asked, 1);
    if (c.reply) {
      rig.handshake->replyToTerminate(*c.reply);
      EXPECT_EQ(rig.willTerminate, 0);  // a yes finishes on the next turn
      rig.loop.runPosted();
    }
    EXPECT_EQ(rig.willTerminate, c.willTerminate);
    EXPECT_EQ(rig.handshake->terminated(), c.willTerminate == 1);
    EXPECT_EQ(rig.handshake->awaitingReply(), c.answer == TerminateReply::later && !c.reply);
  }
}

TEST(TerminateHandshake, AReplyInsideShouldTerminateIsHeldUntilItAnswers) {
  HandshakeRig rig;
  rig.answer = [&] {
    rig.handshake->replyToTerminate(true);
    EXPECT_FALSE(rig.handshake->awaitingReply());
    return TerminateReply::later;
  };
  rig.handshake->terminate();
  rig.loop.runPosted();
  EXPECT_EQ(rig.willTerminate, 1);

  // An answer of `now` wins over a refusal given while it was being decided.
  HandshakeRig other;
  other.answer = [&] {
    other.handshake->replyToTerminate(false);
    return TerminateReply::now;
  };
  other.handshake->terminate();
  other.loop.runPosted();
  EXPECT_EQ(other.willTerminate, 1);
}

TEST(TerminateHandshake, ATerminateOrReplyFromInsideWillTerminateDoesNothing) {
  HandshakeRig rig;
  rig.answer = [] { return TerminateReply::now; };
  rig.onWillTerminate = [&] {
    EXPECT_TRUE(rig.handshake->terminated());
    rig.handshake->terminate();
    rig.handshake->replyToTerminate(true);
  };
  rig.handshake->terminate();
  rig.handshake->terminate();  // a second request already on its way
  rig.loop.runPosted();
  rig.loop.runPosted();
  EXPECT_EQ(rig.willTerminate, 1);
  EXPECT_EQ(rig.asked, 1);  // the delegate is not asked again once it is terminating
}

TEST(TerminateHandshake, ADelegateThatDropsTheApplicationEndsTheHandshakeSafely) {
  HandshakeRig rig;
  rig.answer = [&] {
    rig.handshake.reset();
    return TerminateReply::later;
  };
  rig.handshake->terminate();
  rig.loop.runPosted();
  EXPECT_EQ(rig.asked, 1);

  HandshakeRig gone;
  gone.answer = [] { return TerminateReply::now; };
  gone.handshake->terminate();
  gone.handshake.reset();  // the posted ask finds nothing
  gone.loop.runPosted();
  EXPECT_EQ(gone.asked, 0);
}

TEST(TerminateHandshake, NothingHappensBeforeBegin) {
  fake::FakeMainLoop loop;
  TerminateHandshake handshake(loop);
  handshake.terminate();
  handshake.replyToTerminate(true);
  loop.runPosted();
  EXPECT_FALSE(handshake.terminated());
}

}  // namespace
}  // namespace brindlow::platform
