#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <type_traits>
#include <utility>
#include <variant>

#include "platform/Subscription.h"

namespace brindlow::platform {

// The handlers behind a backend's subscriptions, each with a tag (an event kind, a mask) the owner
// filters on. Both backends keep their observers in one of these, so they agree on re-entrancy:
// - a delivery runs the handlers present when it began, in the order they were added; one removed
//   meanwhile is skipped, one added meanwhile waits for the next delivery;
// - a handler may drop any subscription, its own included, while it runs;
// - a handler that destroys the list (usually by destroying its owner) ends the delivery at once,
//   and emit returns false so the owner touches nothing of itself;
// - a subscription that outlives the list does nothing.
template <class Signature, class Tag = std::monostate>
class HandlerList;

template <class Tag, class... Args>
class HandlerList<void(Args...), Tag> {
 public:
  using Handler = std::function<void(Args...)>;

  HandlerList() = default;
  HandlerList(const HandlerList&) = delete;
  HandlerList& operator=(const HandlerList&) = delete;

  Subscription add(Handler handler)
    requires std::is_same_v<Tag, std::monostate>
  {
    return add(Tag{}, std::move(handler));
  }

  Subscription add(Tag tag, Handler handler) {
    const uint64_t id = state_->nextId++;
    state_->entries.emplace(id, Entry{std::move(tag), std::make_shared<Handler>(std::move(handler))});
    return Subscription([weak = std::weak_ptr<State>(state_), id] {
      auto state = weak.lock();
      if (!state) return;
      auto it = state->entries.find(id);
      if (it == state->entries.end()) return;
      const Tag tag = std::move(it->second.tag);
      state->entries.erase(it);
      if (state->onRemove) state->onRemove(tag);
    });
  }

  // Called with an entry's tag when its subscription removes it (not when the list goes).
  void setOnRemove(std::function<void(const Tag&)> onRemove) { state_->onRemove = std::move(onRemove); }

  // Runs every handler; false when a handler destroyed the list.
  bool emit(const Args&... args) {
    return emitWhere([](const Tag&) { return true; }, args...);
  }

  // Runs the handlers whose tag satisfies `match`; false when a handler destroyed the list.
  template <class Match>
  bool emitWhere(Match match, const Args&... args) {
    const std::weak_ptr<State> weak = state_;
    State* state = state_.get();
    const uint64_t last = state->nextId - 1;
    uint64_t cursor = 0;
    for (auto it = state->entries.begin(); it != state->entries.end() && it->first <= last;
         it = state->entries.upper_bound(cursor)) {
      cursor = it->first;
      if (!match(std::as_const(it->second.tag))) continue;
      const std::shared_ptr<Handler> handler = it->second.handler;  // lives on if the handler drops itself
      if (*handler) (*handler)(args...);
      if (weak.expired()) return false;
    }
    return true;
  }

  // Runs the handlers added with `tag`.
  bool emitTagged(const Tag& tag, const Args&... args) {
    return emitWhere([&tag](const Tag& t) { return t == tag; }, args...);
  }

  size_t count(const Tag& tag) const {
    return countWhere([&tag](const Tag& t) { return t == tag; });
  }
  template <class Match>
  size_t countWhere(Match match) const {
    size_t n = 0;
    for (const auto& [id, entry] : state_->entries) n += match(entry.tag) ? 1 : 0;
    return n;
  }
  size_t size() const { return state_->entries.size(); }
  bool empty() const { return state_->entries.empty(); }

  // Visits the tags in the order their handlers were added.
  template <class Visit>
  void forEachTag(Visit visit) const {
    for (const auto& [id, entry] : state_->entries) visit(entry.tag);
  }

 private:
  struct Entry {
    Tag tag;
    std::shared_ptr<Handler> handler;
  };
  struct State {
    uint64_t nextId = 1;
    std::map<uint64_t, Entry> entries;
    std::function<void(const Tag&)> onRemove;
  };
  // Shared only so that subscriptions and a running delivery can tell when the list is gone.
  std::shared_ptr<State> state_ = std::make_shared<State>();
};

}  // namespace brindlow::platform
