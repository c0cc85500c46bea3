#pragma once
#include <functional>
#include <memory>

#include "model/KeysEvent.h"
#include "platform/KeyTap.h"
#include "platform/TaskHandle.h"
#include "services/KeyBatcher.h"

namespace brindlow {

namespace platform {
class Defaults;
class MainLoop;
}  // namespace platform

// Counts key presses system-wide through a listen-only tap, never which key, and hands them upward in
// batches. Hold it in a std::shared_ptr: the tap and the flush reach it weakly.
class KeyCounter : public std::enable_shared_from_this<KeyCounter> {
 public:
  KeyCounter(platform::KeyTap& keyTap, platform::Defaults& defaults, platform::MainLoop& mainLoop);
  ~KeyCounter();
  KeyCounter(const KeyCounter&) = delete;
  KeyCounter& operator=(const KeyCounter&) = delete;

  // Installs the tap unless it is installed; true when a tap is installed afterwards. No tap is tried
  // before listen access is granted or the user has been asked once.
  bool start();
  // Removes the tap and drops the open batch.
  void stop();
  bool isCounting() const { return tap_ != nullptr; }

  std::function<void(const KeysEvent&)> onBatch;
  // Whether the pet can be seen; read only when a batch opens, to pick its flush delay.
  bool visible = true;
  // While the session is locked or not the active one no key is counted: the keys then go to the lock
  // screen or belong to another user.
  bool sessionAway = false;

 private:
  void handle(const platform::KeyTapEvent& event);
  void scheduleFlush();
  void flush();

  platform::KeyTap& keyTap_;
  platform::Defaults& defaults_;
  platform::MainLoop& loop_;
  std::unique_ptr<platform::KeyTapHandle> tap_;
  KeyBatcher batcher_;
  platform::TaskHandle flushWork_;
};

}  // namespace brindlow
