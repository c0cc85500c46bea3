#include "platform/fake/FakeMainLoop.h"

#include <limits>
#include <utility>

namespace brindlow::fake {

FakeMainLoop::FakeMainLoop() : alive_(std::make_shared<bool>(true)) {}

FakeMainLoop::~FakeMainLoop() { *alive_ = false; }

platform::TaskHandle FakeMainLoop::add(Timer timer) {
  const uint64_t id = nextId_++;
  timers_.emplace(id, std::move(timer));
  std::weak_ptr<bool> alive = alive_;
  auto cancel = [this, id, alive] {
    if (auto a = alive.lock(); a && *a) timers_.erase(id);
  };
  auto pending = [this, id, alive] {
    auto a = alive.lock();
    return a && *a && timers_.count(id) != 0;
  };
  return platform::TaskHandle(cancel, pending);
}

platform::TaskHandle FakeMainLoop::scheduleAfter(platform::Seconds delay, std::function<void()> block) {
  // A negative or NaN delay runs on the next turn, as a real loop would.
  if (!(delay > 0)) delay = 0;
  return add(Timer{false, uptime_ + delay, std::move(block)});
}

platform::TaskHandle FakeMainLoop::scheduleAtWallTime(platform::EpochSeconds deadline, std::function<void()> block) {
  return add(Timer{true, deadline, std::move(block)});
}

void FakeMainLoop::post(std::function<void()> block) { posted_.push_back(std::move(block)); }

void FakeMainLoop::runPosted() {
  while (!posted_.empty()) {
    auto block = std::move(posted_.front());
    posted_.pop_front();
    if (block) block();
  }
}

double FakeMainLoop::dueUptime(const Timer& t) const {
  return t.wall ? uptime_ + (t.deadline - wall_) : t.deadline;
}

std::optional<uint64_t> FakeMainLoop::nextDue(platform::Seconds limit) const {
  std::optional<uint64_t> best;
  double bestAt = std::numeric_limits<double>::infinity();
  for (const auto& [id, t] : timers_) {
    const double at = dueUptime(t);
    if (at <= limit && at < bestAt) {  // map order keeps ties in scheduling order
      best = id;
      bestAt = at;
    }
  }
  return best;
}

void FakeMainLoop::advance(platform::Seconds dt) {
  const platform::Seconds target = uptime_ + (dt > 0 ? dt : 0);
  runPosted();
  while (auto id = nextDue(target)) {
    auto it = timers_.find(*id);
    const double at = dueUptime(it->second);
    if (at > uptime_) {
      wall_ += at - uptime_;
      uptime_ = at;
    }
    auto block = std::move(it->second.block);
    timers_.erase(it);
    if (block) block();
    runPosted();
  }
  wall_ += target - uptime_;
  uptime_ = target;
  runPosted();
}

void FakeMainLoop::setWall(platform::EpochSeconds wall) {
  wall_ = wall;
  runPosted();
  // Only wall timers can have come due: the uptime clock did not move.
  while (auto id = nextDue(uptime_)) {
    auto it = timers_.find(*id);
    auto block = std::move(it->second.block);
    timers_.erase(it);
    if (block) block();
    runPosted();
  }
}

size_t FakeMainLoop::pendingTimers() const { return timers_.size(); }

std::optional<platform::Seconds> FakeMainLoop::nextDeadline() const {
  std::optional<platform::Seconds> best;
  for (const auto& [id, t] : timers_) {
    const double at = dueUptime(t);
    if (!best || at < *best) best = at;
  }
  return best;
}

}  // namespace brindlow::fake
