#include "platform/fake/FakeMouseMonitor.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace brindlow::fake {
namespace {

using platform::MouseEventType;

TEST(FakeMouseMonitor, DeliversByKindAndMaskAndRecordsRemovals) {
  FakeMouseMonitor monitor;
  std::vector<int> seen;
  auto moved = monitor.addGlobalMonitor(platform::mouseMovedMask, [&](const platform::MouseEvent&) { seen.push_back(1); });
  std::optional<platform::Subscription> drag;
  drag = monitor.addLocalMonitor(100, [&](const platform::MouseEvent& e) {
    seen.push_back(2);
    if (e.type == MouseEventType::leftMouseUp) drag.reset();  // removing itself while delivered
  });
  monitor.emitGlobal(MouseEventType::leftMouseUp, 1);  // no global monitor wants it
  monitor.emitLocal(MouseEventType::leftMouseDragged, 2);
  monitor.emitGlobal(MouseEventType::mouseMoved, 3);
  monitor.emitLocal(MouseEventType::leftMouseUp, 4);
  monitor.emitLocal(MouseEventType::leftMouseUp, 5);
  EXPECT_EQ(seen, (std::vector<int>{2, 1, 2}));
  EXPECT_EQ(monitor.removed(), (std::vector<FakeMouseMonitor::Record>{{FakeMouseMonitor::Kind::local, 100}}));
  EXPECT_EQ(monitor.liveCount(FakeMouseMonitor::Kind::global), 1u);
}

}  // namespace
}  // namespace brindlow::fake
