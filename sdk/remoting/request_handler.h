// The request callback of every route entry handed to the host, and the handler contexts
// through which it finds the registration a request was delivered to.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "sdk/binding/binding_function_record.h"
#include "sdk/binding/binding_registry.h"
#include "sdk/plugin/abi/request_records.h"

namespace Vorn {

// What the handler context word of a route entry (and so of every request delivered through
// it) points to: the registry that owns the function, and the function.
struct RemotingHandlerContext {
  const BindingRegistry* registry = nullptr;
  const BindingFunctionRecord* function = nullptr;
};

// The plugin's handler contexts, one per function name, at addresses that stay fixed while the
// table lives (which must be as long as the host can deliver requests).
class RemotingHandlerTable {
 public:
  // The context of `function`, created on first use.
  const RemotingHandlerContext* ContextFor(const BindingRegistry& registry,
                                           const BindingFunctionRecord& function);

 private:
  std::mutex lock_;
  std::map<std::string, std::unique_ptr<RemotingHandlerContext>, std::less<>> contexts_;
};

extern "C" {
// The route entries' request callback: dispatches the request to the registration its handler
// context names and fills the response before returning. No exception leaves it: anything
// thrown becomes a failed response with the exception's text.
void VORN_CDECL RemotingRequestCallback(HostResponseRecord* out_response,
                                        const HostRequestRecord* request);
}

}  // namespace Vorn
