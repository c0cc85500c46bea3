#include "services/StatusItemController.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/fake/FakeFileSystem.h"
#include "platform/fake/FakeLocale.h"
#include "platform/fake/FakeMainLoop.h"
#include "platform/fake/FakeResources.h"
#include "platform/fake/FakeScreens.h"
#include "platform/fake/FakeStatusBar.h"
#include "support/LogCapture.h"
#include "util/StringsTable.h"

namespace brindlow {
namespace {

using platform::ImagePosition;
using platform::MenuItemModel;
using platform::MenuModel;
using Kind = MenuItemModel::Kind;

constexpr double kToday = 1.7e9;  // 2023-11-14 22:13:20 UTC, the fake loop's start
const char* const kTodayString = "2023-11-14";

std::vector<std::string> titles(const MenuModel& menu) {
  std::vector<std::string> out;
  for (const auto& item : menu) out.push_back(item.kind == Kind::separator ? "---" : item.title);
  return out;
}

const MenuItemModel& find(const MenuModel& menu, const std::vector<std::string>& path) {
  const MenuItemModel* item = fake::findMenuItem(menu, path);
  if (item == nullptr) throw std::runtime_error("no menu item " + path.back());
  return *item;
}

StatusInfo sampleStatus() {
  StatusInfo s;
  s.day = kTodayString;
  s.todayPaws = 12;
  s.paws = 1234.5;
  s.todayKeys = 4321;
  s.todayCells = 7;
  s.todayBoards = 2;
  s.affectionLevel = 5.7;
  s.affectionProgress = 0.5;
  s.petName = "Mochi";
  return s;
}

// Leaves the shared texts empty (keys shown), as a fresh run finds them.
void forgetLanguage() {
  fake::FakeFileSystem none;
  StatusItemController::setLanguage(Lang::en, fake::FakeResources(), none);
}

// The status formats are in the table; every menu key is missing, so menu titles read as their keys.
class StatusItemControllerTest : public ::testing::Test {
 protected:
  StatusItemControllerTest() {
    files.setFile("/res/en.lproj/Localizable.strings",
                  "\"status.loading\" = \"loading\";\n"
                  "\"status.pet\" = \"%@ L%@ %@\";\n"
                  "\"status.paws\" = \"paws %@ of %@\";\n"
                  "\"status.land\" = \"land %@ %@ %@\";\n");
    resources.setResource("en", "lproj", "/res/en.lproj");
    StatusItemController::setLanguage(Lang::en, resources, files);
    controller = StatusItemController::create(loop, bar, locale, screens);
    item = bar.item();
  }
  ~StatusItemControllerTest() override { forgetLanguage(); }

  std::vector<std::string> lines() {
    std::vector<std::string> out;
    for (const auto& i : item->openMenu())
      if (i.kind == Kind::label) out.push_back(i.title);
    return out;
  }

  test::LogCapture log;
  fake::FakeMainLoop loop;
  fake::FakeStatusBar bar;
  fake::FakeScreens screens;
  fake::FakeLocale locale;
  fake::FakeResources resources;
  fake::FakeFileSystem files;
  std::shared_ptr<StatusItemController> controller;
  fake::FakeStatusItem* item = nullptr;
};

TEST_F(StatusItemControllerTest, StartsAsSquareItemWithSymbolAndToolTip) {
  EXPECT_EQ(item->length(), -2);
  EXPECT_EQ(item->toolTip(), "app.name");
  EXPECT_TRUE(item->symbol());
  EXPECT_EQ(item->imageSets(), 1);
  EXPECT_EQ(item->titleSets(), 0);
}

TEST_F(StatusItemControllerTest, MenuIsRebuiltAtEveryOpening) {
  int opened = 0;
  controller->willOpen = [&] { ++opened; };
  const std::vector<std::string> plain = {
      "loading",        "---",          "menu.wardrobe",   "menu.book",          "---",
      "menu.onTop",     "menu.summon",  "menu.clearLand",  "menu.ground",        "menu.rest",
      "menu.hideHour",  "menu.sound",   "menu.launchAtLogin", "---",             "menu.permission",
      "menu.settings",  "menu.update",  "menu.quit"};
  MenuModel menu = item->openMenu();
  EXPECT_EQ(titles(menu), plain);
  EXPECT_FALSE(menu[0].enabled);
  EXPECT_EQ(find(menu, {"menu.wardrobe"}).keyEquivalent, "o");
  EXPECT_EQ(find(menu, {"menu.settings"}).keyEquivalent, ",");
  EXPECT_EQ(find(menu, {"menu.quit"}).keyEquivalent, "q");
  EXPECT_TRUE(find(menu, {"menu.onTop"}).checked);  // registered defaults: on top, sound on
  EXPECT_TRUE(find(menu, {"menu.sound"}).checked);
  EXPECT_FALSE(find(menu, {"menu.rest"}).checked);

  StatusItemController::State s;
  s.webStopped = true;
  s.permissionGranted = true;
  s.hidden = true;
  s.prefs.onTop = false;
  s.prefs.resting = true;
  s.prefs.launchAtLogin = true;
  controller->state = [&] { return s; };
  controller->status = sampleStatus();
  controller->status->giftWaiting = true;
  menu = item->openMenu();
  EXPECT_EQ(titles(menu), (std::vector<std::string>{
                              "menu.reload", "---", "Mochi L5 \u2665\u2665\u2661\u2661\u2661", "paws 12 of 1,235",
                              "land 4,321 7 2", "---", "menu.gift", "menu.wardrobe", "menu.book", "---",
                              "menu.onTop", "menu.summon", "menu.clearLand", "menu.ground", "menu.rest",
                              "menu.show", "menu.sound", "menu.launchAtLogin", "---", "menu.settings",
                              "menu.update", "menu.quit"}));
  EXPECT_FALSE(find(menu, {"menu.onTop"}).checked);
  EXPECT_TRUE(find(menu, {"menu.rest"}).checked);
  EXPECT_TRUE(find(menu, {"menu.launchAtLogin"}).checked);

  controller->status->giftWaiting = false;
  EXPECT_FALSE(fake::findMenuItem(item->openMenu(), {"menu.gift"}));
  EXPECT_EQ(opened, 3);
}

TEST_F(StatusItemControllerTest, ChoicesRunTheirActionsAndGroundMarksOneMode) {
  std::vector<std::string> ran;
  auto record = [&](const char* name) { return [&ran, name] { ran.push_back(name); }; };
  controller->actions.wardrobe = record("wardrobe");
  controller->actions.quit = record("quit");
  controller->actions.toggleHidden = record("toggleHidden");
  controller->actions.setGround = [&](GroundMode g) { ran.push_back("ground " + std::string(rawValue(g))); };
  controller->checkForUpdates = record("update");
  StatusItemController::State s;
  s.prefs.ground = GroundMode::windows;
  controller->state = [&] { return s; };

  const MenuItemModel ground = find(item->openMenu(), {"menu.ground"});
  ASSERT_EQ(ground.kind, Kind::submenu);
  ASSERT_EQ(ground.children.size(), 3u);
  EXPECT_EQ(titles(ground.children),
            (std::vector<std::string>{"menu.ground.bottom", "menu.ground.windows", "menu.ground.placed"}));
  EXPECT_FALSE(ground.children[0].checked);
  EXPECT_TRUE(ground.children[1].checked);
  EXPECT_FALSE(ground.children[2].checked);

  EXPECT_TRUE(item->choose({"menu.wardrobe"}));
  EXPECT_TRUE(item->choose({"menu.ground", "menu.ground.placed"}));
  EXPECT_TRUE(item->choose({"menu.hideHour"}));
  EXPECT_TRUE(item->choose({"menu.update"}));
  EXPECT_TRUE(item->choose({"menu.quit"}));
  EXPECT_EQ(ran, (std::vector<std::string>{"wardrobe", "ground placed", "toggleHidden", "update", "quit"}));

  // A menu kept past the controller's life: only the update check still acts.
  const MenuModel kept = item->openMenu();
  controller.reset();
  ran.clear();
  find(kept, {"menu.quit"}).onSelect();
  find(kept, {"menu.ground", "menu.ground.bottom"}).onSelect();
  find(kept, {"menu.update"}).onSelect();
  EXPECT_EQ(ran, (std::vector<std::string>{"update"}));
}

TEST_F(StatusItemControllerTest, ActionMayDestroyTheController) {
  controller->actions.quit = [this] { controller.reset(); };
  controller->willOpen = [] {};
  EXPECT_TRUE(item->choose({"menu.quit"}));
  EXPECT_FALSE(controller);
}

TEST_F(StatusItemControllerTest, TodayFiguresOnlyForTodaysStatus) {
  controller->status = sampleStatus();
  EXPECT_EQ(lines(), (std::vector<std::string>{"Mochi L5 \u2665\u2665\u2661\u2661\u2661", "paws 12 of 1,235",
                                               "land 4,321 7 2"}));
  controller->status->day = "2023-11-13";
  EXPECT_EQ(lines(), (std::vector<std::string>{"Mochi L5 \u2665\u2665\u2661\u2661\u2661", "paws 0 of 1,235",
                                               "land 0 0 0"}));
  // Past local midnight yesterday's figures stop counting as today's.
  controller->status->day = kTodayString;
  loop.setWall(kToday + 2 * 3600);
  EXPECT_EQ(lines()[1], "paws 0 of 1,235");
}

TEST_F(StatusItemControllerTest, LevelHeartsAndCounts) {
  struct Case {
    double level, progress, paws;
    const char* pet;
    const char* paws_line;
  };
  const Case cases[] = {
      {5.7, 0.5, 0, "Mochi L5 \u2665\u2665\u2661\u2661\u2661", "paws 12 of 0"},
      {120, 1.0, 2.5, "Mochi L99 \u2665\u2665\u2665\u2665\u2665", "paws 12 of 3"},
      {-3, 0, -2.5, "Mochi L0 \u2661\u2661\u2661\u2661\u2661", "paws 12 of 0"},
      {99.9, 7, 1e300, "Mochi L99 \u2665\u2665\u2665\u2665\u2665", "paws 12 of 9,200,000,000,000,000,000"},
      {0.2, -0.4, 999.49, "Mochi L0 \u2661\u2661\u2661\u2661\u2661", "paws 12 of 999"},
      {1, 0.99, 1000, "Mochi L1 \u2665\u2665\u2665\u2665\u2661", "paws 12 of 1,000"},
  };
  for (const auto& c : cases) {
    StatusInfo s = sampleStatus();
    s.affectionLevel = c.level;
    s.affectionProgress = c.progress;
    s.paws = c.paws;
    controller->status = s;
    const auto got = lines();
    EXPECT_EQ(got[0], c.pet) << c.level << " " << c.progress;
    EXPECT_EQ(got[1], c.paws_line) << c.paws;
  }
  locale.setGroupingSeparator(std::nullopt);
  EXPECT_EQ(lines()[1], "paws 0 of 0");
}

TEST_F(StatusItemControllerTest, PetNameIsCutToFortyCharacters) {
  const std::string family = "\U0001F469\u200D\U0001F469\u200D\U0001F467";  // one character, five code points
  std::string name;
  for (int i = 0; i < 50; ++i) name += family;
  StatusInfo s = sampleStatus();
  s.petName = name;
  controller->status = s;
  std::string forty;
  for (int i = 0; i < 40; ++i) forty += family;
  EXPECT_EQ(lines()[0], forty + " L5 \u2665\u2665\u2661\u2661\u2661");
}

TEST_F(StatusItemControllerTest, IconIsTouchedOnlyOnChange) {
  const auto png = fake::FakeStatusBar::pngBytes(8);
  controller->setIcon(png);
  ASSERT_TRUE(item->image());
  EXPECT_EQ(item->image()->bytes, png);
  EXPECT_EQ(item->image()->width, 18);
  EXPECT_EQ(item->image()->height, 18);
  EXPECT_EQ(item->imageSets(), 2);  // the symbol at start, then the face
  controller->setIcon(png);
  EXPECT_EQ(item->imageSets(), 2);

  controller->setIcon({1, 2, 3});
  controller->setIcon({});
  EXPECT_EQ(log.lines(), (std::vector<std::string>{"status.icon: not an image"}));
  EXPECT_EQ(item->image()->bytes, png);  // the old face stays
  EXPECT_EQ(item->imageSets(), 2);

  const auto other = fake::FakeStatusBar::pngBytes(9);
  controller->setIcon(other);
  EXPECT_EQ(item->image()->bytes, other);
  EXPECT_EQ(item->imageSets(), 3);
}

TEST_F(StatusItemControllerTest, PawsTitleIsTouchedOnlyOnChange) {
  controller->updatePawsTitle();
  EXPECT_EQ(item->titleSets(), 0);  // off and empty from the start

  controller->menuPaws = true;
  controller->updatePawsTitle();
  EXPECT_EQ(item->title(), " 0");
  controller->status = sampleStatus();  // paws 1234.5
  controller->updatePawsTitle();
  EXPECT_EQ(item->title(), " 1,235");
  EXPECT_EQ(item->imagePosition(), ImagePosition::imageLeft);
  controller->status->paws = 1235.2;
  controller->updatePawsTitle();
  EXPECT_EQ(item->titleSets(), 2);

  controller->menuPaws = false;
  controller->updatePawsTitle();
  EXPECT_EQ(item->title(), "");
  EXPECT_EQ(item->imagePosition(), ImagePosition::imageOnly);
  EXPECT_EQ(item->titleSets(), 3);
}

TEST_F(StatusItemControllerTest, HintClosesAfterEightSecondsAndANewOneRestartsTheTimer) {
  controller->showHint("first");
  EXPECT_EQ(item->hint(), "first");
  loop.advance(5);
  controller->showHint("second");
  EXPECT_EQ(item->hint(), "second");
  EXPECT_EQ(item->hintsClosed(), 1);
  loop.advance(7.5);
  EXPECT_EQ(item->hint(), "second");
  loop.advance(0.5);
  EXPECT_FALSE(item->hint());
  EXPECT_EQ(item->hintsClosed(), 2);
  EXPECT_EQ(loop.pendingTimers(), 1u);  // only the day rollover is left

  // Empty text, or a window that cannot be seen: nothing shown, the open hint stays.
  controller->showHint("third");
  controller->showHint("");
  item->setButtonWindowVisible(false);
  controller->showHint("hidden");
  EXPECT_EQ(item->hint(), "third");
  EXPECT_EQ(item->hintsShown().size(), 3u);

  controller->closeHint();
  EXPECT_FALSE(item->hint());
  EXPECT_EQ(loop.pendingTimers(), 1u);
}

TEST_F(StatusItemControllerTest, OffMenuBar) {
  struct Case {
    const char* name;
    bool visible;
    bool button;
    std::optional<GRect> rect;
    bool off;
    bool knowsGeometry = true;
  };
  const GRect second{1440, 0, 1920, 1080};
  const Case cases[] = {
      {"on the menu bar", true, true, GRect{1300, 0, 24, 24}, false},
      {"on the second screen", true, true, GRect{2000, 0, 24, 24}, false},
      {"partly on a screen", true, true, GRect{-10, -10, 24, 24}, false},
      {"not visible", false, true, GRect{1300, 0, 24, 24}, true},
      {"no button", true, false, GRect{1300, 0, 24, 24}, true},
      {"no window", true, true, std::nullopt, true},
      {"zero width", true, true, GRect{1300, 0, 0, 24}, true},
      {"on no screen", true, true, GRect{5000, 0, 24, 24}, true},
      {"touching the edge only", true, true, GRect{3360, 0, 24, 24}, true},
      {"host draws it, shown", true, true, std::nullopt, false, false},
      {"host draws it, not registered", false, true, std::nullopt, true, false},
  };
  auto secondDisplay = fake::FakeScreens::defaultDisplay();
  secondDisplay.frame = second;
  screens.setDisplays({fake::FakeScreens::defaultDisplay(), secondDisplay});
  for (const auto& c : cases) {
    item->setVisible(c.visible);
    item->setHasButton(c.button);
    item->setButtonScreenRect(c.rect);
    item->setKnowsButtonGeometry(c.knowsGeometry);
    EXPECT_EQ(controller->isOffMenuBar(), c.off) << c.name;
  }
}

TEST_F(StatusItemControllerTest, WithoutButtonIconTitleAndHintDoNothing) {
  item->setHasButton(false);
  controller->setIcon(fake::FakeStatusBar::pngBytes());
  controller->menuPaws = true;
  controller->updatePawsTitle();
  controller->showHint("hello");
  EXPECT_EQ(item->imageSets(), 1);
  EXPECT_EQ(item->titleSets(), 0);
  EXPECT_TRUE(item->hintsShown().empty());
}

TEST_F(StatusItemControllerTest, ExportedMenuIsRefreshedOncePerTurn) {
  controller->status = sampleStatus();
  controller->updatePawsTitle();
  controller->menuChanged();
  EXPECT_EQ(item->invalidations(), 0);  // never inside the call
  loop.runPosted();
  EXPECT_EQ(item->invalidations(), 1);
  controller->menuChanged();
  loop.runPosted();
  EXPECT_EQ(item->invalidations(), 2);

  // The today figures expire at local midnight, with nothing else happening.
  loop.setWall(1700006400 - 1);
  loop.runPosted();
  EXPECT_EQ(item->invalidations(), 2);
  loop.setWall(1700006400);
  loop.runPosted();
  EXPECT_EQ(item->invalidations(), 3);
  loop.setWall(1700006400 + 86400);
  loop.runPosted();
  EXPECT_EQ(item->invalidations(), 4);

  controller->menuChanged();
  controller.reset();
  loop.runPosted();  // the refresh does nothing once the controller is gone
  EXPECT_EQ(loop.pendingTimers(), 0u);
}

TEST_F(StatusItemControllerTest, ContextMenuIsAFreshMenuAtThePointer) {
  int opened = 0;
  controller->willOpen = [&] { ++opened; };
  controller->popUpMenu(nullptr);
  ASSERT_EQ(bar.popUps().size(), 1u);
  EXPECT_EQ(opened, 1);
  EXPECT_EQ(bar.popUps()[0].view, nullptr);
  EXPECT_EQ(titles(bar.popUps()[0].menu), titles(item->openMenu()));
}

// ---- Languages and the shipped tables

const std::vector<std::string>& usedKeys() {
  static const std::vector<std::string> keys = {
      "app.name",      "status.loading",  "status.pet",          "status.paws",         "status.land",
      "menu.reload",   "menu.gift",       "menu.wardrobe",       "menu.book",           "menu.onTop",
      "menu.summon",   "menu.clearLand",  "menu.ground",         "menu.ground.bottom",  "menu.ground.windows",
      "menu.ground.placed", "menu.rest",  "menu.show",           "menu.hideHour",       "menu.sound",
      "menu.launchAtLogin", "menu.permission", "menu.settings",  "menu.update",         "menu.quit"};
  return keys;
}

std::string readShipped(Lang lang) {
  const std::string path =
      std::string(BRINDLOW_SOURCE_RESOURCES) + "/" + std::string(rawValue(lang)) + ".lproj/Localizable.strings";
  std::ifstream in(path, std::ios::binary);
  EXPECT_TRUE(in) << path;
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(StatusStringsTest, EveryShippedTableHasEveryKeyAndWholeFormats) {
  const std::map<std::string, size_t> placeholders = {{"status.pet", 3}, {"status.paws", 2}, {"status.land", 3}};
  for (Lang lang : allCases<Lang>()) {
    const auto table = StringsTable::parse(readShipped(lang));
    ASSERT_TRUE(table) << rawValue(lang);
    for (const auto& key : usedKeys()) {
      ASSERT_TRUE(table->contains(key)) << rawValue(lang) << " lacks " << key;
      EXPECT_FALSE(table->text(key).empty()) << rawValue(lang) << " " << key;
    }
    for (const auto& [key, n] : placeholders) {
      const std::vector<std::string> args = {"\x01", "\x02", "\x03"};
      const std::string filled = formatText(table->text(key), std::vector<std::string>(args.begin(), args.begin() + n));
      for (size_t i = 0; i < n; ++i)
        EXPECT_NE(filled.find(args[i]), std::string::npos) << rawValue(lang) << " " << key << " drops argument " << i;
    }
  }
}

TEST(StatusStringsTest, LanguageSelectionFallsBackToTheDevelopmentLanguage) {
  fake::FakeResources resources;
  fake::FakeFileSystem files;
  for (Lang lang : {Lang::ko, Lang::en, Lang::ja}) {
    const std::string folder = "/res/" + std::string(rawValue(lang)) + ".lproj";
    resources.setResource(rawValue(lang), "lproj", folder);
    files.setFile(folder + "/Localizable.strings", readShipped(lang));
  }
  files.setFile("/res/ja.lproj/Localizable.strings", "\"menu.quit\" = broken");
  const auto shipped = [](Lang lang) { return StringsTable::parse(readShipped(lang))->text("menu.quit"); };

  StatusItemController::setLanguage(Lang::ko, resources, files);
  EXPECT_EQ(StatusItemController::localized("menu.quit"), shipped(Lang::ko));
  EXPECT_EQ(StatusItemController::localized("no.such.key"), "no.such.key");
  StatusItemController::setLanguage(Lang::es, resources, files);  // no folder
  EXPECT_EQ(StatusItemController::localized("menu.quit"), shipped(Lang::en));
  StatusItemController::setLanguage(Lang::ja, resources, files);  // a broken table
  EXPECT_EQ(StatusItemController::localized("menu.quit"), shipped(Lang::en));
  files.failNext(fake::FakeFileSystem::Op::readFile, "unreadable", "/res/ko.lproj/Localizable.strings");
  StatusItemController::setLanguage(Lang::ko, resources, files);
  EXPECT_EQ(StatusItemController::localized("menu.quit"), shipped(Lang::en));

  forgetLanguage();
  EXPECT_EQ(StatusItemController::localized("menu.quit"), "menu.quit");
}

}  // namespace
}  // namespace brindlow
