#include "platform/EwmhWindow.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace brindlow::EwmhWindow {

namespace {

constexpr std::string_view kTypePrefix = "_NET_WM_WINDOW_TYPE_";
// Every standard kind beside the ones that get a layer of their own.
constexpr std::array<std::string_view, 10> kOtherKinds{"TOOLBAR",      "MENU",         "UTILITY", "SPLASH",
                                                       "DROPDOWN_MENU", "POPUP_MENU",  "TOOLTIP", "NOTIFICATION",
                                                       "COMBO",         "DND"};

bool has(const std::vector<std::string>& names, std::string_view name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

// The kind without its prefix when it is a standard one, else empty.
std::string_view knownKind(std::string_view type) {
  if (!type.starts_with(kTypePrefix)) return {};
  const std::string_view kind = type.substr(kTypePrefix.size());
  if (kind == "NORMAL" || kind == "DIALOG" || kind == "DOCK" || kind == "DESKTOP") return kind;
  return std::find(kOtherKinds.begin(), kOtherKinds.end(), kind) != kOtherKinds.end() ? kind : std::string_view{};
}

}  // namespace

std::optional<int64_t> layer(const std::vector<std::string>& types, const std::vector<std::string>& states) {
  if (has(states, "_NET_WM_STATE_HIDDEN")) return std::nullopt;
  std::string_view kind = "NORMAL";
  for (const auto& type : types) {
    if (auto k = knownKind(type); !k.empty()) {
      kind = k;
      break;
    }
  }
  if (kind == "DESKTOP") return std::nullopt;
  if (kind == "DOCK") return 20;
  if (kind != "NORMAL" && kind != "DIALOG") return 8;
  if (has(states, "_NET_WM_STATE_ABOVE")) return 3;
  if (has(states, "_NET_WM_STATE_BELOW")) return -1;
  return 0;
}

}  // namespace brindlow::EwmhWindow
