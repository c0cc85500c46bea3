#pragma once
#include <memory>
#include <vector>

#include "platform/WindowServer.h"

namespace brindlow::fake {

class FakePetPanel;
class FakeStripWindow;

// Creates fake windows and keeps track of the live ones. It must outlive every window it made.
// The desktop-icon level is a fixed negative constant, as on the real desktop.
class FakeWindowServer : public platform::WindowServer {
 public:
  static constexpr int kDesktopIconLevel = -2147483623;

  FakeWindowServer() = default;
  FakeWindowServer(const FakeWindowServer&) = delete;
  FakeWindowServer& operator=(const FakeWindowServer&) = delete;

  std::unique_ptr<platform::PetPanel> createPetPanel() override;
  std::unique_ptr<platform::StripWindow> createStripWindow(GRect frame) override;
  int desktopIconLevel() const override { return kDesktopIconLevel; }

  // Live windows in creation order.
  const std::vector<FakePetPanel*>& panels() const { return panels_; }
  const std::vector<FakeStripWindow*>& strips() const { return strips_; }
  FakePetPanel* panel() const { return panels_.empty() ? nullptr : panels_.back(); }
  int stripsCreated() const { return stripsCreated_; }

  void forget(FakePetPanel* panel);
  void forget(FakeStripWindow* strip);

 private:
  std::vector<FakePetPanel*> panels_;
  std::vector<FakeStripWindow*> strips_;
  int stripsCreated_ = 0;
};

}  // namespace brindlow::fake
