#pragma once
// Bodies the page sends, as records (decoded by bridge/PageBodiesJson.h). Every range, length and
// sanity limit is the handler's.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/Color.h"
#include "model/Enums.h"
#include "model/Geometry.h"
#include "model/LinkId.h"
#include "model/Prefs.h"
#include "model/Surface.h"

namespace brindlow {

// ---- Requests ("brindlowCall").

struct HelloReq {
  std::int64_t protocol = 0;
  std::string webVersion;  // required, not used after decoding
  bool operator==(const HelloReq&) const = default;
};

struct PrefsSetReq {
  PrefsPatch patch;
  bool operator==(const PrefsSetReq&) const = default;
};

struct OpenLinkReq {
  LinkId link = LinkId::support;
  bool operator==(const OpenLinkReq&) const = default;
};

// ---- Fire-and-forget messages ("brindlow").

struct WindowModeMsg {
  std::string mode;  // "pet" or "panel", checked by the handler
  std::optional<PanelKind> kind;
  bool operator==(const WindowModeMsg&) const = default;
};

// The figures of the menu-bar item. Counts are Doubles, so fractional values decode.
struct StatusInfo {
  std::string day;  // "yyyy-MM-dd" of the today figures
  double todayPaws = 0;
  double paws = 0;
  double todayKeys = 0;
  double todayCells = 0;
  double todayBoards = 0;
  bool giftWaiting = false;
  double affectionLevel = 0;
  double affectionProgress = 0;
  Mood mood = Mood::calm;
  std::string petName;
  bool operator==(const StatusInfo&) const = default;
};

struct StatusUpdateMsg {
  StatusInfo status;
  bool operator==(const StatusUpdateMsg&) const = default;
};

struct StatusIconMsg {
  std::string png;  // base64
  Mood mood = Mood::calm;  // required although unused
  bool operator==(const StatusIconMsg&) const = default;
};

// The land colours, read from the page's hex texts; a text that is no colour is absent, and the
// land strips then keep the colour they have.
struct LandPalette {
  std::optional<Color> top;
  std::optional<Color> side;
  bool operator==(const LandPalette&) const = default;
};

struct LandScreen {
  std::string key;
  std::int64_t cols = 0;
  // One byte per column, read from the page's base64 text; absent when that text is not base64. The
  // count and the values are the land strips' to check.
  std::optional<std::vector<std::uint8_t>> levels;
  std::optional<SurfaceLine> line;  // absent for a screen strip
  bool operator==(const LandScreen&) const = default;
};

struct LandStateMsg {
  LandPalette palette;
  std::vector<LandScreen> screens;
  bool operator==(const LandStateMsg&) const = default;
};

struct LandPaintMsg {
  std::string key;
  std::vector<std::vector<std::int64_t>> changes;  // [column, level] pairs; inner lengths not checked here
  bool operator==(const LandPaintMsg&) const = default;
};

struct LandTrailMsg {
  std::string key;
  std::int64_t level = 0;
  std::vector<std::int64_t> cols;
  bool operator==(const LandTrailMsg&) const = default;
};

struct StatusHintMsg {
  std::string text;
  bool operator==(const StatusHintMsg&) const = default;
};

struct SurfaceStandMsg {
  std::optional<Surface> surface;
  bool operator==(const SurfaceStandMsg&) const = default;
};

struct LogMsg {
  std::string level;
  std::string msg;
  bool operator==(const LogMsg&) const = default;
};

}  // namespace brindlow
