// Arbitrary bytes as the JSON text of page messages, one per line, into a bridge attached to the
// program's real services on the fake desktop, so that every message kind reaches the service it is
// for. Each line is delivered as it stands from the trusted main frame on both channels. Every request must be
// answered exactly once, also by a released bridge, and no line may be logged twice for one message.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "app/AppServices.h"
#include "bridge/Bridge.h"
#include "platform/fake/FakePlatform.h"
#include "platform/fake/FakeWebViewConfig.h"
#include "util/Log.h"

using namespace brindlow;

namespace {

// Enough for a short conversation (hello, land state, paint, stand); more lines add little.
constexpr size_t kMaxMessages = 8;

void require(bool condition) {
  if (!condition) std::abort();
}

bool answeredOnce(const std::shared_ptr<const fake::ReplyRecord>& reply) {
  return reply && reply->replies() == 1;
}

std::vector<std::string> lines(std::string_view text) {
  std::vector<std::string> out;
  while (!text.empty() && out.size() < kMaxMessages) {
    const size_t end = text.find('\n');
    out.emplace_back(text.substr(0, end));
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return out;
}

void requireDistinct(const std::vector<std::string>& lines) {
  const std::set<std::string> distinct(lines.begin(), lines.end());
  require(distinct.size() == lines.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<std::string> messages = lines(std::string_view(reinterpret_cast<const char*>(data), size));
  if (messages.empty()) return 0;

  fake::FakePlatform fakes;
  fakes.screens.setDisplays({{1u, "SCREEN-A", {0, 0, 1440, 900}, {0, 25, 1440, 850}, 2},
                             {2u, "SCREEN-B", {1440, 0, 1280, 800}, {1440, 0, 1280, 800}, 1}});
  fakes.screens.setPressedButtons(1u);  // so that a drag.begin finds the button held and starts a drag
  fakes.windowList.setEntries({{42, 77, 0, 1.0, GRect{100, 400, 640, 480}}});
  const platform::Platform platform = fakes.platform();
  setLogSink(&fakes.logSink);
  resetWarnOnceForTesting();

  AppServices services = AppServices::create(platform);
  std::shared_ptr<Bridge> bridge = std::move(services.bridge);
  auto config = std::static_pointer_cast<fake::FakeWebViewConfig>(bridge->makeConfiguration());
  Bridge::Parts parts =
      services.parts(AppServices::makeWindow(platform, config, true), AppServices::makeStatus(platform));
  parts.relaunch = [] { return true; };
  parts.linkUrl = [](LinkId link) -> std::optional<std::string> {
    return "https://example.org/" + std::string(rawValue(link));
  };
  std::shared_ptr<platform::WebView> view = fakes.webEngine.createWebView(config);
  bridge->attach(view, std::move(parts));
  fakes.loop.runPosted();

  for (const std::string& text : messages) {
    fakes.logSink.clear();
    require(config->postText(BridgeChannel::post, text));
    auto reply = config->callText(BridgeChannel::call, text);
    fakes.loop.advance(2);  // any later reply and the flush timeout
    require(answeredOnce(reply));
    requireDistinct(fakes.logSink.lines());
  }
  // The services' own timers: window-list ticks, the typing linger, permission polls.
  fakes.loop.advance(10);

  bridge.reset();
  auto late = config->callText(BridgeChannel::call, messages.front());
  require(answeredOnce(late) && late->errors.front() == BridgeError::closed);
  setLogSink(nullptr);
  return 0;
}
