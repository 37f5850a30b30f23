// The host's reading of a request record the plugin sends.
#include "host/request_json.h"

#include <gtest/gtest.h>

namespace Vorn::Host {
namespace {

TEST(HostRequestJson, ReadsEveryField) {
  char text[] = "payload";
  RequestArgument arguments[2] = {};
  arguments[0].value.kind = static_cast<uint32_t>(PlainKind::kString);
  arguments[0].value.payload.ref = PlainRef{text, 7};
  arguments[1].name = "count";
  arguments[1].value.kind = static_cast<uint32_t>(PlainKind::kUnsigned);
  arguments[1].value.payload.unsigned_value = 3;
  const TextPair headers[] = {{"User-Agent", "VornClient/18.0.0 (x)"}};
  const char body[] = "{\"a\":1}trailing";
  int context = 0;
  RequestRecord request{};
  request.method = 6;
  request.path = "/telemetry/v1/events/";
  request.arguments = arguments;
  request.argument_count = 2;
  request.handler_context = &context;
  request.headers = headers;
  request.header_count = 1;
  request.content_type = "application/json";
  request.body = body;
  request.body_size = 7;
  request.request_handle = 0x1234;

  EXPECT_EQ(DescribeRequest(request), Json::parse(R"json({
    "method": 6, "methodText": "POST", "path": "/telemetry/v1/events/",
    "arguments": [{"name": null, "value": "payload"}, {"name": "count", "value": 3}],
    "headers": [["User-Agent", "VornClient/18.0.0 (x)"]],
    "contentType": "application/json", "body": "{\"a\":1}", "requestHandle": 4660,
    "handlerContext": true
})json"));
}

TEST(HostRequestJson, OtherMethodCarriesItsName) {
  RequestRecord request{};
  request.method = 8;
  request.method_name = "PROPFIND";
  const Json described = DescribeRequest(request);
  EXPECT_EQ(described["methodText"], "");
  EXPECT_EQ(described["methodName"], "PROPFIND");
  EXPECT_EQ(described["path"], nullptr);
  EXPECT_EQ(described["body"], nullptr);
}

TEST(HostRequestJson, NamesTheUnreadablePart) {
  struct Row {
    const char* name;
    RequestRecord request;
    const char* error;
  };
  RequestArgument bad{};
  bad.value.kind = 42;
  RequestRecord null_arguments{};
  null_arguments.argument_count = 2;
  RequestRecord bad_argument{};
  bad_argument.arguments = &bad;
  bad_argument.argument_count = 1;
  RequestRecord null_headers{};
  null_headers.header_count = 1;
  RequestRecord null_body{};
  null_body.body_size = 3;
  const Row kRows[] = {
      {"arguments", null_arguments, "null argument array with 2 arguments"},
      {"argument", bad_argument, "argument 0: plain value: unknown kind 42"},
      {"headers", null_headers, "null header array with 1 headers"},
      {"body", null_body, "null body with a size"},
  };
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(DescribeRequest(row.request)["error"], row.error);
  }
}

TEST(HostRequestJson, MethodTexts) {
  EXPECT_STREQ(MethodText(1), "DELETE");
  EXPECT_STREQ(MethodText(7), "PUT");
  EXPECT_STREQ(MethodText(0), "");
  EXPECT_STREQ(MethodText(8), "");
  EXPECT_STREQ(MethodText(9), "");
}

}  // namespace
}  // namespace Vorn::Host
