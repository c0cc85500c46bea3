#include "platform/linux/LinuxMouseMonitor.h"

#include <gtk/gtk.h>

#include <array>
#include <vector>

#include "platform/linux/GlibUtil.h"

namespace brindlow::lnx {

LinuxMouseMonitor::LinuxMouseMonitor(platform::MainLoop& loop) : loop_(loop) {
  // Every GDK event passes here on its way to GTK; nothing is changed or held back.
  gdk_event_handler_set(handleGdkEvent, this, nullptr);
  monitors_.setOnRemove([this](const Monitor&) { updateRawSelection(); });
}

LinuxMouseMonitor::~LinuxMouseMonitor() {
  gdk_event_handler_set([](GdkEvent* event, gpointer) { gtk_main_do_event(event); }, nullptr, nullptr);
}

std::optional<platform::Subscription> LinuxMouseMonitor::addGlobalMonitor(
    uint32_t mask, std::function<void(const platform::MouseEvent&)> handler) {
  if (raw_ == nullptr) {
    raw_ = LinuxRawInput::open();
    if (raw_ == nullptr) return std::nullopt;
    raw_->onEvent = [this](int type, int detail, int, unsigned long) { onRaw(type, detail); };
    raw_->onDrained = [this] { flushMotion(); };
  }
  auto subscription = add(Kind::global, mask, std::move(handler));
  updateRawSelection();
  if (!rawSelected_) return std::nullopt;  // the subscription goes and takes its monitor with it
  return subscription;
}

std::optional<platform::Subscription> LinuxMouseMonitor::addLocalMonitor(
    uint32_t mask, std::function<void(const platform::MouseEvent&)> handler) {
  return add(Kind::local, mask, std::move(handler));
}

platform::Subscription LinuxMouseMonitor::add(Kind kind, uint32_t mask,
                                              std::function<void(const platform::MouseEvent&)> handler) {
  return monitors_.add(Monitor{kind, mask}, [handler = std::move(handler)](const platform::MouseEvent& event) {
    guarded("a mouse monitor", [&] { handler(event); });
  });
}

void LinuxMouseMonitor::updateRawSelection() {
  if (raw_ == nullptr) return;
  const bool wanted = monitors_.countWhere([](const Monitor& m) { return m.kind == Kind::global; }) != 0;
  if (wanted == rawSelected_) return;
  if (wanted) {
    rawSelected_ = raw_->select({XI_RawMotion, XI_RawButtonPress, XI_RawButtonRelease});
  } else {
    raw_->select({});
    rawSelected_ = false;
    motionPending_ = false;
  }
}

void LinuxMouseMonitor::deliver(Kind kind, platform::MouseEventType type) {
  const platform::MouseEvent event{type, loop_.uptime()};
  monitors_.emitWhere([&](const Monitor& m) { return m.kind == kind && (m.mask & platform::maskOf(type)) != 0; },
                      event);
}

bool LinuxMouseMonitor::isLogicalLeft(int physicalButton) const {
  // Raw events carry the physical button; a left-handed mapping moves the logical one.
  std::array<unsigned char, 256> map{};
  const int n = XGetPointerMapping(raw_->display(), map.data(), static_cast<int>(map.size()));
  if (physicalButton < 1 || physicalButton > n) return physicalButton == 1;
  return map[static_cast<size_t>(physicalButton - 1)] == 1;
}

void LinuxMouseMonitor::onRaw(int type, int detail) {
  const bool ours = pointerInside_ || pressedInside_;
  if (type == XI_RawMotion) {
    if (!ours) motionPending_ = true;
    return;
  }
  if (!isLogicalLeft(detail)) return;
  if (type == XI_RawButtonPress) {
    flushMotion();
    leftDown_ = true;
    return;
  }
  if (type != XI_RawButtonRelease) return;
  flushMotion();
  leftDown_ = false;
  if (ours) {
    rawReleaseSwallowed_ = true;  // GTK reports this release to the local monitors
    return;
  }
  if (std::exchange(swallowNextRawRelease_, false)) return;
  deliver(Kind::global, platform::MouseEventType::leftMouseUp);
}

void LinuxMouseMonitor::flushMotion() {
  if (!std::exchange(motionPending_, false)) return;
  deliver(Kind::global, leftDown_ ? platform::MouseEventType::leftMouseDragged : platform::MouseEventType::mouseMoved);
}

void LinuxMouseMonitor::onGdkEvent(GdkEvent* event) {
  switch (event->type) {
    case GDK_ENTER_NOTIFY:
      pointerInside_ = true;
      break;
    case GDK_LEAVE_NOTIFY:
      // Moving into a child window of ours is not leaving; a top level left any other way is.
      if (event->crossing.detail != GDK_NOTIFY_INFERIOR &&
          gdk_window_get_toplevel(event->crossing.window) == event->crossing.window) {
        pointerInside_ = false;
      }
      break;
    case GDK_BUTTON_PRESS:
      if (event->button.button == 1) pressedInside_ = true;
      break;
    case GDK_BUTTON_RELEASE:
      if (event->button.button != 1) break;
      if (pressedInside_) {
        pressedInside_ = false;
        // The raw release may still be on its way; it belongs to this local release.
        if (!std::exchange(rawReleaseSwallowed_, false)) swallowNextRawRelease_ = raw_ != nullptr && rawSelected_;
      }
      deliver(Kind::local, platform::MouseEventType::leftMouseUp);
      break;
    case GDK_MOTION_NOTIFY:
      deliver(Kind::local, (event->motion.state & GDK_BUTTON1_MASK) != 0 ? platform::MouseEventType::leftMouseDragged
                                                                          : platform::MouseEventType::mouseMoved);
      break;
    default:
      break;
  }
}

void LinuxMouseMonitor::handleGdkEvent(GdkEvent* event, gpointer self) {
  auto* monitor = static_cast<LinuxMouseMonitor*>(self);
  guarded("a mouse monitor", [monitor, event] { monitor->onGdkEvent(event); });
  gtk_main_do_event(event);
}

}  // namespace brindlow::lnx
