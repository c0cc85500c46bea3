#pragma once
#include <memory>

#include "bridge/Bridge.h"
#include "platform/Platform.h"
#include "services/AppWindows.h"
#include "services/InputPermission.h"
#include "services/KeyCounter.h"
#include "services/LandStrips.h"
#include "services/StatusItemController.h"
#include "services/SystemWatch.h"
#include "storage/PrefsStore.h"
#include "storage/SaveFile.h"
#include "window/PetWindowController.h"

namespace brindlow {

// The long-lived services of the program, each on its platform pieces. The delegate, the unit tests'
// bridge rig and the fuzz target all make them here, so what the tests and the fuzzer drive is what
// the program runs.
struct AppServices {
  // In creation order.
  std::shared_ptr<PrefsStore> prefs;
  std::shared_ptr<InputPermission> permission;
  std::shared_ptr<KeyCounter> keys;
  std::shared_ptr<SystemWatch> watch;
  std::shared_ptr<SaveFile> saveFile;
  std::shared_ptr<LandStrips> land;
  std::shared_ptr<AppWindows> ground;
  std::shared_ptr<Bridge> bridge;

  // Creates them in that order and starts none. Every pointer of `platform` that they use must be set
  // and outlive them.
  static AppServices create(const platform::Platform& platform);

  // The pet window on a web-view configuration of the bridge, and the status item.
  static std::shared_ptr<PetWindowController> makeWindow(const platform::Platform& platform,
                                                         std::shared_ptr<platform::WebViewConfig> config, bool onTop);
  static std::shared_ptr<StatusItemController> makeStatus(const platform::Platform& platform);

  // The record the bridge is attached with; relaunch and linkUrl are left to the caller.
  Bridge::Parts parts(std::shared_ptr<PetWindowController> window, std::shared_ptr<StatusItemController> status) const;
};

}  // namespace brindlow
