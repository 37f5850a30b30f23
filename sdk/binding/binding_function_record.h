// The registry's record of one bound function, as help and the host's binding table read it.
// The remoting layer fills it; its routing and invocation live there.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "sdk/binding/binding_converter.h"
#include "sdk/binding/binding_type_descriptor.h"

namespace Vorn {

struct BindingArgumentRecord {
  std::string name;
  std::string description;
  bool optional = false;
  BindingTypeDescriptor type;
  // Shown by the host's binding table in place of `type` when its code is not None.
  BindingTypeDescriptor extra_type;
  // Converts the argument's native type; may be null while the remoting layer does not use it.
  std::unique_ptr<BindingConverter> converter;
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
};

}  // namespace Vorn
