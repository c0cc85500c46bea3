#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/StatusItem.h"

namespace brindlow::platform {

class PetPanel;

class StatusBar {
 public:
  virtual ~StatusBar() = default;
  [[nodiscard]] virtual std::unique_ptr<StatusItem> createSquareItem() = 0;
  // Null when the bytes are not an image.
  virtual std::shared_ptr<Image> decodeImage(const std::vector<uint8_t>& png, double widthPt, double heightPt) = 0;
  // Pops the menu up at the pointer; `inView` may be null.
  virtual void popUpMenu(MenuModel menu, PetPanel* inView) = 0;
};

}  // namespace brindlow::platform
