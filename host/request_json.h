// The host's JSON view of a request record the plugin sends, read with the host's own code.
#pragma once

#include <cstdint>

#include "host/boundary_records.h"
#include "host/plain_json.h"

namespace Vorn::Host {

// "DELETE" ... "PUT" for codes 1 to 7, empty otherwise.
const char* MethodText(uint32_t method);

// {"method":6,"methodText":"POST","path":"/x","arguments":[{"name":null,"value":...}],
//  "headers":[["n","v"]],"contentType":"...","body":"...","requestHandle":7}; "methodName"
// only with a name, "handlerContext":true only with a context. A part that cannot be read
// (a null array with a count, a bad plain value) gives an "error" member naming it instead.
Json DescribeRequest(const RequestRecord& request);

}  // namespace Vorn::Host
