#pragma once
// The preference snapshot and a partial change of it. Prefs travels to the page (always all ten
// keys); PrefsPatch comes from the page inside "prefs.set" and is also built by the menu toggles.
#include <optional>

#include "model/LandShow.h"
#include "model/Lang.h"
#include "model/Surface.h"

namespace brindlow {

// Member defaults are the registered defaults of the preference keys.
struct Prefs {
  bool onTop = true;
  bool sound = true;
  bool launchAtLogin = false;
  bool resting = false;
  LandShow landShow = LandShow::typing;
  bool hideOnFullscreen = true;
  bool menuPaws = false;
  LangPref lang = LangPref::automatic;
  GroundMode ground = GroundMode::bottom;
  bool dockIcon = false;
  bool operator==(const Prefs&) const = default;
};

// Every field optional: absent leaves that preference unchanged.
struct PrefsPatch {
  std::optional<bool> onTop;
  std::optional<bool> sound;
  std::optional<bool> launchAtLogin;
  std::optional<bool> resting;
  std::optional<LandShow> landShow;
  std::optional<bool> hideOnFullscreen;
  std::optional<bool> menuPaws;
  std::optional<LangPref> lang;
  std::optional<GroundMode> ground;
  std::optional<bool> dockIcon;
  bool operator==(const PrefsPatch&) const = default;
};

}  // namespace brindlow
