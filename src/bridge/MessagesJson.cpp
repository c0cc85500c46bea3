#include "bridge/MessagesJson.h"

namespace brindlow {

bool writeJson(Json& out, const PermissionInfo& value) {
  return JsonObjectWriter().field("input", value.input).field("asked", value.asked).finish(out);
}

bool writeJson(Json& out, const WindowInfo& value) {
  return JsonObjectWriter()
      .field("mode", value.mode)
      .field("frame", value.frame)
      .field("scale", value.scale)
      .nullIfAbsent("screenKey", value.screenKey)
      .finish(out);
}

bool writeJson(Json& out, const VisibilityInfo& value) {
  return JsonObjectWriter().field("visible", value.visible).field("reasons", value.reasons).finish(out);
}

bool writeJson(Json& out, const PowerInfo& value) {
  return JsonObjectWriter().field("lowPower", value.lowPower).field("thermal", value.thermal).finish(out);
}

bool writeJson(Json& out, const DragEvent& value) {
  return JsonObjectWriter()
      .field("phase", value.phase)
      .field("cursor", value.cursor)
      .field("origin", value.origin)
      .field("t", value.t)
      .finish(out);
}

bool writeJson(Json& out, const PointerNearEvent& value) {
  return JsonObjectWriter().nullIfAbsent("at", value.at).finish(out);
}

bool writeJson(Json& out, const MenuEvent& value) {
  return JsonObjectWriter().field("command", value.command).omittedIfAbsent("at", value.at).finish(out);
}

bool writeJson(Json& out, const AppWindow& value) {
  return JsonObjectWriter()
      .field("id", value.id)
      .field("x", value.x)
      .field("y", value.y)
      .field("w", value.w)
      .field("h", value.h)
      .finish(out);
}

bool writeJson(Json& out, const WindowsMsg& value) {
  return JsonObjectWriter().field("windows", value.windows).finish(out);
}

bool writeJson(Json& out, const ScreensMsg& value) {
  return JsonObjectWriter().field("screens", value.screens).finish(out);
}

bool writeJson(Json& out, const LangMsg& value) { return JsonObjectWriter().field("lang", value.lang).finish(out); }

bool writeJson(Json& out, const SaveWriteRes& value) {
  return JsonObjectWriter().field("ok", value.ok).field("bytes", value.bytes).finish(out);
}

bool writeJson(Json& out, const OpenedRes& value) {
  return JsonObjectWriter().field("opened", value.opened).finish(out);
}

bool writeJson(Json& out, const HelloReply& value) {
  return JsonObjectWriter()
      .field("protocol", value.protocol)
      .field("appVersion", value.appVersion)
      .field("build", value.build)
      .field("lang", value.lang)
      .field("screens", value.screens)
      .field("window", value.window)
      .field("prefs", value.prefs)
      .field("permission", value.permission)
      .nullIfAbsent("save", value.save)
      .field("saveRecovered", value.saveRecovered)
      .field("visibility", value.visibility)
      .field("power", value.power)
      .field("soak", value.soak)
      .finish(out);
}

}  // namespace brindlow
