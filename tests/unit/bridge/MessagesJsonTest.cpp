#include "bridge/MessagesJson.h"

#include <gtest/gtest.h>

#include <limits>

namespace brindlow {
namespace {

const double kInf = std::numeric_limits<double>::infinity();
const double kNaN = std::numeric_limits<double>::quiet_NaN();

Json parsed(const char* text) { return Json::parse(text); }

TEST(Messages, RecordsEncodeToTheirFixedForm) {
  struct Case {
    const char* what;
    std::optional<Json> encoded;
    const char* expected;
  };
  const Case cases[] = {
      {"permission", encode(PermissionInfo{"notGranted", true}), R"({"input": "notGranted", "asked": true})"},
      {"window without a screen", encode(WindowInfo{"pet", {1, 2, 200, 200}, 2, std::nullopt}),
       R"({"mode": "pet", "frame": {"x": 1, "y": 2, "w": 200, "h": 200}, "scale": 2, "screenKey": null})"},
      {"window on a screen", encode(WindowInfo{"panel", {0, 0, 760, 540}, 1, "A-1"}),
       R"({"mode": "panel", "frame": {"x": 0, "y": 0, "w": 760, "h": 540}, "scale": 1, "screenKey": "A-1"})"},
      {"visible, no reasons", encode(VisibilityInfo{true, {}}), R"({"visible": true, "reasons": []})"},
      {"hidden", encode(VisibilityInfo{false, {HiddenReason::locked, HiddenReason::sessionInactive}}),
       R"({"visible": false, "reasons": ["locked", "sessionInactive"]})"},
      {"power", encode(PowerInfo{true, "fair"}), R"({"lowPower": true, "thermal": "fair"})"},
      {"drag", encode(DragEvent{"end", {5, 6}, {-1, 2.5}, 1234.5}),
       R"({"phase": "end", "cursor": {"x": 5, "y": 6}, "origin": {"x": -1, "y": 2.5}, "t": 1234.5})"},
      {"pointer left", encode(PointerNearEvent{}), R"({"at": null})"},
      {"pointer near", encode(PointerNearEvent{GPoint{3, 4}}), R"({"at": {"x": 3, "y": 4}})"},
      {"menu without a position", encode(MenuEvent{MenuCommand::wardrobe, std::nullopt}),
       R"({"command": "wardrobe"})"},
      {"menu with a position", encode(MenuEvent{MenuCommand::clearLand, GPoint{7, 8}}),
       R"({"command": "clearLand", "at": {"x": 7, "y": 8}})"},
      {"windows", encode(WindowsMsg{{{42, 1, 2, 3, 4}}}),
       R"({"windows": [{"id": 42, "x": 1, "y": 2, "w": 3, "h": 4}]})"},
      {"no windows", encode(WindowsMsg{}), R"({"windows": []})"},
      {"screens", encode(ScreensMsg{{{"K", {0, 0, 10, 10}, {0, 0, 10, 9}, 1, true}}}),
       R"({"screens": [{"key": "K", "frame": {"x": 0, "y": 0, "w": 10, "h": 10},
           "visible": {"x": 0, "y": 0, "w": 10, "h": 9}, "scale": 1, "primary": true}]})"},
      {"lang", encode(LangMsg{Lang::ja}), R"({"lang": "ja"})"},
      {"save", encode(SaveWriteRes{true, 1024}), R"({"ok": true, "bytes": 1024})"},
      {"opened", encode(OpenedRes{false}), R"({"opened": false})"},
      {"prefs", encode(Prefs{}),
       R"({"onTop": true, "sound": true, "launchAtLogin": false, "resting": false, "landShow": "typing",
           "hideOnFullscreen": true, "menuPaws": false, "lang": "auto", "ground": "bottom", "dockIcon": false})"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(c.encoded, parsed(c.expected));
  }
}

HelloReply sampleHello() {
  HelloReply hello;
  hello.appVersion = "1.2";
  hello.build = "34";
  hello.lang = Lang::ko;
  hello.screens = {{"K", {0, 0, 10, 10}, {0, 0, 10, 9}, 1, true}};
  hello.window = {"pet", {0, 0, 200, 200}, 1, "K"};
  hello.permission = {"granted", false};
  hello.visibility = {true, {}};
  hello.power = {false, "nominal"};
  return hello;
}

TEST(Messages, HelloReplyWritesSaveAsNullOrAsOneString) {
  const auto withoutSave = encode(sampleHello());
  ASSERT_TRUE(withoutSave);
  EXPECT_EQ(*withoutSave, parsed(R"({
    "protocol": 6, "appVersion": "1.2", "build": "34", "lang": "ko",
    "screens": [{"key": "K", "frame": {"x": 0, "y": 0, "w": 10, "h": 10},
                 "visible": {"x": 0, "y": 0, "w": 10, "h": 9}, "scale": 1, "primary": true}],
    "window": {"mode": "pet", "frame": {"x": 0, "y": 0, "w": 200, "h": 200}, "scale": 1, "screenKey": "K"},
    "prefs": {"onTop": true, "sound": true, "launchAtLogin": false, "resting": false, "landShow": "typing",
              "hideOnFullscreen": true, "menuPaws": false, "lang": "auto", "ground": "bottom", "dockIcon": false},
    "permission": {"input": "granted", "asked": false},
    "save": null, "saveRecovered": false,
    "visibility": {"visible": true, "reasons": []},
    "power": {"lowPower": false, "thermal": "nominal"},
    "soak": false})"));

  HelloReply hello = sampleHello();
  hello.save = R"({"coins": 3})";
  const auto withSave = encode(hello);
  ASSERT_TRUE(withSave);
  EXPECT_EQ(withSave->at("save"), Json(R"({"coins": 3})"));
}

TEST(Messages, NonFiniteNumberAnywhereFailsTheWholeRecord) {
  EXPECT_FALSE(encode(DragEvent{"move", {0, 0}, {0, 0}, kInf}));
  EXPECT_FALSE(encode(DragEvent{"move", {kNaN, 0}, {0, 0}, 1}));
  EXPECT_FALSE(encode(PointerNearEvent{GPoint{0, -kInf}}));
  EXPECT_FALSE(encode(MenuEvent{MenuCommand::summon, GPoint{kNaN, 0}}));
  EXPECT_FALSE(encode(WindowsMsg{{{1, 0, 0, 1, 1}, {2, 0, kNaN, 1, 1}}}));

  HelloReply hello = sampleHello();
  hello.screens.push_back({"L", {0, 0, 10, 10}, {0, 0, 10, kInf}, 1, false});
  EXPECT_FALSE(encode(hello));
  hello = sampleHello();
  hello.window.scale = kNaN;
  EXPECT_FALSE(encode(hello));
}

TEST(Messages, PrefsCompareEveryField) {
  Prefs a;
  Prefs b = a;
  EXPECT_EQ(a, b);
  b.dockIcon = !a.dockIcon;
  EXPECT_NE(a, b);
  b = a;
  b.lang = LangPref::en;
  EXPECT_NE(a, b);
}

TEST(Messages, VisibilityComparesReasonsInOrder) {
  const VisibilityInfo a{false, {HiddenReason::occluded, HiddenReason::locked}};
  const VisibilityInfo b{false, {HiddenReason::locked, HiddenReason::occluded}};
  EXPECT_NE(a, b);
}

TEST(Messages, LanguageLookupsAreExact) {
  EXPECT_EQ(fromRaw<Lang>("ko"), Lang::ko);
  for (const char* text : {"auto", "KO", "Ko", "", " ko"}) {
    SCOPED_TRACE(text);
    EXPECT_FALSE(fromRaw<Lang>(text));
  }
  EXPECT_EQ(fromRaw<LangPref>("auto"), LangPref::automatic);
  EXPECT_FALSE(fromRaw<LangPref>("Auto"));
  EXPECT_EQ(langOf(LangPref::automatic), std::nullopt);
  EXPECT_EQ(langOf(LangPref::pt), Lang::pt);
}

}  // namespace
}  // namespace brindlow
