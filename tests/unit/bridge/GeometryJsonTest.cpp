#include "bridge/GeometryJson.h"

#include <gtest/gtest.h>

#include <limits>

namespace brindlow {
namespace {

const ScreenInfo kScreen{"A-1", {0, 0, 1440, 900}, {0, 25, 1440, 875}, 2, true};
const char* kScreenJson = R"({"key": "A-1", "frame": {"x": 0, "y": 0, "w": 1440, "h": 900},
  "visible": {"x": 0, "y": 25, "w": 1440, "h": 875}, "scale": 2, "primary": true})";

TEST(GeometryJson, RecordsWriteEveryFieldAndReadBack) {
  EXPECT_EQ(encode(GPoint{1.5, -2}), Json::parse(R"({"x": 1.5, "y": -2})"));
  EXPECT_EQ(encode(kScreen), Json::parse(kScreenJson));
  EXPECT_EQ(encode(KeysEvent{3, 1.7e12, 250}), Json::parse(R"({"n": 3, "at": 1.7e12, "span": 250})"));
  EXPECT_EQ(encode(SurfaceLine{10, 20, 300}), Json::parse(R"({"x": 10, "y": 20, "w": 300})"));
  const Surface surface{"w-7", SurfaceKind::window, 10, 20, 300, "A-1"};
  const Json surfaceJson =
      Json::parse(R"({"id": "w-7", "kind": "window", "x": 10, "y": 20, "w": 300, "screen": "A-1"})");
  EXPECT_EQ(encode(surface), surfaceJson);

  EXPECT_EQ(decodeStrict<ScreenInfo>(Json::parse(kScreenJson)), kScreen);
  EXPECT_EQ(decodeStrict<Surface>(surfaceJson), surface);
  EXPECT_EQ(decodeStrict<KeysEvent>(Json::parse(R"({"n": 2.0, "at": 5, "span": 0.5})")), (KeysEvent{2, 5, 0.5}));
}

TEST(GeometryJson, DecodingFailsAsAWhole) {
  const char* failing[] = {
      R"({"x": 1, "y": 2})",  // a GRect missing keys
      R"({"x": 1, "y": 2, "w": 3, "h": null})",
      R"({"x": 1, "y": 2, "w": 3, "h": "4"})",
  };
  for (const char* text : failing) {
    SCOPED_TRACE(text);
    EXPECT_FALSE(decodeStrict<GRect>(Json::parse(text)));
  }
  Json screen = Json::parse(kScreenJson);
  screen["visible"].erase("h");
  EXPECT_FALSE(decodeStrict<ScreenInfo>(screen));
  screen = Json::parse(kScreenJson);
  screen["primary"] = 1;
  EXPECT_FALSE(decodeStrict<ScreenInfo>(screen));
  EXPECT_FALSE(decodeStrict<KeysEvent>(Json::parse(R"({"n": 1.5, "at": 5, "span": 0})")));
  EXPECT_FALSE(decodeStrict<Surface>(
      Json::parse(R"({"id": "s", "kind": "ScreenBottom", "x": 0, "y": 0, "w": 1, "screen": "A"})")));
  EXPECT_FALSE(decodeStrict<GroundMode>(Json("Windows")));
  EXPECT_EQ(decodeStrict<LandShow>(Json("off")), LandShow::off);
}

TEST(GeometryJson, NonFiniteNumberFailsNestedEncoding) {
  ScreenInfo screen = kScreen;
  screen.visible.h = std::numeric_limits<double>::infinity();
  EXPECT_FALSE(encode(screen));
  EXPECT_FALSE(encode(KeysEvent{1, std::numeric_limits<double>::quiet_NaN(), 0}));
}

}  // namespace
}  // namespace brindlow
