// One "land.paint" of 64 changes on a 512-column strip: from the decoded message to the
// invalidated column rectangles, with the strip shown so that grown cells pop.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/fake/FakeMainLoop.h"
#include "platform/fake/FakeStripWindow.h"
#include "platform/fake/FakeWindowServer.h"
#include "services/LandStrips.h"

namespace {

using namespace brindlow;

void LandPaint(benchmark::State& state) {
  fake::FakeMainLoop loop;
  fake::FakeWindowServer server;
  auto land = std::make_shared<LandStrips>(loop, server);
  land->setScreens({{"S", {0, 0, 12288, 900}, {0, 0, 12288, 900}, 2, true}});
  const Color top{0x88 / 255.0, 0xcc / 255.0, 0x44 / 255.0, 1};
  const Color side{0x2e / 255.0, 0x7d / 255.0, 0x32 / 255.0, 1};
  land->applyState(top, side, {LandScreen{"S", 512, std::vector<uint8_t>(512, 0), std::nullopt}});
  auto* window = server.strips().front();
  if (!window->isVisible()) state.SkipWithError("strip not shown");

  // Two paints that undo each other, so every one changes 64 cells; half of them grow.
  std::vector<std::vector<int64_t>> up, down;
  for (int i = 0; i < 64; ++i) {
    up.push_back({i * 8, 2});
    down.push_back({i * 8, 1});
  }
  bool flip = false;
  for (auto _ : state) {
    land->applyPaint("S", flip ? down : up);
    flip = !flip;
    benchmark::DoNotOptimize(window->takeDirty());
  }
}
BENCHMARK(LandPaint);

}  // namespace
