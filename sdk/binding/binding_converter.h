// BindingConverter: the per-field (and per-argument, per-result) object that converts one native
// type in both directions.
#pragma once

#include "sdk/binding/binding_result.h"
#include "sdk/binding/binding_type_descriptor.h"
#include "sdk/binding/enum_name_lookup.h"

namespace Vorn {

// Stateless; `type` is the descriptor of the field the converter belongs to. The virtual
// operations keep this order: assign, convert to a value, destroy.
class BindingConverter {
 public:
  // Value to native: assigns `value` to the native object at `native`, named `name` in
  // messages. Does nothing once `result` has failed, except that vectors, maps and objects are
  // emptied first. `names` turns enumerators into texts for string targets (may be null).
  virtual void Assign(BindingResult& result, void* native, const BindingProperty& value,
                      const char* name, const BindingTypeDescriptor& type,
                      const BindingEnumNameLookup* names) const = 0;
  // Native to value: writes the native object at `native` into `out`, an Empty value. On failure
  // fails `result` and returns false; `out` may lie inside `result` and must not be used then.
  virtual bool ToValue(BindingResult& result, BindingProperty& out, const void* native,
                       const BindingTypeDescriptor& type) const = 0;
  virtual ~BindingConverter() = default;
};

}  // namespace Vorn
