#include "bridge/GeometryJson.h"

namespace brindlow {

bool readJson(const Json& j, GPoint& out) {
  return JsonObjectReader(j).required("x", out.x).required("y", out.y).ok();
}

bool writeJson(Json& out, const GPoint& value) {
  return JsonObjectWriter().field("x", value.x).field("y", value.y).finish(out);
}

bool readJson(const Json& j, GRect& out) {
  return JsonObjectReader(j).required("x", out.x).required("y", out.y).required("w", out.w).required("h", out.h).ok();
}

bool writeJson(Json& out, const GRect& value) {
  return JsonObjectWriter()
      .field("x", value.x)
      .field("y", value.y)
      .field("w", value.w)
      .field("h", value.h)
      .finish(out);
}

bool readJson(const Json& j, ScreenInfo& out) {
  return JsonObjectReader(j)
      .required("key", out.key)
      .required("frame", out.frame)
      .required("visible", out.visible)
      .required("scale", out.scale)
      .required("primary", out.primary)
      .ok();
}

bool writeJson(Json& out, const ScreenInfo& value) {
  return JsonObjectWriter()
      .field("key", value.key)
      .field("frame", value.frame)
      .field("visible", value.visible)
      .field("scale", value.scale)
      .field("primary", value.primary)
      .finish(out);
}

bool readJson(const Json& j, KeysEvent& out) {
  return JsonObjectReader(j).required("n", out.n).required("at", out.at).required("span", out.span).ok();
}

bool writeJson(Json& out, const KeysEvent& value) {
  return JsonObjectWriter().field("n", value.n).field("at", value.at).field("span", value.span).finish(out);
}

bool readJson(const Json& j, SurfaceLine& out) {
  return JsonObjectReader(j).required("x", out.x).required("y", out.y).required("w", out.w).ok();
}

bool writeJson(Json& out, const SurfaceLine& value) {
  return JsonObjectWriter().field("x", value.x).field("y", value.y).field("w", value.w).finish(out);
}

bool readJson(const Json& j, Surface& out) {
  return JsonObjectReader(j)
      .required("id", out.id)
      .required("kind", out.kind)
      .required("x", out.x)
      .required("y", out.y)
      .required("w", out.w)
      .required("screen", out.screen)
      .ok();
}

bool writeJson(Json& out, const Surface& value) {
  return JsonObjectWriter()
      .field("id", value.id)
      .field("kind", value.kind)
      .field("x", value.x)
      .field("y", value.y)
      .field("w", value.w)
      .field("screen", value.screen)
      .finish(out);
}

}  // namespace brindlow
