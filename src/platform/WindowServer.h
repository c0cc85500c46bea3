#pragma once
#include <memory>

#include "platform/PetPanel.h"
#include "platform/StripWindow.h"

namespace brindlow::platform {

class WindowServer {
 public:
  virtual ~WindowServer() = default;
  [[nodiscard]] virtual std::unique_ptr<PetPanel> createPetPanel() = 0;
  [[nodiscard]] virtual std::unique_ptr<StripWindow> createStripWindow(GRect frame) = 0;
  virtual int desktopIconLevel() const = 0;
};

}  // namespace brindlow::platform
