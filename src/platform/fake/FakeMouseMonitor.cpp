#include "platform/fake/FakeMouseMonitor.h"

#include <utility>

namespace brindlow::fake {

FakeMouseMonitor::FakeMouseMonitor() {
  monitors_.setOnRemove([this](const Record& record) { removed_.push_back(record); });
}

FakeMouseMonitor::~FakeMouseMonitor() = default;

std::optional<platform::Subscription> FakeMouseMonitor::addGlobalMonitor(
    uint32_t mask, std::function<void(const platform::MouseEvent&)> handler) {
  return add(Kind::global, mask, std::move(handler));
}

std::optional<platform::Subscription> FakeMouseMonitor::addLocalMonitor(
    uint32_t mask, std::function<void(const platform::MouseEvent&)> handler) {
  return add(Kind::local, mask, std::move(handler));
}

std::optional<platform::Subscription> FakeMouseMonitor::add(Kind kind, uint32_t mask,
                                                            std::function<void(const platform::MouseEvent&)> handler) {
  if (refuse_ || std::exchange(failNext_, false)) return std::nullopt;
  const Record record{kind, mask};
  added_.push_back(record);
  return monitors_.add(record, std::move(handler));
}

void FakeMouseMonitor::emit(Kind kind, platform::MouseEventType type, platform::Seconds timestamp) {
  const platform::MouseEvent event{type, timestamp};
  monitors_.emitWhere(
      [&](const Record& r) { return r.kind == kind && (r.mask & platform::maskOf(type)) != 0; }, event);
}

void FakeMouseMonitor::emitGlobal(platform::MouseEventType type, platform::Seconds timestamp) {
  emit(Kind::global, type, timestamp);
}

void FakeMouseMonitor::emitLocal(platform::MouseEventType type, platform::Seconds timestamp) {
  emit(Kind::local, type, timestamp);
}

std::vector<FakeMouseMonitor::Record> FakeMouseMonitor::live() const {
  std::vector<Record> out;
  monitors_.forEachTag([&](const Record& r) { out.push_back(r); });
  return out;
}

size_t FakeMouseMonitor::liveCount(Kind kind) const {
  return monitors_.countWhere([kind](const Record& r) { return r.kind == kind; });
}

}  // namespace brindlow::fake
