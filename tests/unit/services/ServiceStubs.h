#pragma once
// Stand-ins for the process-information and workspace fakes until they are shared.
#include <map>
#include <memory>

#include "platform/ProcessInfo.h"
#include "platform/Workspace.h"

namespace brindlow::test {

class StubProcessInfo : public platform::ProcessInfo {
 public:
  std::vector<std::string> arguments() const override { return {"/usr/bin/brindlow"}; }
  int32_t processId() const override { return 4242; }
  std::optional<std::string> applicationId() const override { return std::nullopt; }
  void disableAutomaticTermination(std::string_view) override {}
  bool isLowPowerModeEnabled() const override { return lowPower_; }
  int thermalState() const override { return thermal_; }
  void setLowPowerMode(bool on) { lowPower_ = on; }
  void setThermalState(int raw) { thermal_ = raw; }

 private:
  bool lowPower_ = false;
  int thermal_ = 0;
};

class StubWorkspace : public platform::Workspace {
 public:
  bool openUrl(std::string_view) override { return false; }
  std::vector<int32_t> runningApplicationPids(std::string_view) override { return {}; }
  bool isApplicationRunning(int32_t) override { return false; }
  void openNewInstance(std::vector<std::string>, bool, std::function<void(std::optional<std::string>)>) override {}
  platform::Subscription observe(platform::WorkspaceEvent event, std::function<void()> handler) override {
    const int id = next_++;
    observers_->emplace(id, std::make_pair(event, std::move(handler)));
    std::weak_ptr<Observers> weak = observers_;
    return platform::Subscription([weak, id] {
      if (auto o = weak.lock()) o->erase(id);
    });
  }
  void emit(platform::WorkspaceEvent event) {
    auto copy = *observers_;
    for (auto& [id, o] : copy) {
      if (o.first == event && observers_->count(id)) o.second();
    }
  }
  size_t observerCount(platform::WorkspaceEvent event) const {
    size_t n = 0;
    for (auto& [id, o] : *observers_) n += o.first == event;
    return n;
  }

 private:
  using Observers = std::map<int, std::pair<platform::WorkspaceEvent, std::function<void()>>>;
  std::shared_ptr<Observers> observers_ = std::make_shared<Observers>();
  int next_ = 1;
};

}  // namespace brindlow::test
