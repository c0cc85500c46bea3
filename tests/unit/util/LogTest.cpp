#include "util/Log.h"

#include <gtest/gtest.h>

#include <string>

#include "support/LogCapture.h"

namespace brindlow {
namespace {

TEST(Log, LogErrorWritesTextUnchanged) {
  test::LogCapture log;
  logError("save: write failed disk full");
  ASSERT_EQ(log.lines().size(), 1u);
  EXPECT_EQ(log.lines()[0], "save: write failed disk full");
}

TEST(Log, NothingWrittenWhenErrorLevelDisabled) {
  test::LogCapture log;
  log.sink.setErrorEnabled(false);
  logError("x");
  warnOnce("k", "x");
  EXPECT_TRUE(log.lines().empty());
}

TEST(Log, WarnOnceLogsOncePerKeyAndStopsAfter64Keys) {
  test::LogCapture log;
  warnOnce("hit.rects", "first");
  warnOnce("hit.rects", "second");
  EXPECT_EQ(log.lines().size(), 1u);
  for (int i = 1; i < 64; ++i) warnOnce("k" + std::to_string(i), "m" + std::to_string(i));
  EXPECT_EQ(log.lines().size(), 64u);
  warnOnce("k64", "sixty-fifth");
  EXPECT_EQ(log.lines().size(), 64u);
  logError("plain lines have no cap");
  EXPECT_EQ(log.lines().size(), 65u);
}

}  // namespace
}  // namespace brindlow
