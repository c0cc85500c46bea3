#pragma once
#include <memory>
#include <optional>
#include <string>

#include "platform/KeyTap.h"
#include "platform/MainLoop.h"

namespace brindlow::lnx {

// Key-down listening through XInput 2 raw key presses of the master keyboards. X11 has no permission
// for this: any client may listen, so listen access stands for the user's own agreement.
class LinuxKeyTap : public platform::KeyTap {
 public:
  explicit LinuxKeyTap(platform::MainLoop& loop);

  bool preflightListenAccess() override { return available_; }
  void requestListenAccess() override { consented_ = true; }
  [[nodiscard]] std::unique_ptr<platform::KeyTapHandle> createListenTap(
      std::function<void(const platform::KeyTapEvent&)> handler) override;
  bool probeListenTap() override { return available_; }
  std::optional<std::string> inputSettingsUrl() const override { return std::nullopt; }

  // Whether the user went through the request; nothing else on X11 asks for it.
  bool listenConsented() const { return consented_; }

 private:
  platform::MainLoop& loop_;
  bool available_ = false;
  bool consented_ = false;
};

}  // namespace brindlow::lnx
