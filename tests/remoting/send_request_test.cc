// Outgoing requests: what reaches the host, both failure messages, the reply value, the future,
// and that everything allocated for a request is freed again.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>

#include "sdk/binding/type_builder.h"
#include "sdk/encoding/json_writer.h"
#include "sdk/remoting/remoting_response.h"
#include "sdk/remoting/send_request.h"
#include "sdk/runtime/allocation.h"

namespace Vorn {
namespace {

// Plays the host: records the request and answers with a status, an error text or a value.
class FakeClient {
 public:
  int32_t status = 0;
  const char* error = nullptr;
  bool install_release = true;
  int calls = 0;
  uint32_t seen_method = 0;
  std::string seen_path;
  std::string seen_argument;
  uint32_t seen_count = 0;
  uint32_t seen_handle = 0;
  bool seen_positional = false;

  uint32_t host_handle() const { return 77; }
  int32_t PerformRequest(HostResponseRecord* response, const HostRequestRecord* request) {
    ++calls;
    seen_method = request->method;
    seen_path = request->path;
    seen_count = request->argument_count;
    seen_handle = request->request_handle;
    seen_positional = request->arguments[0].name == nullptr;
    BindingPlainResult sink;
    std::memset(&sink, 0, sizeof(sink));
    BindingProperty value;
    const BindingPlainValue plain = request->arguments[0].value;
    if (FromPlain(&sink, value, plain, "<argument>")) seen_argument = WriteJson(value);
    FreePlainResult(sink);

    ResetResponseRecord(*response);
    if (!install_release) response->release = nullptr;
    response->status = status;
    if (error != nullptr) {
      SetPlainError(response->result, error);
    } else {
      BindingProperty answer;
      answer.SetString("ok");
      response->result.value = ToPlain(answer);
    }
    return 0;
  }
};

uint64_t LiveBlocks() {
  const AllocationStats stats = ReadAllocationStats();
  return stats.allocations - stats.frees;
}

struct Unregistered {
  int32_t x = 0;
};

TEST(SendRequestTest, ErrorResponseGivesStatusAndMessage) {
  const uint64_t live_before = LiveBlocks();
  FakeClient client;
  client.status = 503;
  client.error = "busy";
  const std::map<std::string, std::string> fields{{"a", "1"}, {"b", "2"}};
  const RemotingResult result =
      SendRequest(client, RemotingMethod::Post, "/telemetry/v1/events/", fields);
  EXPECT_TRUE(result.failed);
  EXPECT_EQ(result.code, 503);
  EXPECT_EQ(result.message, "Error response for POST /telemetry/v1/events/: busy");
  EXPECT_EQ(FormatTextForm(result), "Error response for POST /telemetry/v1/events/: busy (503)");
  EXPECT_EQ(client.seen_method, 6u);
  EXPECT_EQ(client.seen_path, "/telemetry/v1/events/");
  EXPECT_EQ(client.seen_count, 1u);
  EXPECT_TRUE(client.seen_positional);
  EXPECT_EQ(client.seen_handle, 77u);
  EXPECT_EQ(client.seen_argument, R"({"a":"1","b":"2"})");
  EXPECT_EQ(LiveBlocks(), live_before);
}

TEST(SendRequestTest, TextFormsOfResults) {
  const struct {
    RemotingResult result;
    const char* text;
  } kRows[] = {
      {RemotingResult::Success(), "Success"},
      {RemotingResult::Failure(404, "Not Found"), "Not Found (404)"},
      // A failure without a message has no text.
      {RemotingResult::Failure(404, ""), ""},
      {RemotingResult::Failure(0, ""), ""},
  };
  for (const auto& row : kRows) {
    SCOPED_TRACE(row.text);
    EXPECT_EQ(FormatTextForm(row.result), row.text);
  }
}

TEST(SendRequestTest, SuccessReadsTheReply) {
  const uint64_t live_before = LiveBlocks();
  {
    FakeClient client;
    BindingProperty reply;
    const RemotingResult result =
        SendRequest(client, RemotingMethod::Post, "/telemetry/v1/common-data/account_id",
                    std::string("42"), nullptr, &reply);
    EXPECT_FALSE(result.failed);
    EXPECT_EQ(result.code, 0);
    EXPECT_EQ(client.seen_argument, R"("42")");
    EXPECT_STREQ(reply.GetString(), "ok");
  }
  EXPECT_EQ(LiveBlocks(), live_before);
}

TEST(SendRequestTest, UnconvertibleValueIsNotSent) {
  FakeClient client;
  const RemotingResult result = SendRequest(client, RemotingMethod::Put, "/x", Unregistered{});
  EXPECT_TRUE(result.failed);
  EXPECT_EQ(result.code, 400);
  EXPECT_EQ(result.message,
            "Request not sent: Error converting parameters for PUT /x: Couldn't convert native "
            "value because it's an unregistered structure.");
  EXPECT_EQ(client.calls, 0);
}

TEST(SendRequestTest, FutureIsReadyWithTheOutcome) {
  FakeClient client;
  client.status = 500;
  client.error = "down";
  std::future<RemotingRequestOutcome> future =
      SendRequestAsync(client, RemotingMethod::Post, "/telemetry/v1/events/loyalty__event",
                       std::map<std::string, std::string>{{"k", "v"}});
  ASSERT_EQ(future.wait_for(std::chrono::seconds(0)), std::future_status::ready);
  const RemotingRequestOutcome outcome = future.get();
  EXPECT_EQ(FormatTextForm(outcome.result),
            "Error response for POST /telemetry/v1/events/loyalty__event: down (500)");
}

}  // namespace
}  // namespace Vorn
