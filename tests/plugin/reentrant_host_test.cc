// A host that calls back into the plugin: from a listener, from its log entry while a reply is
// being handled, and with a timer after Shutdown. Threaded: the second host thread shows a
// lock held across a call out, which would deadlock a re-entrant host.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sdk/diagnostics/log_api.h"
#include "tests/plugin/event_fixture.h"
#include "tests/plugin/reentry_probe.h"

namespace Vorn::Client {
namespace {

using AppModule::PluginServiceProxyResponse;
using Testing::Note;
using Testing::Payload;
using Testing::ReentryProbe;

class ReentrantHostTest : public Testing::EventClientTest {};

TEST_F(ReentrantHostTest, ListenersThatAddListenersWhileTheyRun) {
  std::vector<std::string> seen;
  int added = 0;
  PluginEventClient& client = *plugin_;
  // Each call adds enough pattern listeners to move the table, and replaces the exact one.
  client.AddJsonApiPatternListener("/a/*", [&](const PluginResourceEvent&) {
    seen.push_back("pattern");
    for (int i = 0; i < 64; ++i, ++added) {
      client.AddJsonApiPatternListener(
          "/a/" + std::to_string(added),
          [&seen](const PluginResourceEvent&) { seen.push_back("new"); });
    }
  });
  client.AddJsonApiListener("/a/b", [&](const PluginResourceEvent&) {
    seen.push_back("exact");
    client.AddJsonApiListener("/a/b",
                              [&seen](const PluginResourceEvent&) { seen.push_back("replaced"); });
  });
  client.AddJsonApiPatternListener(
      "/*/b", [&seen](const PluginResourceEvent&) { seen.push_back("second pattern"); });
  PluginResourceEvent event;
  event.uri = "/a/b";
  client.DispatchJsonApi(event);
  // What was added during the event takes part from the next one on.
  EXPECT_EQ(seen, (std::vector<std::string>{"exact", "pattern", "second pattern"}));
  seen.clear();
  client.DispatchJsonApi(event);
  EXPECT_EQ(seen, (std::vector<std::string>{"replaced", "pattern", "second pattern"}));
}

TEST_F(ReentrantHostTest, TimersThatRunAfterShutdownDoNothing) {
  int handled = 0;
  plugin_->SubscribeLcds<Note>("com.example.Note", [&handled](const Note&) { ++handled; });
  Payload message(R"({"typeName":"com.example.Note","body":{"x":1}})");
  ASSERT_TRUE(host_.Deliver("OnLcdsEvent_com_example_Note", message.plain()));
  ASSERT_EQ(host_.timers.size(), 1u);
  const std::vector<Testing::FakeTimer> stale = host_.timers;
  host_.timers.clear();
  Shutdown();
  // The host has no way to cancel: it runs the timer anyway, and may even run it twice.
  for (int i = 0; i < 2; ++i)
    stale[0].callback(stale[0].context);
  EXPECT_EQ(handled, 0);

  // A plugin loaded afterwards gets timers of its own, which the stale context never reaches.
  SetUp();
  int later = 0;
  plugin_->SubscribeLcds<Note>("com.example.Note", [&later](const Note&) { ++later; });
  ASSERT_TRUE(host_.Deliver("OnLcdsEvent_com_example_Note", message.plain()));
  ASSERT_EQ(host_.timers.size(), 1u);
  EXPECT_NE(host_.timers[0].context, stale[0].context);
  stale[0].callback(stale[0].context);
  EXPECT_EQ(later, 0);
  host_.RunTimers();
  EXPECT_EQ(later, 1);
  EXPECT_EQ(plugin_->PendingTimerCount(), 0u);
}

// Completions, async handlers and the log lines about them run with the service-proxy mutex
// released: a second host thread that sends a request meanwhile is not kept waiting.
TEST_F(ReentrantHostTest, ServiceProxyCallsOutHoldNoLock) {
  GetLogApi()->SetMinLevel(0);
  ReentryProbe probe;
  std::vector<std::string> finished;
  auto request_from_another_thread = [&](const std::string& where) {
    const bool in_time =
        probe.FinishesWithin([this] { plugin_->SendServiceProxyRequest("svc.next", nullptr); });
    finished.push_back(where + (in_time ? " in time" : " blocked"));
  };
  plugin_->SendServiceProxyRequest("svc.one", [&](const PluginServiceProxyResponse&) {
    request_from_another_thread("completion");
  });
  plugin_->AddAsyncServiceProxyHandler("svc.push", [&](const PluginServiceProxyResponse&) {
    request_from_another_thread("handler");
  });
  Payload method(R"({"serviceName":"svc","methodName":"one"})");
  Payload async(R"({"serviceName":"svc","methodName":"push"})");
  ASSERT_TRUE(host_.Deliver("OnServiceProxyMethodEvent", method.plain()));
  ASSERT_TRUE(host_.Deliver("OnServiceProxyAsyncEvent", async.plain()));
  host_.on_log = [&](int32_t, const std::string& line) {
    if (line.rfind("Could not find", 0) == 0) request_from_another_thread("log");
  };
  Payload unknown(R"({"serviceName":"svc","methodName":"nobody"})");
  ASSERT_TRUE(host_.Deliver("OnServiceProxyAsyncEvent", unknown.plain()));
  host_.on_log = nullptr;
  EXPECT_EQ(finished,
            (std::vector<std::string>{"completion in time", "handler in time", "log in time"}));
}

}  // namespace
}  // namespace Vorn::Client
