#pragma once
#include <gdk/gdk.h>

#include <functional>
#include <optional>
#include <vector>

#include "platform/Screens.h"
#include "platform/linux/PostedObservers.h"

namespace brindlow::lnx {

// The monitors GDK reports, primary first, with the RandR output as number and an EDID-derived UUID.
class LinuxScreens : public platform::Screens {
 public:
  explicit LinuxScreens(platform::MainLoop& loop);
  ~LinuxScreens() override;
  LinuxScreens(const LinuxScreens&) = delete;
  LinuxScreens& operator=(const LinuxScreens&) = delete;

  std::vector<platform::DisplayInfo> displays() const override;
  GPoint pointerLocation() const override;
  uint32_t pressedMouseButtons() const override;
  platform::Subscription onParametersChanged(std::function<void()> handler) override;

 private:
  void watchMonitor(GdkMonitor* monitor);
  static void onChanged(gpointer self);
  static void onMonitorAdded(GdkDisplay*, GdkMonitor* monitor, gpointer self);
  static GdkFilterReturn onRootEvent(GdkXEvent* xevent, GdkEvent*, gpointer self);

  std::vector<platform::DisplayInfo> readDisplays() const;

  // RandR and EDID cost round trips, so the list is read again only after a change.
  mutable std::optional<std::vector<platform::DisplayInfo>> cache_;
  GdkDisplay* display_ = nullptr;
  GdkWindow* root_ = nullptr;
  PostedObservers handlers_;
};

}  // namespace brindlow::lnx
