#pragma once
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/KeyTap.h"
#include "platform/Platform.h"
#include "platform/fake/FakeApplication.h"
#include "platform/fake/FakeLocale.h"
#include "platform/fake/FakeMainLoop.h"
#include "platform/fake/FakeProcessInfo.h"
#include "platform/fake/FakeResources.h"
#include "platform/fake/FakeWorkspace.h"

namespace brindlow::test {

// Files held in memory, with a count of reads.
class MemoryFiles : public platform::FileSystem {
 public:
  std::map<std::string, std::string, std::less<>> files;
  int reads = 0;

  std::optional<std::string> applicationSupportDirectory() override { return "/home/user/.local/share"; }
  bool fileExists(std::string_view path, bool* isDirectory) override {
    if (isDirectory) *isDirectory = false;
    return files.find(path) != files.end();
  }
  platform::Result<std::vector<uint8_t>> readFile(std::string_view path) override {
    ++reads;
    auto it = files.find(path);
    if (it == files.end()) return platform::Result<std::vector<uint8_t>>::failure("no such file");
    return platform::Result<std::vector<uint8_t>>::success({it->second.begin(), it->second.end()});
  }
  std::optional<std::string> createDirectories(std::string_view) override { return "read-only"; }
  std::optional<std::string> removeItem(std::string_view) override { return "read-only"; }
  std::optional<std::string> moveItem(std::string_view, std::string_view) override { return "read-only"; }
  std::optional<std::string> writeFileAtomically(std::string_view, const std::vector<uint8_t>&) override {
    return "read-only";
  }
};

// Only the settings address is read by the application shell.
class SettingsKeyTap : public platform::KeyTap {
 public:
  std::optional<std::string> settingsUrl = "settings://privacy/input";

  bool preflightListenAccess() override { return false; }
  void requestListenAccess() override {}
  std::unique_ptr<platform::KeyTapHandle> createListenTap(std::function<void(const platform::KeyTapEvent&)>) override {
    return nullptr;
  }
  bool probeListenTap() override { return false; }
  std::optional<std::string> inputSettingsUrl() const override { return settingsUrl; }
};

// The fakes the application shell stands on, wired into one Platform.
struct AppPlatform {
  fake::FakeMainLoop loop;
  fake::FakeApplication application{loop};
  fake::FakeProcessInfo processInfo;
  fake::FakeWorkspace workspace;
  fake::FakeResources resources;
  fake::FakeLocale locale;
  MemoryFiles files;
  SettingsKeyTap keyTap;

  platform::Platform platform() {
    platform::Platform p;
    p.mainLoop = &loop;
    p.application = &application;
    p.processInfo = &processInfo;
    p.workspace = &workspace;
    p.resources = &resources;
    p.locale = &locale;
    p.fileSystem = &files;
    p.keyTap = &keyTap;
    return p;
  }
};

}  // namespace brindlow::test
