// Request records read into JSON for the transcript.
#include "host/request_json.h"

#include <string>

namespace Vorn::Host {
namespace {

Json TextOrNull(const char* text) {
  return text != nullptr ? Json(text) : Json(nullptr);
}

}  // namespace

const char* MethodText(uint32_t method) {
  static constexpr const char* kNames[] = {"",        "DELETE", "GET",  "HEAD",
                                           "OPTIONS", "PATCH",  "POST", "PUT"};
  return method < 8 ? kNames[method] : "";
}

Json DescribeRequest(const RequestRecord& request) {
  Json out = Json::object();
  out["method"] = request.method;
  out["methodText"] = MethodText(request.method);
  if (request.method_name != nullptr) out["methodName"] = request.method_name;
  out["path"] = TextOrNull(request.path);

  Json arguments = Json::array();
  if (request.arguments == nullptr && request.argument_count != 0) {
    out["error"] =
        "null argument array with " + std::to_string(request.argument_count) + " arguments";
  } else if (request.argument_count > kMaxPlainCount) {
    out["error"] = "too many arguments";
  } else {
    for (uint32_t i = 0; i < request.argument_count; ++i) {
      const RequestArgument& argument = request.arguments[i];
      Json entry = Json::object();
      entry["name"] = TextOrNull(argument.name);
      HostResult<Json> value = DecodePlain(argument.value);
      if (value.ok()) {
        entry["value"] = std::move(value.value());
      } else {
        entry["value"] = nullptr;
        out["error"] = "argument " + std::to_string(i) + ": " + value.error();
      }
      arguments.push_back(std::move(entry));
    }
  }
  out["arguments"] = std::move(arguments);

  Json headers = Json::array();
  if (request.headers == nullptr && request.header_count != 0) {
    out["error"] = "null header array with " + std::to_string(request.header_count) + " headers";
  } else if (request.header_count <= kMaxPlainCount) {
    for (uint32_t i = 0; i < request.header_count; ++i) {
      headers.push_back(
          Json::array({TextOrNull(request.headers[i].name), TextOrNull(request.headers[i].value)}));
    }
  }
  out["headers"] = std::move(headers);

  out["contentType"] = TextOrNull(request.content_type);
  if (request.body == nullptr) {
    if (request.body_size != 0) out["error"] = "null body with a size";
    out["body"] = nullptr;
  } else {
    out["body"] = std::string(static_cast<const char*>(request.body), request.body_size);
  }
  out["requestHandle"] = request.request_handle;
  if (request.handler_context != nullptr) out["handlerContext"] = true;
  return out;
}

}  // namespace Vorn::Host
