#include "platform/fake/FakeStatusBar.h"

#include <algorithm>

namespace brindlow::fake {

namespace {
constexpr uint8_t kPngSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
}

std::unique_ptr<platform::StatusItem> FakeStatusBar::createSquareItem() {
  auto item = std::make_unique<FakeStatusItem>(this);
  item->setLength(-2);
  items_.push_back(item.get());
  ++itemsCreated_;
  return item;
}

std::shared_ptr<platform::Image> FakeStatusBar::decodeImage(const std::vector<uint8_t>& png, double widthPt,
                                                            double heightPt) {
  if (png.size() < sizeof(kPngSignature) || !std::equal(std::begin(kPngSignature), std::end(kPngSignature), png.begin()))
    return nullptr;
  return std::make_shared<FakeImage>(png, widthPt, heightPt);
}

void FakeStatusBar::popUpMenu(platform::MenuModel menu, platform::PetPanel* inView) {
  popUps_.push_back({std::move(menu), inView});
}

void FakeStatusBar::forget(FakeStatusItem* item) { std::erase(items_, item); }

std::vector<uint8_t> FakeStatusBar::pngBytes(size_t extra) {
  std::vector<uint8_t> bytes(sizeof(kPngSignature) + extra, 0);
  std::copy(std::begin(kPngSignature), std::end(kPngSignature), bytes.begin());
  return bytes;
}

FakeStatusItem::~FakeStatusItem() {
  if (bar_ != nullptr) bar_->forget(this);
}

void FakeStatusItem::setImage(std::shared_ptr<platform::Image> image) {
  ++imageSets_;
  image_ = std::dynamic_pointer_cast<FakeImage>(image);
  symbol_.reset();
}

void FakeStatusItem::setSymbolImage(std::string_view symbol, std::string_view) {
  ++imageSets_;
  image_.reset();
  symbol_ = std::string(symbol);
}

void FakeStatusItem::setTitle(std::string_view title, platform::ImagePosition position) {
  ++titleSets_;
  title_ = title;
  position_ = position;
}

void FakeStatusItem::showHint(std::string_view text) {
  hint_ = std::string(text);
  hintsShown_.emplace_back(text);
}

void FakeStatusItem::closeHint() {
  if (hint_) ++hintsClosed_;
  hint_.reset();
}

platform::MenuModel FakeStatusItem::openMenu() { return provider_ ? provider_() : platform::MenuModel{}; }

bool FakeStatusItem::choose(const std::vector<std::string>& path) {
  const platform::MenuModel menu = openMenu();
  const platform::MenuItemModel* item = findMenuItem(menu, path);
  if (item == nullptr || !item->enabled || !item->onSelect) return false;
  item->onSelect();
  return true;
}

const platform::MenuItemModel* findMenuItem(const platform::MenuModel& menu, const std::vector<std::string>& path) {
  const platform::MenuModel* level = &menu;
  const platform::MenuItemModel* found = nullptr;
  for (const auto& title : path) {
    found = nullptr;
    for (const auto& item : *level) {
      if (item.kind != platform::MenuItemModel::Kind::separator && item.title == title) {
        found = &item;
        break;
      }
    }
    if (found == nullptr) return nullptr;
    level = &found->children;
  }
  return found;
}

}  // namespace brindlow::fake
