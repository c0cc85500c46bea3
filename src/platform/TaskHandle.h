#pragma once
#include <functional>
#include <utility>

namespace brindlow::platform {

// A scheduled one-shot block. Move-only; cancels the block when destroyed.
class TaskHandle {
 public:
  TaskHandle() = default;
  TaskHandle(std::function<void()> cancel, std::function<bool()> pending)
      : cancel_(std::move(cancel)), pending_(std::move(pending)) {}
  TaskHandle(TaskHandle&& other) noexcept { *this = std::move(other); }
  TaskHandle& operator=(TaskHandle&& other) noexcept {
    if (this != &other) {
      cancel();
      cancel_ = std::exchange(other.cancel_, nullptr);
      pending_ = std::exchange(other.pending_, nullptr);
    }
    return *this;
  }
  TaskHandle(const TaskHandle&) = delete;
  TaskHandle& operator=(const TaskHandle&) = delete;
  ~TaskHandle() { cancel(); }

  // Cancels the block if it has not run yet; safe to call more than once.
  void cancel() {
    if (auto c = std::exchange(cancel_, nullptr)) c();
    pending_ = nullptr;
  }
  // True while the block is scheduled and has neither run nor been cancelled.
  bool isPending() const { return pending_ && pending_(); }
  explicit operator bool() const { return isPending(); }

 private:
  std::function<void()> cancel_;
  std::function<bool()> pending_;
};

}  // namespace brindlow::platform
