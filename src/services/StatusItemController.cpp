#include "services/StatusItemController.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>

#include "platform/FileSystem.h"
#include "platform/Locale.h"
#include "platform/MainLoop.h"
#include "platform/MainThread.h"
#include "platform/Resources.h"
#include "platform/Screens.h"
#include "platform/StatusBar.h"
#include "platform/StatusItem.h"
#include "platform/WeakCallback.h"
#include "util/Enum.h"
#include "util/Log.h"
#include "util/StringsTable.h"
#include "util/Text.h"

namespace brindlow {

namespace {

using Kind = platform::MenuItemModel::Kind;

// The one table every native text is looked up in. Empty (keys shown) until a language is selected.
std::shared_ptr<const StringsTable>& localization() {
  static std::shared_ptr<const StringsTable> table = std::make_shared<StringsTable>();
  return table;
}

std::optional<StringsTable> loadLanguage(std::string_view code, const platform::Resources& resources,
                                         platform::FileSystem& files) {
  const auto folder = resources.pathForResource(code, "lproj");
  if (!folder) return std::nullopt;
  const auto bytes = files.readFile(*folder + "/Localizable.strings");
  if (!bytes) return std::nullopt;
  const auto& data = bytes.value();
  return StringsTable::parse(std::string_view(reinterpret_cast<const char*>(data.data()), data.size()));
}

platform::MenuItemModel entry(Kind kind, std::string title, std::function<void()> onSelect = {}) {
  platform::MenuItemModel item;
  item.kind = kind;
  item.title = std::move(title);
  item.onSelect = std::move(onSelect);
  return item;
}

platform::MenuItemModel separator() { return entry(Kind::separator, {}); }

platform::MenuItemModel label(std::string title) {
  auto item = entry(Kind::label, std::move(title));
  item.enabled = false;
  return item;
}

// The nearest integer, halves away from zero, negatives reading 0; capped inside int64 so a huge
// finite count cannot overflow the conversion.
int64_t countValue(double value) {
  const double r = std::round(value);
  if (!(r > 0)) return 0;
  constexpr double top = 9.2e18;
  return r >= top ? static_cast<int64_t>(top) : static_cast<int64_t>(r);
}

}  // namespace

StatusItemController::StatusItemController(platform::MainLoop& loop, platform::StatusBar& bar,
                                           const platform::Locale& locale, const platform::Screens& screens)
    : loop_(loop), bar_(bar), locale_(locale), screens_(screens) {}

StatusItemController::~StatusItemController() = default;

std::shared_ptr<StatusItemController> StatusItemController::create(platform::MainLoop& loop, platform::StatusBar& bar,
                                                                   const platform::Locale& locale,
                                                                   const platform::Screens& screens) {
  std::shared_ptr<StatusItemController> controller(new StatusItemController(loop, bar, locale, screens));
  controller->start();
  return controller;
}

void StatusItemController::start() {
  item_ = bar_.createSquareItem();
  item_->setMenuProvider(weakCallback(weak_from_this(), loop_, [](StatusItemController& c) {
    c.willOpen();
    return c.buildMenu();
  }));
  item_->setToolTip(localized("app.name"));  // once; a later language change leaves it
  applyIcon();
  scheduleDayRollover();
}

void StatusItemController::assertMainThread() const { platform::assertMainThread(loop_); }

// ---- Texts

void StatusItemController::setLanguage(Lang lang, const platform::Resources& resources,
                                       platform::FileSystem& files) {
  auto table = loadLanguage(rawValue(lang), resources, files);
  // The development language stands in for a missing folder or a broken table.
  if (!table && lang != Lang::en) table = loadLanguage(rawValue(Lang::en), resources, files);
  localization() = std::make_shared<StringsTable>(table ? std::move(*table) : StringsTable());
}

std::string StatusItemController::localized(std::string_view key) { return localization()->text(key); }

std::string StatusItemController::count(double value) const {
  const auto text = locale_.formatInteger(countValue(value));
  return text && !text->empty() ? *text : "0";
}

std::vector<std::string> StatusItemController::statusLines() const {
  if (!status) return {localized("status.loading")};
  const StatusInfo& st = *status;
  const bool isToday = locale_.localDayString(loop_.now()) == st.day;

  const double level = std::clamp(std::trunc(st.affectionLevel), 0.0, 99.0);
  const int filled =
      st.affectionProgress <= 0 ? 0 : static_cast<int>(std::floor(std::min(st.affectionProgress, 1.0) * 5));
  std::string hearts;
  for (int i = 0; i < 5; ++i) hearts += i < filled ? "\u2665" : "\u2661";

  auto today = [&](double v) { return count(isToday ? v : 0); };
  return {
      formatText(localized("status.pet"), {graphemePrefix(st.petName, nameChars), count(level), hearts}),
      formatText(localized("status.paws"), {today(st.todayPaws), count(st.paws)}),
      formatText(localized("status.land"), {today(st.todayKeys), today(st.todayCells), today(st.todayBoards)}),
  };
}

// ---- Menu

platform::MenuItemModel StatusItemController::actionItem(std::string_view key,
                                                         std::function<void(StatusItemController&)> run,
                                                         std::string keyEquivalent, bool checked) {
  auto item = entry(Kind::action, localized(key), weakCallback(weak_from_this(), loop_, std::move(run)));
  item.keyEquivalent = std::move(keyEquivalent);
  item.checked = checked;
  return item;
}

platform::MenuItemModel StatusItemController::groundItem(GroundMode current) {
  auto item = entry(Kind::submenu, localized("menu.ground"));
  for (GroundMode mode : allCases<GroundMode>()) {
    item.children.push_back(actionItem(
        "menu.ground." + std::string(rawValue(mode)), [mode](StatusItemController& c) { c.actions.setGround(mode); },
        {}, mode == current));
  }
  return item;
}

platform::MenuModel StatusItemController::buildMenu() {
  const State s = state();
  platform::MenuModel m;
  if (s.webStopped) {
    m.push_back(actionItem("menu.reload", [](StatusItemController& c) { c.actions.reloadWeb(); }));
    m.push_back(separator());
  }
  for (auto& line : statusLines()) m.push_back(label(std::move(line)));
  m.push_back(separator());
  if (status && status->giftWaiting) m.push_back(actionItem("menu.gift", [](auto& c) { c.actions.gift(); }));
  m.push_back(actionItem("menu.wardrobe", [](auto& c) { c.actions.wardrobe(); }, "o"));
  m.push_back(actionItem("menu.book", [](auto& c) { c.actions.book(); }));
  m.push_back(separator());
  m.push_back(actionItem("menu.onTop", [](auto& c) { c.actions.toggleOnTop(); }, {}, s.prefs.onTop));
  m.push_back(actionItem("menu.summon", [](auto& c) { c.actions.summon(); }));
  m.push_back(actionItem("menu.clearLand", [](auto& c) { c.actions.clearLand(); }));
  m.push_back(groundItem(s.prefs.ground));
  m.push_back(actionItem("menu.rest", [](auto& c) { c.actions.toggleResting(); }, {}, s.prefs.resting));
  m.push_back(actionItem(s.hidden ? "menu.show" : "menu.hideHour", [](auto& c) { c.actions.toggleHidden(); }));
  m.push_back(actionItem("menu.sound", [](auto& c) { c.actions.toggleSound(); }, {}, s.prefs.sound));
  m.push_back(actionItem("menu.launchAtLogin", [](auto& c) { c.actions.toggleLaunchAtLogin(); }, {},
                         s.prefs.launchAtLogin));
  m.push_back(separator());
  if (!s.permissionGranted) m.push_back(actionItem("menu.permission", [](auto& c) { c.actions.permission(); }));
  m.push_back(actionItem("menu.settings", [](auto& c) { c.actions.settings(); }, ","));
  m.push_back(entry(Kind::action, localized("menu.update"), checkForUpdates));
  m.push_back(actionItem("menu.quit", [](auto& c) { c.actions.quit(); }, "q"));
  return m;
}

void StatusItemController::popUpMenu(platform::PetPanel* view) {
  assertMainThread();
  willOpen();
  bar_.popUpMenu(buildMenu(), view);
}

void StatusItemController::menuChanged() {
  if (refreshPosted_) return;
  refreshPosted_ = true;
  loop_.post(weakCallback(weak_from_this(), loop_, [](StatusItemController& c) {
    c.refreshPosted_ = false;
    c.item_->invalidateMenu();
  }));
}

// The today figures turn to 0 at local midnight; an exported menu must notice without an event.
void StatusItemController::scheduleDayRollover() {
  // Search whole seconds: time-zone offsets are whole seconds, so the boundary is one of them.
  auto before = static_cast<int64_t>(std::floor(loop_.now()));
  const std::string today = locale_.localDayString(static_cast<double>(before));
  int64_t after = before + 26 * 3600;  // a local day lasts at most 25 hours
  if (locale_.localDayString(static_cast<double>(after)) == today) return;
  while (after - before > 1) {
    const int64_t mid = before + (after - before) / 2;
    (locale_.localDayString(static_cast<double>(mid)) == today ? before : after) = mid;
  }
  dayWork_ = loop_.scheduleAtWallTime(static_cast<double>(after),
                                      weakCallback(weak_from_this(), loop_, [](StatusItemController& c) {
                                        c.menuChanged();
                                        c.scheduleDayRollover();
                                      }));
}

// ---- Icon and title

void StatusItemController::applyIcon() {
  if (!item_->hasButton()) return;
  if (face_) {
    item_->setImage(face_);
  } else {
    // The paw-print symbol ("pawprint.fill"), drawn as a template.
    item_->setSymbolImage("brindlow-paw-symbolic", localized("app.name"));
  }
}

void StatusItemController::setIcon(const std::vector<uint8_t>& png) {
  assertMainThread();
  if (face_ && png == faceBytes_) return;  // the page resends its face on every mood change
  auto image = bar_.decodeImage(png, faceSize, faceSize);
  if (!image) {
    warnOnce("status.icon", "status.icon: not an image");
    return;
  }
  face_ = std::move(image);
  faceBytes_ = png;
  applyIcon();
}

void StatusItemController::updatePawsTitle() {
  assertMainThread();
  menuChanged();
  if (!item_->hasButton()) return;
  std::string title;
  if (menuPaws) title = " " + count(status ? status->paws : 0);
  if (title == pawsTitle_) return;
  pawsTitle_ = title;
  item_->setTitle(title, title.empty() ? platform::ImagePosition::imageOnly : platform::ImagePosition::imageLeft);
}

// ---- Hint

void StatusItemController::showHint(std::string_view text) {
  assertMainThread();
  if (!item_->hasButton() || !item_->buttonWindowVisibleAndUnoccluded()) return;
  if (text.empty()) return;
  closeHint();
  item_->showHint(text);
  hintShown_ = true;
  hintWork_ = loop_.scheduleAfter(
      hintSeconds, weakCallback(weak_from_this(), loop_, [](StatusItemController& c) { c.closeHint(); }));
}

void StatusItemController::closeHint() {
  hintWork_.cancel();
  if (!hintShown_) return;
  hintShown_ = false;
  item_->closeHint();
}

// ---- Visibility

bool StatusItemController::isOffMenuBar() const {
  if (!item_->isVisible() || !item_->hasButton()) return true;
  // A host that draws the button without saying where has it on its bar as long as the item shows.
  if (!item_->knowsButtonGeometry()) return false;
  const auto r = item_->buttonScreenRect();
  if (!r || r->w <= 0) return true;
  for (const auto& display : screens_.displays())
    if (r->intersection(display.frame)) return false;  // both in page coordinates
  return true;
}

}  // namespace brindlow
