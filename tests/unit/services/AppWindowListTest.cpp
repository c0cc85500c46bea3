#include "services/AppWindowList.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "platform/fake/FakeWindowList.h"
#include "support/LogCapture.h"

namespace brindlow {
namespace {

using platform::RawWindowEntry;
constexpr int32_t kOwnPid = 4242;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

RawWindowEntry entry(int64_t number, GRect bounds = {10, 20, 300, 200}) {
  return RawWindowEntry{number, 77, 0, std::nullopt, bounds};
}

TEST(RawWindow, NeedsNumberLayerAndBoundsButNotOwnerOrAlpha) {
  const RawWindowEntry full = entry(5);
  auto w = RawWindow::fromEntry(full);
  ASSERT_TRUE(w);
  EXPECT_EQ(*w, (RawWindow{5, 77, 0, 1.0, {10, 20, 300, 200}}));
  auto without = [&](auto field) {
    RawWindowEntry e = full;
    e.*field = std::nullopt;
    return RawWindow::fromEntry(e);
  };
  EXPECT_FALSE(without(&RawWindowEntry::number));
  auto anonymous = without(&RawWindowEntry::ownerPid);
  ASSERT_TRUE(anonymous) << "older X toolkits never say their process";
  EXPECT_EQ(anonymous->pid, std::nullopt);
  EXPECT_FALSE(without(&RawWindowEntry::layer));
  EXPECT_FALSE(without(&RawWindowEntry::bounds));
}

TEST(AppWindowList, FilterKeepsOnlyOrdinaryVisibleSaneWindowsOfOthers) {
  struct Case {
    std::string name;
    RawWindowEntry e;
    bool listed;
  };
  auto with = [](auto change) {
    RawWindowEntry e = entry(1);
    change(e);
    return e;
  };
  const std::vector<Case> cases{
      {"plain, no alpha", entry(1), true},
      {"alpha 0.05", with([](auto& e) { e.alpha = 0.05; }), false},
      {"alpha 0.06", with([](auto& e) { e.alpha = 0.06; }), true},
      {"alpha NaN", with([](auto& e) { e.alpha = kNaN; }), false},
      {"own process", with([](auto& e) { e.ownerPid = kOwnPid; }), false},
      {"owner unknown", RawWindowEntry{1, std::nullopt, 0, std::nullopt, GRect{10, 20, 300, 200}}, true},
      {"layer 3", with([](auto& e) { e.layer = 3; }), false},
      {"width 0", entry(1, {0, 0, 0, 10}), false},
      {"height 0", entry(1, {0, 0, 10, 0}), false},
      {"width 100000", entry(1, {0, 0, 100000, 10}), false},
      {"height 100000", entry(1, {0, 0, 10, 100000}), false},
      {"x 100000", entry(1, {100000, 0, 10, 10}), false},
      {"y -100000", entry(1, {0, -100000, 10, 10}), false},
      {"x 99999.9", entry(1, {99999.9, 0, 10, 10}), true},
      {"x -99999.9", entry(1, {-99999.9, 0, 10, 10}), true},
      {"x NaN", entry(1, {kNaN, 0, 10, 10}), false},
      {"y infinite", entry(1, {0, INFINITY, 10, 10}), false},
      {"width NaN", entry(1, {0, 0, kNaN, 10}), false},
      {"height NaN", entry(1, {0, 0, 10, kNaN}), false},
  };
  for (const auto& c : cases) {
    auto raw = RawWindow::fromEntry(c.e);
    ASSERT_TRUE(raw) << c.name;
    EXPECT_EQ(AppWindowList::filter({*raw}, kOwnPid, 32).size(), c.listed ? 1u : 0u) << c.name;
  }
}

TEST(AppWindowList, ReadListsTheFrontmost32InOrderAndSkipsBrokenEntries) {
  test::LogCapture log;
  fake::FakeWindowList list;
  std::vector<RawWindowEntry> entries;
  entries.push_back(RawWindowEntry{std::nullopt, 77, 0, 1.0, GRect{0, 0, 10, 10}});  // no number
  entries.push_back(RawWindowEntry{900, 77, 0, 1.0, std::nullopt});                // no bounds
  for (int i = 0; i < 40; ++i) entries.push_back(entry(100 + i, {double(i), 2.0 * i, 300, 200}));
  list.setEntries(entries);

  auto windows = AppWindowList::read(list, kOwnPid);
  ASSERT_EQ(windows.size(), 32u);
  for (size_t i = 0; i < windows.size(); ++i) {
    EXPECT_EQ(windows[i], (AppWindow{int64_t(100 + i), double(i), 2.0 * i, 300, 200}));
  }
  EXPECT_TRUE(log.lines().empty());
}

TEST(AppWindowList, ReadKeepsWindowsWithoutAnOwnerAndDropsOurs) {
  fake::FakeWindowList list;
  list.setEntries({RawWindowEntry{1, std::nullopt, 0, std::nullopt, GRect{0, 0, 300, 200}},
                   RawWindowEntry{2, kOwnPid, 0, std::nullopt, GRect{0, 0, 200, 200}},
                   entry(3)});
  const auto windows = AppWindowList::read(list, kOwnPid);
  ASSERT_EQ(windows.size(), 2u);
  EXPECT_EQ(windows[0].id, 1);
  EXPECT_EQ(windows[1].id, 3);
}

TEST(AppWindowList, UnavailableListReadsEmptyAndLogsOncePerRun) {
  test::LogCapture log;
  fake::FakeWindowList list;
  list.setUnavailable();
  EXPECT_TRUE(AppWindowList::read(list, kOwnPid).empty());
  EXPECT_TRUE(AppWindowList::read(list, kOwnPid).empty());
  EXPECT_EQ(log.lines(), std::vector<std::string>{"windows: window list unavailable"});
  EXPECT_EQ(list.reads(), 2u);
}

TEST(AppWindowList, UnavailableListSharesItsWarnOnceKey) {
  test::LogCapture log;
  warnOnce("windows-read", "earlier");
  fake::FakeWindowList list;
  list.setUnavailable();
  AppWindowList::read(list, kOwnPid);
  EXPECT_EQ(log.lines(), std::vector<std::string>{"earlier"});
}

}  // namespace
}  // namespace brindlow
