#include "platform/fake/FakeLoginItems.h"

namespace brindlow::fake {

std::optional<std::string> FakeLoginItems::registerMainApp() {
  ++registerCalls;
  if (registerError) return registerError;
  currentStatus = statusAfterRegister;
  return std::nullopt;
}

std::optional<std::string> FakeLoginItems::unregisterMainApp() {
  ++unregisterCalls;
  if (unregisterError) return unregisterError;
  currentStatus = platform::LoginItemStatus::notRegistered;
  return std::nullopt;
}

}  // namespace brindlow::fake
