#pragma once
#include <cstddef>
#include <optional>
#include <vector>

#include "platform/WindowList.h"

namespace brindlow::fake {

// The desktop's window list as the test scripts it, front to back; nullopt plays a desktop that
// cannot list its windows. Starts with an empty list. Counts every read.
class FakeWindowList : public platform::WindowList {
 public:
  std::optional<std::vector<platform::RawWindowEntry>> copyOnScreenWindows() override {
    ++reads_;
    return entries_;
  }

  // Drivers.
  void setEntries(std::vector<platform::RawWindowEntry> entries) { entries_ = std::move(entries); }
  void setUnavailable() { entries_.reset(); }

  // Inspection.
  size_t reads() const { return reads_; }

 private:
  std::optional<std::vector<platform::RawWindowEntry>> entries_ = std::vector<platform::RawWindowEntry>{};
  size_t reads_ = 0;
};

}  // namespace brindlow::fake
