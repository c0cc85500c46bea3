#include "platform/WeakCallback.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "platform/fake/FakeMainLoop.h"

namespace brindlow {
namespace {

struct Counter {
  int runs = 0;
};

TEST(WeakCallback, RunsWhileTheServiceLivesAndAbortsOffTheMainThread) {
  fake::FakeMainLoop loop;
  auto counter = std::make_shared<Counter>();
  auto count = [](Counter& c) { ++c.runs; };
  std::function<void(int)> withArgument = weakCallback(std::weak_ptr<Counter>(counter), loop, count);
  std::function<void()> plain = weakCallback(std::weak_ptr<Counter>(counter), loop, count);
  withArgument(7);
  plain();
  EXPECT_EQ(counter->runs, 2);
  loop.setMainThread(false);
  EXPECT_DEATH(plain(), "");
  loop.setMainThread(true);
  counter.reset();
  plain();  // nothing to run, nothing to crash
  loop.setMainThread(false);
  EXPECT_DEATH(plain(), "");  // off the main thread is a fault whether or not the service lives
}

TEST(WeakCallback, HandsItsArgumentsToAnActionThatTakesThem) {
  fake::FakeMainLoop loop;
  auto counter = std::make_shared<Counter>();
  std::function<void(int)> add =
      weakCallback(std::weak_ptr<Counter>(counter), loop, [](Counter& c, int n) { c.runs += n; });
  add(5);
  add(2);
  EXPECT_EQ(counter->runs, 7);
}

TEST(WeakCallback, GivesTheActionsResultOrADefaultOnceTheServiceIsGone) {
  fake::FakeMainLoop loop;
  auto counter = std::make_shared<Counter>();
  std::function<std::vector<int>()> provide =
      weakCallback(std::weak_ptr<Counter>(counter), loop, [](Counter& c) { return std::vector<int>{++c.runs}; });
  EXPECT_EQ(provide(), std::vector<int>{1});
  counter.reset();
  EXPECT_EQ(provide(), std::vector<int>{});
}

}  // namespace
}  // namespace brindlow
