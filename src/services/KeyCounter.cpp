#include "services/KeyCounter.h"

#include <cstdlib>

#include "platform/Defaults.h"
#include "platform/MainLoop.h"
#include "platform/WeakCallback.h"
#include "util/Log.h"

namespace brindlow {

KeyCounter::KeyCounter(platform::KeyTap& keyTap, platform::Defaults& defaults, platform::MainLoop& mainLoop)
    : keyTap_(keyTap), defaults_(defaults), loop_(mainLoop) {}

KeyCounter::~KeyCounter() { stop(); }

bool KeyCounter::start() {
  if (tap_) return true;
  // Where the user's yes is the permission, having asked once is no reason to try a tap.
  if (!keyTap_.preflightListenAccess() && (keyTap_.consentIsPermission() || !defaults_.boolForKey("perm.inputAsked")))
    return false;
  tap_ = keyTap_.createListenTap(weakCallback(
      weak_from_this(), loop_, [](KeyCounter& k, const platform::KeyTapEvent& event) { k.handle(event); }));
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
  flushWork_ = loop_.scheduleAfter(KeyBatcher::flushDelay(visible),
                                  weakCallback(weak_from_this(), loop_, [](KeyCounter& k) { k.flush(); }));
}

void KeyCounter::flush() {
  flushWork_ = {};
  auto event = batcher_.take();
  if (!event) return;
  if (onBatch) onBatch(*event);
}

}  // namespace brindlow
