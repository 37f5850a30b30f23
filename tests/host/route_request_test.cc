// Requests through a route entry as the host builds them, and responses as it reads and
// releases them, against a callback of the test's own; and the host's choice of route.
#include "host/route_request.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "host/request_json.h"
#include "host/transcript.h"

namespace Vorn::Host {
namespace {

// What the callback saw, and what it answers with.
struct Exchange {
  Json request;
  const void* handler_context = nullptr;
  bool zeroed_response = false;
  int releases = 0;
  bool leave_bytes = false;  // a release that forgets to zero the record
};

Exchange* current = nullptr;

const char* kHeaders[] = {"Content-Length", "2", "X-A", "b"};

extern "C" void QEV_HOST_CDECL ReleaseResponse(ResponseRecord* response) {
  ++current->releases;
  const bool leave = current->leave_bytes;
  std::memset(response, 0, sizeof *response);
  if (leave) response->status = 1;
}

extern "C" void QEV_HOST_CDECL Answer(ResponseRecord* out, const RequestRecord* request) {
  static const char kEmpty[] = "";
  static PlainMember member{"n", {}, 0};
  current->request = DescribeRequest(*request);
  current->handler_context = request->handler_context;
  ResponseRecord zero;
  std::memset(&zero, 0, sizeof zero);
  current->zeroed_response = std::memcmp(out, &zero, sizeof zero) == 0;
  member.value.kind = static_cast<uint32_t>(PlainKind::kSigned);
  member.value.payload.signed_value = -4;
  out->result.value.kind = static_cast<uint32_t>(PlainKind::kStructure);
  out->result.value.payload.ref = PlainRef{&member, 1};
  out->status = 201;
  out->body_format = 1;
  out->flag = 1;
  out->content_type = kEmpty;
  out->headers = kHeaders;
  out->header_count = 2;
  out->release = ReleaseResponse;
}

RouteView AnsweringRoute(void* context) {
  RouteView route;
  route.method = 6;
  route.path = "/items/{id}";
  route.handler_context = context;
  route.request_callback = Answer;
  return route;
}

TEST(RouteRequest, BuildsTheRecordAndReadsAndReleasesTheResponse) {
  Exchange exchange;
  current = &exchange;
  int context = 0;
  HostRequest request{"PURGE", "/items/7?x=1", {{"Accept", "*/*"}}, {{"id", Json(7)}, {"", "p"}}};
  request.body = std::string("{}\0z", 4);
  request.content_type = "application/json";
  HostResult<HostResponse> response = DeliverRequest(AnsweringRoute(&context), request, 99);
  ASSERT_TRUE(response.ok()) << response.error();

  EXPECT_TRUE(exchange.zeroed_response);
  EXPECT_EQ(exchange.handler_context, &context);
  EXPECT_EQ(DumpJson(exchange.request),
            R"({"method":8,"methodText":"","methodName":"PURGE","path":"/items/7?x=1",)"
            R"("arguments":[{"name":"id","value":7},{"name":null,"value":"p"}],)"
            R"("headers":[["Accept","*/*"]],"contentType":"application/json",)"
            "\"body\":\"{}\\u0000z\",\"requestHandle\":99,\"handlerContext\":true}");

  const HostResponse& answer = response.value();
  EXPECT_EQ(exchange.releases, 1);
  EXPECT_TRUE(answer.had_release && answer.zeroed_by_release);
  EXPECT_EQ(DumpJson(ResponseJson(answer)),
            R"({"status":201,"failed":false,"error":null,"result":{"n":-4},"contentType":"",)"
            R"("flag":1,"bodyFormat":1,"headers":[["Content-Length","2"],["X-A","b"]]})");

  exchange.leave_bytes = true;
  HostResult<HostResponse> sloppy = DeliverRequest(AnsweringRoute(&context), {"GET", "/"}, 1);
  ASSERT_TRUE(sloppy.ok());
  EXPECT_FALSE(sloppy.value().zeroed_by_release);
  EXPECT_EQ(ResponseJson(sloppy.value())["releaseLeftBytes"], true);
  EXPECT_EQ(exchange.request["method"], 2);
  current = nullptr;
}

TEST(RouteRequest, ARouteWithoutCallbackIsNotCalled) {
  RouteView route = AnsweringRoute(nullptr);
  route.request_callback = nullptr;
  HostResult<HostResponse> response = DeliverRequest(route, {"GET", "/items/1"}, 1);
  ASSERT_FALSE(response.ok());
  EXPECT_EQ(response.error(), "the route /items/{id} has no request callback");
}

TEST(RouteRequest, ChoosesTheRouteToDeliverTo) {
  std::vector<RouteView> routes(5);
  const char* const kPaths[] = {"/items/{id}", "/items/all", "/items/all", "/files/{+rest}",
                                "/any"};
  const uint32_t kMethods[] = {2, 6, 2, 2, 0};
  for (size_t i = 0; i < routes.size(); ++i) {
    routes[i].path = kPaths[i];
    routes[i].method = kMethods[i];
  }
  struct Row {
    const char* method;
    const char* path;
    int route;  // -1: none
  };
  const Row kRows[] = {
      {"GET", "/items/all", 2},  // the literal path of the same method
      {"POST", "/items/all", 1},
      {"PUT", "/items/all", 1},  // a literal path of another method before a template
      {"GET", "/items/7", 0},
      {"GET", "/items/7?full=1", 0},
      {"DELETE", "/items/7", 0},  // the plugin answers for the method
      {"GET", "/items/7/parts", -1},
      {"GET", "/files/a/b/c", 3},
      {"GET", "/files", -1},
      {"PURGE", "/any", 4},
      {"GET", "/", -1},
  };
  for (const Row& row : kRows) {
    SCOPED_TRACE(std::string(row.method) + " " + row.path);
    const std::optional<size_t> chosen = ChooseRoute(routes, row.method, row.path);
    EXPECT_EQ(chosen ? static_cast<int>(*chosen) : -1, row.route);
  }
}

}  // namespace
}  // namespace Vorn::Host
