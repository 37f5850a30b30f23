// The plugin's log target: what reaches the host's log entry, and its installation.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sdk/diagnostics/log_api.h"
#include "sdk/diagnostics/plugin_log_target.h"
#include "tests/diagnostics/recording_target.h"

namespace Vorn {
namespace {

struct HostLine {
  int32_t level;
  std::string text;
  bool operator==(const HostLine&) const = default;
};

std::vector<HostLine> host_lines;

int32_t VORN_CDECL RecordHostLog(const HostApi* api, int32_t level, const char* line) {
  host_lines.push_back({level, line});
  return 0;
}

class PluginLogTargetTest : public ::testing::Test {
 protected:
  PluginLogTargetTest() { host_lines.clear(); }

  const LogApi* api_ = GetLogApi();
  testing::LoggerReference reference_;
  HostApi host_api_{};
  HostInterface host_{&host_api_, 7};
};

TEST_F(PluginLogTargetTest, InstallRoutesTheLoggerToTheHost) {
  host_api_.HostLog = RecordHostLog;
  std::unique_ptr<PluginLogTarget> target = InstallPluginLogTarget(&host_);
  ASSERT_NE(target, nullptr);
  EXPECT_EQ(api_->FindTarget("PluginLogTarget"), target->Record());
  for (LogTargetRecord* builtin :
       {api_->StdErrTarget(), api_->StdOutTarget(), api_->DebuggerTarget()}) {
    SCOPED_TRACE(builtin->Name(builtin));
    EXPECT_EQ(builtin->IsRegistered(builtin), 0);
  }
  EXPECT_EQ(api_->GetMinLevel(), kLogLevelOkay);
  EXPECT_EQ(api_->GetExcludedGroups(), kLogGroupXtr);
  EXPECT_EQ(target->MinLevel(), kLogLevelOkay);
  EXPECT_EQ(target->IncludedGroups(), 0u);
  EXPECT_EQ(target->ExcludedGroups(), 0u);
  LogMessage message{};
  EXPECT_STREQ(target->LineFormat(message), "#D| #L| #G| #M");

  // Only level and text reach the host: no time stamp, no groups.
  Log(kLogLevelOkay, kLogGroupGen, "general %d", 1);
  Log(kLogLevelAlways, kLogGroupDbg, "qev-loyalty: Received new loyalty status");
  Log(kLogLevelError, kLogGroupXtr, "extra");
  EXPECT_EQ(host_lines, (std::vector<HostLine>{
                            {0, "general 1"},
                            {3, "qev-loyalty: Received new loyalty status"},
                        }));

  target.reset();
  EXPECT_EQ(api_->FindTarget("PluginLogTarget"), nullptr);
  Log(kLogLevelError, 0, "after the target is gone");
  EXPECT_EQ(host_lines.size(), 2u);
}

TEST_F(PluginLogTargetTest, ASecondInstallChangesNothing) {
  host_api_.HostLog = RecordHostLog;
  std::unique_ptr<PluginLogTarget> first = InstallPluginLogTarget(&host_);
  ASSERT_NE(first, nullptr);
  api_->SetMinLevel(kLogLevelError);
  api_->SetExcludedGroups(0);
  LogTargetRecord* std_err = api_->StdErrTarget();
  std_err->Register(std_err);

  EXPECT_EQ(InstallPluginLogTarget(&host_), nullptr);
  EXPECT_EQ(api_->GetMinLevel(), kLogLevelError);
  EXPECT_EQ(api_->GetExcludedGroups(), 0u);
  EXPECT_EQ(std_err->IsRegistered(std_err), 1);
  Log(kLogLevelError, kLogGroupGen, "once");
  EXPECT_EQ(host_lines, (std::vector<HostLine>{{2, "once"}}));
}

TEST_F(PluginLogTargetTest, TakesTheLoggersMinimumAndFailsWithoutAHostLog) {
  api_->SetMinLevel(kLogLevelError);
  PluginLogTarget target(&host_);
  EXPECT_EQ(target.MinLevel(), kLogLevelError);
  EXPECT_STREQ(target.Name(), "PluginLogTarget");
  LogMessage message{};
  message.text = "nowhere";
  EXPECT_FALSE(target.Write(message));
  PluginLogTarget no_host(nullptr);
  EXPECT_FALSE(no_host.Write(message));
}

}  // namespace
}  // namespace Vorn
