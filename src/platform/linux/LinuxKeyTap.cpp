#include "platform/linux/LinuxKeyTap.h"

#include <algorithm>
#include <bitset>
#include <cstdio>
#include <optional>

#include "platform/linux/LinuxRawInput.h"

namespace brindlow::lnx {

namespace {

const std::vector<int> kKeyEvents{XI_RawKeyPress, XI_RawKeyRelease};

// One tap on its own connection. The key code stays in here: it only tells repeats apart.
class Tap : public platform::KeyTapHandle {
 public:
  Tap(platform::MainLoop& loop, std::shared_ptr<const bool> consent,
      std::unique_ptr<LinuxRawInput> raw, std::function<void(const platform::KeyTapEvent&)> handler)
      : loop_(loop),
        consent_(std::move(consent)),
        raw_(std::move(raw)),
        handler_(std::move(handler)) {
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
    if (type != XI_RawKeyPress || !*consent_) return;
    // Some servers flag repeats on raw events; where they do not, a key already down is a repeat.
    const bool repeat = (flags & XIKeyRepeat) != 0 || down_.test(static_cast<size_t>(detail));
    down_.set(static_cast<size_t>(detail));
    if (handler_) handler_({platform::KeyTapEventKind::keyDown, repeat, pressUptime(timeMs)});
  }

  platform::MainLoop& loop_;
  std::shared_ptr<const bool> consent_;
  std::unique_ptr<LinuxRawInput> raw_;
  std::function<void(const platform::KeyTapEvent&)> handler_;
  std::optional<double> offset_;
  std::bitset<256> down_;
  bool enabled_ = true;
  bool invalidated_ = false;
};

constexpr const char* kConsentText =
    "brindlow may count key presses (never which keys). Delete this file to withdraw.\n";

}  // namespace

LinuxKeyTap::LinuxKeyTap(platform::MainLoop& loop, std::optional<std::string> consentPath)
    : loop_(loop), available_(LinuxRawInput::available()) {
  if (consentPath) {
    consentPath_ = std::move(*consentPath);
  } else {
    GCharPtr path(g_build_filename(g_get_user_config_dir(), "brindlow", "input-consent", nullptr));
    consentPath_ = path.get();
  }
  consentStored();
  // A withdrawal while a tap runs must stop the counting before anything asks again.
  auto file = adopt(g_file_new_for_path(consentPath_.c_str()));
  consentMonitor_ = adopt(g_file_monitor_file(file.get(), G_FILE_MONITOR_WATCH_MOVES, nullptr, nullptr));
  if (consentMonitor_) g_signal_connect(consentMonitor_.get(), "changed", G_CALLBACK(onConsentFileChanged), this);
}

LinuxKeyTap::~LinuxKeyTap() {
  if (consentMonitor_) {
    g_signal_handlers_disconnect_by_data(consentMonitor_.get(), this);
    g_file_monitor_cancel(consentMonitor_.get());
  }
}

bool LinuxKeyTap::consentStored() {
  *consent_ = g_file_test(consentPath_.c_str(), G_FILE_TEST_IS_REGULAR);
  return *consent_;
}

void LinuxKeyTap::onConsentFileChanged(GFileMonitor*, GFile*, GFile*, GFileMonitorEvent, gpointer self) {
  static_cast<LinuxKeyTap*>(self)->consentStored();
}

void LinuxKeyTap::requestListenAccess() {
  GCharPtr folder(g_path_get_dirname(consentPath_.c_str()));
  GErrorOut err;
  if (g_mkdir_with_parents(folder.get(), 0700) != 0 ||
      !g_file_set_contents_full(consentPath_.c_str(), kConsentText, -1, G_FILE_SET_CONTENTS_CONSISTENT, 0600,
                                err.out())) {
    // The request has no failure path: the access simply stays refused.
    std::fprintf(stderr, "brindlow: consent to count keys not saved to %s: %s\n", consentPath_.c_str(),
                 err ? err.message().c_str() : "cannot create the folder");
  }
  consentStored();
}

std::unique_ptr<platform::KeyTapHandle> LinuxKeyTap::createListenTap(
    std::function<void(const platform::KeyTapEvent&)> handler) {
  if (!preflightListenAccess()) return nullptr;
  auto raw = LinuxRawInput::open();
  if (raw == nullptr || !raw->select(kKeyEvents)) return nullptr;
  return std::make_unique<Tap>(loop_, consent_, std::move(raw), std::move(handler));
}

}  // namespace brindlow::lnx
