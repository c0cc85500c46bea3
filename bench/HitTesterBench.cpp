// HitTester.update runs on every global mouse-moved event; it must stay constant-time.
#include <benchmark/benchmark.h>

#include <memory>
#include <optional>
#include <vector>

#include "platform/fake/FakeMainLoop.h"
#include "platform/fake/FakeMouseMonitor.h"
#include "platform/fake/FakePetPanel.h"
#include "platform/fake/FakeScreens.h"
#include "window/HitTester.h"

namespace {

using namespace brindlow;

struct Rig {
  Rig() {
    panel->setFrame({100, 100, 200, 200}, true);
    panel->orderFrontRegardless();
    tester->panel = panel;
    tester->onPointerNear = [this](std::optional<GPoint> p) { reports += p ? 1 : 0; };
    std::vector<GRect> rects;
    for (int i = 0; i < 8; ++i) rects.push_back({20.0 * i, 150, 15, 40});  // the pet's feet and body
    tester->setRects(rects);
  }
  fake::FakeMainLoop loop;
  fake::FakeScreens screens;
  fake::FakeMouseMonitor monitor;
  std::shared_ptr<fake::FakePetPanel> panel = std::make_shared<fake::FakePetPanel>(nullptr);
  std::shared_ptr<HitTester> tester = std::make_shared<HitTester>(loop, screens, monitor);
  long reports = 0;
};

// The pointer wanders near the pet but over none of its rectangles: all eight are tested every time.
void BM_UpdateNearMiss(benchmark::State& state) {
  Rig rig;
  double x = 0;
  for (auto _ : state) {
    rig.screens.setPointer({110 + x, 120});
    x = x >= 180 ? 0 : x + 1;
    rig.tester->update();
  }
  benchmark::DoNotOptimize(rig.reports);
}
BENCHMARK(BM_UpdateNearMiss);

// The pointer crosses the rectangles, so click-through flips now and then.
void BM_UpdateAcrossRects(benchmark::State& state) {
  Rig rig;
  double x = 0;
  long n = 0;
  for (auto _ : state) {
    rig.screens.setPointer({100 + x, 270});
    x = x >= 199 ? 0 : x + 1;
    rig.tester->update();
    if ((++n & 4095) == 0) rig.panel->clearOps();  // the fake's operation log would grow without end
  }
  benchmark::DoNotOptimize(rig.reports);
}
BENCHMARK(BM_UpdateAcrossRects);

}  // namespace
