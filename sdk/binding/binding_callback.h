// The native form of a callback argument or field: a handle naming a callback of the caller.
#pragma once

#include <cstdint>

namespace Vorn {

// Converted as its 32-bit id (the id that callback events carry). What invoking it means is the
// remoting layer's.
struct BindingCallbackHandle {
  uint32_t id = 0;

  friend bool operator==(const BindingCallbackHandle&, const BindingCallbackHandle&) = default;
};

}  // namespace Vorn
