// Between HTTP messages and the host's request and response forms.
#include "host/http_exchange.h"

#include <strings.h>

#include "host/transcript.h"

namespace Vorn::Host {
namespace {

// The server's entries in the header table, not headers the client sent.
constexpr const char* kServerEntries[] = {"REMOTE_ADDR", "REMOTE_PORT", "LOCAL_ADDR", "LOCAL_PORT"};
// Framing and connection headers belong to the server, never to the plugin's answer.
constexpr const char* kServerHeaders[] = {"Content-Type", "Content-Length", "Transfer-Encoding",
                                          "Connection", "Keep-Alive"};

template <size_t N>
bool IsOneOf(const std::string& name, const char* const (&names)[N]) {
  for (const char* known : names) {
    if (strcasecmp(name.c_str(), known) == 0) return true;
  }
  return false;
}

}  // namespace

HostRequest RequestFromHttp(const httplib::Request& request) {
  HostRequest out;
  out.method = request.method;
  out.path = request.target;
  for (const auto& [name, value] : request.headers) {
    if (!IsOneOf(name, kServerEntries)) out.headers.emplace_back(name, value);
  }
  if (!request.body.empty() || request.has_header("Content-Length") ||
      request.has_header("Transfer-Encoding")) {
    out.body = request.body;
    out.content_type = request.get_header_value("Content-Type");
  }
  return out;
}

HttpAnswer ErrorAnswer(int status, const std::string& text) {
  HttpAnswer answer;
  answer.status = status;
  answer.body = DumpJson(Json{{"error", text}});
  return answer;
}

HttpAnswer AnswerFromResponse(const HostResponse& response) {
  HttpAnswer answer;
  if (response.failed || response.error) {
    answer = ErrorAnswer(response.status != 0 ? response.status : 500,
                         response.error.value_or("the plugin failed without a text"));
  } else if (!response.result_error.empty()) {
    return ErrorAnswer(502, "the plugin's result cannot be read: " + response.result_error);
  } else {
    answer.status = response.status != 0 ? response.status : 200;
    if (response.content_type && !response.content_type->empty()) {
      answer.content_type = *response.content_type;
    }
    answer.body = DumpJson(response.result);
  }
  if (answer.status < 200 || answer.status > 599) {
    return ErrorAnswer(502, "the plugin answered with status " + std::to_string(answer.status));
  }
  for (const auto& header : response.headers) {
    if (!IsOneOf(header.first, kServerHeaders)) answer.headers.push_back(header);
  }
  return answer;
}

void WriteAnswer(const HttpAnswer& answer, httplib::Response& out) {
  out.status = answer.status;
  // The server drops a header whose name or value holds a line break.
  for (const auto& [name, value] : answer.headers)
    out.set_header(name, value);
  out.set_content(answer.body, answer.content_type);
}

}  // namespace Vorn::Host
