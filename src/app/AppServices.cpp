#include "app/AppServices.h"

#include <utility>

#include "platform/Resources.h"
#include "services/AppInfo.h"

namespace brindlow {

AppServices AppServices::create(const platform::Platform& platform) {
  platform::MainLoop& loop = *platform.mainLoop;
  AppServices s;
  s.prefs = std::make_shared<PrefsStore>(*platform.defaults, *platform.loginItems, loop);
  s.permission = std::make_shared<InputPermission>(*platform.keyTap, *platform.defaults, loop, *platform.workspace);
  s.keys = std::make_shared<KeyCounter>(*platform.keyTap, *platform.defaults, loop);
  s.watch = std::make_shared<SystemWatch>(loop, *platform.systemEvents, *platform.screens, *platform.processInfo,
                                          [locale = platform.locale] { return detectLang(*locale); });
  s.saveFile = std::make_shared<SaveFile>(*platform.fileSystem);
  s.land = std::make_shared<LandStrips>(loop, *platform.windowServer);
  s.ground = std::make_shared<AppWindows>(loop, *platform.windowList, *platform.mouseMonitor, *platform.workspace,
                                          *platform.processInfo);
  s.bridge = std::make_shared<Bridge>(platform, platform.resources->resourceDirectory());
  return s;
}

std::shared_ptr<PetWindowController> AppServices::makeWindow(const platform::Platform& platform,
                                                             std::shared_ptr<platform::WebViewConfig> config,
                                                             bool onTop) {
  return PetWindowController::create(*platform.mainLoop, *platform.screens, *platform.windowServer,
                                     *platform.webEngine, *platform.mouseMonitor, std::move(config), onTop);
}

std::shared_ptr<StatusItemController> AppServices::makeStatus(const platform::Platform& platform) {
  return StatusItemController::create(*platform.mainLoop, *platform.statusBar, *platform.locale, *platform.screens);
}

Bridge::Parts AppServices::parts(std::shared_ptr<PetWindowController> window,
                                 std::shared_ptr<StatusItemController> status) const {
  Bridge::Parts p;
  p.prefs = prefs;
  p.permission = permission;
  p.save = saveFile;
  p.window = std::move(window);
  p.land = land;
  p.status = std::move(status);
  p.watch = watch;
  p.ground = ground;
  return p;
}

}  // namespace brindlow
