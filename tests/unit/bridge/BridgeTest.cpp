#include "bridge/Bridge.h"

#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <set>
#include <string>

#include "bridge/MessagesJson.h"
#include "platform/fake/FakeMainLoop.h"
#include "platform/fake/FakeWebEngine.h"
#include "platform/fake/FakeWebView.h"
#include "platform/fake/FakeWebViewConfig.h"
#include "support/LogCapture.h"
#include "web/AppSchemeHandler.h"

namespace brindlow {
namespace {

using fake::FakeWebViewConfig;
using platform::FrameInfo;

const double kNaN = std::numeric_limits<double>::quiet_NaN();

class BridgeTest : public ::testing::Test {
 protected:
  BridgeTest() {
    platform.mainLoop = &loop;
    platform.webEngine = &engine;
    bridge = std::make_shared<Bridge>(platform, std::nullopt);
    config = std::static_pointer_cast<FakeWebViewConfig>(bridge->makeConfiguration());
    view = engine.createWebView(config);
  }

  void attach() { bridge->attach(view, Bridge::Parts{}); }
  fake::FakeWebView& fakeView() { return *engine.webView(); }
  const std::vector<fake::FakeWebView::ScriptCall>& scripts() { return fakeView().scriptCalls(); }

  bool post(Json body, FrameInfo frame = FakeWebViewConfig::mainFrame()) {
    return config->post(BridgeChannel::post, std::move(body), std::move(frame));
  }
  std::shared_ptr<const fake::ReplyRecord> call(Json body, FrameInfo frame = FakeWebViewConfig::mainFrame()) {
    return config->call(BridgeChannel::call, std::move(body), std::move(frame));
  }
  // A request straight into the bridge, for when the channels are gone.
  std::shared_ptr<const fake::ReplyRecord> callBridge(const Json& body) {
    auto record = std::make_shared<fake::ReplyRecord>();
    bridge->handleCall({body.dump(), FakeWebViewConfig::mainFrame()},
                       std::make_shared<fake::FakeScriptReply>(record));
    return record;
  }
  static Json body(const char* text) { return Json::parse(text); }

  test::LogCapture log;
  fake::FakeMainLoop loop;
  fake::FakeWebEngine engine;
  platform::Platform platform;
  std::shared_ptr<Bridge> bridge;
  std::shared_ptr<FakeWebViewConfig> config;
  std::shared_ptr<platform::WebView> view;
};

void expectOnlyError(const std::shared_ptr<const fake::ReplyRecord>& reply, const std::string& code) {
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->replies(), 1);
  EXPECT_EQ(reply->errors, std::vector<std::string>{code});
}

TEST_F(BridgeTest, ConfigurationInstallsBothChannelsTheSchemeAndTheSettings) {
  EXPECT_EQ(config->live(), (std::vector<FakeWebViewConfig::Channel>{
                                {"brindlow", FakeWebViewConfig::ChannelKind::message},
                                {"brindlowCall", FakeWebViewConfig::ChannelKind::reply}}));
  EXPECT_NE(std::dynamic_pointer_cast<AppSchemeHandler>(config->schemeHandler("brindlow")), nullptr);
  EXPECT_EQ(config->schemeHandlers().size(), 1u);
  EXPECT_TRUE(config->nonPersistentDataStore());
  EXPECT_EQ(config->mediaPlaybackRequiresUserAction(), false);
  EXPECT_EQ(config->elementFullscreenEnabled(), false);
  EXPECT_EQ(config->javaScriptCanOpenWindowsAutomatically(), false);
}

TEST_F(BridgeTest, OnlyTheAppsMainFrameIsHeard) {
  attach();
  const FrameInfo foreign[] = {
      {false, "brindlow", "app"},  // an iframe of the page
      {true, "https", "app"},
      {true, "brindlow", "evil"},
      {true, "Brindlow", "app"},
      {true, "brindlow", "App"},
      {true, "brindlow", ""},
  };
  for (const FrameInfo& frame : foreign) {
    SCOPED_TRACE(frame.scheme + "://" + frame.host + (frame.isMainFrame ? " main" : " sub"));
    // This body would be reported as unknown if it got through.
    EXPECT_TRUE(post(body(R"({"type": "no.such"})"), frame));
    expectOnlyError(call(body(R"({"type": "perm.status"})"), frame), "origin");
  }
  EXPECT_TRUE(log.lines().empty());

  post(body(R"({"type": "no.such"})"));
  EXPECT_EQ(log.lines(), std::vector<std::string>{"post: unknown message"});
}

TEST_F(BridgeTest, BeforeAttachAndAfterDetachNothingIsDispatched) {
  post(body(R"({"type": "no.such"})"));
  expectOnlyError(call(body(R"({"type": "perm.status"})")), "origin");

  attach();
  bridge->ready = true;
  bridge->pendingKeys = KeysEvent{1, 2, 0};
  bridge->detach();
  EXPECT_FALSE(bridge->ready);
  EXPECT_FALSE(bridge->attached());
  EXPECT_EQ(bridge->pendingKeys, (KeysEvent{1, 2, 0}));
  EXPECT_TRUE(config->live().empty());
  EXPECT_EQ(config->removeAllUserScriptsCount(), 1);

  bridge->handlePost({R"({"type": "no.such"})", FakeWebViewConfig::mainFrame()});
  expectOnlyError(callBridge(body(R"({"type": "perm.status"})")), "origin");
  EXPECT_TRUE(log.lines().empty());
}

TEST_F(BridgeTest, BodiesThatNameNoKindAreUnknown) {
  attach();
  const char* bodies[] = {
      R"("hello")",
      R"("hello")",
      R"([{"type": "app.hello"}])",
      R"(null)",
      R"({})",
      R"({"kind": "app.hello"})",
      R"({"type": 5})",
      R"({"type": null})",
      R"({"type": ["log"]})",
      R"({"type": "App.Hello"})",
      R"({"type": "LOG"})",
      R"({"type": "pet.frame "})",
      R"({"type": ""})",
  };
  for (const char* text : bodies) {
    SCOPED_TRACE(text);
    post(body(text));
    expectOnlyError(call(body(text)), "unknown");
  }
  EXPECT_EQ(log.lines(), std::vector<std::string>{"post: unknown message"});
}

TEST_F(BridgeTest, WithoutTheirServicesRecognisedKindsDoNothingAndRequestsAreUnknown) {
  attach();
  for (const char* text : {R"({"type": "drag.begin"})", R"({"type": "menu.context"})", R"({"type": "app.quit"})",
                           R"({"type": "debug.stats"})", R"({"type": "pet.frame", "frame": {"x": 1, "y": 2, "w": 3, "h": 4}})"}) {
    post(body(text));
  }
  EXPECT_TRUE(log.lines().empty());
  const char* calls[] = {
      R"({"type": "app.hello", "protocol": 6, "webVersion": "1"})", R"({"type": "save.write", "data": "{}"})",
      R"({"type": "prefs.set", "patch": {}})",  R"({"type": "perm.status"})",
      R"({"type": "perm.request"})",            R"({"type": "perm.openSettings"})",
      R"({"type": "app.relaunch"})",            R"({"type": "windows.list"})",
  };
  for (const char* text : calls) {
    SCOPED_TRACE(text);
    expectOnlyError(call(body(text)), "unknown");
  }
  EXPECT_FALSE(bridge->ready);
}

TEST_F(BridgeTest, BadValuesAreReportedOncePerKind) {
  Bridge::dropBadValue(PostKind::petFrame);
  Bridge::dropBadValue(PostKind::petFrame);
  Bridge::dropBadValue(PostKind::landTrail);
  EXPECT_EQ(log.lines(), (std::vector<std::string>{"post pet.frame: bad value, dropped",
                                                   "post land.trail: bad value, dropped"}));
}

TEST(BridgeParseRect, NeedsFourFiniteNumbers) {
  struct Case {
    Json value;
    std::optional<GRect> expected;
  };
  const Case cases[] = {
      {Json::parse(R"({"x": 1, "y": 2, "w": 3, "h": 4})"), GRect{1, 2, 3, 4}},
      {Json::parse(R"({"x": 1, "y": 2, "w": -3, "h": 4, "z": "extra"})"), GRect{1, 2, -3, 4}},
      {Json::parse(R"({"x": 0.5, "y": -2e3, "w": 0, "h": 1e5})"), GRect{0.5, -2000, 0, 100000}},
      {Json::parse(R"({"x": 1, "y": 2, "w": 3})"), std::nullopt},
      {Json::parse(R"({"x": "1", "y": 2, "w": 3, "h": 4})"), std::nullopt},
      {Json::parse(R"({"x": true, "y": 2, "w": 3, "h": 4})"), std::nullopt},
      {Json::parse(R"({"x": null, "y": 2, "w": 3, "h": 4})"), std::nullopt},
      {Json{{"x", 1}, {"y", 2}, {"w", std::numeric_limits<double>::infinity()}, {"h", 4}}, std::nullopt},
      {Json{{"x", kNaN}, {"y", 2}, {"w", 3}, {"h", 4}}, std::nullopt},
      {Json::parse(R"([1, 2, 3, 4])"), std::nullopt},
      {Json(7), std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value.dump());
    EXPECT_EQ(Bridge::parseRect(&c.value), c.expected);
  }
  EXPECT_EQ(Bridge::parseRect(nullptr), std::nullopt);
}

TEST_F(BridgeTest, ARequestToAReleasedBridgeIsClosedAndAPostIsDropped) {
  attach();
  bridge.reset();
  EXPECT_TRUE(post(body(R"({"type": "no.such"})")));
  expectOnlyError(call(body(R"({"type": "perm.status"})")), "closed");
  EXPECT_TRUE(log.lines().empty());
}

TEST_F(BridgeTest, EveryReplyGoesOutExactlyOnce) {
  auto answer = [](auto act) {
    auto record = std::make_shared<fake::ReplyRecord>();
    act(std::make_shared<fake::FakeScriptReply>(record));
    return std::shared_ptr<const fake::ReplyRecord>(record);
  };

  auto sent = answer([&](auto reply) {
    Bridge::Reply r(reply, bridge);
    Bridge::replyEncoded(OpenedRes{true}, r);
    r.error(BridgeError::bad);
    Bridge::replyEncoded(OpenedRes{false}, r);
  });
  EXPECT_EQ(sent->replies(), 1);
  EXPECT_EQ(sent->values, std::vector<Json>{body(R"({"opened": true})")});

  // A NaN, or text that is not UTF-8, has no JSON form.
  expectOnlyError(answer([&](auto reply) { Bridge::replyEncoded(KeysEvent{1, kNaN, 0}, {reply, bridge}); }),
                  "encode");
  expectOnlyError(answer([&](auto reply) {
                    Bridge::replyEncoded(ScreensMsg{{ScreenInfo{"\xff\xfe", {}, {}, 1, true}}}, {reply, bridge});
                  }),
                  "encode");

  // A reply held across an asynchronous step whose bridge is released meanwhile.
  std::optional<Bridge::Reply> later;
  auto late = answer([&](auto reply) { later.emplace(reply, bridge); });
  bridge.reset();
  Bridge::replyEncoded(OpenedRes{true}, *later);
  expectOnlyError(late, "encode");

  // A reply dropped without an answer still settles the page's promise.
  auto dropped = answer([&](auto reply) { Bridge::Reply(reply, std::weak_ptr<const Bridge>()); });
  expectOnlyError(dropped, "encode");
  EXPECT_FALSE(dropped->releasedUnanswered);
}

TEST_F(BridgeTest, EventsReachThePageOnlyWhileReady) {
  attach();
  bridge->send(PageEvent::onMenu, MenuEvent{MenuCommand::settings, std::nullopt});
  EXPECT_TRUE(scripts().empty());

  bridge->ready = true;
  bridge->send(PageEvent::onMenu, MenuEvent{MenuCommand::settings, std::nullopt});
  ASSERT_EQ(scripts().size(), 1u);
  EXPECT_EQ(scripts()[0].body, "return await window.brindlow?.[fn]?.(arg)");
  EXPECT_EQ(scripts()[0].arguments,
            (std::map<std::string, Json>{{"fn", "onMenu"}, {"arg", body(R"({"command": "settings"})")}}));

  // Not encodable: dropped, never sent in part.
  bridge->send(PageEvent::onPointerNear, PointerNearEvent{GPoint{kNaN, 1}});
  bridge->send(PageEvent::onLang, ScreensMsg{{ScreenInfo{"\xc3", {}, {}, 1, true}}});
  EXPECT_EQ(scripts().size(), 1u);

  view.reset();
  bridge->send(PageEvent::onKeys, KeysEvent{1, 2, 0});
  EXPECT_EQ(engine.webView(), nullptr);
}

TEST_F(BridgeTest, KeyBatchesHeldBeforeTheHelloArriveAsOne) {
  attach();
  bridge->deliverKeys({3, 1000, 200});
  bridge->deliverKeys({2, 1500, 100});
  EXPECT_TRUE(scripts().empty());
  EXPECT_EQ(bridge->pendingKeys, (KeysEvent{5, 1500, 700}));

  bridge->ready = true;  // as the hello's reply has just gone out
  bridge->flushPending();
  ASSERT_EQ(scripts().size(), 1u);
  EXPECT_EQ(scripts()[0].arguments.at("fn"), "onKeys");
  EXPECT_EQ(scripts()[0].arguments.at("arg"), body(R"({"n": 5, "at": 1500, "span": 700})"));
  EXPECT_EQ(bridge->pendingKeys, std::nullopt);

  bridge->flushPending();
  bridge->deliverKeys({1, 1600, 0});  // ready: straight through, nothing held
  ASSERT_EQ(scripts().size(), 2u);
  EXPECT_EQ(scripts()[1].arguments.at("arg"), body(R"({"n": 1, "at": 1600, "span": 0})"));
  EXPECT_EQ(bridge->pendingKeys, std::nullopt);
}

TEST_F(BridgeTest, FlushIsDoneExactlyOnce) {
  attach();
  bridge->ready = true;
  int done = 0;

  // Settles after 0.25 s, resolved or rejected: done then, and the timeout later does nothing.
  for (bool resolved : {true, false}) {
    SCOPED_TRACE(resolved);
    done = 0;
    const std::size_t index = scripts().size();
    bridge->flush(FlushReason::quit, [&] { ++done; });
    ASSERT_EQ(scripts().size(), index + 1);
    EXPECT_EQ(scripts()[index].body, "return await window.brindlow?.flush?.(arg)");
    EXPECT_EQ(scripts()[index].arguments, (std::map<std::string, Json>{{"arg", body(R"({"reason": "quit"})")}}));
    loop.advance(0.25);
    EXPECT_EQ(done, 0);
    fakeView().completeScript(index, resolved);
    EXPECT_EQ(done, 1);
    loop.advance(2);
    EXPECT_EQ(done, 1);
  }

  // Never settles: done at 1.5 s; a late answer does nothing.
  done = 0;
  bridge->flush(FlushReason::logout, [&] { ++done; });
  EXPECT_EQ(scripts().back().arguments.at("arg"), body(R"({"reason": "logout"})"));
  loop.advance(1.25);
  EXPECT_EQ(done, 0);
  loop.advance(0.25);
  EXPECT_EQ(done, 1);
  fakeView().completeScript(scripts().size() - 1, true);
  EXPECT_EQ(done, 1);

  // The web view goes away with the call unanswered: the timeout still ends the wait.
  done = 0;
  bridge->flush(FlushReason::sleep, [&] { ++done; });
  view.reset();
  loop.advance(1.5);
  EXPECT_EQ(done, 1);
  EXPECT_EQ(loop.pendingTimers(), 0u);
}

TEST_F(BridgeTest, FlushThatCannotBeSentIsDoneAtOnce) {
  attach();
  int done = 0;
  bridge->flush(FlushReason::quit, [&] { ++done; });  // not ready
  EXPECT_EQ(done, 1);

  bridge->ready = true;
  view.reset();
  bridge->flush(FlushReason::quit, [&] { ++done; });
  EXPECT_EQ(done, 2);
  EXPECT_EQ(loop.pendingTimers(), 0u);
}

TEST(BridgeParseBody, RefusesWhatNoPageSends) {
  EXPECT_EQ(Bridge::parseBody(R"({"type": "log", "a": [1, {"b": null}]})"),
            Json::parse(R"({"type": "log", "a": [1, {"b": null}]})"));
  const std::string refused[] = {
      "",
      "hello",
      R"({"type": NaN})",
      R"({"x": Infinity})",
      R"({"x": 1e400})",
      R"({"type": "log"} x)",
      R"({"type": "log", "type": "app.hello"})",
      R"({"a": {"k": 1, "k": 2}})",
      std::string(65, '[') + std::string(65, ']'),
      "{\"type\": \"\xff\"}",
      R"({"n": )" + std::string(400, '9') + "}",
      std::string("{\"type\": \"log\"}\0", 16),
      std::string("{\"type\": \"log\"}\0\0\0x", 19),
      std::string("[\"\\uD83D\"]\0", 11),
  };
  for (const std::string& text : refused) {
    SCOPED_TRACE(text);
    EXPECT_EQ(Bridge::parseBody(text), std::nullopt);
  }
  EXPECT_TRUE(Bridge::parseBody(std::string(64, '[') + std::string(64, ']')));
  EXPECT_EQ(Bridge::parseBody(R"({"a": "\uD83D", "b": ["\uDC00z"]})"),
            (Json{{"a", "\xEF\xBF\xBD"}, {"b", {"\xEF\xBF\xBDz"}}}));
}

TEST_F(BridgeTest, HostileBodiesAreRefusedWithOneReplyEachAndOneLineAtMost) {
  attach();
  std::string manyCols;
  for (int i = 0; i < 20000; ++i) manyCols += "7,";
  const std::string texts[] = {
      R"(12)",
      R"("log")",
      R"({"type": "pet.frame", "frame": {"x": 1e300, "y": -1e300, "w": 1, "h": "1"}})",
      R"({"type": "hit.rects", "rects": "all"})",
      R"({"type": "save.write", "data": 12})",
      R"({"type": "app.hello", "protocol": 6.5, "webVersion": []})",
      R"({"type": "debug.stats", "deep": )" + std::string(62, '[') + std::string(62, ']') + "}",
      R"({"type": "land.trail", "cols": [)" + manyCols + "7]}",
      R"({"type": "land.paint", "key": ")" + std::string(1 << 16, 'k') + R"(", "changes": [[1, 2, 3]]})",
      R"({"type": "prefs.set", "patch": {"ground": "Windows"}})",
  };
  for (const std::string& text : texts) {
    SCOPED_TRACE(text.substr(0, 80));
    std::optional<Json> parsed = Bridge::parseBody(text);
    ASSERT_TRUE(parsed);
    post(*parsed);
    auto reply = call(*parsed);
    loop.advance(2);
    EXPECT_EQ(reply->replies(), 1);
  }
  std::set<std::string> distinct(log.lines().begin(), log.lines().end());
  EXPECT_EQ(distinct.size(), log.lines().size());
}

}  // namespace
}  // namespace brindlow
