#include "util/Url.h"

#include <gtest/gtest.h>

namespace brindlow {
namespace {

TEST(Url, SplitsSchemeHostPathQueryAndFragment) {
  struct Case {
    const char* text;
    std::optional<Url> expected;
  };
  const Case cases[] = {
      {"brindlow://app/index.html", Url{"brindlow", "app", "/index.html", std::nullopt, std::nullopt}},
      {"brindlow://APP/a%20b.js?v=1#top", Url{"brindlow", "APP", "/a b.js", "v=1", "top"}},
      {"brindlow://app", Url{"brindlow", "app", "", std::nullopt, std::nullopt}},
      {"brindlow://app?x", Url{"brindlow", "app", "", "x", std::nullopt}},
      {"http://user:pw@host.example:8080/p", Url{"http", "host.example", "/p", std::nullopt, std::nullopt}},
      {"http://[::1]:80/", Url{"http", "[::1]", "/", std::nullopt, std::nullopt}},
      {"about:blank", Url{"about", std::nullopt, "blank", std::nullopt, std::nullopt}},
      {"brindlow://app/..%2f..%2Fetc", Url{"brindlow", "app", "/../../etc", std::nullopt, std::nullopt}},
      {"brindlow://app/%zz", std::nullopt},
      {"brindlow://app/%4", std::nullopt},
      {"no scheme here", std::nullopt},
      {"1x://app/", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(parseUrl(c.text), c.expected) << c.text;
}

TEST(Url, PercentDecodeKeepsPlainTextAndDecodesEveryEscape) {
  EXPECT_EQ(percentDecode("plain"), "plain");
  EXPECT_EQ(percentDecode("%2e%2E/%41"), "../A");
  EXPECT_EQ(percentDecode("100%"), std::nullopt);
  EXPECT_EQ(percentDecode("%00"), std::string(1, '\0'));
}

}  // namespace
}  // namespace brindlow
