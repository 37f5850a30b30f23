// Whole requests through the route entries' callback: registration (GET resource handlers,
// names, paths), route choice on tables of routes, method 8, the 404 and 400 rules, request
// information, and failures that must reach the host as responses.
#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "sdk/binding/type_builder.h"
#include "sdk/remoting/function_registration.h"
#include "sdk/remoting/request_handler.h"
#include "sdk/remoting/router.h"
#include "sdk/runtime/allocation.h"
#include "tests/remoting/request_builder.h"

namespace Vorn {
namespace {

using Testing::RequestBuilder;
using Testing::ResponseHolder;

struct Status {
  std::string state;
  int32_t count = 0;
};

struct Unregistered {
  int32_t x = 0;
};

class StatusSource {
 public:
  Status Current() const { return Status{"active", 3}; }
};

class DispatchTest : public ::testing::Test {
 protected:
  DispatchTest() {
    registry_.BeginType<Status>("Status")
        .AddField("state", &Status::state)
        .AddField("count", &Status::count);
    RegisterGetHandler(registry_, "/qev-loyalty/v1/status-notification", &source_,
                       &StatusSource::Current, {"plugin-tag"});
    RegisterFunction(registry_, "Pair",
                     [this](std::string p, int32_t n) {
                       ++calls_;
                       return p + ":" + std::to_string(n);
                     })
        .SetArgument(0, "p", ArgumentLocation::Path)
        .SetArgument(1, "n")
        .SetPath("/pair/{p}/")
        .SetMethod(RemotingMethod::Post);
    RegisterFunction(registry_, "Purge", [] { return std::string("purged"); })
        .SetPath("/cache")
        .SetMethodName("PURGE");
    RegisterFunction(registry_, "Broken", [] { return Unregistered{}; }).SetPath("/broken");
    RegisterFunction(registry_, "Throws", []() -> int32_t {
      throw std::runtime_error("boom");
    }).SetPath("/throws");
    RegisterFunction(registry_, "Info",
                     [](int32_t n, const RemotingRequest& request) {
                       return request.path + "|" + MethodName(request.method) + "|" +
                              request.method_name + "|" + std::to_string(request.handle) + "|" +
                              request.headers.at("x-h") + "|" + std::to_string(n) +
                              (request.registry != nullptr ? "|registry" : "");
                     })
        .SetArgument(0, "n")
        .SetPath("/info/{n}");
    RegisterFunction(registry_, "BaseInfo", [](const HttpBaseTransport::Request& request) {
      return request.path;
    }).SetPath("/base-info");
    RegisterFunction(registry_, "Tail", [](std::string rest) { return rest.size(); })
        .SetArgument(0, "rest")
        .SetPath("/tail/{+rest}");
    RegisterFunction(registry_, "ByName", [] { return true; });
  }

  void Send(const char* function, RequestBuilder& request, ResponseHolder& response) {
    const BindingFunctionRecord* record = registry_.FindFunction(function);
    ASSERT_NE(record, nullptr) << function;
    const RemotingHandlerContext* context = handlers_.ContextFor(registry_, *record);
    RemotingRequestCallback(&response.record,
                            &request.Record(const_cast<RemotingHandlerContext*>(context)));
  }

  StatusSource source_;
  int calls_ = 0;
  BindingRegistry registry_;
  RemotingHandlerTable handlers_;
};

TEST_F(DispatchTest, GetResourceHandler) {
  const BindingFunctionRecord* record = registry_.FindFunction("GetQevLoyaltyV1StatusNotification");
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record->remoting.path, "/qev-loyalty/v1/status-notification");
  EXPECT_EQ(record->remoting.method, 2u);
  EXPECT_EQ(record->tags, std::vector<std::string>{"plugin-tag"});
  EXPECT_TRUE(record->arguments.empty());
  EXPECT_EQ(record->returns.code, BindingTypeCode::Struct);
  EXPECT_EQ(record->remoting.invoker->RequestType().hash, StaticType::HashCode<void>().hash);

  const uint64_t live_before = ReadAllocationStats().allocations - ReadAllocationStats().frees;
  {
    RequestBuilder request(RemotingMethod::Get, "/qev-loyalty/v1/status-notification");
    ResponseHolder response;
    Send("GetQevLoyaltyV1StatusNotification", request, response);
    EXPECT_FALSE(response.Failed()) << response.Error();
    EXPECT_EQ(response.Status(), 0);
    EXPECT_EQ(response.Json(), R"({"count":3,"state":"active"})");
    EXPECT_STREQ(response.record.content_type, "");
  }
  EXPECT_EQ(ReadAllocationStats().allocations - ReadAllocationStats().frees, live_before);
}

TEST_F(DispatchTest, ResponsesOfWholeRequests) {
  struct Row {
    const char* function;
    RemotingMethod method;
    const char* method_name;
    const char* path;
    const char* error;  // null: success with `json`
    const char* json;
    int32_t status;
  };
  const Row kRows[] = {
      {"GetQevLoyaltyV1StatusNotification", RemotingMethod::Post, "",
       "/qev-loyalty/v1/status-notification", "Invalid function", nullptr, 404},
      {"GetQevLoyaltyV1StatusNotification", RemotingMethod::Get, "",
       "/qev-loyalty/v1/status-notification/", "Invalid function", nullptr, 404},
      {"GetQevLoyaltyV1StatusNotification", RemotingMethod::Get, "",
       "/qev-loyalty/v1/status-notification?x=1", "Invalid function", nullptr, 404},
      {"Pair", RemotingMethod::Post, "", "/pair/a%20b", nullptr, nullptr, 0},  // n missing
      {"Pair", RemotingMethod::Post, "", "/pair/x/y", "Invalid function", nullptr, 404},
      {"Pair", RemotingMethod::Get, "", "/pair/x", "Invalid function", nullptr, 404},
      {"Pair", RemotingMethod::Post, "", "/pair/x?m=1", "Unknown argument 'm' for 'Pair'.", nullptr,
       0},
      {"Purge", RemotingMethod::Other, "PURGE", "/cache", nullptr, R"("purged")", 0},
      {"Purge", RemotingMethod::Other, "PATCH", "/cache", "Invalid function", nullptr, 404},
      {"Purge", RemotingMethod::Other, "", "/cache", "Invalid function", nullptr, 404},
      {"Purge", static_cast<RemotingMethod>(9), "PURGE", "/cache", "Invalid function", nullptr,
       404},
      {"Broken", static_cast<RemotingMethod>(9), "", "/broken", "", nullptr, 400},
      {"Throws", RemotingMethod::Get, "", "/throws", "boom", nullptr, 0},
      {"ByName", RemotingMethod::Delete, "", "ByName", nullptr, "true", 0},
      {"Tail", RemotingMethod::Get, "", "/tail/a/b%2Fc", nullptr, "5", 0},
      {"Tail", RemotingMethod::Get, "", "/tail/a?x", "Unknown argument 'x' for 'Tail'.", nullptr,
       0},
  };
  for (const Row& row : kRows) {
    SCOPED_TRACE(std::string(row.function) + " " + row.path);
    RequestBuilder request(row.method, row.path);
    request.MethodName(row.method_name);
    ResponseHolder response;
    Send(row.function, request, response);
    EXPECT_EQ(response.Status(), row.status);
    if (row.json != nullptr) {
      EXPECT_FALSE(response.Failed()) << response.Error();
      EXPECT_EQ(response.Json(), row.json);
    } else if (row.error != nullptr) {
      EXPECT_TRUE(response.Failed());
      if (row.error[0] != '\0') {
        EXPECT_EQ(response.Error(), row.error);
      }
    } else {
      EXPECT_TRUE(response.Failed());
      EXPECT_EQ(response.Error(), "A value for 'n' is required.") << "from the conversion";
    }
    const HostResponseReleaseFn release = response.record.release;
    EXPECT_EQ(release, &ReleaseResponseRecord);
  }
  EXPECT_EQ(calls_, 0) << "no failed binding reaches the function";
}

TEST_F(DispatchTest, UnwritableResultGivesItsMessageAndStatus400) {
  RequestBuilder request(RemotingMethod::Get, "/broken");
  ResponseHolder response;
  Send("Broken", request, response);
  EXPECT_TRUE(response.Failed());
  EXPECT_EQ(response.Status(), 400);
  EXPECT_EQ(response.Error(),
            "Couldn't convert native value because it's an unregistered structure.");
}

TEST_F(DispatchTest, PositionalArgumentAfterPathVariable) {
  BindingProperty seven;
  seven.SetUnsigned(uint64_t{7});
  RequestBuilder request(RemotingMethod::Post, "/pair/x");
  request.Argument(nullptr, seven);
  ResponseHolder response;
  Send("Pair", request, response);
  EXPECT_FALSE(response.Failed()) << response.Error();
  EXPECT_EQ(response.Json(), R"("x:7")");
  EXPECT_EQ(calls_, 1);
}

TEST_F(DispatchTest, RequestInformation) {
  RequestBuilder request(RemotingMethod::Other, "/info/5");
  request.MethodName("SYNC").Handle(42).Header("x-h", "first").Header("x-h", "last");
  ResponseHolder response;
  Send("Info", request, response);
  EXPECT_FALSE(response.Failed()) << response.Error();
  EXPECT_EQ(response.Json(), R"("/info/5||SYNC|42|last|5|registry")");

  RequestBuilder base(RemotingMethod::Get, "/base-info");
  ResponseHolder base_response;
  Send("BaseInfo", base, base_response);
  EXPECT_EQ(base_response.Json(), R"("/base-info")");
  EXPECT_TRUE(registry_.FindFunction("Info")->arguments.size() == 1);
}

TEST_F(DispatchTest, OneMebibytePath) {
  const std::string tail(1 << 20, 'z');
  RequestBuilder request(RemotingMethod::Get, "/tail/" + tail);
  ResponseHolder response;
  Send("Tail", request, response);
  EXPECT_EQ(response.Json(), "1048576");

  RequestBuilder refused(RemotingMethod::Post, "/pair/" + tail + "/x");
  ResponseHolder refused_response;
  Send("Pair", refused, refused_response);
  EXPECT_EQ(refused_response.Error(), "Invalid function");
  EXPECT_EQ(refused_response.Status(), 404);
}

TEST(RequestCallbackTest, WithoutHandlerContextIsAnInvalidFunction) {
  RequestBuilder request(RemotingMethod::Get, "/x");
  ResponseHolder response;
  RemotingRequestCallback(&response.record, &request.Record(nullptr));
  EXPECT_EQ(response.Error(), "Invalid function");
  EXPECT_EQ(response.Status(), 404);
  EXPECT_STREQ(response.record.content_type, "") << "never null";
  RemotingRequestCallback(nullptr, &request.Record(nullptr));  // nothing to fill
}

TEST(FunctionNamesTest, FromMethodAndPath) {
  struct Row {
    RemotingMethod method;
    const char* path;
    const char* name;
  };
  constexpr Row kRows[] = {
      {RemotingMethod::Get, "/qev-loyalty/v1/status-notification",
       "GetQevLoyaltyV1StatusNotification"},
      {RemotingMethod::Get, "/items/{id}", "GetItemsById"},
      {RemotingMethod::Options, "/a_b!c+d.e", "OptionsABCDE"},
      {RemotingMethod::Delete, "/v1/{+rest}", "DeleteV1ByRest"},
      {RemotingMethod::Other, "/x", "X"},
      {RemotingMethod::Put, "", "Put"},
  };
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.path);
    EXPECT_EQ(FunctionNameFor(row.method, row.path), row.name);
  }
}

TEST(FunctionBuilderTest, PathsAndRepeatedRegistration) {
  struct Row {
    const char* path;
    const char* stored;
  };
  constexpr Row kRows[] = {
      {"/items/", "/items"}, {"/", "/"}, {"//", "/"}, {"/a//", "/a/"}, {"", ""}};
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.path);
    BindingRegistry registry;
    const BindingFunctionRecord* record =
        RegisterFunction(registry, "F", [] {}).SetPath(row.path).Record();
    EXPECT_EQ(record->remoting.path, row.stored);
  }
  BindingRegistry registry;
  RegisterFunction(registry, "F", [](int32_t) {}).SetPath("/first").SetMethod(RemotingMethod::Put);
  RemotingFunctionBuilder again = RegisterFunction(registry, "F", [](std::string, bool) {});
  EXPECT_TRUE(again.AlreadyRegistered());
  again.SetPath("/second").SetMethod(RemotingMethod::Get).AddTags({"t"});
  const BindingFunctionRecord* record = registry.FindFunction("F");
  EXPECT_EQ(record->remoting.path, "/first");
  EXPECT_EQ(record->remoting.method, 7u);
  EXPECT_TRUE(record->tags.empty());
  EXPECT_EQ(record->arguments.size(), 1u);
  EXPECT_EQ(record->arguments[0].type.code, BindingTypeCode::Int32);
}

// Route choice over tables of several routes.
TEST(RouteChoiceTest, ShortestCapturesWinAndTiesKeepTheEarlier) {
  struct RouteRow {
    const char* path;
    RemotingMethod method;
    const char* method_name;
  };
  struct Row {
    std::vector<RouteRow> routes;
    RemotingMethod method;
    const char* method_name;
    const char* path;
    int chosen;  // -1: none
    const char* captured;
  };
  const Row kRows[] = {
      {{{"/items/{id}", {}, ""}, {"/items/{+rest}", {}, ""}},
       RemotingMethod::Get,
       "",
       "/items/7",
       0,
       "7"},
      {{{"/items/{+rest}", {}, ""}, {"/items/{id}", {}, ""}},
       RemotingMethod::Get,
       "",
       "/items/7",
       0,
       "7"},
      {{{"/items/all", {}, ""}, {"/items/{id}", {}, ""}},
       RemotingMethod::Get,
       "",
       "/items/all",
       0,
       ""},
      {{{"/items/{id}", {}, ""}, {"/items/all", {}, ""}},
       RemotingMethod::Get,
       "",
       "/items/all",
       1,
       ""},
      {{{"/a/{x}", {}, ""}}, RemotingMethod::Get, "", "/a/b/c", -1, ""},
      {{{"/a/{+x}", {}, ""}}, RemotingMethod::Get, "", "/a/b/c", 0, "b/c"},
      {{{"/a/{+x}", {}, ""}, {"/a/{x}/{y}", {}, ""}}, RemotingMethod::Get, "", "/a/bb/c", 1, "bbc"},
      {{{"/x/{a}", {}, ""}, {"/x/", {}, ""}}, RemotingMethod::Get, "", "/x/", 0, ""},
      {{{"/v1.0/{x}", {}, ""}}, RemotingMethod::Get, "", "/v1x0/y", -1, ""},
      {{{"/p", RemotingMethod::Post, ""}, {"/p", {}, ""}}, RemotingMethod::Get, "", "/p", 1, ""},
      {{{"/p", RemotingMethod::Other, "PURGE"}}, RemotingMethod::Other, "PURGE", "/p", 0, ""},
      {{{"/p", RemotingMethod::Other, "PURGE"}}, RemotingMethod::Other, "purge", "/p", -1, ""},
      {{{"/p", RemotingMethod::Get, ""}}, RemotingMethod::None, "", "/p", -1, ""},
      {{{"/items/{id}", {}, ""}}, RemotingMethod::Get, "", "/items/a%2Fb", 0, "a/b"},
  };
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.path);
    std::vector<std::unique_ptr<PathTemplate>> patterns;
    std::vector<RemotingRoute> routes;
    for (const RouteRow& route : row.routes) {
      patterns.push_back(std::make_unique<PathTemplate>(route.path));
      RemotingRoute entry;
      entry.method = route.method;
      entry.method_name = route.method_name;
      entry.pattern = patterns.back().get();
      routes.push_back(entry);
    }
    RemotingRouteMatch match;
    const bool matched = MatchRoute(routes, row.path, row.method, row.method_name, match);
    ASSERT_EQ(matched, row.chosen >= 0);
    if (!matched) continue;
    EXPECT_EQ(match.route, &routes[static_cast<size_t>(row.chosen)]);
    std::string captured;
    for (const auto& [name, text] : match.variables)
      captured += text;
    EXPECT_EQ(captured, row.captured);
  }
}

}  // namespace
}  // namespace Vorn
