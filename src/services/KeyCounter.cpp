#include "services/KeyCounter.h"

#include <cstdlib>

#include "app/Log.h"
#include "platform/Defaults.h"
#include "platform/MainLoop.h"

namespace brindlow {

KeyCounter::KeyCounter(platform::KeyTap& keyTap, platform::Defaults& defaults, platform::MainLoop& mainLoop)
    : keyTap_(keyTap), defaults_(defaults), loop_(mainLoop) {}

KeyCounter::~KeyCounter() { stop(); }

bool KeyCounter::start() {
  if (tap_) return true;
  if (!keyTap_.preflightListenAccess() && !defaults_.boolForKey("perm.inputAsked")) return false;
  std::weak_ptr<KeyCounter> weak = weak_from_this();
  tap_ = keyTap_.createListenTap([weak, &loop = loop_](const platform::KeyTapEvent& event) {
    if (!loop.isMainThread()) std::abort();
    if (auto self = weak.lock()) self->handle(event);
  });
  if (!tap_) {
    warnOnce("tap.create", "key tap: create failed");
    return false;
  }
  return true;
}

void KeyCounter::stop() {
  if (tap_) {
    tap_->setEnabled(false);
    tap_->invalidate();
  }
  tap_.reset();
  flushWork_.cancel();
  batcher_ = KeyBatcher{};
}

void KeyCounter::handle(const platform::KeyTapEvent& event) {
  switch (event.kind) {
    case platform::KeyTapEventKind::disabledByTimeout:
    case platform::KeyTapEventKind::disabledByUserInput:
      if (tap_) tap_->setEnabled(true);
      return;
    case platform::KeyTapEventKind::keyDown:
    {
      if (sessionAway) return;
      // A key read later than it was pressed keeps its own time, for the debounce and the batch.
      const double now = loop_.uptime();
      const double pressed = event.uptime && *event.uptime <= now ? *event.uptime : now;
      if (batcher_.record(event.autorepeat, pressed, (loop_.now() - (now - pressed)) * 1000)) scheduleFlush();
      return;
    }
    case platform::KeyTapEventKind::other:
      return;
  }
}

void KeyCounter::scheduleFlush() {
  if (flushWork_.isPending()) return;
  std::weak_ptr<KeyCounter> weak = weak_from_this();
  flushWork_ = loop_.scheduleAfter(KeyBatcher::flushDelay(visible), [weak] {
    if (auto self = weak.lock()) self->flush();
  });
}

void KeyCounter::flush() {
  flushWork_ = {};
  auto event = batcher_.take();
  if (!event) return;
  if (onBatch) onBatch(*event);
}

}  // namespace brindlow
