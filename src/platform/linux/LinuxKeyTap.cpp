#include "platform/linux/LinuxKeyTap.h"

#include <algorithm>
#include <bitset>
#include <optional>

#include "platform/linux/LinuxRawInput.h"

namespace brindlow::lnx {

namespace {

const std::vector<int> kKeyEvents{XI_RawKeyPress, XI_RawKeyRelease};

// One tap on its own connection. The key code stays in here: it only tells repeats apart.
class Tap : public platform::KeyTapHandle {
 public:
  Tap(platform::MainLoop& loop, std::unique_ptr<LinuxRawInput> raw,
      std::function<void(const platform::KeyTapEvent&)> handler)
      : loop_(loop), raw_(std::move(raw)), handler_(std::move(handler)) {
    raw_->onEvent = [this](int type, int detail, int flags, unsigned long timeMs) {
      onKey(type, detail, flags, timeMs);
    };
  }

  void setEnabled(bool enabled) override {
    if (invalidated_ || enabled == enabled_) return;
    enabled_ = enabled;
    down_.reset();
    raw_->select(enabled ? kKeyEvents : std::vector<int>{});
  }

  void invalidate() override {
    if (invalidated_) return;
    invalidated_ = true;
    enabled_ = false;
    raw_->select({});
  }

 private:
  // The server's millisecond clock mapped onto uptime. The smallest gap seen between reading an event
  // and its stamp is the offset (events are never read before they happen); a jump of a minute means
  // the 32-bit server clock wrapped or the server restarted, and the offset is taken afresh.
  double pressUptime(unsigned long timeMs) {
    const double now = loop_.uptime();
    const double stamp = static_cast<double>(timeMs) / 1000.0;
    const double gap = now - stamp;
    if (!offset_ || gap < *offset_ || gap - *offset_ > 60) offset_ = gap;
    return std::min(now, stamp + *offset_);
  }

  void onKey(int type, int detail, int flags, unsigned long timeMs) {
    if (!enabled_ || detail < 0 || detail >= static_cast<int>(down_.size())) return;
    if (type == XI_RawKeyRelease) {
      down_.reset(static_cast<size_t>(detail));
      return;
    }
    if (type != XI_RawKeyPress) return;
    // Some servers flag repeats on raw events; where they do not, a key already down is a repeat.
    const bool repeat = (flags & XIKeyRepeat) != 0 || down_.test(static_cast<size_t>(detail));
    down_.set(static_cast<size_t>(detail));
    if (handler_) handler_({platform::KeyTapEventKind::keyDown, repeat, pressUptime(timeMs)});
  }

  platform::MainLoop& loop_;
  std::unique_ptr<LinuxRawInput> raw_;
  std::function<void(const platform::KeyTapEvent&)> handler_;
  std::optional<double> offset_;
  std::bitset<256> down_;
  bool enabled_ = true;
  bool invalidated_ = false;
};

}  // namespace

LinuxKeyTap::LinuxKeyTap(platform::MainLoop& loop) : loop_(loop), available_(LinuxRawInput::available()) {}

std::unique_ptr<platform::KeyTapHandle> LinuxKeyTap::createListenTap(
    std::function<void(const platform::KeyTapEvent&)> handler) {
  auto raw = LinuxRawInput::open();
  if (raw == nullptr || !raw->select(kKeyEvents)) return nullptr;
  return std::make_unique<Tap>(loop_, std::move(raw), std::move(handler));
}

}  // namespace brindlow::lnx
