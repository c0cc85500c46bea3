#include "window/HitTester.h"

#include <cstdlib>
#include <utility>

#include "geometry/ScreenGeometry.h"
#include "platform/MouseMonitor.h"
#include "platform/PetPanel.h"
#include "platform/Screens.h"
#include "platform/WeakCallback.h"
#include "util/Log.h"
#include "window/HitTest.h"

namespace brindlow {
namespace {

constexpr platform::Seconds kNearInterval = 1.0 / 15.0;

}  // namespace

HitTester::HitTester(platform::MainLoop& loop, platform::Screens& screens, platform::MouseMonitor& monitor)
    : loop_(loop), screens_(screens), monitor_(monitor) {}

HitTester::~HitTester() = default;

void HitTester::setForceAccept(bool accept) {
  if (forceAccept_ == accept) return;
  forceAccept_ = accept;
  update();
}

GRect HitTester::currentWebFrame(const platform::PetPanel& p) const {
  if (webFrame) {
    if (auto frame = webFrame()) return *frame;
  }
  return p.frame();
}

void HitTester::setRects(const std::vector<GRect>& pageRects) {
  auto p = panel.lock();
  if (!p) return;
  const GRect frame = currentWebFrame(*p);
  auto sanitized = HitTest::sanitize(pageRects, frame.w, frame.h);
  if (sanitized.dropped) warnOnce("hit.rects", "hit.rects: dropped invalid or extra rects");
  rects = std::move(sanitized.kept);
  update();
}

GPoint HitTester::readPointer() {
  lastPointer_ = ScreenGeometry::mouseTopLeft(screens_);
  return *lastPointer_;
}

void HitTester::update() {
  if (panel.expired()) return;
  evaluate(readPointer());
}

void HitTester::updateAfterMove() {
  if (panel.expired()) return;
  evaluate(lastPointer_ ? *lastPointer_ : readPointer());
}

void HitTester::evaluate(GPoint pointer) {
  auto p = panel.lock();
  if (!p) return;
  const GRect frame = currentWebFrame(*p);
  const bool accept = p->isVisible() && (forceAccept_ || HitTest::contains(rects, pointer, frame));
  if (p->ignoresMouseEvents() == accept) p->setIgnoresMouseEvents(!accept);
  updateNear(p.get(), pointer, frame);
}

void HitTester::updateNear(const platform::PetPanel* p, GPoint pointer, GRect frame) {
  if (!onPointerNear) return;
  const bool near = nearEnabled && !forceAccept_ && p && p->isVisible() && HitTest::isNear(pointer, frame);
  if (!near) {
    if (!nearInside_) return;
    nearInside_ = false;
    nearTrailing_.cancel();
    auto report = onPointerNear;  // the callback may replace itself
    report(std::nullopt);
    return;
  }
  nearInside_ = true;
  const platform::Seconds now = loop_.uptime();
  const platform::Seconds wait = lastNearSent_ + kNearInterval - now;
  if (wait <= 0) {
    lastNearSent_ = now;
    nearTrailing_.cancel();
    auto report = onPointerNear;
    report(pointer);
  } else if (!nearTrailing_.isPending()) {
    nearTrailing_ =
        loop_.scheduleAfter(wait, weakCallback(weak_from_this(), loop_, [](HitTester& t) { t.trailingFired(); }));
  }
}

void HitTester::trailingFired() {
  nearTrailing_ = {};
  if (!nearInside_) return;
  auto p = panel.lock();
  if (!p) return;
  const GPoint pointer = readPointer();
  const GRect frame = currentWebFrame(*p);
  lastNearSent_ = 0;
  updateNear(p.get(), pointer, frame);
}

void HitTester::start() {
  if (globalMonitor_) return;
  auto added = monitor_.addGlobalMonitor(platform::mouseMovedMask,
                                         weakCallback(weak_from_this(), loop_, [](HitTester& t) { t.update(); }));
  if (added) globalMonitor_ = std::move(*added);
}

void HitTester::stop() {
  globalMonitor_.cancel();
  nearTrailing_.cancel();
}

}  // namespace brindlow
