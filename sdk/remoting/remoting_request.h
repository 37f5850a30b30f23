// The request information a bound function may ask for by declaring a parameter of one of these
// types; the dispatcher fills it instead of binding it from the request's arguments.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "sdk/remoting/remoting_method.h"

namespace Vorn {

class BindingRegistry;

namespace HttpBaseTransport {

struct Request {
  uint32_t handle = 0;                        // the request handle of the host record
  const BindingRegistry* registry = nullptr;  // the function's
  uint64_t time = 0;  // steady-clock ticks when dispatch of the function began
  std::string path;   // as delivered, query included
  RemotingMethod method = RemotingMethod::None;
  std::string method_name;                     // method 8 only
  std::map<std::string, std::string> headers;  // a repeated name keeps its last value
};

}  // namespace HttpBaseTransport

// The same information under the remoting layer's own name (its own type identity).
struct RemotingRequest : HttpBaseTransport::Request {};

}  // namespace Vorn
