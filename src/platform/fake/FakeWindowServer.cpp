#include "platform/fake/FakeWindowServer.h"

#include <algorithm>

#include "platform/fake/FakePetPanel.h"
#include "platform/fake/FakeStripWindow.h"

namespace brindlow::fake {

std::unique_ptr<platform::PetPanel> FakeWindowServer::createPetPanel() {
  auto panel = std::make_unique<FakePetPanel>(this);
  panels_.push_back(panel.get());
  return panel;
}

std::unique_ptr<platform::StripWindow> FakeWindowServer::createStripWindow(GRect frame) {
  auto strip = std::make_unique<FakeStripWindow>(this, frame);
  strips_.push_back(strip.get());
  ++stripsCreated_;
  return strip;
}

void FakeWindowServer::forget(FakePetPanel* panel) { std::erase(panels_, panel); }

void FakeWindowServer::forget(FakeStripWindow* strip) { std::erase(strips_, strip); }

}  // namespace brindlow::fake
