#pragma once
#include <memory>

#include "platform/MainLoop.h"
#include "platform/WindowServer.h"
#include "platform/linux/LinuxFullscreenWatch.h"
#include "platform/linux/LinuxToplevel.h"

namespace brindlow::lnx {

// Makes the pet panel and the strip windows; all of them share one stacking order.
class LinuxWindowServer : public platform::WindowServer {
 public:
  // Far below every level the windows use, so desktop-icon level + n still reads as "below".
  static constexpr int kDesktopIconLevel = -2147483623;

  explicit LinuxWindowServer(platform::MainLoop& loop);

  [[nodiscard]] std::unique_ptr<platform::PetPanel> createPetPanel() override;
  [[nodiscard]] std::unique_ptr<platform::StripWindow> createStripWindow(GRect frame) override;
  int desktopIconLevel() const override { return kDesktopIconLevel; }

 private:
  platform::MainLoop& loop_;
  std::shared_ptr<WindowStack> stack_ = std::make_shared<WindowStack>();
  LinuxFullscreenWatch fullscreen_{stack_};
};

}  // namespace brindlow::lnx
