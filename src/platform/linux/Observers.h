#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "platform/Subscription.h"
#include "platform/linux/GlibUtil.h"

namespace brindlow::lnx {

// Handlers per event kind, run in the order they were added. A handler may drop its own or another
// subscription while an event is delivered; a subscription outliving the set does nothing.
template <class Event>
class Observers {
 public:
  Observers() : alive_(std::make_shared<bool>(true)) {}
  Observers(const Observers&) = delete;
  Observers& operator=(const Observers&) = delete;
  ~Observers() { *alive_ = false; }

  platform::Subscription add(Event event, std::function<void()> handler) {
    const uint64_t id = nextId_++;
    entries_.emplace(id, Entry{event, std::move(handler)});
    std::weak_ptr<bool> alive = alive_;
    return platform::Subscription([this, id, alive] {
      if (auto a = alive.lock(); a && *a) entries_.erase(id);
    });
  }

  bool has(Event event) const {
    for (const auto& [id, e] : entries_) {
      if (e.event == event) return true;
    }
    return false;
  }

  // Must be called from the main loop (a GLib callback), never inside a call the core made.
  void emit(Event event) {
    std::vector<uint64_t> ids;
    for (const auto& [id, e] : entries_) {
      if (e.event == event) ids.push_back(id);
    }
    std::weak_ptr<bool> alive = alive_;
    for (uint64_t id : ids) {
      if (alive.expired()) return;  // a handler destroyed the owner
      auto it = entries_.find(id);
      if (it == entries_.end()) continue;
      auto handler = it->second.handler;  // the handler may drop itself
      if (handler) guarded("an event handler", handler);
    }
  }

 private:
  struct Entry {
    Event event;
    std::function<void()> handler;
  };
  uint64_t nextId_ = 1;
  std::map<uint64_t, Entry> entries_;
  std::shared_ptr<bool> alive_;
};

}  // namespace brindlow::lnx
