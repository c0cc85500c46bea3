#include "platform/linux/LinuxMainLoop.h"

#include <glib-unix.h>
#include <glib.h>
#include <sys/timerfd.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <memory>

#include "platform/linux/GlibUtil.h"

namespace brindlow::lnx {

namespace {

// One scheduled block. The source's callback data and the TaskHandle share it; whichever goes last
// releases the source (and the timerfd).
struct Task {
  std::function<void()> block;
  GSource* source = nullptr;
  int fd = -1;
  platform::EpochSeconds deadline = 0;
  bool pending = true;

  ~Task() {
    if (source != nullptr) {
      if (!g_source_is_destroyed(source)) g_source_destroy(source);
      g_source_unref(source);
    }
    if (fd >= 0) ::close(fd);
  }

  void run() {
    if (!pending) return;
    pending = false;
    auto b = std::move(block);
    block = nullptr;
    if (b) guarded("a scheduled block", b);
  }

  void cancel() {
    if (!pending) return;
    pending = false;
    block = nullptr;
    if (source != nullptr) g_source_destroy(source);
  }
};

using TaskRef = std::shared_ptr<Task>;

void releaseTaskRef(gpointer data) { delete static_cast<TaskRef*>(data); }

platform::TaskHandle handleFor(const TaskRef& task) {
  return platform::TaskHandle([task] { task->cancel(); }, [task] { return task->pending; });
}

// A source whose only readiness is its ready time; GLib keeps that time in monotonic microseconds.
gboolean dispatchReadyTime(GSource*, GSourceFunc callback, gpointer data) {
  return callback != nullptr ? callback(data) : G_SOURCE_REMOVE;
}

GSourceFuncs readyTimeFuncs = {nullptr, nullptr, dispatchReadyTime, nullptr, nullptr, nullptr};

gboolean runTask(gpointer data) {
  (*static_cast<TaskRef*>(data))->run();
  return G_SOURCE_REMOVE;
}

bool armWallTimer(int fd, platform::EpochSeconds deadline) {
  itimerspec spec{};
  double whole = std::floor(deadline);
  auto nanos = static_cast<long>((deadline - whole) * 1e9);
  if (nanos >= 1000000000L) {
    whole += 1;
    nanos = 0;
  }
  spec.it_value.tv_sec = static_cast<time_t>(whole);
  spec.it_value.tv_nsec = nanos;
  // An all-zero value disarms the timer; a deadline at or before the epoch has passed anyway.
  if (spec.it_value.tv_sec <= 0) {
    spec.it_value.tv_sec = 0;
    spec.it_value.tv_nsec = 1;
  }
  return ::timerfd_settime(fd, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &spec, nullptr) == 0;
}

gboolean wallTimerReady(gint fd, GIOCondition, gpointer data) {
  Task& task = **static_cast<TaskRef*>(data);
  uint64_t expirations = 0;
  const ssize_t n = ::read(fd, &expirations, sizeof expirations);
  if (n < 0 && errno == ECANCELED) {
    // The clock was set: the deadline may be nearer or further now; arm it again (a deadline already
    // reached fires on the next turn).
    if (armWallTimer(fd, task.deadline)) return G_SOURCE_CONTINUE;
  } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
    return G_SOURCE_CONTINUE;
  }
  task.run();
  return G_SOURCE_REMOVE;
}

}  // namespace

LinuxMainLoop::LinuxMainLoop() : mainThread_(std::this_thread::get_id()) {}

platform::Seconds LinuxMainLoop::uptime() const { return static_cast<double>(g_get_monotonic_time()) / 1e6; }

platform::EpochSeconds LinuxMainLoop::now() const { return static_cast<double>(g_get_real_time()) / 1e6; }

platform::TaskHandle LinuxMainLoop::scheduleAfter(platform::Seconds delay, std::function<void()> block) {
  auto task = std::make_shared<Task>();
  task->block = std::move(block);
  GSource* source = g_source_new(&readyTimeFuncs, sizeof(GSource));
  task->source = source;
  const double micros = std::isfinite(delay) && delay > 0 ? std::ceil(delay * 1e6) : 0.0;
  // Far-off delays saturate rather than overflow.
  const gint64 offset = micros < 1e15 ? static_cast<gint64>(micros) : static_cast<gint64>(1e15);
  g_source_set_ready_time(source, g_get_monotonic_time() + offset);
  g_source_set_priority(source, G_PRIORITY_DEFAULT);
  g_source_set_callback(source, runTask, new TaskRef(task), releaseTaskRef);
  g_source_attach(source, nullptr);
  return handleFor(task);
}

platform::TaskHandle LinuxMainLoop::scheduleAtWallTime(platform::EpochSeconds deadline, std::function<void()> block) {
  auto task = std::make_shared<Task>();
  task->block = std::move(block);
  task->deadline = std::isfinite(deadline) ? deadline : 0;
  task->fd = ::timerfd_create(CLOCK_REALTIME, TFD_NONBLOCK | TFD_CLOEXEC);
  if (task->fd < 0 || !armWallTimer(task->fd, task->deadline)) {
    // No timerfd (fd limit): fall back to the monotonic clock for the remaining time.
    auto inner = std::make_shared<platform::TaskHandle>();
    std::function<void()> b = std::move(task->block);
    *inner = scheduleAfter(task->deadline - now(), std::move(b));
    return platform::TaskHandle([inner] { inner->cancel(); }, [inner] { return inner->isPending(); });
  }
  GSource* source = g_unix_fd_source_new(task->fd, G_IO_IN);
  task->source = source;
  g_source_set_priority(source, G_PRIORITY_DEFAULT);
  g_source_set_callback(source, G_SOURCE_FUNC(wallTimerReady),
                        new TaskRef(task), releaseTaskRef);
  g_source_attach(source, nullptr);
  return handleFor(task);
}

void LinuxMainLoop::post(std::function<void()> block) {
  // Idle sources of one priority run in the order they were added, and one added while another runs
  // waits for the next turn.
  g_idle_add_full(
      G_PRIORITY_DEFAULT,
      [](gpointer data) -> gboolean {
        auto& b = *static_cast<std::function<void()>*>(data);
        if (b) guarded("a posted block", b);
        return G_SOURCE_REMOVE;
      },
      new std::function<void()>(std::move(block)), [](gpointer data) { delete static_cast<std::function<void()>*>(data); });
}

bool LinuxMainLoop::isMainThread() const { return std::this_thread::get_id() == mainThread_; }

}  // namespace brindlow::lnx
