// One window-list read: 40 raw windows parsed, filtered and cut to the frontmost 32.
#include <benchmark/benchmark.h>

#include <optional>
#include <vector>

#include "platform/fake/FakeWindowList.h"
#include "services/AppWindowList.h"

namespace {

void WindowListRead40(benchmark::State& state) {
  brindlow::fake::FakeWindowList list;
  std::vector<brindlow::platform::RawWindowEntry> entries;
  for (int i = 0; i < 40; ++i) {
    const int32_t pid = i % 10 == 0 ? 4242 : 100 + i;  // a few of our own, dropped
    const std::optional<double> alpha = i % 3 == 0 ? std::optional<double>(1.0) : std::nullopt;
    entries.push_back({1000 + i, pid, i % 7 == 0 ? 3 : 0, alpha, brindlow::GRect{10.0 * i, 20.0 * i, 800, 600}});
  }
  list.setEntries(entries);
  for (auto _ : state) {
    auto windows = brindlow::AppWindowList::read(list, 4242);
    benchmark::DoNotOptimize(windows);
  }
}
BENCHMARK(WindowListRead40)->Repetitions(9)->ReportAggregatesOnly(true);

}  // namespace
