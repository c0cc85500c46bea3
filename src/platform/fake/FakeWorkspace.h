#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/HandlerList.h"
#include "platform/Workspace.h"

namespace brindlow::fake {

// A scripted process table and URL opener. Running instances and live pids are what the test sets;
// openNewInstance records its request and finishes only when the test calls completeLaunch.
class FakeWorkspace : public platform::Workspace {
 public:
  struct LaunchRequest {
    std::vector<std::string> arguments;
    bool activates = false;
    bool operator==(const LaunchRequest&) const = default;
  };

  bool openUrl(std::string_view url) override;
  std::vector<int32_t> runningApplicationPids(std::string_view applicationId) override;
  bool isApplicationRunning(int32_t pid) override;
  bool reopenRunningInstance(std::string_view applicationId) override;
  void openNewInstance(std::vector<std::string> arguments, bool activates,
                       std::function<void(std::optional<std::string> error)> done) override;
  platform::Subscription observe(platform::WorkspaceEvent event, std::function<void()> handler) override;

  // Drivers.
  void setInstances(std::string applicationId, std::vector<int32_t> pids);
  void setRunning(int32_t pid, bool running);
  void setOpenUrlResult(bool result) { openUrlResult_ = result; }
  void setReopenResult(bool result) { reopenResult_ = result; }
  // Finishes the oldest outstanding launch; false when none is outstanding.
  bool completeLaunch(std::optional<std::string> error = std::nullopt);
  void emit(platform::WorkspaceEvent event);

  // Inspection.
  const std::vector<std::string>& openedUrls() const { return openedUrls_; }
  const std::vector<LaunchRequest>& launches() const { return launches_; }
  const std::vector<std::string>& reopenRequests() const { return reopenRequests_; }
  size_t outstandingLaunches() const { return pendingDone_.size(); }
  int runningQueries(int32_t pid) const;
  size_t observerCount(platform::WorkspaceEvent event) const { return observers_.count(event); }

 private:
  std::map<std::string, std::vector<int32_t>, std::less<>> instances_;
  std::set<int32_t> running_;
  std::map<int32_t, int> runningQueries_;
  bool openUrlResult_ = true;
  bool reopenResult_ = true;
  std::vector<std::string> reopenRequests_;
  std::vector<std::string> openedUrls_;
  std::vector<LaunchRequest> launches_;
  std::vector<std::function<void(std::optional<std::string>)>> pendingDone_;
  platform::HandlerList<void(), platform::WorkspaceEvent> observers_;
};

}  // namespace brindlow::fake
