#include "platform/fake/FakeMouseMonitor.h"

#include <utility>

namespace brindlow::fake {

FakeMouseMonitor::FakeMouseMonitor() : alive_(std::make_shared<bool>(true)) {}

FakeMouseMonitor::~FakeMouseMonitor() { *alive_ = false; }

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
  const uint64_t id = nextId_++;
  const Record record{kind, mask};
  monitors_.emplace(id, Monitor{record, std::move(handler)});
  added_.push_back(record);
  std::weak_ptr<bool> alive = alive_;
  return platform::Subscription([this, id, alive] {
    auto a = alive.lock();
    if (!a || !*a) return;
    if (auto it = monitors_.find(id); it != monitors_.end()) {
      removed_.push_back(it->second.record);
      monitors_.erase(it);
    }
  });
}

void FakeMouseMonitor::emit(Kind kind, platform::MouseEventType type, platform::Seconds timestamp) {
  const platform::MouseEvent event{type, timestamp};
  std::vector<uint64_t> ids;
  for (const auto& [id, m] : monitors_) {
    if (m.record.kind == kind && (m.record.mask & platform::maskOf(type)) != 0) ids.push_back(id);
  }
  for (uint64_t id : ids) {
    auto it = monitors_.find(id);  // an earlier handler may have removed it
    if (it == monitors_.end()) continue;
    auto handler = it->second.handler;  // the handler may remove its own monitor
    handler(event);
  }
}

void FakeMouseMonitor::emitGlobal(platform::MouseEventType type, platform::Seconds timestamp) {
  emit(Kind::global, type, timestamp);
}

void FakeMouseMonitor::emitLocal(platform::MouseEventType type, platform::Seconds timestamp) {
  emit(Kind::local, type, timestamp);
}

std::vector<FakeMouseMonitor::Record> FakeMouseMonitor::live() const {
  std::vector<Record> out;
  for (const auto& [id, m] : monitors_) out.push_back(m.record);
  return out;
}

size_t FakeMouseMonitor::liveCount(Kind kind) const {
  size_t n = 0;
  for (const auto& [id, m] : monitors_) n += m.record.kind == kind ? 1 : 0;
  return n;
}

}  // namespace brindlow::fake
