// Building request records, reading response records, and picking the route entry to call.
#include "host/route_request.h"

#include <cstring>

#include "host/request_json.h"

namespace Vorn::Host {
namespace {

std::vector<std::string_view> Segments(std::string_view path) {
  std::vector<std::string_view> segments;
  size_t start = 0;
  while (true) {
    const size_t slash = path.find('/', start);
    segments.push_back(path.substr(start, slash == std::string_view::npos ? slash : slash - start));
    if (slash == std::string_view::npos) return segments;
    start = slash + 1;
  }
}

bool TemplateMatches(std::string_view route_path, std::string_view path) {
  const std::vector<std::string_view> wanted = Segments(route_path);
  const std::vector<std::string_view> given = Segments(path);
  for (size_t i = 0; i < wanted.size(); ++i) {
    const std::string_view segment = wanted[i];
    if (segment.rfind("{+", 0) == 0) return given.size() > i;
    if (i >= given.size()) return false;
    const bool variable = segment.find('{') != std::string_view::npos;
    if (!variable && segment != given[i]) return false;
  }
  return wanted.size() == given.size();
}

bool IsZero(const ResponseRecord& record) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(&record);
  for (size_t i = 0; i < sizeof record; ++i) {
    if (bytes[i] != 0) return false;
  }
  return true;
}

void ReadResponse(const ResponseRecord& record, HostResponse& out) {
  const PlainResult result = record.result;
  out.status = record.status;
  out.failed = result.failed != 0;
  if (result.error != nullptr) out.error = std::string(result.error);
  HostResult<Json> value = DecodePlain(result.value);
  if (value.ok()) {
    out.result = std::move(value.value());
  } else {
    out.result_error = value.error();
  }
  out.flag = record.flag;
  out.body_format = record.body_format;
  if (record.content_type != nullptr) out.content_type = std::string(record.content_type);

  const char* const* headers = record.headers;
  const uint32_t header_count = record.header_count;
  if (headers == nullptr && header_count != 0) {
    out.headers_error = "null header array with " + std::to_string(header_count) + " headers";
  } else if (header_count > kMaxPlainCount) {
    out.headers_error = std::to_string(header_count) + " headers";
  } else {
    for (uint32_t i = 0; i < header_count; ++i) {
      const char* name = headers[2 * i];
      const char* text = headers[2 * i + 1];
      out.headers.emplace_back(name != nullptr ? name : "", text != nullptr ? text : "");
    }
  }
  out.has_stream = record.stream != nullptr;
  out.stream_length = record.stream_length;
}

}  // namespace

uint32_t MethodCode(const std::string& method) {
  for (uint32_t code = 1; code <= 7; ++code) {
    if (method == MethodText(code)) return code;
  }
  return 8;
}

std::optional<size_t> ChooseRoute(const std::vector<RouteView>& routes, const std::string& method,
                                  const std::string& path) {
  const std::string bare = path.substr(0, path.find('?'));
  const uint32_t code = MethodCode(method);
  std::optional<size_t> best;
  int best_rank = 0;
  for (size_t i = 0; i < routes.size(); ++i) {
    const RouteView& route = routes[i];
    const bool same_method =
        route.method == 0 || (route.method == code && (code != 8 || route.method_name == method));
    int rank = 0;
    if (route.path == bare) {
      rank = same_method ? 4 : 3;
    } else if (TemplateMatches(route.path, bare)) {
      rank = same_method ? 2 : 1;
    }
    if (rank > best_rank) {
      best = i;
      best_rank = rank;
    }
  }
  return best;
}

HostResult<HostResponse> DeliverRequest(const RouteView& route, const HostRequest& request,
                                        uint32_t request_handle) {
  if (route.request_callback == nullptr) {
    return HostResult<HostResponse>::Failure("the route " + route.path +
                                             " has no request callback");
  }
  PlainArena arena;
  RequestArgument* arguments = arena.KeepArray<RequestArgument>(request.arguments.size());
  for (size_t i = 0; i < request.arguments.size(); ++i) {
    const auto& [name, value] = request.arguments[i];
    HostResult<PlainValue> plain = arena.Encode(value);
    if (!plain.ok()) {
      return HostResult<HostResponse>::Failure("argument '" + name + "': " + plain.error());
    }
    arguments[i] = RequestArgument{name.empty() ? nullptr : arena.Keep(name), plain.value()};
  }
  TextPair* headers = arena.KeepArray<TextPair>(request.headers.size());
  for (size_t i = 0; i < request.headers.size(); ++i) {
    headers[i] =
        TextPair{arena.Keep(request.headers[i].first), arena.Keep(request.headers[i].second)};
  }

  RequestRecord record{};
  record.method = MethodCode(request.method);
  record.path = arena.Keep(request.path);
  record.arguments = request.arguments.empty() ? nullptr : arguments;
  record.argument_count = static_cast<uint32_t>(request.arguments.size());
  record.handler_context = route.handler_context;
  record.headers = request.headers.empty() ? nullptr : headers;
  record.header_count = static_cast<uint32_t>(request.headers.size());
  record.content_type = arena.Keep(request.content_type);
  if (request.body) {
    record.body = arena.Keep(*request.body);
    record.body_size = static_cast<uint32_t>(request.body->size());
  }
  record.request_handle = request_handle;
  record.method_name = record.method == 8 ? arena.Keep(request.method) : nullptr;

  ResponseRecord response;
  std::memset(&response, 0, sizeof response);
  route.request_callback(&response, &record);

  HostResponse out;
  ReadResponse(response, out);
  // The host ends a stream it does not read; the record's release leaves the stream alone.
  if (response.stream != nullptr && response.stream_release != nullptr) {
    response.stream_release(response.stream);
  }
  if (response.release != nullptr) {
    out.had_release = true;
    response.release(&response);
    out.zeroed_by_release = IsZero(response);
  }
  return out;
}

Json RequestJson(const HostRequest& request) {
  Json out = {{"method", request.method}, {"path", request.path}};
  if (!request.headers.empty()) {
    Json headers = Json::array();
    for (const auto& [name, value] : request.headers)
      headers.push_back(Json::array({name, value}));
    out["headers"] = std::move(headers);
  }
  if (!request.arguments.empty()) {
    Json arguments = Json::array();
    for (const auto& [name, value] : request.arguments) {
      arguments.push_back({{"name", name.empty() ? Json(nullptr) : Json(name)}, {"value", value}});
    }
    out["arguments"] = std::move(arguments);
  }
  if (request.body) {
    out["body"] = *request.body;
    out["contentType"] = request.content_type;
  }
  return out;
}

Json ResponseJson(const HostResponse& response) {
  Json out = {{"status", response.status},
              {"failed", response.failed},
              {"error", response.error ? Json(*response.error) : Json(nullptr)},
              {"result", response.result}};
  if (!response.result_error.empty()) out["resultError"] = response.result_error;
  out["contentType"] = response.content_type ? Json(*response.content_type) : Json(nullptr);
  if (response.flag != 0) out["flag"] = response.flag;
  if (response.body_format != 0) out["bodyFormat"] = response.body_format;
  if (!response.headers.empty()) {
    Json headers = Json::array();
    for (const auto& [name, value] : response.headers)
      headers.push_back(Json::array({name, value}));
    out["headers"] = std::move(headers);
  }
  if (!response.headers_error.empty()) out["headersError"] = response.headers_error;
  if (response.has_stream) out["streamLength"] = response.stream_length;
  if (!response.had_release) {
    out["released"] = false;
  } else if (!response.zeroed_by_release) {
    out["releaseLeftBytes"] = true;
  }
  return out;
}

}  // namespace Vorn::Host
