#pragma once
// Records the system sends to the page, as event payloads and request replies (their JSON form is
// bridge/MessagesJson.h).
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/Constants.h"
#include "model/Enums.h"
#include "model/Geometry.h"
#include "model/Lang.h"
#include "model/Prefs.h"

namespace brindlow {

struct PermissionInfo {
  std::string input;  // "granted" or "notGranted"
  bool asked = false;
  bool operator==(const PermissionInfo&) const = default;
};

struct WindowInfo {
  std::string mode;  // "pet" or "panel"
  GRect frame;
  double scale = 1;
  std::optional<std::string> screenKey;  // null when no screen holds the window's centre
  bool operator==(const WindowInfo&) const = default;
};

struct VisibilityInfo {
  bool visible = true;
  std::vector<HiddenReason> reasons;  // in HiddenReason declaration order
  bool operator==(const VisibilityInfo&) const = default;
};

struct PowerInfo {
  bool lowPower = false;
  std::string thermal;  // "nominal", "fair", "serious" or "critical"
  bool operator==(const PowerInfo&) const = default;
};

struct DragEvent {
  std::string phase;  // "move", "end" or "cancel"
  GPoint cursor;
  GPoint origin;
  double t = 0;  // milliseconds of system uptime
  bool operator==(const DragEvent&) const = default;
};

struct PointerNearEvent {
  std::optional<GPoint> at;  // null when the pointer has left
  bool operator==(const PointerNearEvent&) const = default;
};

struct MenuEvent {
  MenuCommand command = MenuCommand::wardrobe;
  std::optional<GPoint> at;  // left out when there is none
  bool operator==(const MenuEvent&) const = default;
};

struct AppWindow {
  std::int64_t id = 0;  // the window server's window number
  double x = 0;
  double y = 0;
  double w = 0;
  double h = 0;
  bool operator==(const AppWindow&) const = default;
};

struct WindowsMsg {
  std::vector<AppWindow> windows;
  bool operator==(const WindowsMsg&) const = default;
};

struct ScreensMsg {
  std::vector<ScreenInfo> screens;
  bool operator==(const ScreensMsg&) const = default;
};

struct LangMsg {
  Lang lang = Lang::en;
  bool operator==(const LangMsg&) const = default;
};

struct SaveWriteRes {
  bool ok = false;
  std::int64_t bytes = 0;  // the text's size in UTF-8 bytes
  bool operator==(const SaveWriteRes&) const = default;
};

struct OpenedRes {
  bool opened = false;
  bool operator==(const OpenedRes&) const = default;
};

struct HelloReply {
  std::int64_t protocol = BridgeVersion::current;
  std::string appVersion;
  std::string build;
  Lang lang = Lang::en;
  std::vector<ScreenInfo> screens;
  WindowInfo window;
  Prefs prefs;
  PermissionInfo permission;
  std::optional<std::string> save;  // the saved text as one JSON string; null when there is no save
  bool saveRecovered = false;
  VisibilityInfo visibility;
  PowerInfo power;
  bool soak = false;  // always false
  bool operator==(const HelloReply&) const = default;
};

}  // namespace brindlow
