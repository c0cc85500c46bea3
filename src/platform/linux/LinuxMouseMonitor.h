#pragma once
#include <gdk/gdk.h>

#include <functional>
#include <memory>
#include <optional>

#include "platform/HandlerList.h"
#include "platform/MouseMonitor.h"
#include "platform/linux/LinuxRawInput.h"

namespace brindlow::lnx {

// Global monitors hear XInput 2 raw pointer events; local ones hear GDK's events for our own windows.
// While the pointer is over one of our windows, or a press began there, raw events go to no global
// monitor, so each event reaches one kind only. Events are stamped with the uptime at receipt.
class LinuxMouseMonitor : public platform::MouseMonitor {
 public:
  explicit LinuxMouseMonitor(platform::MainLoop& loop);
  ~LinuxMouseMonitor() override;
  LinuxMouseMonitor(const LinuxMouseMonitor&) = delete;
  LinuxMouseMonitor& operator=(const LinuxMouseMonitor&) = delete;

  std::optional<platform::Subscription> addGlobalMonitor(
      uint32_t mask, std::function<void(const platform::MouseEvent&)> handler) override;
  std::optional<platform::Subscription> addLocalMonitor(
      uint32_t mask, std::function<void(const platform::MouseEvent&)> handler) override;

 private:
  enum class Kind { global, local };
  struct Monitor {
    Kind kind;
    uint32_t mask;
  };
  platform::Subscription add(Kind kind, uint32_t mask, std::function<void(const platform::MouseEvent&)> handler);
  void deliver(Kind kind, platform::MouseEventType type);
  void updateRawSelection();
  void onRaw(int type, int detail);
  void flushMotion();
  bool isLogicalLeft(int physicalButton) const;
  void onGdkEvent(GdkEvent* event);
  static void handleGdkEvent(GdkEvent* event, gpointer self);

  platform::MainLoop& loop_;
  std::unique_ptr<LinuxRawInput> raw_;
  bool rawSelected_ = false;
  platform::HandlerList<void(const platform::MouseEvent&), Monitor> monitors_;
  bool leftDown_ = false;       // logical button 1, as the raw events tell it
  bool motionPending_ = false;  // raw motion is coalesced to one event per batch
  bool pointerInside_ = false;  // over one of our windows
  bool pressedInside_ = false;  // an implicit grab that began on our window
  bool rawReleaseSwallowed_ = false;
  bool swallowNextRawRelease_ = false;
};

}  // namespace brindlow::lnx
