// A request delivered through one of the plugin's route entries: the host builds the request
// record, calls the entry's callback with a zeroed response, reads the response and releases it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "host/binding_table_view.h"
#include "host/host_result.h"
#include "host/plain_json.h"

namespace Vorn::Host {

struct HostRequest {
  using Pairs = std::vector<std::pair<std::string, std::string>>;
  using Arguments = std::vector<std::pair<std::string, Json>>;

  HostRequest() = default;
  HostRequest(std::string method_text, std::string request_path, Pairs request_headers = {},
              Arguments request_arguments = {})
      : method(std::move(method_text)),
        path(std::move(request_path)),
        headers(std::move(request_headers)),
        arguments(std::move(request_arguments)) {}

  // "DELETE" ... "PUT" travel as their codes; any other name as code 8 with the name.
  std::string method = "GET";
  // May carry a query after "?".
  std::string path;
  Pairs headers;
  // An empty name makes the argument positional (a null name in the record).
  Arguments arguments;
  std::optional<std::string> body;
  std::string content_type;
};

struct HostResponse {
  int32_t status = 0;
  bool failed = false;
  // The error text as the plugin wrote it; absent when the pointer was null.
  std::optional<std::string> error;
  // The result value; null for Empty, and null with `result_error` when it could not be read.
  Json result;
  std::string result_error;
  uint8_t flag = 0;
  uint32_t body_format = 0;
  // Absent when the pointer was null (the plugin promises a text, empty at least).
  std::optional<std::string> content_type;
  std::vector<std::pair<std::string, std::string>> headers;
  std::string headers_error;
  bool has_stream = false;
  uint64_t stream_length = 0;
  bool had_release = false;
  // After the release function ran: whether it left all of the record zero, as it must.
  bool zeroed_by_release = false;
};

// The index of the route for `method` and `path`: an entry whose path equals the request's
// (without its query) before one whose template matches with "{...}" segments as wildcards
// ("{+...}" takes the rest of the path); within each, an entry of the same method (or of
// method 0, any) before one of another method. The plugin's own router decides the rest.
std::optional<size_t> ChooseRoute(const std::vector<RouteView>& routes, const std::string& method,
                                  const std::string& path);

// The RemotingMethod code of a method name: 1 to 7, or 8 for any other name.
uint32_t MethodCode(const std::string& method);

// Calls `route`'s request callback with a record built from `request` and `request_handle`.
// Fails without calling when the route has no callback or the request cannot be encoded.
[[nodiscard]] HostResult<HostResponse> DeliverRequest(const RouteView& route,
                                                      const HostRequest& request,
                                                      uint32_t request_handle);

// {"method":"GET","path":...,"headers":[[n,v]],"arguments":{...},"body":...,"contentType":...}
Json RequestJson(const HostRequest& request);
// {"status":0,"failed":false,"error":null,"result":{...},"contentType":"", ...}; members that
// carry their defaults (flag, body format, headers, stream) only when set.
Json ResponseJson(const HostResponse& response);

}  // namespace Vorn::Host
