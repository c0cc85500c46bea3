#pragma once
// Decoders of the bodies the page sends (model/PageBodies.h), from the whole message object
// (decodeBody<T>(body) from util/Json.h): fields sit beside "type", which is ignored. Decoding checks
// form only, all or nothing; every range, length and sanity limit is the handler's. The land's texts
// are read into what they stand for: hex colours into colours, base64 levels into bytes. A text that
// does not read is absent there, not a failure, and the land strips decide what that means.
#include "bridge/GeometryJson.h"
#include "bridge/PrefsJson.h"
#include "model/PageBodies.h"
#include "util/Json.h"

namespace brindlow {

bool readJson(const Json& j, HelloReq& out);
bool readJson(const Json& j, PrefsSetReq& out);
bool readJson(const Json& j, OpenLinkReq& out);
bool readJson(const Json& j, WindowModeMsg& out);
bool readJson(const Json& j, StatusInfo& out);
bool readJson(const Json& j, StatusUpdateMsg& out);
bool readJson(const Json& j, StatusIconMsg& out);
bool readJson(const Json& j, LandPalette& out);
bool readJson(const Json& j, LandScreen& out);
bool readJson(const Json& j, LandStateMsg& out);
bool readJson(const Json& j, LandPaintMsg& out);
bool readJson(const Json& j, LandTrailMsg& out);
bool readJson(const Json& j, StatusHintMsg& out);
bool readJson(const Json& j, SurfaceStandMsg& out);
bool readJson(const Json& j, LogMsg& out);

}  // namespace brindlow
