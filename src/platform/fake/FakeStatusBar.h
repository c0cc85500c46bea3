#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/StatusBar.h"

namespace brindlow::fake {

class FakeStatusItem;

// A decoded image: the bytes it came from and the size asked for.
class FakeImage : public platform::Image {
 public:
  FakeImage(std::vector<uint8_t> bytes, double w, double h) : bytes(std::move(bytes)), width(w), height(h) {}
  std::vector<uint8_t> bytes;
  double width;
  double height;
};

// Decodes only bytes that start with the PNG signature; records pop-up menus.
class FakeStatusBar : public platform::StatusBar {
 public:
  FakeStatusBar() = default;
  FakeStatusBar(const FakeStatusBar&) = delete;
  FakeStatusBar& operator=(const FakeStatusBar&) = delete;

  std::unique_ptr<platform::StatusItem> createSquareItem() override;
  std::shared_ptr<platform::Image> decodeImage(const std::vector<uint8_t>& png, double widthPt, double heightPt) override;
  void popUpMenu(platform::MenuModel menu, platform::PetPanel* inView) override;

  FakeStatusItem* item() const { return items_.empty() ? nullptr : items_.back(); }
  struct PopUp {
    platform::MenuModel menu;
    platform::PetPanel* view;
  };
  const std::vector<PopUp>& popUps() const { return popUps_; }
  int itemsCreated() const { return itemsCreated_; }
  void forget(FakeStatusItem* item);

  // A valid PNG signature followed by `extra` bytes.
  static std::vector<uint8_t> pngBytes(size_t extra = 8);

 private:
  std::vector<FakeStatusItem*> items_;
  std::vector<PopUp> popUps_;
  int itemsCreated_ = 0;
};

// Records everything set on the item; the test opens its menu and chooses entries by title path.
class FakeStatusItem : public platform::StatusItem {
 public:
  explicit FakeStatusItem(FakeStatusBar* bar) : bar_(bar) {}
  ~FakeStatusItem() override;

  bool hasButton() const override { return hasButton_; }
  void setLength(double length) override { length_ = length; }
  void setImage(std::shared_ptr<platform::Image> image) override;
  void setSymbolImage(std::string_view symbol, std::string_view description) override;
  void setTitle(std::string_view title, platform::ImagePosition position) override;
  void setToolTip(std::string_view tip) override { toolTip_ = tip; }
  void setMenuProvider(std::function<platform::MenuModel()> provider) override { provider_ = std::move(provider); }
  void invalidateMenu() override { ++invalidations_; }
  bool isVisible() const override { return visible_; }
  std::optional<GRect> buttonScreenRect() const override { return buttonRect_; }
  bool knowsButtonGeometry() const override { return knowsGeometry_; }
  bool buttonWindowVisibleAndUnoccluded() const override { return buttonWindowVisible_; }
  void showHint(std::string_view text) override;
  void closeHint() override;
  void remove() override { removed_ = true; }

  // Inspection.
  double length() const { return length_; }
  const FakeImage* image() const { return image_.get(); }
  const std::optional<std::string>& symbol() const { return symbol_; }
  const std::string& title() const { return title_; }
  platform::ImagePosition imagePosition() const { return position_; }
  const std::string& toolTip() const { return toolTip_; }
  int imageSets() const { return imageSets_; }
  int titleSets() const { return titleSets_; }
  int invalidations() const { return invalidations_; }
  const std::optional<std::string>& hint() const { return hint_; }  // the hint showing now
  const std::vector<std::string>& hintsShown() const { return hintsShown_; }
  int hintsClosed() const { return hintsClosed_; }
  bool removed() const { return removed_; }

  // Drivers.
  // Runs the provider, as the desktop does before each opening; empty without a provider.
  platform::MenuModel openMenu();
  // Opens the menu and runs the entry found by titles, e.g. {"Ground", "Windows"}; false if none.
  bool choose(const std::vector<std::string>& path);
  void setVisible(bool visible) { visible_ = visible; }
  void setHasButton(bool has) { hasButton_ = has; }
  void setKnowsButtonGeometry(bool knows) { knowsGeometry_ = knows; }
  void setButtonScreenRect(std::optional<GRect> rect) { buttonRect_ = rect; }
  void setButtonWindowVisible(bool visible) { buttonWindowVisible_ = visible; }

 private:
  FakeStatusBar* bar_;
  bool hasButton_ = true;
  bool knowsGeometry_ = true;
  double length_ = 0;
  std::shared_ptr<FakeImage> image_;
  std::optional<std::string> symbol_;
  std::string title_;
  platform::ImagePosition position_ = platform::ImagePosition::imageOnly;
  std::string toolTip_;
  std::function<platform::MenuModel()> provider_;
  int imageSets_ = 0;
  int titleSets_ = 0;
  int invalidations_ = 0;
  bool visible_ = true;
  std::optional<GRect> buttonRect_;
  bool buttonWindowVisible_ = true;
  std::optional<std::string> hint_;
  std::vector<std::string> hintsShown_;
  int hintsClosed_ = 0;
  bool removed_ = false;
};

// Finds an entry by its titles, through submenus; null if there is none.
const platform::MenuItemModel* findMenuItem(const platform::MenuModel& menu, const std::vector<std::string>& path);

}  // namespace brindlow::fake
