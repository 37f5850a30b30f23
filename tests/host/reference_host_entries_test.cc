// The host's ten entries called through its table as a plugin calls them, before any plugin is
// loaded: what each records, subscriptions, the request answer and the timer queue.
#include "host/reference_host.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Vorn::Host {
namespace {

// gtest binds references, and a field of a packed record may sit at any address: copy first.
template <class T>
T Read(T field) {
  return field;
}

struct Seen {
  std::vector<std::string> events;
  std::vector<Json> payloads;
  std::vector<void*> contexts;
};

extern "C" void QEV_HOST_CDECL RecordEvent(const EventRecord* event) {
  auto* seen = static_cast<Seen*>(event->context);
  seen->events.push_back(event->name);
  seen->payloads.push_back(DecodePlain(event->payload).value());
  seen->contexts.push_back(event->context);
  EXPECT_EQ(event->word, 0u);
}

extern "C" void QEV_HOST_CDECL CountTimer(void* context) {
  ++*static_cast<int*>(context);
}

class HostEntriesTest : public ::testing::Test {
 protected:
  const HostApiTable* api() const { return host_.host_interface().api; }
  ReferenceHost host_{MakeOptions()};

 private:
  static HostOptions MakeOptions() {
    HostOptions options;
    options.host_handle = 77;
    return options;
  }
};

TEST_F(HostEntriesTest, LaterSubscriptionReplacesEarlierAndDeliveryReachesIt) {
  Seen first;
  Seen second;
  EXPECT_EQ(api()->subscribe_event(api(), "OnX", 77, RecordEvent, &first, 1), 0);
  EXPECT_EQ(api()->subscribe_event(api(), "OnX", 77, RecordEvent, &second, 0), 0);
  ASSERT_TRUE(host_.FindSubscription("OnX").has_value());
  EXPECT_EQ(host_.FindSubscription("OnX")->flags, 0u);

  ASSERT_TRUE(host_.DeliverEvent("OnX", Json::parse(R"({"uri":"/a","n":[1,-2]})")).ok());
  EXPECT_TRUE(first.events.empty());
  ASSERT_EQ(second.events, std::vector<std::string>{"OnX"});
  EXPECT_EQ(second.payloads[0], Json::parse(R"({"uri":"/a","n":[1,-2]})"));
  EXPECT_EQ(second.contexts[0], &second);

  HostStatus missing = host_.DeliverEvent("OnY", nullptr);
  ASSERT_FALSE(missing.ok());
  EXPECT_EQ(missing.error(), "nobody subscribed the event 'OnY'");

  api()->unsubscribe_event(api(), "OnX", 77);
  EXPECT_TRUE(host_.SubscribedNames().empty());
  EXPECT_FALSE(host_.DeliverEvent("OnX", nullptr).ok());
  EXPECT_EQ(api()->subscribe_event(api(), nullptr, 77, RecordEvent, &first, 0), -1);
  EXPECT_EQ(api()->subscribe_event(api(), "OnZ", 77, nullptr, &first, 0), -1);
  EXPECT_TRUE(host_.SubscribedNames().empty());
}

TEST_F(HostEntriesTest, RecordsEveryEntryInOrder) {
  int fired = 0;
  api()->host_log(api(), 2, "line");
  api()->entry1(api(), 4, 5);
  api()->entry6(api());
  api()->entry7(api(), "seven", 7);
  api()->entry8(api());
  EXPECT_EQ(api()->schedule_callback(api(), "tick", CountTimer, &fired, 0.25, 0), 1u);

  std::vector<std::string> lines;
  for (const TranscriptEntry& entry : host_.transcript())
    lines.push_back(FormatReadable(entry));
  EXPECT_EQ(lines,
            (std::vector<std::string>{
                R"(plugin> HostLog {"level":2,"line":"line"} -> 0)",
                R"(plugin> Entry1 {"word0":4,"word1":5} -> 0)",
                R"(plugin> Entry6 -> 0)",
                R"(plugin> Entry7 {"text":"seven","word":7} -> 0)",
                R"(plugin> Entry8 -> 0)",
                R"(plugin> ScheduleCallback {"name":"tick","delaySeconds":0.25,"flags":0} -> 1)",
            }));
  EXPECT_EQ(
      FormatJsonLine(host_.transcript()[0]),
      R"({"origin":"plugin","call":"HostLog","arguments":{"level":2,"line":"line"},"result":0})");
  ASSERT_EQ(host_.logs().size(), 1u);
  EXPECT_EQ(host_.logs()[0].level, 2);

  EXPECT_EQ(host_.RunDue(), 0u);
  EXPECT_EQ(host_.AdvanceClock(1), 1u);
  EXPECT_EQ(fired, 1);
  EXPECT_EQ(host_.now(), 1.0);
  EXPECT_EQ(host_.transcript().back().call, "Timer");
}

TEST_F(HostEntriesTest, DispatchedEventIsDecoded) {
  char name[] = "OnJsonApiEvent_qev-loyalty_v1_status-notification";
  EventRecord event{};
  event.name = name;
  event.payload.kind = static_cast<uint32_t>(PlainKind::kSigned);
  event.payload.payload.signed_value = -3;
  EXPECT_EQ(api()->dispatch_event(api(), &event), 0);
  EXPECT_EQ(api()->dispatch_event(api(), nullptr), -1);
  ASSERT_EQ(host_.dispatched_events().size(), 1u);
  EXPECT_EQ(host_.dispatched_events()[0].name, name);
  EXPECT_EQ(host_.dispatched_events()[0].payload, -3);
}

TEST_F(HostEntriesTest, RequestAnswerFillsTheResponse) {
  RequestRecord request{};
  request.method = 6;
  request.path = "/telemetry/v1/events/";
  request.request_handle = 77;

  ResponseRecord success{};
  EXPECT_EQ(api()->perform_request(api(), &success, &request), 0);
  EXPECT_EQ(Read(success.result.value.kind), 0u);
  EXPECT_EQ(Read(success.result.error), nullptr);
  EXPECT_EQ(Read(success.result.failed), 0);
  const int32_t success_status = success.status;
  EXPECT_EQ(success_status, 0);
  ASSERT_NE(Read(success.content_type), nullptr);
  EXPECT_EQ(Read(success.release), nullptr);

  host_.SetRequestAnswer({503, "busy"});
  ResponseRecord failure{};
  EXPECT_EQ(api()->perform_request(api(), &failure, &request), 0);
  ASSERT_NE(Read(failure.result.error), nullptr);
  EXPECT_STREQ(Read(failure.result.error), "busy");
  // The text is the host's: the plugin must not free it.
  EXPECT_EQ(Read(failure.result.failed), 0);
  const int32_t failure_status = failure.status;
  EXPECT_EQ(failure_status, 503);

  ASSERT_EQ(host_.requests().size(), 2u);
  EXPECT_EQ(host_.requests()[1]["path"], "/telemetry/v1/events/");
  EXPECT_EQ(host_.CallsTo("PerformRequest")[1].arguments["response"],
            Json::parse(R"({"status":503,"error":"busy"})"));
}

}  // namespace
}  // namespace Vorn::Host
