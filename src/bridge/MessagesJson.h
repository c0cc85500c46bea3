#pragma once
// The JSON form of the records the system sends to the page (model/Messages.h). They are only ever
// encoded (encode(value) from util/Json.h); a NaN or infinite number anywhere fails the whole record.
// Absent optional fields are left out, except WindowInfo.screenKey, PointerNearEvent.at and
// HelloReply.save, which are written as null.
#include "bridge/GeometryJson.h"
#include "bridge/PrefsJson.h"
#include "model/Messages.h"
#include "util/Json.h"

namespace brindlow {

bool writeJson(Json& out, const PermissionInfo& value);
bool writeJson(Json& out, const WindowInfo& value);
bool writeJson(Json& out, const VisibilityInfo& value);
bool writeJson(Json& out, const PowerInfo& value);
bool writeJson(Json& out, const DragEvent& value);
bool writeJson(Json& out, const PointerNearEvent& value);
bool writeJson(Json& out, const MenuEvent& value);
bool writeJson(Json& out, const AppWindow& value);
bool writeJson(Json& out, const WindowsMsg& value);
bool writeJson(Json& out, const ScreensMsg& value);
bool writeJson(Json& out, const LangMsg& value);
bool writeJson(Json& out, const SaveWriteRes& value);
bool writeJson(Json& out, const OpenedRes& value);
bool writeJson(Json& out, const HelloReply& value);

}  // namespace brindlow
