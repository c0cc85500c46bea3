#include "platform/fake/FakeLogSink.h"

#include <algorithm>

namespace brindlow::fake {

size_t FakeLogSink::count(std::string_view line) const {
  return static_cast<size_t>(std::count(lines_.begin(), lines_.end(), line));
}

}  // namespace brindlow::fake
