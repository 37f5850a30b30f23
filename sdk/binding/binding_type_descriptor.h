// BindingTypeDescriptor: the type of a field, argument or result as the registry records it.
#pragma once

#include "sdk/binding/binding_type_code.h"

namespace Vorn {

struct BindingTypeRecord;

// One level of nesting: a vector or map names its element's code, and `record` is the
// enumeration or record named by `code` (Enum, Struct) or by `element_code`. The record is the
// one registered when the descriptor was made; null when there was none.
struct BindingTypeDescriptor {
  BindingTypeCode code = BindingTypeCode::None;
  BindingTypeCode element_code = BindingTypeCode::None;
  const BindingTypeRecord* record = nullptr;
};

}  // namespace Vorn
