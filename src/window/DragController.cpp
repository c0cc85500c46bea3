#include "window/DragController.h"

#include <cmath>
#include <cstdlib>
#include <utility>

#include "geometry/ScreenGeometry.h"
#include "platform/PetPanel.h"
#include "platform/Screens.h"
#include "platform/WeakCallback.h"

namespace brindlow {
namespace {

GPoint minus(GPoint a, GPoint b) { return {a.x - b.x, a.y - b.y}; }

}  // namespace

DragController::DragController(platform::MainLoop& loop, platform::Screens& screens, platform::MouseMonitor& monitor)
    : loop_(loop), screens_(screens), monitor_(monitor) {}

DragController::~DragController() = default;

double DragController::milliseconds(platform::Seconds t) { return std::round(t * 1000.0); }

void DragController::begin() {
  if (active_) return;
  auto p = panel.lock();
  if (!p || !p->isVisible()) return;
  const GRect frame = p->frame();
  offset_ = minus(ScreenGeometry::mouseTopLeft(screens_), {frame.x, frame.y});
  active_ = true;
  if ((screens_.pressedMouseButtons() & 1u) == 0) {
    finish(DragPhase::end, loop_.uptime());  // the press is already over
    return;
  }
  const auto handler = weakCallback(weak_from_this(), loop_,
                                    [](DragController& d, const platform::MouseEvent& event) { d.handle(event); });
  // A refused monitor stays absent; the other one or a cancel still ends the drag.
  if (auto local = monitor_.addLocalMonitor(monitorMask, handler)) localMonitor_ = std::move(*local);
  if (auto global = monitor_.addGlobalMonitor(monitorMask, handler)) globalMonitor_ = std::move(*global);
}

void DragController::handle(const platform::MouseEvent& event) {
  if (!active_) return;
  switch (event.type) {
    case platform::MouseEventType::leftMouseUp:
      if (auto p = panel.lock()) p->setFrameOrigin(minus(ScreenGeometry::mouseTopLeft(screens_), offset_));
      finish(DragPhase::end, event.timestamp);
      break;
    case platform::MouseEventType::mouseMoved:
      // The button was released without an up event reaching us.
      finish(DragPhase::end, event.timestamp);
      break;
    case platform::MouseEventType::leftMouseDragged:
      move(DragPhase::move, event.timestamp);
      break;
  }
}

void DragController::move(DragPhase phase, platform::Seconds t) {
  auto p = panel.lock();
  if (!p) return;
  const GPoint pointer = ScreenGeometry::mouseTopLeft(screens_);
  const GPoint origin = minus(pointer, offset_);
  p->setFrameOrigin(origin);
  report(phase, pointer, origin, t);
}

void DragController::finish(DragPhase phase, platform::Seconds t) {
  auto keepAlive = weak_from_this().lock();  // onEvent may drop the last owner
  localMonitor_.cancel();
  globalMonitor_.cancel();
  active_ = false;
  const GPoint cursor = ScreenGeometry::mouseTopLeft(screens_);
  GPoint origin = minus(cursor, offset_);
  if (auto p = panel.lock()) origin = {p->frame().x, p->frame().y};
  report(phase, cursor, origin, t);
  if (auto done = onFinish) done();
}

void DragController::cancel() {
  if (active_) finish(DragPhase::cancel, loop_.uptime());
}

void DragController::report(DragPhase phase, GPoint cursor, GPoint origin, platform::Seconds t) {
  if (auto event = onEvent) event(DragEvent{std::string(rawValue(phase)), cursor, origin, milliseconds(t)});
}

}  // namespace brindlow
