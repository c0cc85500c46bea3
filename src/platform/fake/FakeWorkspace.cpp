#include "platform/fake/FakeWorkspace.h"

#include <algorithm>

namespace brindlow::fake {


bool FakeWorkspace::openUrl(std::string_view url) {
  openedUrls_.emplace_back(url);
  return openUrlResult_;
}

std::vector<int32_t> FakeWorkspace::runningApplicationPids(std::string_view applicationId) {
  auto it = instances_.find(applicationId);
  return it == instances_.end() ? std::vector<int32_t>{} : it->second;
}

bool FakeWorkspace::isApplicationRunning(int32_t pid) {
  ++runningQueries_[pid];
  return running_.count(pid) != 0;
}

bool FakeWorkspace::reopenRunningInstance(std::string_view applicationId) {
  reopenRequests_.emplace_back(applicationId);
  return reopenResult_;
}

void FakeWorkspace::openNewInstance(std::vector<std::string> arguments, bool activates,
                                    std::function<void(std::optional<std::string> error)> done) {
  launches_.push_back({std::move(arguments), activates});
  pendingDone_.push_back(std::move(done));
}

platform::Subscription FakeWorkspace::observe(platform::WorkspaceEvent event, std::function<void()> handler) {
  return observers_.add(event, std::move(handler));
}

void FakeWorkspace::setInstances(std::string applicationId, std::vector<int32_t> pids) {
  instances_[std::move(applicationId)] = std::move(pids);
}

void FakeWorkspace::setRunning(int32_t pid, bool running) {
  if (running) {
    running_.insert(pid);
  } else {
    running_.erase(pid);
  }
}

bool FakeWorkspace::completeLaunch(std::optional<std::string> error) {
  if (pendingDone_.empty()) return false;
  auto done = std::move(pendingDone_.front());
  pendingDone_.erase(pendingDone_.begin());
  if (done) done(std::move(error));
  return true;
}

void FakeWorkspace::emit(platform::WorkspaceEvent event) { observers_.emitTagged(event); }

int FakeWorkspace::runningQueries(int32_t pid) const {
  auto it = runningQueries_.find(pid);
  return it == runningQueries_.end() ? 0 : it->second;
}


}  // namespace brindlow::fake
