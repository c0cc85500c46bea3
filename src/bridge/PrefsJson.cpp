#include "bridge/PrefsJson.h"

namespace brindlow {

bool writeJson(Json& out, const Prefs& value) {
  return JsonObjectWriter()
      .field("onTop", value.onTop)
      .field("sound", value.sound)
      .field("launchAtLogin", value.launchAtLogin)
      .field("resting", value.resting)
      .field("landShow", value.landShow)
      .field("hideOnFullscreen", value.hideOnFullscreen)
      .field("menuPaws", value.menuPaws)
      .field("lang", value.lang)
      .field("ground", value.ground)
      .field("dockIcon", value.dockIcon)
      .finish(out);
}

bool readJson(const Json& j, PrefsPatch& out) {
  return JsonObjectReader(j)
      .optional("onTop", out.onTop)
      .optional("sound", out.sound)
      .optional("launchAtLogin", out.launchAtLogin)
      .optional("resting", out.resting)
      .optional("landShow", out.landShow)
      .optional("hideOnFullscreen", out.hideOnFullscreen)
      .optional("menuPaws", out.menuPaws)
      .optional("lang", out.lang)
      .optional("ground", out.ground)
      .optional("dockIcon", out.dockIcon)
      .ok();
}

}  // namespace brindlow
