#include "platform/linux/LinuxWindowServer.h"

#include "platform/linux/LinuxPetPanel.h"
#include "platform/linux/LinuxStripWindow.h"

namespace brindlow::lnx {

LinuxWindowServer::LinuxWindowServer(platform::MainLoop& loop) : loop_(loop) {}

std::unique_ptr<platform::PetPanel> LinuxWindowServer::createPetPanel() {
  return std::make_unique<LinuxPetPanel>(loop_, stack_);
}

std::unique_ptr<platform::StripWindow> LinuxWindowServer::createStripWindow(GRect frame) {
  return std::make_unique<LinuxStripWindow>(loop_, stack_, frame);
}

}  // namespace brindlow::lnx
