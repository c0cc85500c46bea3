// Arbitrary bytes as the JSON text of page messages on both channels, from the trusted main frame;
// every request must be answered exactly once, also by a released bridge, and no line may be logged
// twice for one message.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <set>
#include <string>

#include "app/Log.h"
#include "bridge/Bridge.h"
#include "platform/fake/FakeLogSink.h"
#include "platform/fake/FakeMainLoop.h"
#include "platform/fake/FakeWebEngine.h"
#include "platform/fake/FakeWebViewConfig.h"

using namespace brindlow;

namespace {

void require(bool condition) {
  if (!condition) std::abort();
}

bool answeredOnce(const std::shared_ptr<const fake::ReplyRecord>& reply) {
  return reply && reply->replies() == 1;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);

  fake::FakeLogSink sink;
  setLogSink(&sink);
  resetWarnOnceForTesting();
  fake::FakeMainLoop loop;
  fake::FakeWebEngine engine;
  platform::Platform platform;
  platform.mainLoop = &loop;
  platform.webEngine = &engine;
  auto bridge = std::make_shared<Bridge>(platform, std::nullopt);
  auto config = std::static_pointer_cast<fake::FakeWebViewConfig>(bridge->makeConfiguration());
  std::shared_ptr<platform::WebView> view = engine.createWebView(config);
  bridge->attach(view, Bridge::Parts{});

  require(config->postText(BridgeChannel::post, text));
  auto reply = config->callText(BridgeChannel::call, text);
  loop.advance(2);  // any later reply and the flush timeout
  require(answeredOnce(reply));

  bridge.reset();
  auto late = config->callText(BridgeChannel::call, text);
  require(answeredOnce(late) && late->errors.front() == BridgeError::closed);

  const std::set<std::string> distinct(sink.lines().begin(), sink.lines().end());
  require(distinct.size() == sink.lines().size());
  setLogSink(nullptr);
  return 0;
}
