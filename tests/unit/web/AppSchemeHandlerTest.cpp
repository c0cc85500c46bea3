#include "web/AppSchemeHandler.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/fake/FakeMainLoop.h"
#include "platform/fake/FakeSchemeTask.h"

namespace brindlow {
namespace {

namespace fs = std::filesystem;
using fake::FakeSchemeTask;

// A real folder tree: <tmp>/res/web/... beside a sibling "webx" and a file outside the web folder.
class AppSchemeHandlerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "brindlow-scheme-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    tmp_ = pattern;
    res_ = tmp_ / "res";
    write("web/index.html", "<h1>pet</h1>");
    write("web/main.JS", "go()");
    write("web/empty.css", "");
    write("web/blob.xyz", "b");
    write("web/noext", "n");
    write("web/sub/index.html", "sub");
    fs::create_directories(res_ / "web/bare");
    write("webx/secret.txt", "sibling");
    write("secret.txt", "outside");
  }
  void TearDown() override { fs::remove_all(tmp_); }

  void write(const std::string& rel, const std::string& text) {
    fs::create_directories((res_ / rel).parent_path());
    std::ofstream(res_ / rel, std::ios::binary) << text;
  }

  fake::SchemeResponse fetch(std::optional<std::string> url) {
    AppSchemeHandler handler(loop_, res_.string());
    int responds = 0;
    auto response = FakeSchemeTask::fetch(handler, std::move(url), &responds);
    EXPECT_EQ(responds, 1);
    return response;
  }

  fake::FakeMainLoop loop_;
  fs::path tmp_;
  fs::path res_;
};

TEST_F(AppSchemeHandlerTest, ServesFilesWithTheirTypes) {
  struct Case {
    const char* url;
    const char* type;
    const char* body;
  };
  const Case cases[] = {
      {"brindlow://app", "text/html; charset=utf-8", "<h1>pet</h1>"},
      {"brindlow://app/", "text/html; charset=utf-8", "<h1>pet</h1>"},
      {"brindlow://app/index.html?v=3#x", "text/html; charset=utf-8", "<h1>pet</h1>"},
      {"brindlow://app/sub", "text/html; charset=utf-8", "sub"},
      {"brindlow://app/sub/", "text/html; charset=utf-8", "sub"},
      {"brindlow://app/main.JS", "text/javascript; charset=utf-8", "go()"},
      {"brindlow://app/sub/../main.JS", "text/javascript; charset=utf-8", "go()"},
      {"brindlow://app/%6Dain.JS", "text/javascript; charset=utf-8", "go()"},
      {"brindlow://app/blob.xyz", "application/octet-stream", "b"},
      {"brindlow://app/noext", "application/octet-stream", "n"},
  };
  for (const auto& c : cases) {
    const auto r = fetch(c.url);
    EXPECT_EQ(r.status, 200) << c.url;
    EXPECT_EQ(r.headers, (platform::HttpHeaders{{"Content-Type", c.type},
                                               {"Content-Length", std::to_string(std::string(c.body).size())},
                                               {"Cache-Control", "no-cache"}}))
        << c.url;
    EXPECT_EQ(r.bodyText(), c.body) << c.url;
  }
}

TEST_F(AppSchemeHandlerTest, EmptyFileIsServedWithLengthZero) {
  const auto r = fetch("brindlow://app/empty.css");
  EXPECT_EQ(r.status, 200);
  EXPECT_EQ(r.header("Content-Length"), "0");
  EXPECT_TRUE(r.body.empty());
}

TEST_F(AppSchemeHandlerTest, RefusalsAreCompleteNotFoundExchanges) {
  const std::optional<std::string> urls[] = {
      std::nullopt,
      "brindlow://APP/index.html",
      "brindlow://App/index.html",
      "brindlow://other/index.html",
      "brindlow:/index.html",
      "brindlow://app/missing.js",
      "brindlow://app/bare",  // a folder without index.html
      "brindlow://app/../secret.txt",
      "brindlow://app/%2e%2e/secret.txt",
      "brindlow://app/..%2fsecret.txt",
      "brindlow://app/sub/../../secret.txt",
      "brindlow://app/../webx/secret.txt",
      "brindlow://app/..%2Fwebx%2Fsecret.txt",
      "brindlow://app/index.html%00.png",
      "brindlow://app/%zz",
  };
  for (const auto& url : urls) {
    const auto r = fetch(url);
    const char* shown = url ? url->c_str() : "(none)";
    EXPECT_EQ(r.status, 404) << shown;
    EXPECT_EQ(r.headers, (platform::HttpHeaders{{"Content-Type", "text/plain"}})) << shown;
    EXPECT_TRUE(r.body.empty()) << shown;
  }
}

TEST_F(AppSchemeHandlerTest, WithoutResourceFolderEverythingIsNotFound) {
  AppSchemeHandler handler(loop_, std::nullopt);
  EXPECT_EQ(handler.resolve("/index.html"), std::nullopt);
  EXPECT_EQ(FakeSchemeTask::fetch(handler, "brindlow://app/index.html").status, 404);
}

TEST_F(AppSchemeHandlerTest, ResolveStaysUnderTheWebFolder) {
  AppSchemeHandler handler(loop_, res_.string() + "/");
  const fs::path web = res_ / "web";
  ASSERT_EQ(handler.root(), web);
  EXPECT_EQ(handler.resolve("/"), web / "index.html");
  EXPECT_EQ(handler.resolve("/bare"), web / "bare" / "index.html");
  EXPECT_EQ(handler.resolve("/a/./b/../c.png"), web / "a" / "c.png");  // need not exist
  EXPECT_EQ(handler.resolve("//etc/passwd"), web / "etc" / "passwd");
  EXPECT_EQ(handler.resolve("/.."), std::nullopt);
  EXPECT_EQ(handler.resolve("/../web"), web / "index.html");
  EXPECT_EQ(handler.resolve("/../web2/x"), std::nullopt);
}

TEST(AppSchemeHandlerMime, TableByLowerCasedExtension) {
  const std::pair<const char*, const char*> table[] = {
      {"html", "text/html; charset=utf-8"},        {"HTM", "text/html; charset=utf-8"},
      {"js", "text/javascript; charset=utf-8"},    {"mjs", "text/javascript; charset=utf-8"},
      {"css", "text/css; charset=utf-8"},          {"json", "application/json; charset=utf-8"},
      {"map", "application/json; charset=utf-8"},  {"png", "image/png"},
      {"jpg", "image/jpeg"},                       {"JPEG", "image/jpeg"},
      {"webp", "image/webp"},                      {"svg", "image/svg+xml"},
      {"woff2", "font/woff2"},                     {"woff", "font/woff"},
      {"mp3", "audio/mpeg"},                       {"ogg", "audio/ogg"},
      {"wav", "audio/wav"},                        {"wasm", "application/wasm"},
      {"txt", "application/octet-stream"},         {"", "application/octet-stream"},
  };
  for (const auto& [ext, type] : table) EXPECT_EQ(AppSchemeHandler::mimeType(ext), type) << ext;
}

}  // namespace
}  // namespace brindlow
