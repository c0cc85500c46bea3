#include "bridge/PageBodiesJson.h"

#include <string>

#include "model/HexColor.h"
#include "util/Base64.h"

namespace brindlow {

bool readJson(const Json& j, HelloReq& out) {
  return JsonObjectReader(j).required("protocol", out.protocol).required("webVersion", out.webVersion).ok();
}

bool readJson(const Json& j, PrefsSetReq& out) { return JsonObjectReader(j).required("patch", out.patch).ok(); }

bool readJson(const Json& j, OpenLinkReq& out) { return JsonObjectReader(j).required("link", out.link).ok(); }

bool readJson(const Json& j, WindowModeMsg& out) {
  return JsonObjectReader(j).required("mode", out.mode).optional("kind", out.kind).ok();
}

bool readJson(const Json& j, StatusInfo& out) {
  return JsonObjectReader(j)
      .required("day", out.day)
      .required("todayPaws", out.todayPaws)
      .required("paws", out.paws)
      .required("todayKeys", out.todayKeys)
      .required("todayCells", out.todayCells)
      .required("todayBoards", out.todayBoards)
      .required("giftWaiting", out.giftWaiting)
      .required("affectionLevel", out.affectionLevel)
      .required("affectionProgress", out.affectionProgress)
      .required("mood", out.mood)
      .required("petName", out.petName)
      .ok();
}

bool readJson(const Json& j, StatusUpdateMsg& out) { return JsonObjectReader(j).required("status", out.status).ok(); }

bool readJson(const Json& j, StatusIconMsg& out) {
  return JsonObjectReader(j).required("png", out.png).required("mood", out.mood).ok();
}

bool readJson(const Json& j, LandPalette& out) {
  std::string top, side;
  if (!JsonObjectReader(j).required("top", top).required("side", side).ok()) return false;
  out.top = parseHexColor(top);
  out.side = parseHexColor(side);
  return true;
}

bool readJson(const Json& j, LandScreen& out) {
  std::string levels;
  if (!JsonObjectReader(j)
           .required("key", out.key)
           .required("cols", out.cols)
           .required("levels", levels)
           .optional("line", out.line)
           .ok()) {
    return false;
  }
  out.levels = decodeBase64(levels);
  return true;
}

bool readJson(const Json& j, LandStateMsg& out) {
  return JsonObjectReader(j).required("palette", out.palette).required("screens", out.screens).ok();
}

bool readJson(const Json& j, LandPaintMsg& out) {
  return JsonObjectReader(j).required("key", out.key).required("changes", out.changes).ok();
}

bool readJson(const Json& j, LandTrailMsg& out) {
  return JsonObjectReader(j).required("key", out.key).required("level", out.level).required("cols", out.cols).ok();
}

bool readJson(const Json& j, StatusHintMsg& out) { return JsonObjectReader(j).required("text", out.text).ok(); }

bool readJson(const Json& j, SurfaceStandMsg& out) {
  return JsonObjectReader(j).optional("surface", out.surface).ok();
}

bool readJson(const Json& j, LogMsg& out) {
  return JsonObjectReader(j).required("level", out.level).required("msg", out.msg).ok();
}

}  // namespace brindlow
