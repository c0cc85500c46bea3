#include "services/InputPermission.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/Workspace.h"
#include "platform/fake/FakeDefaults.h"
#include "platform/fake/FakeKeyTap.h"
#include "platform/fake/FakeMainLoop.h"

namespace brindlow {
namespace {

// Records the URLs opened; nothing else is needed here.
class UrlRecorder : public platform::Workspace {
 public:
  bool openUrl(std::string_view url) override {
    opened.emplace_back(url);
    return opens;
  }
  std::vector<int32_t> runningApplicationPids(std::string_view) override { return {}; }
  bool isApplicationRunning(int32_t) override { return false; }
  bool reopenRunningInstance(std::string_view) override { return false; }
  void openNewInstance(std::vector<std::string>, bool, std::function<void(std::optional<std::string>)>) override {}
  platform::Subscription observe(platform::WorkspaceEvent, std::function<void()>) override { return {}; }

  bool opens = true;
  std::vector<std::string> opened;
};

const PermissionInfo kGrantedAsked{"granted", true};
const PermissionInfo kNotGranted{"notGranted", false};
const PermissionInfo kNotGrantedAsked{"notGranted", true};

struct InputPermissionTest : ::testing::Test {
  InputPermissionTest() {
    permission->onChange = [this](const PermissionInfo& info) { changes.push_back(info); };
  }
  fake::FakeMainLoop loop;
  fake::FakeKeyTap tap;
  fake::FakeDefaults defaults;
  UrlRecorder workspace;
  std::shared_ptr<InputPermission> permission = std::make_shared<InputPermission>(tap, defaults, loop, workspace);
  std::vector<PermissionInfo> changes;
};

TEST_F(InputPermissionTest, PreflightOrNeverAskedNeedsNoProbe) {
  EXPECT_EQ(permission->status(), kNotGranted);
  tap.preflight = true;
  EXPECT_EQ(permission->status(), (PermissionInfo{"granted", false}));
  EXPECT_EQ(tap.probeCalls, 0);
  EXPECT_EQ(tap.requestCalls, 0);
}

TEST_F(InputPermissionTest, ProbeIsCachedForOneAndAHalfSecondsOfWallClock) {
  defaults.setBool("perm.inputAsked", true);
  tap.probeResult = true;
  EXPECT_TRUE(permission->isGranted());
  tap.probeResult = false;
  loop.advance(1.25);
  EXPECT_TRUE(permission->isGranted());
  loop.setWall(loop.now() - 100);  // set back: still fresh
  EXPECT_TRUE(permission->isGranted());
  EXPECT_EQ(tap.probeCalls, 1);

  loop.setWall(loop.now() + 100.25);  // 1.5 s after the probe
  EXPECT_FALSE(permission->isGranted());
  EXPECT_EQ(tap.probeCalls, 2);
  tap.probeResult = true;
  EXPECT_FALSE(permission->isGranted()) << "a failed probe is cached too";
  EXPECT_EQ(tap.probeCalls, 2);
}

TEST_F(InputPermissionTest, FirstRequestAsksOnceOpensSettingsAndPolls) {
  EXPECT_EQ(permission->request(), kNotGrantedAsked);
  EXPECT_EQ(tap.requestCalls, 1);
  EXPECT_EQ(workspace.opened, std::vector<std::string>{*tap.settingsUrl});
  EXPECT_TRUE(permission->isPolling());

  loop.advance(30);
  EXPECT_EQ(permission->request(), kNotGrantedAsked);
  EXPECT_EQ(tap.requestCalls, 1) << "the system is asked once";
  EXPECT_EQ(workspace.opened.size(), 2u);
  EXPECT_EQ(loop.pendingTimers(), 1u);
  EXPECT_TRUE(changes.empty()) << "the first status is the baseline";
}

// Where the user's yes is the permission, a yes withdrawn later can be given again by a request.
TEST_F(InputPermissionTest, AYesThatIsThePermissionIsRecordedByEveryRequestWhileNotGranted) {
  tap.consentMode = true;
  tap.settingsUrl.reset();
  EXPECT_EQ(permission->status(), kNotGranted);
  EXPECT_EQ(tap.probeCalls, 0);
  EXPECT_EQ(permission->request(), kGrantedAsked);
  EXPECT_EQ(tap.requestCalls, 1);
  EXPECT_EQ(permission->request(), kGrantedAsked);
  EXPECT_EQ(tap.requestCalls, 1) << "nothing to record while granted";

  tap.preflight = false;  // withdrawn
  loop.advance(2);
  EXPECT_EQ(permission->status(), kNotGrantedAsked) << "the probe reads the withdrawal too";
  EXPECT_EQ(permission->request(), kGrantedAsked);
  EXPECT_EQ(tap.requestCalls, 2);
}

TEST_F(InputPermissionTest, PollingEndsAtTheFirstTickAfterTheLatestDeadline) {
  permission->request();
  loop.advance(119.5);
  EXPECT_TRUE(permission->isPolling());
  loop.advance(1);
  EXPECT_FALSE(permission->isPolling());

  permission->request();  // at 120.5: polls again, and a request at 179.5 moves the deadline to 299.5
  loop.advance(59);
  permission->request();
  loop.advance(120.5);
  EXPECT_TRUE(permission->isPolling());
  loop.advance(1);  // the tick at 300.5
  EXPECT_FALSE(permission->isPolling());
  EXPECT_EQ(loop.pendingTimers(), 0u);
}

TEST_F(InputPermissionTest, GrantWhilePollingIsReportedAndEndsPolling) {
  permission->request();
  loop.advance(4);
  EXPECT_TRUE(changes.empty());
  tap.probeResult = true;
  loop.advance(2);
  EXPECT_EQ(changes, std::vector<PermissionInfo>{kGrantedAsked});
  EXPECT_FALSE(permission->isPolling());

  permission->refresh();
  EXPECT_EQ(changes.size(), 1u) << "no change, no report";
  EXPECT_EQ(permission->request(), kGrantedAsked);
  EXPECT_EQ(workspace.opened.size(), 1u) << "nothing is opened once granted";
  EXPECT_FALSE(permission->isPolling());
}

TEST_F(InputPermissionTest, RefreshReportsAGrantSeenOutsideThePoll) {
  permission->refresh();
  EXPECT_TRUE(changes.empty());
  tap.preflight = true;
  permission->refresh();
  EXPECT_EQ(changes, std::vector<PermissionInfo>{(PermissionInfo{"granted", false})});
}

TEST_F(InputPermissionTest, StoppedOrReleasedPollRunsNothing) {
  permission->request();
  permission->stopPolling();
  EXPECT_FALSE(permission->isPolling());
  tap.probeResult = true;
  loop.advance(10);
  EXPECT_TRUE(changes.empty());

  permission->request();
  permission.reset();
  EXPECT_EQ(loop.pendingTimers(), 0u);
  loop.advance(10);
  EXPECT_TRUE(changes.empty());
}

TEST_F(InputPermissionTest, WithoutASettingsPageTheRequestStillAsksAndPolls) {
  tap.settingsUrl.reset();
  EXPECT_FALSE(permission->openSettings());
  EXPECT_EQ(permission->request(), kNotGrantedAsked);
  EXPECT_EQ(tap.requestCalls, 1);
  EXPECT_TRUE(workspace.opened.empty());
  EXPECT_TRUE(permission->isPolling());

  tap.settingsUrl = "x-test:settings";
  workspace.opens = false;
  EXPECT_FALSE(permission->openSettings());
  workspace.opens = true;
  EXPECT_TRUE(permission->openSettings());
}

}  // namespace
}  // namespace brindlow
