#pragma once
#include <memory>
#include <optional>
#include <string>

#include "platform/KeyTap.h"
#include "platform/MainLoop.h"
#include "platform/linux/GlibUtil.h"

namespace brindlow::lnx {

// Key-down listening through XInput 2 raw key presses of the master keyboards. X11 has no permission
// for this: any client may listen, so listen access is the user's own yes, recorded by the request in
// a file of its own ($XDG_CONFIG_HOME/brindlow/input-consent). Deleting that file withdraws it: the
// taps drop keys from then on, and the next preflight or probe reads no access.
class LinuxKeyTap : public platform::KeyTap {
 public:
  // `consentPath` replaces the consent file (for tests).
  explicit LinuxKeyTap(platform::MainLoop& loop, std::optional<std::string> consentPath = std::nullopt);
  ~LinuxKeyTap() override;
  LinuxKeyTap(const LinuxKeyTap&) = delete;
  LinuxKeyTap& operator=(const LinuxKeyTap&) = delete;

  bool preflightListenAccess() override { return available_ && consentStored(); }
  void requestListenAccess() override;
  // Null without the user's yes: nothing listens before it.
  [[nodiscard]] std::unique_ptr<platform::KeyTapHandle> createListenTap(
      std::function<void(const platform::KeyTapEvent&)> handler) override;
  bool probeListenTap() override { return preflightListenAccess(); }
  std::optional<std::string> inputSettingsUrl() const override { return std::nullopt; }
  bool consentIsPermission() const override { return true; }


 private:
  // Reads the file again; the taps see the answer at once.
  bool consentStored();
  static void onConsentFileChanged(GFileMonitor*, GFile*, GFile*, GFileMonitorEvent, gpointer self);

  platform::MainLoop& loop_;
  bool available_ = false;
  std::string consentPath_;
  std::shared_ptr<bool> consent_ = std::make_shared<bool>(false);
  GObjectPtr<GFileMonitor> consentMonitor_;
};

}  // namespace brindlow::lnx
