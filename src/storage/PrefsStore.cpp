#include "storage/PrefsStore.h"

#include <string>

#include "platform/Defaults.h"
#include "platform/LoginItems.h"
#include "platform/MainLoop.h"
#include "util/Enum.h"
#include "util/Log.h"

namespace brindlow {

namespace {

constexpr const char* kOnTop = "prefs.onTop";
constexpr const char* kSound = "prefs.sound";
constexpr const char* kResting = "prefs.resting";
constexpr const char* kLandShow = "prefs.landShow";
constexpr const char* kHideOnFullscreen = "prefs.hideOnFullscreen";
constexpr const char* kMenuPaws = "prefs.menuPaws";
constexpr const char* kLang = "prefs.lang";
constexpr const char* kGround = "prefs.ground";
constexpr const char* kDockIcon = "prefs.dockIcon";

template <class E>
E readEnum(const platform::Defaults& defaults, const char* key, E fallback) {
  const auto text = defaults.stringForKey(key);
  if (!text) return fallback;
  return fromRaw<E>(*text).value_or(fallback);
}

template <class E>
void writeEnum(platform::Defaults& defaults, const char* key, const std::optional<E>& value) {
  if (value) defaults.setString(key, rawValue(*value));
}

void writeBool(platform::Defaults& defaults, const char* key, const std::optional<bool>& value) {
  if (value) defaults.setBool(key, *value);
}

}  // namespace

PrefsStore::PrefsStore(platform::Defaults& defaults, platform::LoginItems& loginItems, platform::MainLoop& mainLoop)
    : defaults_(defaults), loginItems_(loginItems), loop_(mainLoop) {
  const Prefs d;
  defaults_.registerDefaults({
      {kOnTop, d.onTop},
      {kSound, d.sound},
      {kResting, d.resting},
      {kLandShow, std::string(rawValue(d.landShow))},
      {kHideOnFullscreen, d.hideOnFullscreen},
      {kMenuPaws, d.menuPaws},
      {kLang, std::string(rawValue(d.lang))},
      {kGround, std::string(rawValue(d.ground))},
      {kDockIcon, d.dockIcon},
  });
}

Prefs PrefsStore::load() const {
  Prefs p;
  p.onTop = defaults_.boolForKey(kOnTop);
  p.sound = defaults_.boolForKey(kSound);
  p.launchAtLogin = loginItems_.status() == platform::LoginItemStatus::enabled;
  p.resting = defaults_.boolForKey(kResting);
  p.landShow = readEnum(defaults_, kLandShow, LandShow::typing);
  p.hideOnFullscreen = defaults_.boolForKey(kHideOnFullscreen);
  p.menuPaws = defaults_.boolForKey(kMenuPaws);
  p.lang = readEnum(defaults_, kLang, LangPref::automatic);
  p.ground = readEnum(defaults_, kGround, GroundMode::bottom);
  p.dockIcon = defaults_.boolForKey(kDockIcon);
  return p;
}

Prefs PrefsStore::apply(const PrefsPatch& patch) {
  const Prefs old = load();
  writeBool(defaults_, kOnTop, patch.onTop);
  writeBool(defaults_, kSound, patch.sound);
  writeBool(defaults_, kResting, patch.resting);
  writeEnum(defaults_, kLandShow, patch.landShow);
  writeBool(defaults_, kHideOnFullscreen, patch.hideOnFullscreen);
  writeBool(defaults_, kMenuPaws, patch.menuPaws);
  writeEnum(defaults_, kLang, patch.lang);
  writeEnum(defaults_, kGround, patch.ground);
  writeBool(defaults_, kDockIcon, patch.dockIcon);
  if (patch.launchAtLogin && *patch.launchAtLogin != old.launchAtLogin) setLaunchAtLogin(*patch.launchAtLogin);
  Prefs now = load();
  if (now != old && onChange) onChange(now, old);
  return now;
}

void PrefsStore::setLaunchAtLogin(bool on) {
  std::optional<std::string> error;
  if (on) {
    error = loginItems_.registerMainApp();
    if (!error && loginItems_.status() == platform::LoginItemStatus::requiresApproval) {
      loginItems_.openLoginItemsSettings();
    }
  } else {
    error = loginItems_.unregisterMainApp();
  }
  if (error) {
    loop_.post([line = "login item: " + *error] { logError(line); });
  }
}

}  // namespace brindlow
