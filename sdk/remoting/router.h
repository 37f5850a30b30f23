// Routing: the routes of a registration, the choice among the routes that match a request, and
// the dispatch of a request record to the chosen function up to the filled response record.
#pragma once

#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "sdk/binding/binding_function_record.h"
#include "sdk/binding/binding_registry.h"
#include "sdk/plugin/abi/request_records.h"
#include "sdk/remoting/path_template.h"
#include "sdk/remoting/remoting_method.h"

namespace Vorn {

// A registration that the host can deliver a request to. Views into the function's record.
struct RemotingRoute {
  const BindingFunctionRecord* function = nullptr;
  const BindingRegistry* registry = nullptr;     // writes the function's result
  RemotingMethod method = RemotingMethod::None;  // None accepts every method
  std::string_view method_name;                  // with method 8
  const PathTemplate* pattern = nullptr;         // compiled at registration
};

// The route of a function registered through the remoting layer; nullopt for one without an
// invoker or compiled path.
std::optional<RemotingRoute> RouteFor(const BindingRegistry* registry,
                                      const BindingFunctionRecord& function);

struct RemotingRouteMatch {
  const RemotingRoute* route = nullptr;
  // Percent-decoded captures by variable name.
  std::map<std::string, std::string> variables;
};

// Tries the routes in order: the method must agree (the route accepts every method, or the
// codes are equal and for method 8 the names too) and the path must match as a whole. The
// match whose captures are shortest in total wins, the earlier on a tie; a match that captures
// nothing ends the search. False when no route matches.
bool MatchRoute(std::span<const RemotingRoute> routes, std::string_view path, RemotingMethod method,
                std::string_view method_name, RemotingRouteMatch& match);

// Resets `response` (installing its release function), matches the request against `routes`
// ("Invalid function" with status 404 when none matches), binds the arguments, runs the
// invoker's prepare, call and release, and writes the response. Failures are values in the
// response; only std::bad_alloc and what the bound function itself throws escape.
void Dispatch(HostResponseRecord& response, const HostRequestRecord& request,
              std::span<const RemotingRoute> routes);

}  // namespace Vorn
