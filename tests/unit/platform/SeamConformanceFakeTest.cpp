// The seam's conformance suite on the fake backend.
#include <algorithm>
#include <vector>

#include "SeamConformance.h"
#include "platform/fake/FakeMainLoop.h"
#include "platform/fake/FakePetPanel.h"
#include "platform/fake/FakeStripWindow.h"
#include "platform/fake/FakeWindowServer.h"

namespace brindlow::conformance {
namespace {

// The fake's desktop is its recorded state: a shown window is one ordered in, at its frame; a click
// lands on a pet panel that does not ignore mouse events, inside its frame; windows stack by level.
// Letting the desktop run is a turn of posted blocks and one animation frame for every strip.
class FakeSeamBackend : public SeamBackend {
 public:
  platform::MainLoop& loop() override { return loop_; }
  platform::WindowServer& windowServer() override { return server_; }

  bool settle(const std::function<bool()>& done) override {
    for (int turn = 0; turn < kTurns; ++turn) {
      if (done()) return true;
      runOneFrame();
    }
    return done();
  }
  void idle() override {
    for (int turn = 0; turn < kTurns; ++turn) runOneFrame();
  }

  std::optional<GRect> shownFrame(const platform::Window& window) override {
    if (!window.isVisible()) return std::nullopt;
    return window.frame();
  }
  bool takesClickAt(const platform::Window& window, GPoint point) override {
    const auto* panel = dynamic_cast<const platform::PetPanel*>(&window);
    return panel != nullptr && panel->isVisible() && !panel->ignoresMouseEvents() && panel->frame().contains(point);
  }
  std::vector<const platform::Window*> stacking(std::vector<const platform::Window*> windows) override {
    std::stable_sort(windows.begin(), windows.end(), [](auto* a, auto* b) { return a->level() < b->level(); });
    return windows;
  }

 private:
  static constexpr int kTurns = 20;

  void runOneFrame() {
    loop_.runPosted();
    auto strips = server_.strips();  // a frame handler may destroy a strip
    for (fake::FakeStripWindow* strip : strips) {
      const auto& live = server_.strips();
      if (std::find(live.begin(), live.end(), strip) != live.end()) strip->deliverAnimationFrame(loop_.uptime());
    }
    loop_.advance(1.0 / 60);
  }

  fake::FakeMainLoop loop_;
  fake::FakeWindowServer server_;
};

INSTANTIATE_TYPED_TEST_SUITE_P(Fake, SeamConformance, FakeSeamBackend);

}  // namespace
}  // namespace brindlow::conformance
