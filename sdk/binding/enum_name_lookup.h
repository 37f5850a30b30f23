// The seam through which the plain-form conversion (and the JSON writer) ask a type registry for
// the name of an enumerator.
#pragma once

#include <cstdint>

#include "sdk/binding/static_type.h"

namespace Vorn {

class BindingEnumNameLookup {
 public:
  // The name of the first enumerator, in name order, of the enumeration with this identity whose
  // value is `value`; null when the enumeration is not known or no enumerator has that value.
  // The text must stay valid until the next call.
  virtual const char* FindEnumeratorName(const StaticTypeIdentity& identity,
                                         int32_t value) const = 0;

 protected:
  ~BindingEnumNameLookup() = default;
};

}  // namespace Vorn
