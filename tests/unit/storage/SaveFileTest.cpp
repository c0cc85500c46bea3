#include "storage/SaveFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/PosixFileSystem.h"
#include "platform/fake/FakeFileSystem.h"
#include "support/LogCapture.h"

namespace brindlow {
namespace {

using fake::FakeFileSystem;
using Op = FakeFileSystem::Op;
using Read = SaveFile::ReadResult;
using Write = SaveFile::WriteResult;

constexpr const char* kUnreadable = "save: main file unreadable, using backup";

const std::string kMain = "/home/user/.local/share/Brindlow/save.json";
const std::string kBackup = "/home/user/.local/share/Brindlow/save.json.bak";

// An object of exactly `bytes` UTF-8 bytes.
std::string objectOfSize(size_t bytes) {
  std::string text = "{\"a\":\"\"}";
  text.insert(6, bytes - text.size(), 'x');
  return text;
}

struct SaveFileFake : ::testing::Test {
  test::LogCapture log;
  FakeFileSystem fs;
  SaveFile save{fs};
};

TEST_F(SaveFileFake, PathsFollowTheDataFolderOrTheHomeFallback) {
  EXPECT_EQ(save.dir(), "/home/user/.local/share/Brindlow");
  EXPECT_EQ(save.main(), kMain);
  EXPECT_EQ(save.backup(), kBackup);
  EXPECT_TRUE(fs.calls().empty());

  FakeFileSystem bare;
  bare.supportDirectory.reset();
  bare.home = "/u";
  EXPECT_EQ(SaveFile(bare).main(), "/u/.local/share/Brindlow/save.json");
}

TEST_F(SaveFileFake, FreshStartThenWritesRotateOneGeneration) {
  EXPECT_EQ(save.read(), std::nullopt);
  EXPECT_FALSE(save.mainBroken());
  EXPECT_TRUE(log.lines().empty());

  EXPECT_EQ(save.write("{\"n\":1}"), (Write{true, 7}));
  EXPECT_TRUE(fs.isDirectory(save.dir()));
  EXPECT_EQ(fs.contents(kMain), "{\"n\":1}");
  EXPECT_EQ(fs.contents(kBackup), std::nullopt);

  EXPECT_EQ(save.write("{\"n\":2}"), (Write{true, 7}));
  EXPECT_EQ(fs.contents(kMain), "{\"n\":2}");
  EXPECT_EQ(fs.contents(kBackup), "{\"n\":1}");

  EXPECT_EQ(save.write("{\"n\":3}"), (Write{true, 7}));
  EXPECT_EQ(fs.contents(kBackup), "{\"n\":2}");
  EXPECT_EQ(save.read(), (Read{"{\"n\":3}", false}));
  EXPECT_TRUE(log.lines().empty());
}

TEST_F(SaveFileFake, InvalidMainFallsBackAndIsOverwrittenWithoutTouchingTheBackup) {
  std::string utf16;
  for (char c : std::string("{\"a\":1}")) utf16 += std::string{c, '\0'};
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"array", "[1,2]"},
      {"string", "\"text\""},
      {"null", "null"},
      {"utf-16 object", utf16},
      {"utf-16 object with mark", std::string("\xFF\xFE", 2) + utf16},
      {"truncated", "{\"a\":[1,2"},
      {"trailing garbage", "{\"a\":1} x"},
      {"tail of zeros", std::string("{\"a\":1}\0\0\0\0", 11)},
      {"zeros, then more", std::string("{\"a\":1}\0{\"b\":2}", 15)},
      {"only zeros", std::string(64, '\0')},
      {"latin-1 text", "{\"a\":\"caf\xE9\"}"},
      {"empty", ""},
      {"oversized", objectOfSize(262145)},
  };
  for (const auto& [name, contents] : cases) {
    SCOPED_TRACE(name);
    FakeFileSystem files;
    files.setFile(kMain, contents);
    files.setFile(kBackup, "{\"good\":true}");
    SaveFile file(files);
    test::LogCapture lines;

    EXPECT_EQ(file.read(), (Read{"{\"good\":true}", true}));
    EXPECT_TRUE(file.mainBroken());
    EXPECT_EQ(lines.count(kUnreadable), 1u);

    EXPECT_EQ(file.write("{\"new\":1}").ok, true);
    EXPECT_EQ(files.contents(kMain), "{\"new\":1}");
    EXPECT_EQ(files.contents(kBackup), "{\"good\":true}");
    EXPECT_FALSE(file.mainBroken());
  }
}

TEST_F(SaveFileFake, ValidTextsAreHandedBackUnchanged) {
  for (const std::string& text : {std::string("{}"), std::string(" \n{\"k\": \"caf\xC3\xA9 \xF0\x9F\x90\xBE\"}\n"),
                                 objectOfSize(262144), std::string("\xEF\xBB\xBF{\"bom\":1}"),
                                 // what the page writes for a name cut inside an emoji
                                 std::string(R"({"name": "Mo\ud83d"})")}) {
    FakeFileSystem files;
    files.setFile(kMain, text);
    EXPECT_EQ(SaveFile(files).read(), (Read{text, false}));
  }
}

TEST_F(SaveFileFake, ReadAndWriteRemoveOnlyLeftoverTemporaryFiles) {
  const std::string dir = "/home/user/.local/share/Brindlow/";
  // In name order, as filesIn lists them.
  const std::vector<std::string> kept = {".other.json.Ab12Cd", ".save.json.Ab-2Cd", ".save.json.Ab12C",
                                         ".save.json.Ab12Cd7", ".save.json.bak", "save.json",
                                         "save.json.Ab12Cd", "save.json.bak"};
  fs.setFile(dir + "save.json", "{\"n\":1}");
  fs.setFile(dir + "save.json.bak", "{\"n\":0}");
  for (const std::string& name : kept) {
    if (!name.starts_with("save.json")) fs.setFile(dir + name, "x");
  }
  fs.setFile(dir + "save.json.Ab12Cd", "x");
  fs.setFile(dir + ".save.json.Ab12Cd", "{\"half");
  fs.setFile(dir + ".save.json.zZ9yY8", "");

  EXPECT_EQ(save.read(), (Read{"{\"n\":1}", false}));
  EXPECT_EQ(fs.filesIn(save.dir()), kept);

  // A kill during a later save leaves another; the next write takes it away.
  fs.setFile(dir + ".save.json.Qw3Er4", "{\"n\":");
  EXPECT_TRUE(save.write("{\"n\":2}").ok);
  EXPECT_EQ(fs.filesIn(save.dir()), kept);
  EXPECT_EQ(fs.contents(save.backup()), "{\"n\":1}");
}

TEST_F(SaveFileFake, MissingMainRecoversFromBackupAndLeavesItInPlace) {
  fs.setFile(kBackup, "{\"b\":1}");
  EXPECT_EQ(save.read(), (Read{"{\"b\":1}", true}));
  EXPECT_EQ(log.count(kUnreadable), 1u);
  EXPECT_FALSE(save.mainBroken());

  EXPECT_TRUE(save.write("{\"c\":1}").ok);
  EXPECT_EQ(fs.contents(kBackup), "{\"b\":1}");
  EXPECT_EQ(fs.contents(kMain), "{\"c\":1}");
  EXPECT_EQ(fs.count(Op::moveItem), 0u);
}

TEST_F(SaveFileFake, BothInvalidGivesNothingWithoutALogLine) {
  fs.setFile(kMain, "[]");
  fs.setFile(kBackup, "nope");
  EXPECT_EQ(save.read(), std::nullopt);
  EXPECT_TRUE(save.mainBroken());
  EXPECT_TRUE(log.lines().empty());
}

TEST_F(SaveFileFake, SizeLimitCountsUtf8BytesAndWarnsOncePerRun) {
  const std::string limit = objectOfSize(262144);
  EXPECT_EQ(save.write(limit), (Write{true, 262144}));
  EXPECT_EQ(fs.contents(kMain), limit);

  const size_t calls = fs.calls().size();
  const std::string over = objectOfSize(262145);
  EXPECT_EQ(save.write(over), (Write{false, 262145}));
  EXPECT_EQ(save.write(over), (Write{false, 262145}));
  EXPECT_EQ(fs.calls().size(), calls) << "no file is touched";
  EXPECT_EQ(fs.contents(kMain), limit);
  EXPECT_EQ(log.lines(), std::vector<std::string>{"save.write: over limit"});

  // 87382 three-byte characters: far below the limit in characters, above it in bytes.
  std::string wide = "{\"a\":\"";
  for (int i = 0; i < 87382; ++i) wide += "\xE2\x82\xAC";
  wide += "\"}";
  EXPECT_EQ(save.write(wide), (Write{false, 87382 * 3 + 8}));
}

TEST_F(SaveFileFake, TextIsStoredUncheckedAndRefusedOnlyByTheNextRead) {
  EXPECT_EQ(save.write("not json"), (Write{true, 8}));
  EXPECT_EQ(fs.contents(kMain), "not json");
  EXPECT_EQ(save.read(), std::nullopt);
}

TEST_F(SaveFileFake, FailedBackupRemovalStopsTheWrite) {
  fs.setFile(kMain, "{\"n\":1}");
  fs.setFile(kBackup, "{\"n\":0}");
  ASSERT_TRUE(save.read());
  fs.failNext(Op::removeItem, "Permission denied");

  EXPECT_EQ(save.write("{\"n\":2}"), (Write{false, 7}));
  EXPECT_EQ(log.lines(), std::vector<std::string>{"save: write failed Permission denied"});
  EXPECT_EQ(fs.contents(kMain), "{\"n\":1}");
  EXPECT_EQ(fs.contents(kBackup), "{\"n\":0}");
  EXPECT_EQ(fs.count(Op::moveItem), 0u);
  EXPECT_EQ(fs.count(Op::writeFile), 0u);
}

// Whatever step of a write fails, the next read gives the new text or the last good one.
TEST_F(SaveFileFake, NothingIsLostWhenAnyStepFails) {
  struct Start {
    const char* name;
    std::optional<std::string> main, backup;
    bool readFirst;
  };
  const std::vector<Start> starts = {
      {"main and backup", "{\"n\":1}", "{\"n\":0}", true},
      {"main only", "{\"n\":1}", std::nullopt, true},
      {"backup only", std::nullopt, "{\"n\":0}", true},
      {"broken main, read first", "[broken", "{\"n\":0}", true},
      {"broken main, never read", "[broken", "{\"n\":0}", false},
      {"main not an object, never read", "plain text", "{\"n\":0}", false},
      {"nothing", std::nullopt, std::nullopt, true},
  };
  const std::vector<Op> steps = {Op::createDirectories, Op::readFile, Op::removeItem, Op::moveItem, Op::writeFile};
  for (const auto& start : starts) {
    for (Op step : steps) {
      SCOPED_TRACE(std::string(start.name) + ", failing op " + std::to_string(static_cast<int>(step)));
      FakeFileSystem files;
      if (start.main) files.setFile(kMain, *start.main);
      if (start.backup) files.setFile(kBackup, *start.backup);
      SaveFile file(files);
      test::LogCapture lines;
      std::optional<std::string> lastGood;
      if (start.readFirst) {
        if (auto r = file.read()) lastGood = r->text;
      } else {
        lastGood = SaveFile(files).read().value().text;  // what a read would have given
      }
      files.failNext(step, "injected");
      const bool ok = file.write("{\"n\":2}").ok;
      files.clearFailures();

      const auto after = SaveFile(files).read();
      if (ok) {
        ASSERT_TRUE(after);
        EXPECT_EQ(after->text, "{\"n\":2}");
      } else if (lastGood) {
        ASSERT_TRUE(after) << "a good copy existed";
        EXPECT_EQ(after->text, *lastGood);
      }
      // A retry that succeeds stores the new text and keeps the last good one as backup when it rotated.
      ASSERT_TRUE(file.write("{\"n\":3}").ok);
      EXPECT_EQ(SaveFile(files).read(), (Read{"{\"n\":3}", false}));
    }
  }
}

// The same store on a real folder.
class SaveFilePosix : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "brindlow-save-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    root = pattern;
  }
  void TearDown() override { std::filesystem::remove_all(root); }

  static std::string slurp(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  static void put(const std::filesystem::path& p, const std::string& text) {
    std::ofstream(p, std::ios::binary) << text;
  }

  test::LogCapture log;
  std::filesystem::path root;
};

TEST_F(SaveFilePosix, WritesRotateAndReadBack) {
  platform::PosixFileSystem fs(root.string());
  SaveFile save(fs);
  EXPECT_EQ(save.dir(), (root / "Brindlow").string());
  EXPECT_EQ(save.read(), std::nullopt);

  EXPECT_TRUE(save.write("{\"n\":1}").ok);
  EXPECT_TRUE(save.write("{\"n\":2}").ok);
  EXPECT_EQ(slurp(save.main()), "{\"n\":2}");
  EXPECT_EQ(slurp(save.backup()), "{\"n\":1}");
  EXPECT_EQ(save.read(), (Read{"{\"n\":2}", false}));
  EXPECT_EQ(std::filesystem::status(save.dir()).permissions() & std::filesystem::perms::all,
            std::filesystem::perms::owner_all);

  // Only the two files are left behind: no temporary files.
  size_t entries = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(save.dir())) ++entries;
  EXPECT_EQ(entries, 2u);
}

TEST_F(SaveFilePosix, BrokenMainRecoversAndIsReplacedWithoutTouchingTheBackup) {
  platform::PosixFileSystem fs(root.string());
  SaveFile save(fs);
  std::filesystem::create_directories(save.dir());
  put(save.main(), "[1]");
  put(save.backup(), "{\"good\":1}");

  EXPECT_EQ(save.read(), (Read{"{\"good\":1}", true}));
  EXPECT_EQ(log.count(kUnreadable), 1u);
  EXPECT_TRUE(save.write("{\"new\":1}").ok);
  EXPECT_EQ(slurp(save.main()), "{\"new\":1}");
  EXPECT_EQ(slurp(save.backup()), "{\"good\":1}");
}

TEST_F(SaveFilePosix, FailuresAreReportedAndKeepTheLastGoodText) {
  platform::PosixFileSystem fs(root.string());
  SaveFile save(fs);
  ASSERT_TRUE(save.write("{\"n\":1}").ok);

  // A folder in the backup's place cannot be moved onto: the move refuses an existing target.
  ASSERT_TRUE(save.write("{\"n\":2}").ok);
  std::filesystem::remove(save.backup());
  std::filesystem::create_directories(std::filesystem::path(save.backup()) / "inside");
  ASSERT_TRUE(fs.fileExists(save.backup()));
  EXPECT_EQ(fs.moveItem(save.main(), save.backup()).has_value(), true);
  EXPECT_EQ(slurp(save.main()), "{\"n\":2}");

  // A file where the folder should be stops the write at its first step.
  platform::PosixFileSystem blocked((root / "blocked").string());
  put(root / "blocked", "x");
  SaveFile other(blocked);
  EXPECT_FALSE(other.write("{}").ok);
  ASSERT_EQ(log.lines().size(), 1u);
  EXPECT_EQ(log.lines()[0].rfind("save: write failed ", 0), 0u);
}

TEST_F(SaveFilePosix, LeftoversOfAKilledWriteGoAtTheNextRead) {
  platform::PosixFileSystem fs(root.string());
  SaveFile save(fs);
  ASSERT_TRUE(save.write("{\"n\":1}").ok);
  const std::filesystem::path dir = save.dir();
  put(dir / ".save.json.a1B2c3", "{\"n\":");
  put(dir / ".save.json.tmp", "kept");
  put(root / "outside", "kept");
  std::filesystem::create_directory(dir / ".save.json.D1r3ct");
  std::filesystem::create_symlink(root / "outside", dir / ".save.json.L1nk00");

  EXPECT_EQ(save.read(), (Read{"{\"n\":1}", false}));
  std::vector<std::string> left;
  for (const auto& e : std::filesystem::directory_iterator(dir)) left.push_back(e.path().filename().string());
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::string>{".save.json.D1r3ct", ".save.json.L1nk00", ".save.json.tmp", "save.json"}));
  EXPECT_EQ(slurp(root / "outside"), "kept");
}

TEST(PosixFileSystem, MoveNeverReplacesAndReadReportsMissingFiles) {
  std::string pattern = (std::filesystem::temp_directory_path() / "brindlow-fs-XXXXXX").string();
  ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
  const std::filesystem::path root = pattern;
  platform::PosixFileSystem fs;
  const std::string a = (root / "a").string(), b = (root / "b").string();
  EXPECT_FALSE(fs.writeFileAtomically(a, {'1'}));
  EXPECT_FALSE(fs.writeFileAtomically(b, {'2'}));
  EXPECT_TRUE(fs.moveItem(a, b));
  EXPECT_EQ(fs.readFile(b).value(), std::vector<uint8_t>{'2'});
  EXPECT_FALSE(fs.removeItem(b));
  EXPECT_FALSE(fs.moveItem(a, b));
  EXPECT_FALSE(fs.fileExists(a));
  EXPECT_EQ(fs.readFile(b).value(), std::vector<uint8_t>{'1'});
  EXPECT_FALSE(fs.readFile(a).ok());
  EXPECT_TRUE(fs.removeItem(a));
  EXPECT_TRUE(fs.writeFileAtomically((root / "no" / "c").string(), {'3'}));
  std::filesystem::remove_all(root);
}

}  // namespace
}  // namespace brindlow
