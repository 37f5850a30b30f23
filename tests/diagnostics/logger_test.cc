// The process-wide logger: filtering, the built-in targets, registration and the state's life.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "sdk/diagnostics/internal/target_filter.h"
#include "sdk/diagnostics/log_api.h"
#include "sdk/diagnostics/log_target.h"
#include "sdk/diagnostics/trace_hook.h"
#include "sdk/runtime/platform.h"
#include "tests/diagnostics/recording_target.h"

namespace Vorn {
namespace {

using testing::LoggerReference;
using testing::RecordingTarget;

// Each test starts from a fresh logger: the fixture holds the only reference.
class LoggerTest : public ::testing::Test {
 protected:
  const LogApi* api_ = GetLogApi();
  LoggerReference reference_;
};

TEST_F(LoggerTest, DefaultsRouteMessagesToTheBuiltInTargets) {
  struct Row {
    const char* name;
    int32_t level;
    uint64_t groups;
    bool logged;
    bool std_err;
    bool debugger;
    bool std_out;
  };
  constexpr Row kRows[] = {
      {"level 0 is below the minimum", 0, kLogGroupDbg, false, false, false, false},
      {"DBG warning", 1, kLogGroupDbg, true, true, true, false},
      {"GEN warning", 1, kLogGroupGen, true, false, false, true},
      {"XTR is excluded by the logger", 3, kLogGroupXtr, false, false, false, false},
      {"no groups pass every group filter", 2, 0, true, true, true, true},
      {"DBG and GEN", 2, kLogGroupDbg | kLogGroupGen, true, false, true, false},
      {"PRF is included by neither", 1, 0x8, true, false, false, false},
  };
  RecordingTarget recorder;
  recorder.Register();
  LogTargetRecord* std_err = api_->StdErrTarget();
  LogTargetRecord* debugger = api_->DebuggerTarget();
  LogTargetRecord* std_out = api_->StdOutTarget();
  EXPECT_EQ(std_err->IsRegistered(std_err), 1);
  EXPECT_EQ(debugger->IsRegistered(debugger), 1);
  EXPECT_EQ(std_out->IsRegistered(std_out), 0);
  EXPECT_STREQ(std_err->Name(std_err), "StdErrLogTarget");
  EXPECT_STREQ(debugger->Name(debugger), "DebuggerConsoleLogTarget");
  EXPECT_STREQ(std_out->Name(std_out), "StdOutLogTarget");
  EXPECT_STREQ(std_err->LineFormat(std_err, nullptr), "#E(#T): #L| #M");
  EXPECT_STREQ(debugger->LineFormat(debugger, nullptr), "#E(#T): #L| #M");
  EXPECT_STREQ(std_out->LineFormat(std_out, nullptr), "#M");
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.name);
    recorder.messages.clear();
    Log(row.level, row.groups, "%s", row.name);
    EXPECT_EQ(recorder.messages.size(), row.logged ? 1u : 0u);
    EXPECT_EQ(detail::TargetAccepts(std_err, row.level, row.groups), row.std_err);
    EXPECT_EQ(detail::TargetAccepts(debugger, row.level, row.groups), row.debugger);
    EXPECT_EQ(detail::TargetAccepts(std_out, row.level, row.groups), row.std_out);
  }
}

TEST_F(LoggerTest, StandardErrorGetsTheConsoleLine) {
  ::testing::internal::CaptureStderr();
  Log(kLogLevelWarn, kLogGroupDbg, "hello %d", 5);
  Log(kLogLevelWarn, kLogGroupGen, "not for standard error");
  const std::string output = ::testing::internal::GetCapturedStderr();
  char name[64];
  api_->ExecutableName(name, sizeof name);
  ASSERT_EQ(std::string(name).rfind("logger_test", 0), 0u) << name;
  char thread[16];
  std::snprintf(thread, sizeof thread, "%08X", static_cast<unsigned>(Platform::CurrentThreadId()));
  EXPECT_EQ(output, std::string(name) + "(" + thread + "):   WARN| hello 5\n");
}

TEST_F(LoggerTest, StandardOutputOnceRegistered) {
  LogTargetRecord* std_out = api_->StdOutTarget();
  ::testing::internal::CaptureStdout();
  Log(kLogLevelError, kLogGroupGen, "before");
  std_out->Register(std_out);
  Log(kLogLevelError, kLogGroupGen, "general %s", "text");
  Log(kLogLevelError, kLogGroupDbg, "debug text");
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "general text\n");
}

TEST_F(LoggerTest, LongMessagesAreCut) {
  RecordingTarget recorder;
  recorder.Register();
  const std::string text(5000, 'x');
  Log(kLogLevelError, 0, "%s", text.c_str());
  ASSERT_EQ(recorder.messages.size(), 1u);
  EXPECT_EQ(recorder.messages[0].text, std::string(4095, 'x'));
  EXPECT_EQ(recorder.messages[0].line, std::string(4094, 'x') + "\n");
}

TEST_F(LoggerTest, MessageRecordCarriesLevelGroupsAndTime) {
  RecordingTarget recorder;
  recorder.SetLineFormat("#L|#G|#M");
  recorder.Register();
  Log(kLogLevelAlways, kLogGroupDbg, "qev-loyalty: Received new loyalty status");
  ASSERT_EQ(recorder.messages.size(), 1u);
  EXPECT_EQ(recorder.messages[0].level, kLogLevelAlways);
  EXPECT_EQ(recorder.messages[0].groups, kLogGroupDbg);
  EXPECT_EQ(recorder.messages[0].line, "ALWAYS|DBG|qev-loyalty: Received new loyalty status\n");
}

TEST_F(LoggerTest, LoggerSettingsFilterBeforeTheTargets) {
  RecordingTarget recorder;
  recorder.Register();
  EXPECT_EQ(api_->GetMinLevel(), kLogLevelWarn);
  EXPECT_EQ(api_->GetExcludedGroups(), kLogGroupXtr);

  api_->Mute();
  Log(kLogLevelAlways, 0, "muted");
  api_->Unmute();
  Log(kLogLevelAlways, 0, "unmuted");

  api_->SetMinLevel(kLogLevelAlways);
  Log(kLogLevelError, 0, "below");
  api_->SetMinLevel(kLogLevelOkay);
  Log(kLogLevelOkay, 0, "okay");

  api_->SetExcludedGroups(kLogGroupGen);
  Log(kLogLevelOkay, kLogGroupGen | kLogGroupDbg, "shares a bit");
  Log(kLogLevelOkay, kLogGroupXtr, "extra");
  EXPECT_EQ(api_->GetExcludedGroups(), kLogGroupGen);

  // The reserved flag changes nothing.
  api_->SetReserved();
  Log(kLogLevelOkay, 0, "reserved");
  api_->ClearReserved();

  std::vector<std::string> texts;
  for (const auto& message : recorder.messages)
    texts.push_back(message.text);
  EXPECT_EQ(texts, (std::vector<std::string>{"unmuted", "okay", "extra", "reserved"}));
}

TEST_F(LoggerTest, TargetFiltersAndSettings) {
  RecordingTarget recorder;
  LogTargetRecord* record = recorder.Record();
  EXPECT_EQ(record->InterfaceVersion(record), 1);
  EXPECT_STREQ(record->Name(record), "RecordingTarget");

  // The included mask loses the bits that are also excluded.
  record->SetGroups(record, 0x7, 0x2);
  EXPECT_EQ(record->GetIncludedGroups(record), 0x5u);
  EXPECT_EQ(record->GetExcludedGroups(record), 0x2u);
  record->SetMinLevel(record, kLogLevelError);
  EXPECT_EQ(recorder.MinLevel(), kLogLevelError);
  EXPECT_EQ(record->GetMinLevel(record), kLogLevelError);

  record->Register(record);
  Log(kLogLevelWarn, 0x1, "below the target's minimum");
  Log(kLogLevelError, 0x3, "excluded");
  Log(kLogLevelError, 0x8, "not included");
  Log(kLogLevelError, 0x1, "included");
  Log(kLogLevelError, 0, "no groups");
  ASSERT_EQ(recorder.messages.size(), 2u);
  EXPECT_EQ(recorder.messages[0].text, "included");
  EXPECT_EQ(recorder.messages[1].text, "no groups");
}

TEST_F(LoggerTest, RegistrationIsGuardedInBothDirections) {
  RecordingTarget recorder;
  EXPECT_EQ(api_->FindTarget("RecordingTarget"), nullptr);
  recorder.Register();
  recorder.Register();
  EXPECT_TRUE(recorder.IsRegistered());
  EXPECT_EQ(api_->FindTarget("RecordingTarget"), recorder.Record());
  Log(kLogLevelError, 0, "once");
  EXPECT_EQ(recorder.messages.size(), 1u);

  // One unregistration removes it: it was listed once.
  recorder.Unregister();
  EXPECT_FALSE(recorder.IsRegistered());
  EXPECT_EQ(api_->FindTarget("RecordingTarget"), nullptr);
  recorder.Unregister();
  LogTargetRecord* record = recorder.Record();
  record->Unregister(record);
  Log(kLogLevelError, 0, "not registered");
  EXPECT_EQ(recorder.messages.size(), 1u);

  record->Register(record);
  EXPECT_EQ(record->IsRegistered(record), 1);
  EXPECT_EQ(api_->FindTarget("StdErrLogTarget"), api_->StdErrTarget());
  EXPECT_EQ(api_->FindTarget("StdOutLogTarget"), nullptr);
  EXPECT_EQ(api_->FindTarget("RecordingTar"), nullptr);
  EXPECT_EQ(api_->FindTarget(nullptr), nullptr);
}

TEST_F(LoggerTest, DestroyingATargetUnregistersIt) {
  {
    RecordingTarget recorder;
    recorder.Register();
  }
  EXPECT_EQ(api_->FindTarget("RecordingTarget"), nullptr);
  Log(kLogLevelError, kLogGroupGen, "no dangling target");
}

TEST_F(LoggerTest, TargetsSeeMessagesInListOrder) {
  std::vector<std::string> order;
  struct NamedTarget : RecordingTarget {
    NamedTarget(std::vector<std::string>& order, const char* name) : order(order), name(name) {}
    bool Write(const LogMessage& message) override {
      order.push_back(name);
      return RecordingTarget::Write(message);
    }
    std::vector<std::string>& order;
    const char* name;
  };
  NamedTarget first(order, "first");
  NamedTarget second(order, "second");
  second.Register();
  first.Register();
  Log(kLogLevelError, 0, "one");
  EXPECT_EQ(order, (std::vector<std::string>{"second", "first"}));
}

TEST_F(LoggerTest, LastReleaseUnregistersLastFirstAndResets) {
  std::vector<std::string> order;
  struct OrderedTarget : RecordingTarget {
    OrderedTarget(std::vector<std::string>& order, const char* name) : order(order), name(name) {}
    void Unregister() override {
      if (IsRegistered()) order.push_back(name);
      RecordingTarget::Unregister();
    }
    std::vector<std::string>& order;
    const char* name;
  };
  OrderedTarget first(order, "first");
  OrderedTarget second(order, "second");
  first.Register();
  second.Register();
  api_->SetMinLevel(kLogLevelAlways);
  api_->Mute();

  EXPECT_EQ(api_->AddRef(), 2);
  EXPECT_EQ(api_->Release(), 1);
  EXPECT_TRUE(first.IsRegistered());
  EXPECT_EQ(api_->Release(), 0);
  EXPECT_EQ(order, (std::vector<std::string>{"second", "first"}));
  EXPECT_FALSE(first.IsRegistered());
  EXPECT_FALSE(second.IsRegistered());
  // A release without a reference does nothing.
  EXPECT_EQ(api_->Release(), 0);

  // A fresh state has the defaults again; the fixture's release balances this reference.
  EXPECT_EQ(api_->AddRef(), 1);
  EXPECT_EQ(api_->GetMinLevel(), kLogLevelWarn);
  LogTargetRecord* std_err = api_->StdErrTarget();
  EXPECT_EQ(std_err->IsRegistered(std_err), 1);
  Log(kLogLevelError, 0, "after the reset");
  EXPECT_TRUE(first.messages.empty());
  first.Register();
  Log(kLogLevelError, 0, "registered again");
  ASSERT_EQ(first.messages.size(), 1u);
}

TEST_F(LoggerTest, AWriteThatLogsDoesNotRecurse) {
  struct LoggingTarget : RecordingTarget {
    bool Write(const LogMessage& message) override {
      Log(kLogLevelError, 0, "from inside %s", message.text);
      return RecordingTarget::Write(message);
    }
  };
  LoggingTarget target;
  target.Register();
  Log(kLogLevelError, 0, "outer");
  ASSERT_EQ(target.messages.size(), 1u);
  EXPECT_EQ(target.messages[0].text, "outer");
}

TEST_F(LoggerTest, AThrowingWriteStaysInsideTheRecord) {
  struct ThrowingTarget : RecordingTarget {
    bool Write(const LogMessage&) override { throw 1; }
  };
  ThrowingTarget throwing;
  RecordingTarget recorder;
  throwing.Register();
  recorder.Register();
  LogMessage message{};
  message.text = "x";
  EXPECT_FALSE(throwing.Record()->Write(throwing.Record(), &message));
  Log(kLogLevelError, 0, "still delivered");
  EXPECT_EQ(recorder.messages.size(), 1u);
}

TEST_F(LoggerTest, TraceHookWritesNothing) {
  RecordingTarget recorder;
  recorder.Register();
  api_->SetMinLevel(kLogLevelOkay);
  PluginTraceHook("Handling event %s", "OnLcdsEvent");
  PluginTraceHook("Subscribing to event: %s", "OnJsonApiEvent");
  EXPECT_TRUE(recorder.messages.empty());
}

TEST_F(LoggerTest, StdOutFlushFlag) {
  StdOutLogTarget target;
  EXPECT_FALSE(target.FlushFlag());
  target.SetFlushFlag(true);
  EXPECT_TRUE(target.FlushFlag());
  EXPECT_EQ(target.MinLevel(), kLogLevelWarn);
  EXPECT_EQ(target.IncludedGroups(), kLogGroupGen);
  EXPECT_EQ(target.ExcludedGroups(), kLogGroupDbg);
  ::testing::internal::CaptureStdout();
  LogMessage message{};
  message.text = "flushed";
  EXPECT_TRUE(target.Write(message));
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "flushed\n");
}

TEST_F(LoggerTest, TableBasics) {
  EXPECT_EQ(api_->InterfaceVersion(), 1);
  EXPECT_FALSE(api_->AddTarget(nullptr));
  EXPECT_FALSE(api_->RemoveTarget(nullptr));
  RecordingTarget recorder;
  EXPECT_FALSE(api_->RemoveTarget(recorder.Record()));
}

}  // namespace
}  // namespace Vorn
