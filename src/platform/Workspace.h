#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Subscription.h"

namespace brindlow::platform {

enum class WorkspaceEvent {
  didActivateApplication,
  didHideApplication,
  didUnhideApplication,
  didTerminateApplication,
  activeSpaceDidChange,
};

class Workspace {
 public:
  virtual ~Workspace() = default;
  virtual bool openUrl(std::string_view url) = 0;
  // Process ids of running instances with this application id, this process included.
  virtual std::vector<int32_t> runningApplicationPids(std::string_view applicationId) = 0;
  // Whether an instance of this application runs with that pid; false for pid <= 0, which names no
  // single process.
  virtual bool isApplicationRunning(int32_t pid) = 0;
  // Asks the running instance that holds this application id to reopen, as launching the program again
  // does; false when it could not be asked or did not answer.
  virtual bool reopenRunningInstance(std::string_view applicationId) = 0;
  // Starts a new instance; `done` arrives later on the main loop with an error text or nothing.
  virtual void openNewInstance(std::vector<std::string> arguments, bool activates,
                               std::function<void(std::optional<std::string> error)> done) = 0;
  virtual Subscription observe(WorkspaceEvent event, std::function<void()> handler) = 0;
};

}  // namespace brindlow::platform
