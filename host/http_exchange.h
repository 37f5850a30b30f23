// HTTP requests as the host hands them to a plugin's route, and the plugin's answers as HTTP
// responses: the host's side of what a front end sends and reads.
#pragma once

#include <httplib.h>

#include <string>
#include <utility>
#include <vector>

#include "host/route_request.h"

namespace Vorn::Host {

struct HttpAnswer {
  int status = 200;
  std::string content_type = "application/json";
  std::string body;
  std::vector<std::pair<std::string, std::string>> headers;
};

// The method, the target as sent (path and query, still percent-encoded: the plugin decodes
// its own arguments), the headers without the server's address entries, and the body with its
// content type when the request carries one.
HostRequest RequestFromHttp(const httplib::Request& request);

// A failed response is {"error": TEXT} with its status (0 reads 500); otherwise the result as
// JSON with the status (0 reads 200) and the content type (empty reads application/json). A
// status outside 200 to 599 or a result the host cannot read is 502: the plugin answered
// something no HTTP client could take.
HttpAnswer AnswerFromResponse(const HostResponse& response);

// {"error": TEXT} with `status`.
HttpAnswer ErrorAnswer(int status, const std::string& text);

// The plugin's own headers go out too, except those the server owns (framing, connection).
void WriteAnswer(const HttpAnswer& answer, httplib::Response& out);

}  // namespace Vorn::Host
