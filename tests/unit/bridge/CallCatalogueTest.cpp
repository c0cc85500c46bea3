#include "bridge/CallCatalogue.h"

#include <gtest/gtest.h>

#include <limits>
#include <set>
#include <string>
#include <vector>

#include "bridge/BridgeRig.h"

namespace brindlow {
namespace {

using Record = std::shared_ptr<const fake::ReplyRecord>;

const std::string kMain = "/home/user/.local/share/Brindlow/save.json";
const std::string kBackup = "/home/user/.local/share/Brindlow/save.json.bak";

void expectError(const Record& reply, const std::string& code) {
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->replies(), 1);
  EXPECT_EQ(reply->errors, std::vector<std::string>{code});
}

Json onlyValue(const Record& reply) {
  EXPECT_TRUE(reply);
  if (!reply) return nullptr;
  EXPECT_EQ(reply->replies(), 1);
  EXPECT_TRUE(reply->errors.empty()) << reply->errors.front();
  return reply->values.empty() ? Json() : reply->values.front();
}

// An object of exactly `bytes` UTF-8 bytes, made of `unit` (ASCII or a two-byte letter).
std::string objectOfSize(std::size_t bytes, std::string_view unit = "x") {
  std::string text = "{\"a\":\"";
  while (text.size() + unit.size() + 2 <= bytes) text += unit;
  text.append(bytes - text.size() - 2, 'x');
  return text + "\"}";
}

class CallCatalogueTest : public test::BridgeRig {
 protected:
  Record hello(Json protocol = 6) {
    return call({{"type", "app.hello"}, {"protocol", std::move(protocol)}, {"webVersion", "web-1"}});
  }
  std::vector<std::string> pageCalls() {
    std::vector<std::string> names;
    for (const auto& script : pageView().scriptCalls()) names.push_back(script.arguments.at("fn").get<std::string>());
    return names;
  }
};

TEST_F(CallCatalogueTest, HelloAnswersLaterWithTheSnapshotThenTheBridgeIsReadyAndHeldKeysGo) {
  resources.setInfoValue("CFBundleShortVersionString", "1.4.0");
  resources.setInfoValue("CFBundleVersion", "140");
  locale.setPreferredLanguages({"ja-JP", "en-US"});
  bridge->ready = true;
  bridge->deliverKeys({3, 1000, 200});  // sent at once: ready
  bridge->ready = false;
  bridge->deliverKeys({2, 1500, 100});

  const Record reply = hello();
  EXPECT_FALSE(bridge->ready);
  EXPECT_EQ(reply->replies(), 0);
  bridge->send(PageEvent::onPrefs, parts.prefs->load());  // not ready: lost
  loop.runPosted();

  const Json value = onlyValue(reply);
  std::set<std::string> keys;
  for (const auto& [key, member] : value.items()) keys.insert(key);
  EXPECT_EQ(keys, (std::set<std::string>{"protocol", "appVersion", "build", "lang", "screens", "window", "prefs",
                                         "permission", "save", "saveRecovered", "visibility", "power", "soak"}));
  EXPECT_EQ(value["protocol"], 6);
  EXPECT_EQ(value["appVersion"], "1.4.0");
  EXPECT_EQ(value["build"], "140");
  EXPECT_EQ(value["lang"], "ja");  // the preference is "auto"
  EXPECT_EQ(value["screens"].size(), 1u);
  EXPECT_EQ(value["screens"][0]["key"], "SCREEN-A");
  EXPECT_EQ(value["window"]["mode"], "pet");
  EXPECT_EQ(value["prefs"], *encode(parts.prefs->load()));
  EXPECT_EQ(value["permission"]["input"], "notGranted");
  EXPECT_EQ(value["save"], nullptr);
  EXPECT_EQ(value["saveRecovered"], false);
  EXPECT_EQ(value["visibility"]["visible"], true);
  EXPECT_EQ(value["power"]["thermal"], "nominal");
  EXPECT_EQ(value["soak"], false);

  EXPECT_TRUE(bridge->ready);
  EXPECT_FALSE(bridge->pendingKeys);
  EXPECT_EQ(pageCalls(), (std::vector<std::string>{"onKeys", "onKeys"}));
  EXPECT_EQ(pageView().scriptCalls().back().arguments.at("arg"), Json::parse(R"({"n": 2, "at": 1500, "span": 100})"));
  EXPECT_TRUE(log.lines().empty());
}

TEST_F(CallCatalogueTest, HelloTakesAChosenLanguageAndTheSavedGame) {
  PrefsPatch korean;
  korean.lang = LangPref::ko;
  parts.prefs->apply(korean);
  files.setFile(kBackup, R"({"coins": 3})");
  Record reply = hello();
  loop.runPosted();
  Json value = onlyValue(reply);
  EXPECT_EQ(value["lang"], "ko");
  EXPECT_EQ(value["save"], R"({"coins": 3})");
  EXPECT_EQ(value["saveRecovered"], true);

  files.setFile(kMain, R"({"coins": 4})");
  reply = hello();
  loop.runPosted();
  value = onlyValue(reply);
  EXPECT_EQ(value["save"], R"({"coins": 4})");
  EXPECT_EQ(value["saveRecovered"], false);
}

TEST_F(CallCatalogueTest, TwoHellosBackToBackBothGetAFullReply) {
  bridge->ready = true;
  const Record first = hello();
  const Record second = hello();
  EXPECT_FALSE(bridge->ready);
  loop.runPosted();
  const Json a = onlyValue(first);
  EXPECT_EQ(a["protocol"], 6);
  EXPECT_EQ(a.size(), 13u);
  EXPECT_EQ(onlyValue(second), a);
  EXPECT_TRUE(bridge->ready);
}

TEST_F(CallCatalogueTest, HelloOfAnotherProtocolIsRefusedAndLeavesReadyAlone) {
  for (bool ready : {true, false}) {
    bridge->ready = ready;
    expectError(hello(5), "protocol");
    loop.runPosted();
    EXPECT_EQ(bridge->ready, ready);
  }
  // Logged every time, not once.
  EXPECT_EQ(log.lines(), (std::vector<std::string>{"bridge: protocol 5 != 6", "bridge: protocol 5 != 6"}));
  expectError(hello(-7), "protocol");
  EXPECT_EQ(log.lines().back(), "bridge: protocol -7 != 6");
}

TEST_F(CallCatalogueTest, AnUnencodableHelloIsAnsweredEncodeAndTheBridgeIsReadyAllTheSame) {
  screens.setDisplays({{1u, "SCREEN-A", {0, 0, 1440, 900}, {0, 25, 1440, 850},
                        std::numeric_limits<double>::quiet_NaN()}});
  const Record reply = hello();
  loop.runPosted();
  expectError(reply, "encode");
  EXPECT_TRUE(bridge->ready);
}

TEST_F(CallCatalogueTest, HelloSurvivesADetach) {
  const Record reply = hello();
  bridge->detach();
  loop.runPosted();
  EXPECT_EQ(onlyValue(reply)["protocol"], 6);
  EXPECT_TRUE(bridge->ready);
}

TEST_F(CallCatalogueTest, HelloOfABridgeReleasedBeforeItsTurnIsAnsweredEncode) {
  const Record reply = hello();
  bridge.reset();
  EXPECT_EQ(reply->replies(), 0);
  loop.runPosted();
  expectError(reply, "encode");
}

TEST_F(CallCatalogueTest, SaveWriteMeasuresUtf8BytesAndWarnsOncePerRun) {
  const std::string largest = objectOfSize(262144);
  EXPECT_EQ(onlyValue(call({{"type", "save.write"}, {"data", largest}})), Json::parse(R"({"ok": true, "bytes": 262144})"));
  EXPECT_EQ(files.contents(kMain), largest);

  const std::string over = objectOfSize(262145);
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(onlyValue(call({{"type", "save.write"}, {"data", over}})),
              Json::parse(R"({"ok": false, "bytes": 262145})"));
  }
  // 140000 two-byte letters: fewer characters than the limit, too many bytes.
  const std::string wide = objectOfSize(280000, "\xC3\xA9");
  EXPECT_EQ(onlyValue(call({{"type", "save.write"}, {"data", wide}})), Json::parse(R"({"ok": false, "bytes": 280000})"));
  EXPECT_EQ(files.contents(kMain), largest);
  EXPECT_EQ(log.lines(), std::vector<std::string>{"save.write: over limit"});
}

TEST_F(CallCatalogueTest, AnUnpairedSurrogateInARequestReadsAsAReplacementCharacter) {
  EXPECT_EQ(onlyValue(callText(R"({"type": "perm.status", "note": "\uDE00"})")),
            onlyValue(call(body(R"({"type": "perm.status"})"))));
  // Stored as a browser encodes such a string: U+FFFD, three bytes.
  EXPECT_EQ(onlyValue(callText(R"({"type": "save.write", "data": "{\"name\": \"Mo\uD83D\"}"})")),
            Json::parse(R"({"ok": true, "bytes": 17})"));
  EXPECT_EQ(files.contents(kMain), "{\"name\": \"Mo\xEF\xBF\xBD\"}");
}

TEST_F(CallCatalogueTest, TextAfterTheValueIsUnknown) {
  using namespace std::string_literals;
  for (const std::string& text : {R"({"type": "perm.status"} 1)"s, "{\"type\": \"perm.status\"}\0"s,
                                  "{\"type\": \"perm.status\"}\0\0{}"s}) {
    expectError(callText(text), "unknown");
  }
}

TEST_F(CallCatalogueTest, SaveWriteOverTheBodyCapIsANotOkReply) {
  // Escapes count as the bytes they stand for: "\u00e9" is two.
  const std::string data = std::string(Bridge::bodyCap, 'x') + R"(\u00e9)";
  EXPECT_EQ(onlyValue(callText(R"({"type": "save.write", "data": ")" + data + R"("})")),
            (Json{{"ok", false}, {"bytes", Bridge::bodyCap + 2}}));
  // Without a text "data" the kind has nothing to answer but "bad"; an unknown kind stays unknown.
  expectError(callText(R"({"type": "save.write", "pad": ")" + data + R"("})"), "bad");
  expectError(callText(R"({"type": "no.such", "data": ")" + data + R"("})"), "unknown");
  EXPECT_FALSE(files.contents(kMain));
  EXPECT_EQ(log.lines(), std::vector<std::string>{"save.write: over limit"});
}

TEST_F(CallCatalogueTest, PrefsSetAppliesThePatchAndAnswersThePreferences) {
  const Prefs before = parts.prefs->load();
  EXPECT_EQ(onlyValue(call(body(R"({"type": "prefs.set", "patch": {}})"))), *encode(before));
  EXPECT_EQ(parts.prefs->load(), before);

  std::vector<Prefs> changes;
  parts.prefs->onChange = [&](const Prefs& now, const Prefs&) { changes.push_back(now); };
  const Json value = onlyValue(call(body(R"({"type": "prefs.set", "patch": {"ground": "windows", "sound": null}})")));
  EXPECT_EQ(value["ground"], "windows");
  EXPECT_EQ(value["sound"], before.sound);
  ASSERT_EQ(changes.size(), 1u);
  EXPECT_EQ(changes[0].ground, GroundMode::windows);
}

TEST_F(CallCatalogueTest, PermissionRelaunchAndWindowListAnswerFromTheirServices) {
  EXPECT_EQ(onlyValue(call(body(R"({"type": "perm.status"})"))), Json::parse(R"({"input": "notGranted", "asked": false})"));
  EXPECT_EQ(onlyValue(call(body(R"({"type": "perm.request"})")))["asked"], true);
  EXPECT_EQ(keyTap.requestCalls, 1);
  EXPECT_EQ(onlyValue(call(body(R"({"type": "perm.openSettings"})"))), Json::parse(R"({"opened": true})"));

  EXPECT_EQ(onlyValue(call(body(R"({"type": "app.relaunch"})"))), Json::parse(R"({"opened": true})"));
  relaunchBegins = false;
  EXPECT_EQ(onlyValue(call(body(R"({"type": "app.relaunch"})"))), Json::parse(R"({"opened": false})"));
  EXPECT_EQ(relaunches, 2);

  windowList.setEntries({{7, 501, 0, 1.0, GRect{100, 200, 400, 300}}});
  EXPECT_EQ(onlyValue(call(body(R"({"type": "windows.list"})"))), Json::parse(R"({"windows": []})"));
  parts.ground->mode = GroundMode::windows;
  EXPECT_EQ(onlyValue(call(body(R"({"type": "windows.list"})"))),
            Json::parse(R"({"windows": [{"id": 7, "x": 100, "y": 200, "w": 400, "h": 300}]})"));
}

TEST_F(CallCatalogueTest, OpenLinkOpensTheTablesAddress) {
  EXPECT_EQ(onlyValue(call(body(R"({"type": "app.openLink", "link": "privacy"})"))), Json::parse(R"({"opened": true})"));
  workspace.setOpenUrlResult(false);
  EXPECT_EQ(onlyValue(call(body(R"({"type": "app.openLink", "link": "support"})"))), Json::parse(R"({"opened": false})"));
  EXPECT_EQ(workspace.openedUrls(), (std::vector<std::string>{"https://example.org/privacy", "https://example.org/support"}));
}

TEST_F(CallCatalogueTest, MalformedRequestsAreBadAndChangeNothing) {
  const Prefs prefs = parts.prefs->load();
  const char* bodies[] = {
      R"({"type": "app.hello", "protocol": 6})",
      R"({"type": "app.hello", "webVersion": "1"})",
      R"({"type": "app.hello", "protocol": "6", "webVersion": "1"})",
      R"({"type": "app.hello", "protocol": 6.5, "webVersion": "1"})",
      R"({"type": "app.hello", "protocol": 6, "webVersion": 1})",
      R"({"type": "app.hello", "protocol": null, "webVersion": "1"})",
      R"({"type": "save.write", "data": 12})",
      R"({"type": "save.write", "data": null})",
      R"({"type": "save.write", "data": {"coins": 1}})",
      R"({"type": "save.write"})",
      R"({"type": "prefs.set"})",
      R"({"type": "prefs.set", "patch": "sound"})",
      R"({"type": "prefs.set", "patch": {"ground": "Windows"}})",
      R"({"type": "prefs.set", "patch": {"sound": false, "onTop": 1}})",
      R"({"type": "prefs.set", "patch": {"lang": "fr"}})",
      R"({"type": "app.openLink"})",
      R"({"type": "app.openLink", "link": "Support"})",
      R"({"type": "app.openLink", "link": 3})",
      R"({"type": "app.openLink", "link": "terms"})",
  };
  bridge->ready = true;
  for (const char* text : bodies) {
    SCOPED_TRACE(text);
    expectError(call(body(text)), "bad");
    loop.runPosted();
  }
  EXPECT_TRUE(bridge->ready);
  EXPECT_EQ(parts.prefs->load(), prefs);
  EXPECT_FALSE(files.fileExists(kMain));
  EXPECT_TRUE(workspace.openedUrls().empty());
  EXPECT_TRUE(log.lines().empty());
}

}  // namespace
}  // namespace brindlow
