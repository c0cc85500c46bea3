#include "platform/fake/FakeSystemEvents.h"

namespace brindlow::fake {

platform::Subscription FakeSystemEvents::observe(platform::SystemEvent event, std::function<void()> handler) {
  ++added_;
  return observers_.add(event, std::move(handler));
}

void FakeSystemEvents::emit(platform::SystemEvent event) { observers_.emitTagged(event); }

}  // namespace brindlow::fake
