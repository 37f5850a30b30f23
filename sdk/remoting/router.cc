// Route choice and the dispatch steps.
#include "sdk/remoting/router.h"

#include <chrono>
#include <vector>

#include "sdk/binding/static_type_hash.h"
#include "sdk/remoting/argument_binder.h"
#include "sdk/remoting/remoting_request.h"
#include "sdk/remoting/remoting_response.h"

namespace Vorn {

namespace {

std::string_view TextOf(const char* text) {
  return text == nullptr ? std::string_view() : std::string_view(text);
}

bool MethodAgrees(const RemotingRoute& route, RemotingMethod method, std::string_view method_name) {
  if (route.method == RemotingMethod::None) return true;
  if (route.method != method) return false;
  return method != RemotingMethod::Other || route.method_name == method_name;
}

// Releases the call token however the call ends.
struct CallTokenGuard {
  BindingFunctionInvoker* invoker;
  uintptr_t token;
  ~CallTokenGuard() {
    if (token != 0) invoker->Release(token);
  }
};

bool IsRequestInformation(const StaticTypeIdentity& type) {
  return type.hash == StaticType::HashCode<HttpBaseTransport::Request>().hash ||
         type.hash == StaticType::HashCode<RemotingRequest>().hash;
}

}  // namespace

std::optional<RemotingRoute> RouteFor(const BindingRegistry* registry,
                                      const BindingFunctionRecord& function) {
  const BindingRemotingDescriptor& remoting = function.remoting;
  if (remoting.invoker == nullptr || remoting.pattern == nullptr) return std::nullopt;
  RemotingRoute route;
  route.function = &function;
  route.registry = registry;
  route.method = MethodFromHost(remoting.method);
  route.method_name = remoting.method_name;
  route.pattern = remoting.pattern.get();
  return route;
}

bool MatchRoute(std::span<const RemotingRoute> routes, std::string_view path, RemotingMethod method,
                std::string_view method_name, RemotingRouteMatch& match) {
  match = RemotingRouteMatch();
  std::vector<std::string_view> captures;
  size_t best_total = 0;
  for (const RemotingRoute& route : routes) {
    if (route.pattern == nullptr || !MethodAgrees(route, method, method_name)) continue;
    if (!route.pattern->Match(path, captures)) continue;
    std::map<std::string, std::string> variables;
    size_t total = 0;
    const std::vector<std::string>& names = route.pattern->VariableNames();
    for (size_t i = 0; i < names.size(); ++i) {
      std::string decoded = PercentDecode(captures[i]);
      total += decoded.size();
      variables[names[i]] = std::move(decoded);
    }
    if (match.route == nullptr || total < best_total) {
      match.route = &route;
      match.variables = std::move(variables);
      best_total = total;
    }
    if (total == 0) break;
  }
  return match.route != nullptr;
}

void Dispatch(HostResponseRecord& record, const HostRequestRecord& request,
              std::span<const RemotingRoute> routes) {
  const uint64_t started =
      static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
  ResetResponseRecord(record);
  RemotingResponse response;
  const std::string_view path = TextOf(request.path);
  const RemotingMethod method = MethodFromHost(request.method);
  const std::string_view method_name =
      method == RemotingMethod::Other ? TextOf(request.method_name) : std::string_view();

  RemotingRouteMatch match;
  if (!MatchRoute(routes, path, method, method_name, match)) {
    response.SetError("Invalid function");
    response.status = 404;
    FillResponseRecord(record, response, nullptr);
    return;
  }
  const RemotingRoute& route = *match.route;
  const BindingFunctionRecord& function = *route.function;
  BindingFunctionInvoker* invoker = function.remoting.invoker.get();

  std::vector<BindingProperty> arguments;
  BindingResult bound = BindArguments(function, request, path, match.variables, arguments);
  if (!bound.Ok()) {
    response.SetError(bound.Error());
    FillResponseRecord(record, response, route.registry);
    return;
  }

  CallTokenGuard guard{invoker, invoker->Prepare(response, arguments, request.request_handle)};
  if (response.result.Ok()) {
    if (IsRequestInformation(invoker->RequestType())) {
      RemotingRequest information;
      information.handle = request.request_handle;
      information.registry = route.registry;
      information.time = started;
      information.path = std::string(path);
      information.method = method;
      information.method_name = std::string(method_name);
      if (request.headers != nullptr) {
        for (uint32_t i = 0; i < request.header_count; ++i) {
          information.headers[std::string(TextOf(request.headers[i].name))] =
              std::string(TextOf(request.headers[i].value));
        }
      }
      invoker->Call(response, &information, guard.token, request.request_handle);
    } else {
      invoker->Call(response, nullptr, guard.token, request.request_handle);
    }
  }
  FillResponseRecord(record, response, route.registry);
}

}  // namespace Vorn
