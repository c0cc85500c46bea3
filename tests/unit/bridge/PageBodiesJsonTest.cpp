#include "bridge/PageBodiesJson.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace brindlow {
namespace {

template <class T>
std::optional<T> decoded(const char* text) {
  return decodeBody<T>(Json::parse(text));
}

const char* kStatus = R"({"type": "status.update", "status": {"day": "2026-12-11", "todayPaws": 1, "paws": 12.5,
  "todayKeys": 3, "todayCells": 4, "todayBoards": 0, "giftWaiting": false, "affectionLevel": 2,
  "affectionProgress": 0.5, "mood": "sleepy", "petName": "Mo"}})";

TEST(PageBodies, WellFormedBodiesDecode) {
  EXPECT_EQ(decoded<LogMsg>(R"({"type": "log", "level": "warn", "msg": "web"})"), (LogMsg{"warn", "web"}));
  EXPECT_EQ(decoded<HelloReq>(R"({"type": "app.hello", "protocol": 6, "webVersion": "w1"})"), (HelloReq{6, "w1"}));
  EXPECT_EQ(decoded<OpenLinkReq>(R"({"type": "app.openLink", "link": "inputSettings"})"),
            OpenLinkReq{LinkId::inputSettings});
  EXPECT_EQ(decoded<WindowModeMsg>(R"({"mode": "panel"})"), (WindowModeMsg{"panel", std::nullopt}));
  EXPECT_EQ(decoded<WindowModeMsg>(R"({"mode": "panel", "kind": "settings"})"),
            (WindowModeMsg{"panel", PanelKind::settings}));
  EXPECT_EQ(decoded<LandTrailMsg>(R"({"key": "K", "level": 2.0, "cols": []})"), (LandTrailMsg{"K", 2, {}}));
  EXPECT_EQ(decoded<LandPaintMsg>(R"({"key": "K", "changes": [[1, 2], [3], []]})"),
            (LandPaintMsg{"K", {{1, 2}, {3}, {}}}));
  EXPECT_EQ(decoded<StatusHintMsg>(R"({"text": ""})"), StatusHintMsg{""});
  EXPECT_EQ(decoded<StatusIconMsg>(R"({"png": "iVBO", "mood": "happy"})"), (StatusIconMsg{"iVBO", Mood::happy}));

  const auto status = decoded<StatusUpdateMsg>(kStatus);
  ASSERT_TRUE(status);
  EXPECT_EQ(status->status.paws, 12.5);
  EXPECT_EQ(status->status.mood, Mood::sleepy);
  EXPECT_EQ(status->status.petName, "Mo");
}

TEST(PageBodies, PrefsPatchFieldsAreEachOptional) {
  EXPECT_EQ(decoded<PrefsSetReq>(R"({"patch": {}})"), PrefsSetReq{});
  EXPECT_EQ(decoded<PrefsSetReq>(R"({"patch": {"onTop": null}})"), PrefsSetReq{});
  const auto full = decoded<PrefsSetReq>(R"({"type": "prefs.set", "patch": {"onTop": false, "sound": true,
    "launchAtLogin": true, "resting": true, "landShow": "off", "hideOnFullscreen": false, "menuPaws": true,
    "lang": "auto", "ground": "windows", "dockIcon": true, "unknown": 1}})");
  ASSERT_TRUE(full);
  const PrefsPatch expected{false, true, true, true, LandShow::off, false, true, LangPref::automatic,
                            GroundMode::windows, true};
  EXPECT_EQ(full->patch, expected);
}

TEST(PageBodies, SurfaceAndLineMayBeAbsentOrNull) {
  for (const char* text : {R"({"type": "surface.stand"})", R"({"surface": null})"}) {
    SCOPED_TRACE(text);
    const auto msg = decoded<SurfaceStandMsg>(text);
    ASSERT_TRUE(msg);
    EXPECT_FALSE(msg->surface);
  }
  EXPECT_EQ(decoded<SurfaceStandMsg>(
                R"({"surface": {"id": "w", "kind": "window", "x": 1, "y": 2, "w": 3, "screen": "K"}})"),
            (SurfaceStandMsg{Surface{"w", SurfaceKind::window, 1, 2, 3, "K"}}));

  const auto land = decoded<LandStateMsg>(R"({"palette": {"top": "#fff", "side": "a0b0c0"}, "screens": [
    {"key": "K", "cols": 3, "levels": "AAEC"},
    {"key": "L", "cols": 2, "levels": "AQI=", "line": null},
    {"key": "w", "cols": 1, "levels": "AQ==", "line": {"x": 1, "y": 2, "w": 30}}]})");
  ASSERT_TRUE(land);
  ASSERT_EQ(land->screens.size(), 3u);
  EXPECT_FALSE(land->screens[0].line);
  EXPECT_FALSE(land->screens[1].line);
  EXPECT_EQ(land->screens[2].line, (SurfaceLine{1, 2, 30}));
}

TEST(PageBodies, LandTextsAreReadIntoColoursAndLevelBytes) {
  const auto land = decoded<LandStateMsg>(R"({"palette": {"top": "#fff", "side": "a0b0c0"}, "screens": [
    {"key": "K", "cols": 3, "levels": "AAkC"}, {"key": "L", "cols": 0, "levels": ""}]})");
  ASSERT_TRUE(land);
  EXPECT_EQ(land->palette, (LandPalette{Color{1, 1, 1, 1}, Color{0xa0 / 255.0, 0xb0 / 255.0, 0xc0 / 255.0, 1}}));
  ASSERT_EQ(land->screens.size(), 2u);
  EXPECT_EQ(land->screens[0].levels, (std::vector<uint8_t>{0, 9, 2}));  // capped by the land strips, not here
  EXPECT_EQ(land->screens[1].levels, std::vector<uint8_t>{});

  // A text that does not read is absent, and the body still decodes: the land strips keep their colour
  // and skip the strip with their own line.
  const auto unread = decoded<LandStateMsg>(R"({"palette": {"top": "#12345", "side": "green"}, "screens": [
    {"key": "K", "cols": 3, "levels": "AA EC"}, {"key": "L", "cols": 2, "levels": "AAE"}]})");
  ASSERT_TRUE(unread);
  EXPECT_EQ(unread->palette, LandPalette{});
  ASSERT_EQ(unread->screens.size(), 2u);
  EXPECT_EQ(unread->screens[0].levels, std::nullopt);
  EXPECT_EQ(unread->screens[1].levels, std::nullopt);
  EXPECT_EQ(unread->screens[1].key, "L");
}

TEST(PageBodies, MalformedBodiesFailAsAWhole) {
  Json giftAsOne = Json::parse(kStatus);
  giftAsOne["status"]["giftWaiting"] = 1;
  Json pawsMissing = Json::parse(kStatus);
  pawsMissing["status"].erase("paws");
  // Each entry: whether a malformed body decoded anyway.
  const std::pair<const char*, bool> results[] = {
      {"prefs.set without patch", decoded<PrefsSetReq>(R"({"type": "prefs.set"})").has_value()},
      {"patch lang other case", decoded<PrefsSetReq>(R"({"patch": {"lang": "Auto"}})").has_value()},
      {"patch lang unknown", decoded<PrefsSetReq>(R"({"patch": {"lang": "de"}})").has_value()},
      {"patch onTop as number", decoded<PrefsSetReq>(R"({"patch": {"onTop": 1}})").has_value()},
      {"panel kind unknown", decoded<WindowModeMsg>(R"({"mode": "panel", "kind": "shop"})").has_value()},
      {"window mode missing", decoded<WindowModeMsg>(R"({"kind": "settings"})").has_value()},
      {"surface as a number", decoded<SurfaceStandMsg>(R"({"surface": 5})").has_value()},
      {"surface missing its screen",
            decoded<SurfaceStandMsg>(R"({"surface": {"id": "w", "kind": "window", "x": 1, "y": 2, "w": 3}})")
                .has_value()},
      {"one strip with cols as a string",
            decoded<LandStateMsg>(R"({"palette": {"top": "#fff", "side": "#000"}, "screens": [
              {"key": "K", "cols": 3, "levels": "AAEC"}, {"key": "L", "cols": "2", "levels": "AQI="}]})")
                .has_value()},
      {"strip line missing w",
            decoded<LandStateMsg>(R"({"palette": {"top": "", "side": ""}, "screens": [
              {"key": "K", "cols": 1, "levels": "AA==", "line": {"x": 1, "y": 2}}]})")
                .has_value()},
      {"levels as a list",
            decoded<LandStateMsg>(R"({"palette": {"top": "", "side": ""}, "screens": [
              {"key": "K", "cols": 1, "levels": [0]}]})")
                .has_value()},
      {"palette top as a number",
            decoded<LandStateMsg>(R"({"palette": {"top": 16777215, "side": "#000"}, "screens": []})").has_value()},
      {"palette missing side",
            decoded<LandStateMsg>(R"({"palette": {"top": "#fff"}, "screens": []})").has_value()},
      {"trail level 1.5", decoded<LandTrailMsg>(R"({"key": "K", "level": 1.5, "cols": []})").has_value()},
      {"trail column 4.5", decoded<LandTrailMsg>(R"({"key": "K", "level": 1, "cols": [3, 4.5]})").has_value()},
      {"paint change as a number", decoded<LandPaintMsg>(R"({"key": "K", "changes": [[1, 2], 3]})").has_value()},
      {"paint level fractional", decoded<LandPaintMsg>(R"({"key": "K", "changes": [[1, 2.5]]})").has_value()},
      {"status gift as 1", decodeBody<StatusUpdateMsg>(giftAsOne).has_value()},
      {"status without paws", decodeBody<StatusUpdateMsg>(pawsMissing).has_value()},
      {"icon mood unknown", decoded<StatusIconMsg>(R"({"png": "iVBO", "mood": "angry"})").has_value()},
      {"icon mood other case", decoded<StatusIconMsg>(R"({"png": "iVBO", "mood": "Happy"})").has_value()},
      {"hello without webVersion", decoded<HelloReq>(R"({"protocol": 6})").has_value()},
      {"hello protocol as a string", decoded<HelloReq>(R"({"protocol": "6", "webVersion": "w"})").has_value()},
      {"link other case", decoded<OpenLinkReq>(R"({"link": "Support"})").has_value()},
      {"hint text null", decoded<StatusHintMsg>(R"({"text": null})").has_value()},
      {"log msg as a number", decoded<LogMsg>(R"({"level": "warn", "msg": 5})").has_value()},
  };
  for (const auto& [what, ok] : results) {
    SCOPED_TRACE(what);
    EXPECT_FALSE(ok);
  }
}

}  // namespace
}  // namespace brindlow
