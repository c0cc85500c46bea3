#include <gtest/gtest.h>

#include "platform/fake/FakeWebEngine.h"
#include "platform/fake/FakeWebView.h"
#include "platform/fake/FakeWebViewConfig.h"

namespace brindlow {
namespace {

using fake::FakeWebViewConfig;
using Kind = FakeWebViewConfig::ChannelKind;

TEST(FakeWebViewConfig, ChannelsRegisterOnceAndDeliverOnlyThroughDrivers) {
  FakeWebViewConfig config;
  std::vector<platform::ScriptMessage> posts;
  EXPECT_TRUE(config.addMessageHandler("brindlow", [&](const platform::ScriptMessage& m) { posts.push_back(m); }));
  EXPECT_FALSE(config.addReplyHandler("brindlow", [](const platform::ScriptMessage&, auto) {}));
  EXPECT_TRUE(config.addReplyHandler("brindlowCall", [](const platform::ScriptMessage& m, auto reply) {
    if (m.body == R"("answer")") reply->replyValue({{"ok", true}});
  }));
  EXPECT_TRUE(posts.empty());

  const platform::FrameInfo sub{false, "https", "example.com"};
  EXPECT_TRUE(config.post("brindlow", {{"type", "log"}}, sub));
  ASSERT_EQ(posts.size(), 1u);
  EXPECT_EQ(posts[0].frame, sub);
  EXPECT_EQ(posts[0].body, R"({"type":"log"})");  // a value goes as its JSON text
  EXPECT_TRUE(config.postText("brindlow", "{\"a\": 1} \x01"));  // a text as it stands
  EXPECT_EQ(posts.back().body, "{\"a\": 1} \x01");
  EXPECT_FALSE(config.post("brindlowCall", {}));  // a reply channel is not a post channel

  auto answered = config.call("brindlowCall", "answer");
  auto dropped = config.call("brindlowCall", "ignore");
  ASSERT_TRUE(answered && dropped);
  ASSERT_EQ(answered->values.size(), 1u);
  EXPECT_EQ(answered->values[0], (nlohmann::json{{"ok", true}}));
  EXPECT_FALSE(answered->releasedUnanswered);
  EXPECT_EQ(dropped->replies(), 0);
  EXPECT_TRUE(dropped->releasedUnanswered);

  config.removeReplyHandler("brindlow");  // wrong kind: nothing removed
  config.removeMessageHandler("brindlow");
  EXPECT_EQ(config.removed(), (std::vector<FakeWebViewConfig::Channel>{{"brindlow", Kind::message}}));
  EXPECT_EQ(config.live(), (std::vector<FakeWebViewConfig::Channel>{{"brindlowCall", Kind::reply}}));
  EXPECT_FALSE(config.post("brindlow", {}));
}

TEST(FakeWebView, RecordsLoadsAndRunsNavigationHandlersOnlyWhenDriven) {
  fake::FakeWebEngine engine;
  auto config = engine.makeConfiguration();
  {
    auto view = engine.createWebView(config);
    auto* fakeView = engine.webView();
    ASSERT_EQ(fakeView, view.get());
    EXPECT_EQ(fakeView->config(), config);
    EXPECT_EQ(fakeView->decide("about:blank"), std::nullopt);

    int commits = 0;
    int crashes = 0;
    std::vector<std::optional<std::string>> asked;
    view->setNavigationHandlers(platform::NavigationHandlers{
        [&](const std::optional<std::string>& url) {
          asked.push_back(url);
          return url.has_value();
        },
        [&] { ++commits; }, [&] { ++crashes; }});
    view->loadUrl("brindlow://app/index.html", 60);
    EXPECT_EQ(commits, 0);
    EXPECT_EQ(fakeView->decide(std::nullopt), false);
    EXPECT_EQ(fakeView->decide("x:y"), true);
    fakeView->commit();
    fakeView->terminateWebProcess();
    EXPECT_EQ(commits, 1);
    EXPECT_EQ(crashes, 1);
    EXPECT_EQ(fakeView->loads(), (std::vector<fake::FakeWebView::Load>{{"brindlow://app/index.html", 60}}));

    std::vector<bool> results;
    view->callAsyncFunction("return 1", {{"fn", "onKeys"}}, [&](bool ok) { results.push_back(ok); });
    EXPECT_TRUE(results.empty());
    fakeView->completeScript(0, true);
    fakeView->completeScript(0, false);
    EXPECT_EQ(results, std::vector<bool>{true});

    view->setNavigationHandlers(std::nullopt);
    fakeView->commit();
    EXPECT_EQ(commits, 1);
  }
  EXPECT_EQ(engine.webView(), nullptr);
  EXPECT_EQ(engine.webViewsCreated(), 1);
}

}  // namespace
}  // namespace brindlow
