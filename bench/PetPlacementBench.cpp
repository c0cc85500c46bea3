// The page places the pet up to 60 times a second; one placement must stay far below a frame.
#include <benchmark/benchmark.h>

#include <memory>

#include "geometry/ScreenGeometry.h"
#include "model/Geometry.h"
#include "platform/fake/FakeMainLoop.h"
#include "platform/fake/FakeMouseMonitor.h"
#include "platform/fake/FakePetPanel.h"
#include "platform/fake/FakeScreens.h"
#include "platform/fake/FakeWebEngine.h"
#include "platform/fake/FakeWindowServer.h"
#include "window/PetWindowController.h"

namespace {

using namespace brindlow;

struct Rig {
  explicit Rig(bool onTop) {
    screens.setDisplays({{1u, "SCREEN", {0, 0, 1440, 900}, {0, 25, 1440, 850}, 2}});
    controller = PetWindowController::create(loop, screens, windows, engine, mouse, engine.makeConfiguration(), onTop);
    controller->setScreens(ScreenGeometry::screens(screens));  // as the delegate hands them over
    controller->applyPetFrame(frame(600));
    loop.advance(1.0 / 60);
    controller->applyPetFrame(frame(601));
  }
  static GRect frame(double x) { return {x, 691, 200, 200}; }

  // Alternates between two places so that every placement moves something. The clock stands still,
  // which keeps a wide window wide; the fake's operation log is trimmed now and then.
  void run(benchmark::State& state) {
    int i = 0;
    for (auto _ : state) {
      controller->applyPetFrame(frame((i & 1) ? 700.5 : 701));
      if ((++i & 1023) == 0) windows.panel()->clearOps();
    }
  }

  fake::FakeMainLoop loop;
  fake::FakeScreens screens;
  fake::FakeWindowServer windows;
  fake::FakeWebEngine engine;
  fake::FakeMouseMonitor mouse;
  std::shared_ptr<PetWindowController> controller;
};

void BM_PlacementWide(benchmark::State& state) {
  Rig rig(true);
  if (!rig.controller->wide()) state.SkipWithError("the panel did not widen");
  rig.run(state);
}
BENCHMARK(BM_PlacementWide);

void BM_PlacementNarrow(benchmark::State& state) {
  Rig rig(false);  // without on top the panel never widens: every placement moves the panel
  if (rig.controller->wide()) state.SkipWithError("the panel widened");
  rig.run(state);
}
BENCHMARK(BM_PlacementNarrow);

}  // namespace
