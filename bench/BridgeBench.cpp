// The bridge's two hot paths. A "pet.frame" post from its JSON text through the channel's
// forwarder, handlePost's common steps (trust, envelope, kind lookup) and the entry's frame read.
// The bridge is attached without services, so the window move itself is not measured. And one
// "onKeys" event, from the record to the web view's call.
#include <benchmark/benchmark.h>

#include <map>
#include <memory>
#include <string>

#include "bridge/Bridge.h"
#include "platform/fake/FakeMainLoop.h"
#include "platform/fake/FakeWebEngine.h"
#include "platform/fake/FakeWebViewConfig.h"

namespace {

using namespace brindlow;

// Takes script calls and keeps nothing, so a long run does not grow a record.
class DiscardingWebView : public platform::WebView {
 public:
  void loadUrl(std::string_view, platform::Seconds) override {}
  void stopLoading() override {}
  void callAsyncFunction(std::string_view body, std::map<std::string, Json> arguments,
                         std::function<void(bool)> done) override {
    benchmark::DoNotOptimize(body.data());
    benchmark::DoNotOptimize(arguments.size());
    benchmark::DoNotOptimize(done);
  }
  void setNavigationHandlers(std::optional<platform::NavigationHandlers>) override {}
};

struct Rig {
  Rig() {
    platform.mainLoop = &loop;
    platform.webEngine = &engine;
    bridge = std::make_shared<Bridge>(platform, std::nullopt);
    config = std::static_pointer_cast<fake::FakeWebViewConfig>(bridge->makeConfiguration());
    bridge->attach(view, Bridge::Parts{});
  }
  fake::FakeMainLoop loop;
  fake::FakeWebEngine engine;
  platform::Platform platform;
  std::shared_ptr<Bridge> bridge;
  std::shared_ptr<fake::FakeWebViewConfig> config;
  std::shared_ptr<platform::WebView> view = std::make_shared<DiscardingWebView>();
};

void PetFramePost(benchmark::State& state) {
  Rig rig;
  const std::string text = R"({"type":"pet.frame","frame":{"x":1520.25,"y":843.5,"w":200,"h":200}})";
  for (auto _ : state) {
    rig.config->postText(BridgeChannel::post, text);
  }
}
BENCHMARK(PetFramePost);

void SendKeys(benchmark::State& state) {
  Rig rig;
  rig.bridge->ready = true;
  const KeysEvent keys{7, 1.7e12 + 123, 640};
  for (auto _ : state) rig.bridge->send(PageEvent::onKeys, keys);
}
BENCHMARK(SendKeys);

}  // namespace
