#pragma once
// The menu-bar item: the pet's face or the paw symbol, the paws count beside it, a menu rebuilt
// from scratch at every opening, and short hints. It acts on nothing itself: every menu choice
// runs one of `actions`, which the application delegate fills.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/Lang.h"
#include "model/PageBodies.h"
#include "model/Prefs.h"
#include "model/Surface.h"
#include "platform/MenuModel.h"
#include "platform/TaskHandle.h"

namespace brindlow::platform {
class FileSystem;
class Image;
class Locale;
class MainLoop;
class PetPanel;
class Resources;
class Screens;
class StatusBar;
class StatusItem;
}  // namespace brindlow::platform

namespace brindlow {

class StringsTable;

class StatusItemController : public std::enable_shared_from_this<StatusItemController> {
 public:
  // What the menu shows besides the page's status; asked at every build.
  struct State {
    Prefs prefs;  // member defaults are the registered defaults, launchAtLogin false
    bool permissionGranted = false;
    bool hidden = false;
    bool webStopped = false;
    bool operator==(const State&) const = default;
  };

  // One callback per menu choice, in menu order of the record; no-ops until the delegate fills them.
  struct Actions {
    std::function<void()> wardrobe = [] {};
    std::function<void()> book = [] {};
    std::function<void()> gift = [] {};
    std::function<void()> summon = [] {};
    std::function<void()> clearLand = [] {};
    std::function<void()> settings = [] {};
    std::function<void()> permission = [] {};
    std::function<void()> toggleOnTop = [] {};
    std::function<void()> toggleResting = [] {};
    std::function<void()> toggleSound = [] {};
    std::function<void()> toggleLaunchAtLogin = [] {};
    std::function<void()> toggleHidden = [] {};
    std::function<void(GroundMode)> setGround = [](GroundMode) {};
    std::function<void()> reloadWeb = [] {};
    std::function<void()> quit = [] {};
  };

  static constexpr double hintSeconds = 8.0;
  static constexpr std::size_t nameChars = 40;
  static constexpr double faceSize = 18.0;  // points, both sides

  // Creates the square item, its menu provider and tooltip, and puts the paw symbol on it.
  [[nodiscard]] static std::shared_ptr<StatusItemController> create(platform::MainLoop& loop, platform::StatusBar& bar,
                                                                    const platform::Locale& locale,
                                                                    const platform::Screens& screens);
  ~StatusItemController();
  StatusItemController(const StatusItemController&) = delete;
  StatusItemController& operator=(const StatusItemController&) = delete;

  // Selects the texts of `lang` for every native text; the development language (en) when its
  // folder or table is missing or broken. Works before any controller exists. Texts already shown
  // keep their language: call menuChanged() afterwards so an exported menu picks the new one up.
  static void setLanguage(Lang lang, const platform::Resources& resources, platform::FileSystem& files);
  // The text of `key` in the selected language; the key itself when it is missing.
  static std::string localized(std::string_view key);

  Actions actions;
  std::function<State()> state = [] { return State{}; };
  std::function<void()> willOpen = [] {};
  // The update check; the menu item copies it, so it holds no reference to the controller.
  std::function<void()> checkForUpdates = [] {};
  // The page's last status, written by the bridge, which then calls updatePawsTitle().
  std::optional<StatusInfo> status;
  // Whether the paws count follows the icon; written by the delegate, which then calls updatePawsTitle().
  bool menuPaws = false;

  platform::StatusItem& item() { return *item_; }

  // The menu as it should be now: status lines, the page's panels, toggles, ground, permission,
  // settings, update check and quit.
  platform::MenuModel buildMenu();
  std::vector<std::string> statusLines() const;
  platform::MenuItemModel groundItem(GroundMode current);
  // Runs willOpen and pops a fresh menu up at the pointer, over `view` when given.
  void popUpMenu(platform::PetPanel* view);

  // Shows `text` beside the item for 8 s; dropped while the item cannot be seen or when empty.
  void showHint(std::string_view text);
  void closeHint();

  // Makes PNG data the face; data that is not an image is logged once and leaves the face as it was.
  void setIcon(const std::vector<uint8_t>& png);
  void applyIcon();
  // Puts " <paws>" beside the icon while menuPaws is on; touches the item only when the text changes.
  // Also refreshes the exported menu, since the bridge calls it after each new status.
  void updatePawsTitle();

  // Whether the item cannot be seen on any screen.
  bool isOffMenuBar() const;

  // Something the menu reads changed (preferences, permission, hidden, stopped page, language):
  // hosts that do not ask before opening get the rebuilt menu on the next turn. Coalesced.
  void menuChanged();

 private:
  StatusItemController(platform::MainLoop& loop, platform::StatusBar& bar, const platform::Locale& locale,
                       const platform::Screens& screens);
  void start();
  std::string count(double value) const;
  platform::MenuItemModel actionItem(std::string_view key, std::function<void(StatusItemController&)> run,
                                     std::string keyEquivalent = {}, bool checked = false);
  void scheduleDayRollover();
  void assertMainThread() const;

  platform::MainLoop& loop_;
  platform::StatusBar& bar_;
  const platform::Locale& locale_;
  const platform::Screens& screens_;
  std::unique_ptr<platform::StatusItem> item_;
  std::shared_ptr<platform::Image> face_;
  std::vector<uint8_t> faceBytes_;
  std::string pawsTitle_;
  bool hintShown_ = false;
  platform::TaskHandle hintWork_;
  platform::TaskHandle dayWork_;
  bool refreshPosted_ = false;
};

}  // namespace brindlow
