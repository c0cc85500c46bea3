#pragma once
#include <functional>
#include <utility>

#include "platform/HandlerList.h"
#include "platform/Subscription.h"
#include "platform/linux/GlibUtil.h"

namespace brindlow::lnx {

// Handlers per event kind on the shared platform::HandlerList, each run inside `guarded` so that no
// exception unwinds through the GLib callback that emits.
template <class Event>
class Observers {
 public:
  platform::Subscription add(Event event, std::function<void()> handler) {
    return handlers_.add(event, [handler = std::move(handler)] { guarded("an event handler", handler); });
  }

  bool has(Event event) const { return handlers_.count(event) != 0; }

  // Must be called from the main loop (a GLib callback), never inside a call the core made.
  // False when a handler destroyed the owner.
  bool emit(Event event) { return handlers_.emitTagged(event); }

 private:
  platform::HandlerList<void(), Event> handlers_;
};

}  // namespace brindlow::lnx
