// HTTP requests into the host's request form and the plugin's responses into HTTP answers.
#include "host/http_exchange.h"

#include <gtest/gtest.h>

namespace Vorn::Host {
namespace {

struct AnswerRow {
  const char* what;
  int32_t status;
  bool failed;
  const char* error;  // null: no error text
  const char* result;
  const char* content_type;  // null: no content-type text
  const char* result_error;
  int http_status;
  const char* http_content_type;
  const char* http_body;
};

constexpr AnswerRow kAnswers[] = {
    {"a result without status", 0, false, nullptr, R"({"a":1})", "", "", 200, "application/json",
     R"({"a":1})"},
    {"a result with its status and type", 201, false, nullptr, "[true]", "application/x-yaml", "",
     201, "application/x-yaml", "[true]"},
    {"an Empty result", 0, false, nullptr, "null", nullptr, "", 200, "application/json", "null"},
    {"a failure without status", 0, true, "it broke", "null", "", "", 500, "application/json",
     R"({"error":"it broke"})"},
    {"a failure with its status", 404, true, "Not here.", "null", "text/plain", "", 404,
     "application/json", R"({"error":"Not here."})"},
    {"an error text without the failed flag", 400, false, "half", "null", "", "", 400,
     "application/json", R"({"error":"half"})"},
    {"a failed flag without text", 0, true, nullptr, "null", "", "", 500, "application/json",
     R"({"error":"the plugin failed without a text"})"},
    {"a status no HTTP client takes", 42, false, nullptr, "1", "", "", 502, "application/json",
     R"({"error":"the plugin answered with status 42"})"},
    {"a result the host cannot read", 0, false, nullptr, "null", "", "unknown kind 99", 502,
     "application/json", R"({"error":"the plugin's result cannot be read: unknown kind 99"})"},
};

TEST(HttpExchange, ResponsesBecomeAnswers) {
  for (const AnswerRow& row : kAnswers) {
    SCOPED_TRACE(row.what);
    HostResponse response;
    response.status = row.status;
    response.failed = row.failed;
    if (row.error != nullptr) response.error = row.error;
    response.result = Json::parse(row.result);
    if (row.content_type != nullptr) response.content_type = row.content_type;
    response.result_error = row.result_error;
    const HttpAnswer answer = AnswerFromResponse(response);
    EXPECT_EQ(answer.status, row.http_status);
    EXPECT_EQ(answer.content_type, row.http_content_type);
    EXPECT_EQ(answer.body, row.http_body);
  }
}

TEST(HttpExchange, ThePluginsHeadersGoOutExceptTheServersOwn) {
  HostResponse response;
  response.headers = {
      {"X-Count", "3"}, {"content-length", "1"}, {"Connection", "close"}, {"ETag", "\"v1\""}};
  const HttpAnswer answer = AnswerFromResponse(response);
  EXPECT_EQ(answer.headers, (std::vector<std::pair<std::string, std::string>>{{"X-Count", "3"},
                                                                              {"ETag", "\"v1\""}}));
}

TEST(HttpExchange, RequestsKeepTheirTargetHeadersAndBody) {
  httplib::Request request;
  request.method = "POST";
  request.target = "/a%20b/c?x=1%202&y";
  request.path = "/a b/c";
  request.set_header("Content-Type", "application/json");
  request.set_header("Content-Length", "7");
  request.set_header("REMOTE_ADDR", "127.0.0.1");
  request.set_header("LOCAL_PORT", "80");
  request.body = R"({"a":1})";
  const HostRequest forwarded = RequestFromHttp(request);
  EXPECT_EQ(forwarded.method, "POST");
  EXPECT_EQ(forwarded.path, "/a%20b/c?x=1%202&y");
  EXPECT_EQ(forwarded.headers,
            (HostRequest::Pairs{{"Content-Length", "7"}, {"Content-Type", "application/json"}}));
  EXPECT_EQ(forwarded.body, std::optional<std::string>(R"({"a":1})"));
  EXPECT_EQ(forwarded.content_type, "application/json");

  httplib::Request bodiless;
  bodiless.method = "GET";
  bodiless.target = "/x";
  EXPECT_FALSE(RequestFromHttp(bodiless).body.has_value());
}

}  // namespace
}  // namespace Vorn::Host
