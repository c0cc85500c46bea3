#include "bridge/PostCatalogue.h"

#include <gtest/gtest.h>

#include <limits>
#include <map>
#include <string>
#include <vector>

#include "bridge/BridgeRig.h"
#include "geometry/ScreenGeometry.h"
#include "support/GeometryPrinters.h"
#include "window/DragController.h"
#include "window/HitTester.h"

namespace brindlow {
namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();

std::string base64(const std::vector<uint8_t>& bytes) {
  static constexpr char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    const uint32_t n = (uint32_t{bytes[i]} << 16) | (i + 1 < bytes.size() ? uint32_t{bytes[i + 1]} << 8 : 0) |
                       (i + 2 < bytes.size() ? uint32_t{bytes[i + 2]} : 0);
    out += alphabet[(n >> 18) & 63];
    out += alphabet[(n >> 12) & 63];
    out += i + 1 < bytes.size() ? alphabet[(n >> 6) & 63] : '=';
    out += i + 2 < bytes.size() ? alphabet[n & 63] : '=';
  }
  return out;
}

// A PNG signature padded to `size` bytes.
std::vector<uint8_t> pngOfSize(std::size_t size) { return fake::FakeStatusBar::pngBytes(size - 8); }

Json statusInfo() {
  return Json::parse(R"({"day": "2026-12-11", "todayPaws": 3, "paws": 120, "todayKeys": 40, "todayCells": 2,
    "todayBoards": 0, "giftWaiting": false, "affectionLevel": 2, "affectionProgress": 0.5, "mood": "happy",
    "petName": "Mochi"})");
}

Json windowSurface(double w = 300, std::string id = "w:42") {
  return Json{{"id", id}, {"kind", "window"}, {"x", 100}, {"y", 400}, {"w", w}, {"screen", "SCREEN-A"}};
}

Json rect(double x, double y = 0, double w = 1, double h = 1) { return Json{{"x", x}, {"y", y}, {"w", w}, {"h", h}}; }

class PostCatalogueTest : public test::BridgeRig {
 protected:
  // Everything a fire-and-forget message can change.
  struct Seen {
    std::optional<GRect> petFrame;
    std::vector<GRect> hitRects;
    PetWindowController::Mode mode;
    std::optional<SurfaceLine> standingLine;
    std::optional<StatusInfo> status;
    std::string pawsTitle;
    std::vector<uint8_t> icon;
    std::vector<std::string> hints;
    std::size_t popUps = 0;
    std::map<std::string, LandStrips::Strip> land;
    std::map<std::string, LandStrips::Trail> trails;
    std::optional<std::string> standingKey;
    bool watching = false;
    int terminateCalls = 0;
    bool operator==(const Seen&) const = default;
  };

  PostCatalogueTest() {
    parts.window->setScreens(ScreenGeometry::screens(screens));
    parts.land->setScreens(ScreenGeometry::screens(screens));
    parts.ground->mode = GroundMode::windows;
  }

  Seen seen() {
    const fake::FakeStatusItem& item = *bar.item();
    return {parts.window->petFrame(),
            parts.window->hitTester()->rects,
            parts.window->mode(),
            parts.window->standingLine(),
            parts.status->status,
            item.title(),
            item.image() ? item.image()->bytes : std::vector<uint8_t>{},
            item.hintsShown(),
            bar.popUps().size(),
            parts.land->data(),
            parts.land->trails(),
            parts.land->standingKey(),
            parts.ground->watching(),
            application.terminateCalls()};
  }

  static Json typed(std::string_view type, Json members = Json::object()) {
    members["type"] = std::string(type);
    return members;
  }
};

TEST_F(PostCatalogueTest, MalformedBodiesChangeNothingAndEachKindLogsOnce) {
  // Something of every kind in place first, so a half-applied body would show.
  post(typed("pet.frame", {{"frame", rect(600, 500, 200, 200)}}));
  post(typed("hit.rects", {{"rects", Json::array({rect(10, 10, 20, 20)})}}));
  post(typed("status.update", {{"status", statusInfo()}}));
  post(typed("status.icon", {{"png", base64(pngOfSize(64))}, {"mood", "calm"}}));
  post(typed("land.state", Json::parse(R"({"palette": {"top": "#7c5", "side": "#553"},
      "screens": [{"key": "SCREEN-A", "cols": 4, "levels": "AQIDAA=="}]})")));
  post(typed("land.trail", Json::parse(R"({"key": "SCREEN-A", "level": 1, "cols": [0, 1]})")));
  post(typed("surface.stand", {{"surface", windowSurface()}}));
  loop.runPosted();
  const Seen before = seen();
  ASSERT_TRUE(before.petFrame && before.status && !before.icon.empty() && before.standingLine && before.watching);
  ASSERT_FALSE(before.hitRects.empty() || before.land.empty() || before.trails.empty());
  ASSERT_TRUE(log.lines().empty()) << log.lines().front();

  Json thirtyThree = Json::array();
  for (int i = 0; i < 33; ++i) thirtyThree.push_back(rect(i));
  Json nanStatus = statusInfo();
  nanStatus["paws"] = kNaN;
  Json noName = statusInfo();
  noName.erase("petName");
  Json badMood = statusInfo();
  badMood["mood"] = "grumpy";
  Json nanSurface = windowSurface();
  nanSurface["x"] = kNaN;
  Json farSurface = windowSurface();
  farSurface["x"] = 1e300;
  Json oddKind = windowSurface();
  oddKind["kind"] = "Window";

  const std::pair<std::string_view, Json> cases[] = {
      {"pet.frame", Json::object()},
      {"pet.frame", {{"frame", {{"x", 1}, {"y", 2}, {"w", 3}}}}},
      {"pet.frame", {{"frame", {{"x", "1"}, {"y", 2}, {"w", 3}, {"h", 4}}}}},
      {"pet.frame", {{"frame", rect(kNaN, 0, 200, 200)}}},
      {"pet.frame", {{"frame", Json::array({1, 2, 3, 4})}}},
      {"pet.frame", {{"frame", nullptr}}},
      {"hit.rects", Json::object()},
      {"hit.rects", {{"rects", "all"}}},
      {"hit.rects", {{"rects", rect(1)}}},
      {"hit.rects", {{"rects", thirtyThree}}},
      {"window.mode", {{"mode", "panel"}}},
      {"window.mode", {{"mode", "Pet"}}},
      {"window.mode", {{"mode", "panel"}, {"kind", "Settings"}}},
      {"window.mode", {{"mode", "pet"}, {"kind", "closet"}}},
      {"window.mode", {{"mode", 1}}},
      {"status.update", Json::object()},
      {"status.update", {{"status", noName}}},
      {"status.update", {{"status", nanStatus}}},
      {"status.update", {{"status", badMood}}},
      {"status.update", {{"status", "happy"}}},
      {"status.icon", {{"png", std::string(21854, 'A')}, {"mood", "calm"}}},
      {"status.icon", {{"png", base64(pngOfSize(16385))}, {"mood", "calm"}}},
      {"status.icon", {{"png", "iVBORw0K\nGgo="}, {"mood", "calm"}}},
      {"status.icon", {{"png", base64(pngOfSize(64))}, {"mood", "grumpy"}}},
      {"status.icon", {{"png", base64(pngOfSize(64))}}},
      {"status.icon", {{"png", 12}, {"mood", "calm"}}},
      {"land.state", {{"screens", Json::array()}}},
      {"land.state", Json::parse(R"({"palette": {"top": 7, "side": "#000"}, "screens": []})")},
      {"land.state", Json::parse(R"({"palette": {"top": "#000", "side": "#000"},
          "screens": [{"key": "SCREEN-A", "cols": 1.5, "levels": ""}]})")},
      {"land.paint", Json::parse(R"({"changes": [[1, 2]]})")},
      {"land.paint", Json::parse(R"({"key": "SCREEN-A", "changes": [[1, "2"]]})")},
      {"land.paint", Json::parse(R"({"key": "SCREEN-A", "changes": {"1": 2}})")},
      {"land.trail", {{"key", "SCREEN-A"}, {"level", 1}, {"cols", std::vector<int>(513, 0)}}},
      {"land.trail", Json::parse(R"({"key": "SCREEN-A", "level": 1.5, "cols": [0]})")},
      {"land.trail", Json::parse(R"({"key": "SCREEN-A", "level": 1, "cols": [0, "1"]})")},
      {"status.hint", {{"text", std::string(201, 'a')}}},
      {"status.hint", {{"text", nullptr}}},
      {"status.hint", {{"text", 5}}},
      {"surface.stand", {{"surface", windowSurface(0)}}},
      {"surface.stand", {{"surface", windowSurface(100001)}}},
      {"surface.stand", {{"surface", windowSurface(300, std::string(81, 'i'))}}},
      {"surface.stand", {{"surface", [] {
                            Json s = windowSurface();
                            s["screen"] = std::string(81, 's');
                            return s;
                          }()}}},
      {"surface.stand", {{"surface", nanSurface}}},
      {"surface.stand", {{"surface", farSurface}}},
      {"surface.stand", {{"surface", oddKind}}},
      {"surface.stand", {{"surface", "window"}}},
      {"log", {{"msg", "lost"}}},
      {"log", {{"level", "error"}, {"msg", 5}}},
  };
  std::vector<std::string> expected;
  for (const auto& [type, members] : cases) {
    SCOPED_TRACE(members.dump().substr(0, 120));
    post(typed(type, members));
    loop.runPosted();
    EXPECT_EQ(seen(), before);
    const std::string line = "post " + std::string(type) + ": bad value, dropped";
    if (expected.empty() || expected.back() != line) expected.push_back(line);
  }
  EXPECT_EQ(log.lines(), expected);
}

TEST_F(PostCatalogueTest, HitRectsKeepTheReadableOnesInOrderUpToThirtyTwo) {
  // Three unreadable entries among 32: the rest reach the hit tester in order, which keeps 8.
  Json rects = Json::array();
  for (int i = 0; i < 32; ++i) rects.push_back(i == 0 || i == 2 || i == 4 ? Json{{"x", i}} : rect(i));
  post(typed("hit.rects", {{"rects", rects}}));
  std::vector<GRect> kept;
  for (double x : {1, 3, 5, 6, 7, 8, 9, 10}) kept.push_back({x, 0, 1, 1});
  EXPECT_EQ(parts.window->hitTester()->rects, kept);

  post(typed("hit.rects", {{"rects", Json::array()}}));
  EXPECT_TRUE(parts.window->hitTester()->rects.empty());
  EXPECT_EQ(log.count("post hit.rects: bad value, dropped"), 0u);
}

TEST_F(PostCatalogueTest, WindowModeNeedsExactlyPetOrAPanelWithItsKind) {
  post(typed("window.mode", {{"mode", "panel"}, {"kind", "settings"}}));
  EXPECT_EQ(parts.window->mode(), PetWindowController::Mode::panelOf(PanelKind::settings));
  post(typed("window.mode", {{"mode", "pet"}, {"kind", "settings"}}));
  EXPECT_EQ(parts.window->mode(), PetWindowController::Mode::pet());
}

TEST_F(PostCatalogueTest, StatusIconAndHintLimits) {
  const std::vector<uint8_t> largest = pngOfSize(16384);
  post(typed("status.icon", {{"png", base64(largest)}, {"mood", "sleepy"}}));
  ASSERT_NE(bar.item()->image(), nullptr);
  EXPECT_EQ(bar.item()->image()->bytes, largest);

  // 200 family emoji of seven code points each are 200 characters.
  std::string family;
  for (int i = 0; i < 200; ++i) family += "\xF0\x9F\x91\xA9\xE2\x80\x8D\xF0\x9F\x91\xA9\xE2\x80\x8D\xF0\x9F\x91\xA7\xE2\x80\x8D\xF0\x9F\x91\xA6";
  post(typed("status.hint", {{"text", family}}));
  post(typed("status.hint", {{"text", std::string(200, 'a')}}));
  post(typed("status.hint", {{"text", family + "a"}}));
  EXPECT_EQ(bar.item()->hintsShown(), (std::vector<std::string>{family, std::string(200, 'a')}));
  EXPECT_EQ(log.lines(), std::vector<std::string>{"post status.hint: bad value, dropped"});
}

TEST_F(PostCatalogueTest, StatusUpdateReplacesTheRecordAndRefreshesThePawsTitle) {
  parts.status->menuPaws = true;
  post(typed("status.update", {{"status", statusInfo()}}));
  ASSERT_TRUE(parts.status->status);
  EXPECT_EQ(parts.status->status->petName, "Mochi");
  EXPECT_EQ(parts.status->status->paws, 120);
  EXPECT_NE(bar.item()->title().find("120"), std::string::npos);
}

TEST_F(PostCatalogueTest, LandMessagesReachTheStripsAndTrailsStopAtFiveHundredTwelve) {
  post(typed("land.state", Json::parse(R"({"palette": {"top": "#fff", "side": "#000"},
      "screens": [{"key": "SCREEN-A", "cols": 4, "levels": "AAAAAA=="}]})")));
  post(typed("land.paint", Json::parse(R"({"key": "SCREEN-A", "changes": [[1, 2], [3, 1]]})")));
  ASSERT_EQ(parts.land->data().count("SCREEN-A"), 1u);
  EXPECT_EQ(parts.land->data().at("SCREEN-A").levels, (std::vector<uint8_t>{0, 2, 0, 1}));

  post(typed("land.trail", {{"key", "SCREEN-A"}, {"level", 2}, {"cols", std::vector<int>(512, 3)}}));
  ASSERT_EQ(parts.land->trails().count("SCREEN-A"), 1u);
  EXPECT_EQ(parts.land->trails().at("SCREEN-A").level, 2);
  EXPECT_TRUE(log.lines().empty());
}

TEST_F(PostCatalogueTest, LandStateTextsThatDoNotReadKeepTheColourAndSkipOnlyTheirStrip) {
  post(typed("land.state", Json::parse(R"({"palette": {"top": "#8c4", "side": "#2e7d32"},
      "screens": [{"key": "SCREEN-A", "cols": 2, "levels": "AAM="}]})")));
  const Color top{0x88 / 255.0, 0xcc / 255.0, 0x44 / 255.0, 1};
  EXPECT_EQ(parts.land->top(), top);
  EXPECT_EQ(parts.land->side(), (Color{0x2e / 255.0, 0x7d / 255.0, 0x32 / 255.0, 1}));
  EXPECT_EQ(parts.land->data().at("SCREEN-A").levels, (std::vector<uint8_t>{0, 3}));

  // Not a colour, not base64: the message itself is good, so no "bad value" line.
  post(typed("land.state", Json::parse(R"({"palette": {"top": "#8c", "side": " #fff\t"}, "screens": [
      {"key": "SCREEN-A", "cols": 2, "levels": "AA M="},
      {"key": "w:1", "cols": 1, "levels": "AQ==", "line": {"x": 100, "y": 400, "w": 300}}]})")));
  EXPECT_EQ(parts.land->top(), top);
  EXPECT_EQ(parts.land->side(), (Color{1, 1, 1, 1}));
  EXPECT_EQ(parts.land->data().count("SCREEN-A"), 0u);
  EXPECT_EQ(parts.land->data().count("w:1"), 1u);
  EXPECT_EQ(log.lines(), std::vector<std::string>{"land.state: bad levels, screen skipped"});
}

TEST_F(PostCatalogueTest, SurfaceStandSetsOrClearsTheLineAndAlwaysTellsLandAndWindowList) {
  post(typed("surface.stand", {{"surface", windowSurface()}}));
  EXPECT_EQ(parts.window->standingLine(), (SurfaceLine{100, 400, 300}));
  EXPECT_EQ(parts.land->standingKey(), "w:42");
  EXPECT_TRUE(parts.ground->watching());

  // The same surface again: the line stays, the land and the window list hear it again.
  parts.land->stand(std::nullopt);
  parts.ground->stop();
  post(typed("surface.stand", {{"surface", windowSurface()}}));
  EXPECT_EQ(parts.window->standingLine(), (SurfaceLine{100, 400, 300}));
  EXPECT_EQ(parts.land->standingKey(), "w:42");
  EXPECT_TRUE(parts.ground->watching());

  Json bottom = windowSurface();
  bottom["kind"] = "screenBottom";
  for (const Json& surface : {bottom, Json(nullptr)}) {
    SCOPED_TRACE(surface.dump());
    post(typed("surface.stand", {{"surface", windowSurface()}}));
    post(typed("surface.stand", {{"surface", surface}}));
    EXPECT_EQ(parts.window->standingLine(), std::nullopt);
    EXPECT_EQ(parts.land->standingKey(), std::nullopt);
    EXPECT_FALSE(parts.ground->watching());
  }
  post(typed("surface.stand"));
  EXPECT_EQ(parts.window->standingLine(), std::nullopt);

  Json placed = windowSurface();
  placed["kind"] = "placed";
  post(typed("surface.stand", {{"surface", placed}}));
  EXPECT_EQ(parts.window->standingLine(), (SurfaceLine{100, 400, 300}));
  EXPECT_FALSE(parts.ground->watching());
  EXPECT_TRUE(log.lines().empty());
}

TEST_F(PostCatalogueTest, LogForwardsErrorsAndWarningsCutToFiveHundredCharacters) {
  std::string long_;
  for (int i = 0; i < 600; ++i) long_ += "e\xCC\x81";  // e with a combining acute: one character, two code points
  post(typed("log", {{"level", "info"}, {"msg", "quiet"}}));
  post(typed("log", {{"level", "warn"}, {"msg", long_}}));
  post(typed("log", {{"level", "warn"}, {"msg", long_}}));
  post(typed("log", {{"level", "error"}, {"msg", "boom"}}));
  post(typed("log", {{"level", "Error"}, {"msg", "case"}}));
  const std::string cut = "web: " + long_.substr(0, 500 * 3);
  EXPECT_EQ(log.lines(), (std::vector<std::string>{cut, cut, "web: boom"}));
}

TEST_F(PostCatalogueTest, AnUnpairedSurrogateReadsAsOneReplacementCharacter) {
  // A string cut inside an emoji, in a member the kind never reads and in one it does.
  postText(R"({"type": "debug.stats", "fps": "60 \uD83D"})");
  postText(R"({"type": "status.hint", "text": ")" + std::string(199, 'a') + R"(\uD83D"})");
  postText(R"({"type": "status.hint", "text": ")" + std::string(200, 'a') + R"(\uDE00"})");
  postText(R"({"type": "log", "level": "warn", "msg": ")" + std::string(499, 'a') + R"(\ud83d\ud83d"})");
  EXPECT_EQ(bar.item()->hintsShown(), std::vector<std::string>{std::string(199, 'a') + "\xEF\xBF\xBD"});
  EXPECT_EQ(log.lines(), (std::vector<std::string>{"post status.hint: bad value, dropped",
                                                   "web: " + std::string(499, 'a') + "\xEF\xBF\xBD"}));
}

TEST_F(PostCatalogueTest, TextAfterTheValueRefusesTheMessage) {
  using namespace std::string_literals;
  const std::string trailed[] = {
      R"({"type": "log", "level": "error", "msg": "one"} {"type": "log"})",
      "{\"type\": \"log\", \"level\": \"error\", \"msg\": \"two\"}\0"s,
      "{\"type\": \"log\", \"level\": \"error\", \"msg\": \"three\"}\0\0\0garbage"s,
  };
  for (const std::string& text : trailed) postText(text);
  EXPECT_EQ(log.lines(), std::vector<std::string>{"post: unknown message"});
}

TEST_F(PostCatalogueTest, AMessageOverTheBodyCapKeepsItsKind) {
  postText(R"({"type": "log", "level": "error", "msg": ")" + std::string(Bridge::bodyCap, 'a') + R"("})");
  EXPECT_EQ(log.lines(), std::vector<std::string>{"post log: bad value, dropped"});
}

TEST_F(PostCatalogueTest, BodilessKindsCallTheirService) {
  post(typed("menu.context", {{"anything", 1}}));
  ASSERT_EQ(bar.popUps().size(), 1u);
  EXPECT_EQ(bar.popUps()[0].view, &parts.window->panel());

  post(typed("app.quit", {{"frame", 5}}));
  EXPECT_EQ(application.terminateCalls(), 1);

  const Seen before = seen();
  post(typed("debug.stats", {{"fps", kNaN}}));
  post(typed("drag.begin", {{"x", "y"}}));  // the pet has not been shown yet: nothing starts
  EXPECT_EQ(seen(), before);
  EXPECT_FALSE(parts.window->drag()->active());
  EXPECT_TRUE(log.lines().empty());
}

}  // namespace
}  // namespace brindlow
