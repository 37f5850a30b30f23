// Host events through the plugin frame: LCDS delivery by timer, pending LCDS responses,
// resource-event listeners, service-proxy replies and payloads that do not convert.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sdk/binding/plain_value.h"
#include "sdk/binding/type_builder.h"
#include "sdk/diagnostics/log_api.h"
#include "sdk/encoding/json_reader.h"
#include "sdk/plugin/plugin_base.h"
#include "sdk/plugin/plugin_entry.h"
#include "tests/plugin/event_fixture.h"
#include "tests/plugin/fake_host.h"

namespace Vorn::Client {
namespace {

using AppModule::PluginLcdsEvent;
using AppModule::PluginServiceProxyResponse;
using Vorn::Testing::FakeHost;

using Testing::EventPlugin;
using Testing::Note;
using Testing::Payload;

constexpr const char* kLcdsEvent = "OnLcdsEvent_com_example_Note";

class EventPathsTest : public Testing::EventClientTest {};

TEST_F(EventPathsTest, LcdsMessagesReachEveryHandlerFromATimer) {
  std::vector<std::string> seen;
  plugin_->SubscribeLcds<Note>("com.example.Note", [&seen](const Note& note) {
    seen.push_back("a" + std::to_string(note.x));
  });
  plugin_->SubscribeLcds<Note>("com.example.Note", [&seen](const Note& note) {
    seen.push_back("b" + std::to_string(note.x));
  });
  ASSERT_EQ(host_.subscriptions.back().name, kLcdsEvent);
  EXPECT_EQ(host_.subscriptions.back().flags, 1u);

  Payload message(R"({"typeName":"com.example.Note","clientId":"c","body":{"x":7}})");
  ASSERT_TRUE(host_.Deliver(kLcdsEvent, message.plain()));
  EXPECT_TRUE(seen.empty()) << "delivery waits for the host's timer";
  ASSERT_EQ(host_.timers.size(), 1u);
  EXPECT_EQ(host_.timers[0].name, "Event: OnLcdsEvent (com.example.Note)");
  EXPECT_EQ(host_.timers[0].delay_seconds, 0.0);
  EXPECT_EQ(host_.timers[0].flags, 0u);
  host_.RunTimers();
  EXPECT_EQ(seen, (std::vector<std::string>{"a7", "b7"}));
  EXPECT_EQ(plugin_->PendingTimerCount(), 0u);
}

TEST_F(EventPathsTest, ABodyThatDoesNotConvertSkipsOnlyItsOwnHandler) {
  std::vector<std::string> seen;
  plugin_->SubscribeLcds<Note>("com.example.Note",
                               [&seen](const Note&) { seen.push_back("note"); });
  plugin_->SubscribeLcds<BindingProperty>("com.example.Note", [&seen](const BindingProperty& body) {
    seen.push_back(std::string("raw ") + std::as_const(body).MemberAt("x").GetString());
  });
  Payload message(R"({"typeName":"com.example.Note","body":{"x":"not a number"}})");
  ASSERT_TRUE(host_.Deliver(kLcdsEvent, message.plain()));
  host_.RunTimers();
  EXPECT_EQ(seen, (std::vector<std::string>{"raw not a number"}));
}

TEST_F(EventPathsTest, APendingResponseTakesTheMessageFromTheHandlers) {
  int handled = 0;
  plugin_->SubscribeLcds<Note>("com.example.Note", [&handled](const Note&) { ++handled; });
  std::future<PluginLcdsEvent> response = plugin_->AwaitLcdsResponse("com.example.Note");
  Payload message(R"({"typeName":"com.example.Note","subtopic":"s","body":{"x":1}})");
  ASSERT_TRUE(host_.Deliver(kLcdsEvent, message.plain()));
  ASSERT_EQ(response.wait_for(std::chrono::seconds(0)), std::future_status::ready);
  EXPECT_EQ(response.get().subtopic, "s");
  EXPECT_TRUE(host_.timers.empty());
  // The next message goes to the handlers again.
  ASSERT_TRUE(host_.Deliver(kLcdsEvent, message.plain()));
  host_.RunTimers();
  EXPECT_EQ(handled, 1);
}

TEST_F(EventPathsTest, PayloadsThatDoNotConvertAreDropped) {
  int handled = 0;
  plugin_->SubscribeLcds<Note>("com.example.Note", [&handled](const Note&) { ++handled; });
  Payload wrong_kind(R"([1,2])");
  Payload wrong_field(R"({"typeName":["x"]})");
  EXPECT_TRUE(host_.Deliver(kLcdsEvent, wrong_kind.plain()));
  EXPECT_TRUE(host_.Deliver(kLcdsEvent, wrong_field.plain()));
  BindingPlainValue unknown_kind{};
  unknown_kind.kind = 11;
  EXPECT_TRUE(host_.Deliver(kLcdsEvent, unknown_kind));
  EXPECT_TRUE(host_.timers.empty());
  EXPECT_EQ(handled, 0);
}

TEST_F(EventPathsTest, ResourceEventsReachExactAndPatternListeners) {
  std::vector<std::string> seen;
  plugin_->Subscribe("/a/b/c");
  plugin_->AddJsonApiListener("/a/b/c", [&seen](const PluginResourceEvent& event) {
    seen.push_back("exact " + std::to_string(static_cast<int>(event.eventType)));
  });
  for (const char* pattern : {"/a/*/c", "/a/*", "/*/*/*", "/a/b/c/*", "*"}) {
    plugin_->AddJsonApiPatternListener(
        pattern, [&seen, pattern](const PluginResourceEvent&) { seen.push_back(pattern); });
  }
  Payload event(R"({"uri":"a/b/c","eventType":"Update","data":{"v":1}})");
  ASSERT_TRUE(host_.Deliver("OnJsonApiEvent_a_b_c", event.plain()));
  EXPECT_EQ(seen, (std::vector<std::string>{"exact 1", "/a/*/c", "/*/*/*"}));
}

TEST_F(EventPathsTest, PatternSegmentsFollowTheSlashes) {
  struct Case {
    const char* pattern;
    const char* uri;
    bool matches;
  };
  constexpr Case kCases[] = {
      {"/a/*/c", "/a/b/c", true}, {"/a/*/c", "/a//c", true}, {"/a/*/c", "/a/b/x/c", false},
      {"/a/*", "/a/", false},     {"/a/*", "/a/b", true},    {"/a/*/", "/a/b/", true},
      {"/a", "/a/b", false},      {"/a/b", "/a", false},
  };
  for (const Case& row : kCases) {
    SCOPED_TRACE(std::string(row.pattern) + " on " + row.uri);
    PluginEventClient& client = *plugin_;
    bool matched = false;
    client.AddJsonApiPatternListener(row.pattern,
                                     [&matched](const PluginResourceEvent&) { matched = true; });
    PluginResourceEvent event;
    event.uri = row.uri;
    client.DispatchJsonApi(event);
    EXPECT_EQ(matched, row.matches);
    client.AddJsonApiPatternListener(row.pattern, nullptr);
  }
}

TEST_F(EventPathsTest, OneMethodReplyFulfilsAtMostOneRequest) {
  GetLogApi()->SetMinLevel(0);
  std::vector<std::string> fulfilled;
  plugin_->SendServiceProxyRequest("svc.one", [&](const PluginServiceProxyResponse& reply) {
    fulfilled.push_back("one " + reply.payload);
  });
  plugin_->SendServiceProxyRequest("svc.two", [&](const PluginServiceProxyResponse& reply) {
    fulfilled.push_back("two " + reply.payload);
  });
  Payload two(R"({"serviceName":"svc","methodName":"two","payload":"2"})");
  ASSERT_TRUE(host_.Deliver("OnServiceProxyMethodEvent", two.plain()));
  EXPECT_EQ(fulfilled, (std::vector<std::string>{"two 2"}));
  ASSERT_FALSE(host_.log_lines.empty());
  EXPECT_EQ(host_.log_lines.back(),
            (std::pair<int32_t, std::string>{3, "Fulfilled service proxy request: svc.two"}));

  Payload by_uuid(R"({"uuid":"svc.one","serviceName":"other","methodName":"x","payload":"u"})");
  ASSERT_TRUE(host_.Deliver("OnServiceProxyUuidEvent", by_uuid.plain()));
  EXPECT_EQ(fulfilled, (std::vector<std::string>{"two 2", "one u"}));
}

// Replies nobody waits for are kept up to a bound: the oldest goes first, and a newer reply of
// a key replaces the earlier one and counts as the newest.
TEST_F(EventPathsTest, UnclaimedRepliesAreBounded) {
  auto reply = [this](const std::string& method, const std::string& payload) {
    const std::string json =
        R"({"serviceName":"svc","methodName":")" + method + R"(","payload":")" + payload + "\"}";
    Payload event(json.c_str());
    ASSERT_TRUE(host_.Deliver("OnServiceProxyMethodEvent", event.plain()));
  };
  reply("again", "first");
  for (int i = 0; i < 1024; ++i)
    reply("m" + std::to_string(i), "p");
  // The 1,025th key dropped the first "again"; this one drops "m0" and is the newest.
  reply("again", "second");
  std::vector<std::string> fulfilled;
  auto record = [&fulfilled](const PluginServiceProxyResponse& r) {
    fulfilled.push_back(r.methodName + " " + r.payload);
  };
  // Each unrelated reply is kept too: the first drops "m1". Then one request per event, oldest
  // reply first; nothing is left for "m0" or "m1".
  for (const char* key : {"svc.again", "svc.m0", "svc.m1", "svc.m1023"})
    plugin_->SendServiceProxyRequest(key, record);
  reply("unrelated", "x");
  reply("unrelated", "x");
  reply("unrelated", "x");
  reply("unrelated", "x");
  EXPECT_EQ(fulfilled, (std::vector<std::string>{"m1023 p", "again second"}));
}

TEST_F(EventPathsTest, AsyncRepliesNeedAHandler) {
  std::vector<std::string> seen;
  plugin_->AddAsyncServiceProxyHandler(
      "svc.push", [&seen](const PluginServiceProxyResponse& r) { seen.push_back(r.payload); });
  Payload known(R"({"serviceName":"svc","methodName":"push","payload":"p"})");
  Payload unknown(R"({"serviceName":"svc","methodName":"nobody","payload":"p"})");
  ASSERT_TRUE(host_.Deliver("OnServiceProxyAsyncEvent", known.plain()));
  ASSERT_TRUE(host_.Deliver("OnServiceProxyAsyncEvent", unknown.plain()));
  EXPECT_EQ(seen, (std::vector<std::string>{"p"}));
  ASSERT_FALSE(host_.log_lines.empty());
  EXPECT_EQ(host_.log_lines.back(),
            (std::pair<int32_t, std::string>{
                2, "Could not find registered handler for async service proxy event svc.nobody"}));
}

TEST_F(EventPathsTest, ReleaseHandlersEmptiesTheTables) {
  int handled = 0;
  plugin_->SubscribeLcds<Note>("com.example.Note", [&handled](const Note&) { ++handled; });
  plugin_->AddJsonApiListener("/x", [&handled](const PluginResourceEvent&) { ++handled; });
  plugin_->ReleaseHandlers();
  Payload message(R"({"typeName":"com.example.Note","body":{"x":1}})");
  host_.Deliver(kLcdsEvent, message.plain());
  PluginResourceEvent event;
  event.uri = "/x";
  plugin_->DispatchJsonApi(event);
  host_.RunTimers();
  EXPECT_EQ(handled, 0);
}

}  // namespace
}  // namespace Vorn::Client
