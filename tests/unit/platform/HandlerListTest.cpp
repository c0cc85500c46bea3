#include "platform/HandlerList.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace brindlow::platform {
namespace {

using Plain = HandlerList<void(int)>;
using Tagged = HandlerList<void(), char>;

TEST(HandlerList, RunsInOrderAddedAndOnlyTheMatchingTags) {
  Tagged list;
  std::string seen;
  auto a = list.add('x', [&] { seen += "a"; });
  auto b = list.add('y', [&] { seen += "b"; });
  auto c = list.add('x', [&] { seen += "c"; });
  EXPECT_TRUE(list.emitWhere([](char t) { return t == 'x'; }));
  EXPECT_EQ(seen, "ac");
  EXPECT_TRUE(list.emit());
  EXPECT_EQ(seen, "acabc");
  EXPECT_EQ(list.countWhere([](char t) { return t == 'x'; }), 2u);
  std::string tags;
  list.forEachTag([&](char t) { tags += t; });
  EXPECT_EQ(tags, "xyx");
}

TEST(HandlerList, ARemovedSubscriptionIsNeverCalled) {
  Plain list;
  std::vector<std::string> seen;
  std::optional<Subscription> second;
  auto first = list.add([&](int v) {
    seen.push_back("first " + std::to_string(v));
    second.reset();  // drops a later handler of this same delivery
  });
  second = list.add([&](int v) { seen.push_back("second " + std::to_string(v)); });
  Subscription self;
  self = list.add([&](int v) {
    seen.push_back("self " + std::to_string(v));
    self.cancel();  // drops itself while it runs
  });
  list.emit(1);
  list.emit(2);
  EXPECT_EQ(seen, (std::vector<std::string>{"first 1", "self 1", "first 2"}));
  EXPECT_EQ(list.size(), 1u);
  first.cancel();
  list.emit(3);
  EXPECT_EQ(seen.size(), 3u);
  EXPECT_TRUE(list.empty());
}

TEST(HandlerList, AHandlerAddedDuringADeliveryWaitsForTheNext) {
  Plain list;
  int late = 0;
  std::vector<Subscription> added;
  auto adder = list.add([&](int) { added.push_back(list.add([&](int) { ++late; })); });
  list.emit(0);
  EXPECT_EQ(late, 0);
  list.emit(0);
  EXPECT_EQ(late, 1);
}

// The owner of a list, as a backend class would be.
struct Owner {
  Plain list;
};

TEST(HandlerList, AHandlerThatDestroysTheOwnerEndsTheDeliverySafely) {
  auto owner = std::make_unique<Owner>();
  std::vector<std::string> seen;
  std::vector<Subscription> subs;
  subs.push_back(owner->list.add([&](int) { seen.push_back("before"); }));
  subs.push_back(owner->list.add([&](int) {
    seen.push_back("destroys");
    owner.reset();
    seen.push_back("still running");  // its own state lives until it returns
  }));
  subs.push_back(owner->list.add([&](int) { seen.push_back("after"); }));
  Plain* list = &owner->list;
  EXPECT_FALSE(list->emit(7));
  EXPECT_EQ(seen, (std::vector<std::string>{"before", "destroys", "still running"}));
  subs.clear();  // subscriptions outliving the list do nothing
}

TEST(HandlerList, TellsTheOwnerWhichEntryASubscriptionRemoved) {
  Tagged list;
  std::string removed;
  list.setOnRemove([&](char t) { removed += t; });
  auto a = list.add('a', [] {});
  auto b = list.add('b', [] {});
  b.cancel();
  b.cancel();
  EXPECT_EQ(removed, "b");
  Subscription orphan;
  {
    Tagged gone;
    gone.setOnRemove([&](char t) { removed += t; });
    orphan = gone.add('c', [] {});
  }
  orphan.cancel();  // the list is gone: nothing is told
  EXPECT_EQ(removed, "b");
  EXPECT_EQ(list.size(), 1u);
}

}  // namespace
}  // namespace brindlow::platform
