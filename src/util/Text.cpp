#include "util/Text.h"

#include <memory>

#include <unicode/brkiter.h>
#include <unicode/utext.h>

namespace brindlow {

namespace {

// Calls `boundary` with each cluster end in order until it returns false. Without ICU data every
// byte counts as a character, so limits still hold.
template <typename F>
void forEachClusterEnd(std::string_view text, F&& boundary) {
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<UText, decltype(&utext_close)> ut(
      utext_openUTF8(nullptr, text.data(), static_cast<int64_t>(text.size()), &status), &utext_close);
  std::unique_ptr<icu::BreakIterator> it;  // declared after the text, so it is destroyed first
  if (U_SUCCESS(status)) it.reset(icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
  if (U_SUCCESS(status) && it) it->setText(ut.get(), status);
  if (U_FAILURE(status) || !it) {
    for (std::size_t i = 1; i <= text.size(); ++i)
      if (!boundary(i)) return;
    return;
  }
  it->first();
  for (int32_t end = it->next(); end != icu::BreakIterator::DONE; end = it->next())
    if (!boundary(static_cast<std::size_t>(end))) break;
}

}  // namespace

std::size_t graphemeCount(std::string_view text) {
  std::size_t count = 0;
  forEachClusterEnd(text, [&](std::size_t) {
    ++count;
    return true;
  });
  return count;
}

bool withinGraphemes(std::string_view text, std::size_t limit) {
  if (text.size() <= limit) return true;  // every character takes at least one byte
  std::size_t count = 0;
  forEachClusterEnd(text, [&](std::size_t) { return ++count <= limit; });
  return count <= limit;
}

std::string graphemePrefix(std::string_view text, std::size_t limit) {
  if (limit == 0) return {};
  std::size_t count = 0;
  std::size_t cut = text.size();
  forEachClusterEnd(text, [&](std::size_t end) {
    if (++count < limit) return true;
    cut = end;
    return false;
  });
  return std::string(text.substr(0, cut));
}

}  // namespace brindlow
