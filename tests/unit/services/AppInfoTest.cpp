#include "services/AppInfo.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "platform/fake/FakeApplication.h"
#include "platform/fake/FakeFileSystem.h"
#include "platform/fake/FakeLocale.h"
#include "platform/fake/FakeResources.h"
#include "platform/fake/FakeWorkspace.h"
#include "support/LogCapture.h"

namespace brindlow {
namespace {

TEST(AppInfo, DetectLangTakesTheFirstKnownPrimarySubtag) {
  struct Case {
    std::vector<std::string> languages;
    Lang expected;
  };
  const std::vector<Case> cases = {
      {{"pt-BR", "en"}, Lang::pt},
      {{"zh-Hans-CN", "ja-JP"}, Lang::ja},
      {{"EN-gb"}, Lang::en},
      {{"en_US", "ko-KR"}, Lang::ko},  // the underscore joins the region to the first piece
      {{"en_US"}, Lang::en},           // no match at all: the fallback
      {{"--es--MX"}, Lang::es},        // empty pieces are dropped
      {{"", "-", "ja"}, Lang::ja},
      {{}, Lang::en},
  };
  for (const Case& c : cases) {
    fake::FakeLocale locale;
    locale.setPreferredLanguages(c.languages);
    EXPECT_EQ(detectLang(locale), c.expected) << testing::PrintToString(c.languages);
  }
}

TEST(AppInfo, VersionAndBuildAreTextsOrZero) {
  fake::FakeResources resources;
  EXPECT_EQ(appVersion(resources), "0");
  EXPECT_EQ(appBuild(resources), "0");
  resources.setInfoValue("CFBundleShortVersionString", "1.4.2");
  resources.setInfoValue("CFBundleVersion", 57);
  EXPECT_EQ(appVersion(resources), "1.4.2");
  EXPECT_EQ(appBuild(resources), "0");
  resources.setInfoValue("CFBundleVersion", "57");
  EXPECT_EQ(appBuild(resources), "57");
}

class LinkTableTest : public testing::Test {
 protected:
  void setLinks(const std::string& contents) {
    resources.setResource("links", "json", "/res/links.json");
    files.setFile("/res/links.json", contents);
  }
  LinkTable table() { return LinkTable(resources, files, "settings://privacy/input"); }

  fake::FakeResources resources;
  fake::FakeFileSystem files;
};

TEST_F(LinkTableTest, OnlyHttpsTextValuesBecomeLinks) {
  setLinks(R"({"support": "https://example.com/help?topic=pet#top",
               "privacy": "http://example.com/privacy",
               "terms": 42})");
  LinkTable links = table();
  EXPECT_EQ(links.url(LinkId::support), "https://example.com/help?topic=pet#top");
  EXPECT_EQ(links.url(LinkId::privacy), std::nullopt);
  EXPECT_EQ(links.url(LinkId::terms), std::nullopt);
  EXPECT_EQ(links.url(LinkId::inputSettings), "settings://privacy/input");
}

TEST_F(LinkTableTest, SchemeMustBeExactlyHttpsAndTheValueAUrl) {
  const std::vector<std::string> rejected = {
      "HTTPS://example.com/privacy", "Https://example.com", "example.com/privacy", "//example.com/x",
      "https://exa mple.com",        "https://example.com/%zz", "",            "ftp://example.com",
      "/https://example.com",
  };
  for (const std::string& value : rejected) {
    setLinks(nlohmann::json{{"privacy", value}}.dump());
    EXPECT_EQ(table().url(LinkId::privacy), std::nullopt) << value;
  }
  setLinks(R"({"privacy": "https://example.com/a%20b"})");
  EXPECT_EQ(table().url(LinkId::privacy), "https://example.com/a%20b");
}

TEST_F(LinkTableTest, UnreadableTablesAreEmpty) {
  const std::vector<std::string> bad = {
      R"({"support": "https://example.com/help")",  // cut short
      R"(["https://example.com/help"])",
      R"("https://example.com/help")",  // a fragment, not an object
      "",
      "{\"support\": \"https://example.com/\xff\"}",  // not UTF-8
  };
  for (const std::string& contents : bad) {
    setLinks(contents);
    LinkTable links = table();
    EXPECT_EQ(links.url(LinkId::support), std::nullopt) << contents;
    EXPECT_EQ(links.url(LinkId::inputSettings), "settings://privacy/input");
  }
}

TEST_F(LinkTableTest, LoadedOnceEvenWhenMissing) {
  LinkTable links = table();
  EXPECT_EQ(links.url(LinkId::support), std::nullopt);
  setLinks(R"({"support": "https://example.com/help"})");  // appears later in the run
  EXPECT_EQ(links.url(LinkId::support), std::nullopt);
  EXPECT_EQ(links.url(LinkId::terms), std::nullopt);
  EXPECT_EQ(resources.lookups().size(), 1u);
  EXPECT_EQ(files.count(fake::FakeFileSystem::Op::readFile), 0u);

  LinkTable loaded = table();
  EXPECT_EQ(loaded.url(LinkId::support), "https://example.com/help");
  files.setFile("/res/links.json", "{}");
  EXPECT_EQ(loaded.url(LinkId::support), "https://example.com/help");
  EXPECT_EQ(files.count(fake::FakeFileSystem::Op::readFile), 1u);
}

TEST(AppInfo, BundledLinksAreHttps) {
  fake::FakeResources resources;
  fake::FakeFileSystem files;
  FILE* f = std::fopen(BRINDLOW_SOURCE_RESOURCES "/links.json", "rb");
  ASSERT_NE(f, nullptr);
  std::string contents;
  char buf[512];
  for (size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) contents.append(buf, n);
  std::fclose(f);
  files.setFile("/res/links.json", contents);
  resources.setResource("links", "json", "/res/links.json");
  LinkTable links(resources, files, std::nullopt);
  for (LinkId id : {LinkId::support, LinkId::privacy, LinkId::terms}) {
    EXPECT_TRUE(links.url(id).has_value()) << rawValue(id);
  }
  EXPECT_EQ(links.url(LinkId::inputSettings), std::nullopt);
}

TEST(AppInfo, UpdateCheckCreatesTheControllerOnceAndHandsOffToTheSoftwareCentre) {
  test::LogCapture log;
  fake::FakeMainLoop loop;
  fake::FakeApplication application(loop);
  fake::FakeWorkspace workspace;
  Updater updater(application, workspace, "org.example.brindlow");
  EXPECT_FALSE(updater.hasController());
  updater.checkForUpdates();
  updater.checkForUpdates();
  EXPECT_TRUE(updater.hasController());
  EXPECT_EQ(application.activations(), 2);
  EXPECT_EQ(workspace.openedUrls(),
            (std::vector<std::string>{"appstream://org.example.brindlow", "appstream://org.example.brindlow"}));

  Updater anonymous(application, workspace, std::nullopt);
  anonymous.checkForUpdates();
  EXPECT_EQ(workspace.openedUrls().size(), 2u);  // no id, nothing to hand off
  EXPECT_EQ(application.activations(), 3);
  EXPECT_TRUE(log.lines().empty());
}

TEST(AppInfo, UpdateCheckThatNothingHandlesSaysSoEachTime) {
  test::LogCapture log;
  fake::FakeMainLoop loop;
  fake::FakeApplication application(loop);
  fake::FakeWorkspace workspace;
  workspace.setOpenUrlResult(false);
  Updater updater(application, workspace, "org.example.brindlow");
  updater.checkForUpdates();
  updater.checkForUpdates();
  EXPECT_EQ(log.lines(), (std::vector<std::string>(2, "update: no program opens appstream://org.example.brindlow")));
}

}  // namespace
}  // namespace brindlow
