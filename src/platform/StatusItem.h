#pragma once
#include <functional>
#include <memory>
#include <optional>
#include <string_view>

#include "model/Geometry.h"
#include "platform/MenuModel.h"

namespace brindlow::platform {

// A decoded image owned by the backend.
class Image {
 public:
  virtual ~Image() = default;
};

enum class ImagePosition { imageOnly, imageLeft };

// The tray item.
class StatusItem {
 public:
  virtual ~StatusItem() = default;
  virtual bool hasButton() const = 0;
  virtual void setLength(double length) = 0;  // -1 variable, -2 square
  virtual void setImage(std::shared_ptr<Image> image) = 0;
  virtual void setSymbolImage(std::string_view symbol, std::string_view description) = 0;
  virtual void setTitle(std::string_view title, ImagePosition position) = 0;
  virtual void setToolTip(std::string_view tip) = 0;
  // Run before each opening of the menu to build it afresh.
  virtual void setMenuProvider(std::function<MenuModel()> provider) = 0;
  // What the menu shows has changed; hosts that do not ask before opening get the new menu now.
  virtual void invalidateMenu() = 0;
  virtual bool isVisible() const = 0;
  // The button's rectangle on screen in page coordinates; nullopt when the button has no window.
  virtual std::optional<GRect> buttonScreenRect() const = 0;
  // False where the tray host draws the button itself and never tells where (a StatusNotifier host):
  // then a visible item is on the bar although buttonScreenRect() has nothing to say.
  virtual bool knowsButtonGeometry() const { return true; }
  // Whether the menu bar holding the button can be seen now (hints are dropped otherwise).
  virtual bool buttonWindowVisibleAndUnoccluded() const = 0;
  // A short note beside the item; it stays until closeHint (the controller times it).
  virtual void showHint(std::string_view text) = 0;
  virtual void closeHint() = 0;
  virtual void remove() = 0;
};

}  // namespace brindlow::platform
