// The registry's record of one bound function, as help and the host's binding table read it,
// with the remoting layer's part: where each argument may come from, the route it is reached
// at and the invoker that calls it. The remoting layer fills it while the plugin loads.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "sdk/binding/binding_converter.h"
#include "sdk/binding/binding_property.h"
#include "sdk/binding/binding_type_descriptor.h"
#include "sdk/binding/static_type.h"

namespace Vorn {

class PathTemplate;
class RemotingResponse;
struct RemotingRequest;

// Where a request may supply an argument; the codes are those of the host's route table.
enum class ArgumentLocation : uint32_t {
  Any = 0,  // path, query or header
  Query = 1,
  Path = 2,
  Header = 4,
  Body = 5,  // the decoded request body
};

struct BindingArgumentRecord {
  std::string name;
  std::string description;
  bool optional = false;
  BindingTypeDescriptor type;
  // Shown by the host's binding table in place of `type` when its code is not None.
  BindingTypeDescriptor extra_type;
  // Converts the argument's native type.
  std::unique_ptr<BindingConverter> converter;
  ArgumentLocation location = ArgumentLocation::Any;
};

// Calls one bound function. The dispatcher uses the operations in this order: Prepare turns the
// bound argument values into native ones and hands out a token (0 when it failed the response);
// Call runs the function with them and writes its result into the response; Release frees what
// the token holds. Instances are made by the remoting layer and are safe to use from several
// threads at once (each call has its own token).
class BindingFunctionInvoker {
 public:
  virtual uintptr_t Prepare(RemotingResponse& response, std::vector<BindingProperty>& arguments,
                            uint32_t request_handle) = 0;
  // `request` is null unless RequestType() names one of the request-information types.
  virtual void Call(RemotingResponse& response, const RemotingRequest* request, uintptr_t token,
                    uint32_t request_handle) = 0;
  virtual void Release(uintptr_t token) = 0;
  // Kept for the slot order; the dispatcher never calls it.
  virtual void Reserved() {}
  // The identity of the function's request-information parameter, or that of void.
  virtual const StaticTypeIdentity& RequestType() const = 0;
  virtual ~BindingFunctionInvoker() = default;
};

// How requests reach the function. Written during registration only, read-only afterwards.
struct BindingRemotingDescriptor {
  // The path template as registered; empty when the function is reached at its name.
  std::string path;
  uint32_t method = 0;      // RemotingMethod; 0 accepts every method
  std::string method_name;  // with method 8
  // Carried unchanged into the host's route entry.
  uint8_t flag = 0;
  std::vector<std::vector<std::string>> text_lists;
  // `path` (or the name) compiled once, when it was set.
  std::shared_ptr<const PathTemplate> pattern;
  // Null for a function that was not registered through the remoting layer.
  std::unique_ptr<BindingFunctionInvoker> invoker;
};

struct BindingFunctionRecord {
  std::string name;
  std::string name_space;
  std::vector<BindingArgumentRecord> arguments;  // in declaration order
  BindingTypeDescriptor returns;                 // code None: returns nothing
  BindingTypeDescriptor extra_returns;           // as BindingArgumentRecord::extra_type
  std::unique_ptr<BindingConverter> result_converter;
  std::string description;
  std::string help;  // a longer text
  std::vector<std::string> tags;
  bool thread_safe = false;
  bool async = false;
  BindingRemotingDescriptor remoting;
};

}  // namespace Vorn
