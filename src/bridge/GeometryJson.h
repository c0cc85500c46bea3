#pragma once
// The JSON form of the shared geometry records: every field always written, every key required on
// reading (util/Json.h rules). GroundMode, SurfaceKind and LandShow travel as their raw strings
// through the generic enumeration functions of util/Json.h.
#include "model/Geometry.h"
#include "model/KeysEvent.h"
#include "model/LandShow.h"
#include "model/Surface.h"
#include "util/Json.h"

namespace brindlow {

bool readJson(const Json& j, GPoint& out);
bool writeJson(Json& out, const GPoint& value);
bool readJson(const Json& j, GRect& out);
bool writeJson(Json& out, const GRect& value);
bool readJson(const Json& j, ScreenInfo& out);
bool writeJson(Json& out, const ScreenInfo& value);
bool readJson(const Json& j, KeysEvent& out);
bool writeJson(Json& out, const KeysEvent& value);
bool readJson(const Json& j, SurfaceLine& out);
bool writeJson(Json& out, const SurfaceLine& value);
bool readJson(const Json& j, Surface& out);
bool writeJson(Json& out, const Surface& value);

}  // namespace brindlow
