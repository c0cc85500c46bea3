#pragma once
#include <functional>

#include "model/Prefs.h"

namespace brindlow {

namespace platform {
class Defaults;
class LoginItems;
class MainLoop;
}  // namespace platform

// The preferences, kept in the user defaults under "prefs." keys and handed out as one snapshot.
// Launch at login is not stored: it is the login-item service's own status.
class PrefsStore {
 public:
  // Registers the defaults of the nine stored keys.
  PrefsStore(platform::Defaults& defaults, platform::LoginItems& loginItems, platform::MainLoop& mainLoop);

  // Reads every field afresh; stored texts that name no case read as the fallback.
  Prefs load() const;
  // Writes the present fields and gives the snapshot read back; onChange runs first when it differs
  // from the one read before.
  Prefs apply(const PrefsPatch& patch);
  // Registers or unregisters the login item; a failure is logged on a later turn.
  void setLaunchAtLogin(bool on);

  std::function<void(const Prefs& now, const Prefs& old)> onChange;

 private:
  platform::Defaults& defaults_;
  platform::LoginItems& loginItems_;
  platform::MainLoop& loop_;
};

}  // namespace brindlow
