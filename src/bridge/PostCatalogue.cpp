#include "bridge/PostCatalogue.h"

#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "model/Constants.h"
#include "platform/Application.h"
#include "services/AppWindows.h"
#include "services/LandStrips.h"
#include "services/StatusItemController.h"
#include "util/Base64.h"
#include "util/Log.h"
#include "util/Text.h"
#include "window/HitTester.h"
#include "window/PetWindowController.h"

namespace brindlow {

namespace {

using Parts = Bridge::Parts;

// Each entry answers whether its body was good; a false makes runPost report the kind.

bool petFrame(const Json& body, const Parts& parts) {
  const std::optional<GRect> frame = Bridge::parseRect(Bridge::member(body, "frame"));
  if (!frame) return false;
  if (parts.window) parts.window->applyPetFrame(*frame);
  return true;
}

bool hitRects(const Json& body, const Parts& parts) {
  const Json* rects = Bridge::member(body, "rects");
  if (rects == nullptr || !rects->is_array() || rects->size() > Limits::hitRectsPosted) return false;
  std::vector<GRect> kept;
  kept.reserve(rects->size());
  for (const Json& element : *rects) {
    if (std::optional<GRect> rect = Bridge::parseRect(&element)) kept.push_back(*rect);
  }
  // An empty list is a real answer: it removes every hit area.
  if (parts.window && parts.window->hitTester()) parts.window->hitTester()->setRects(kept);
  return true;
}

bool windowMode(const Json& body, const Parts& parts) {
  const std::optional<WindowModeMsg> msg = decodeBody<WindowModeMsg>(body);
  if (!msg) return false;
  PetWindowController::Mode mode;
  if (msg->mode == "pet") {
    mode = PetWindowController::Mode::pet();
  } else if (msg->mode == "panel" && msg->kind) {
    mode = PetWindowController::Mode::panelOf(*msg->kind);
  } else {
    return false;
  }
  if (parts.window) parts.window->setMode(mode);
  return true;
}

bool statusUpdate(const Json& body, const Parts& parts) {
  const std::optional<StatusUpdateMsg> msg = decodeBody<StatusUpdateMsg>(body);
  if (!msg || !allFinite(msg->status)) return false;
  if (parts.status) {
    parts.status->status = msg->status;
    parts.status->updatePawsTitle();
  }
  return true;
}

bool statusIcon(const Json& body, const Parts& parts) {
  const std::optional<StatusIconMsg> msg = decodeBody<StatusIconMsg>(body);
  if (!msg || !withinGraphemes(msg->png, Limits::iconBase64Chars)) return false;
  const std::optional<std::vector<uint8_t>> png = decodeBase64(msg->png);
  if (!png || png->size() > Limits::iconBytes) return false;
  if (parts.status) parts.status->setIcon(*png);
  return true;
}

bool landState(const Json& body, const Parts& parts) {
  const std::optional<LandStateMsg> msg = decodeBody<LandStateMsg>(body);
  if (!msg) return false;
  if (parts.land) parts.land->applyState(msg->palette.top, msg->palette.side, msg->screens);
  return true;
}

bool landPaint(const Json& body, const Parts& parts) {
  const std::optional<LandPaintMsg> msg = decodeBody<LandPaintMsg>(body);
  if (!msg) return false;
  if (parts.land) parts.land->applyPaint(msg->key, msg->changes);
  return true;
}

bool landTrail(const Json& body, const Parts& parts) {
  const std::optional<LandTrailMsg> msg = decodeBody<LandTrailMsg>(body);
  if (!msg || msg->cols.size() > Land::maxColumns) return false;
  if (parts.land) parts.land->applyTrail(msg->key, msg->level, msg->cols);
  return true;
}

bool statusHint(const Json& body, const Parts& parts) {
  const std::optional<StatusHintMsg> msg = decodeBody<StatusHintMsg>(body);
  if (!msg || !withinGraphemes(msg->text, Limits::hintChars)) return false;
  if (parts.status) parts.status->showHint(msg->text);
  return true;
}

bool surfaceStand(const Json& body, const Parts& parts) {
  const std::optional<SurfaceStandMsg> msg = decodeBody<SurfaceStandMsg>(body);
  if (!msg) return false;
  const std::optional<Surface>& surface = msg->surface;
  if (surface && (!surface->line().isSane() || !withinGraphemes(surface->id, Limits::surfaceTextChars) ||
                  !withinGraphemes(surface->screen, Limits::surfaceTextChars))) {
    return false;
  }
  // The bottom of a screen is no line of its own: placements fall back to the screen.
  std::optional<SurfaceLine> line;
  if (surface && surface->kind != SurfaceKind::screenBottom) line = surface->line();
  if (parts.window) parts.window->setStandingLine(line);
  if (parts.land) parts.land->stand(line ? std::optional<std::string>(surface->id) : std::nullopt);
  if (parts.ground) parts.ground->followSurface(surface);
  return true;
}

bool log(const Json& body) {
  const std::optional<LogMsg> msg = decodeBody<LogMsg>(body);
  if (!msg) return false;
  if (msg->level == "error" || msg->level == "warn") logError("web: " + graphemePrefix(msg->msg, Limits::logChars));
  return true;
}

}  // namespace

bool allFinite(const StatusInfo& info) {
  for (double value : {info.todayPaws, info.paws, info.todayKeys, info.todayCells, info.todayBoards,
                       info.affectionLevel, info.affectionProgress}) {
    if (!std::isfinite(value)) return false;
  }
  return true;
}

void runPost(PostKind kind, const Json& body, const Parts& parts, platform::Application* application) {
  bool good = true;
  switch (kind) {
    case PostKind::petFrame:
      good = petFrame(body, parts);
      break;
    case PostKind::hitRects:
      good = hitRects(body, parts);
      break;
    case PostKind::dragBegin:
      if (parts.window) parts.window->beginDrag();
      break;
    case PostKind::windowMode:
      good = windowMode(body, parts);
      break;
    case PostKind::menuContext:
      if (parts.status) parts.status->popUpMenu(parts.window ? &parts.window->panel() : nullptr);
      break;
    case PostKind::statusUpdate:
      good = statusUpdate(body, parts);
      break;
    case PostKind::statusIcon:
      good = statusIcon(body, parts);
      break;
    case PostKind::landState:
      good = landState(body, parts);
      break;
    case PostKind::landPaint:
      good = landPaint(body, parts);
      break;
    case PostKind::landTrail:
      good = landTrail(body, parts);
      break;
    case PostKind::statusHint:
      good = statusHint(body, parts);
      break;
    case PostKind::appQuit:
      if (application) application->terminate();
      break;
    case PostKind::surfaceStand:
      good = surfaceStand(body, parts);
      break;
    case PostKind::log:
      good = log(body);
      break;
    case PostKind::debugStats:
      break;
  }
  if (!good) Bridge::dropBadValue(kind);
}

}  // namespace brindlow
