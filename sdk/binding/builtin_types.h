// The builtin vocabulary every registry holds from its construction: the help records, the
// states of an asynchronous operation, the event records that report asynchronous results and
// callback invocations, and the event "OnCallback".
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "sdk/binding/binding_property.h"

namespace Vorn {

class BindingRegistry;

// Registered as the enumeration "BindingAsyncState" (4 bytes).
struct BindingAsyncState {
  enum Type : int32_t {
    None = 0,  // never the state of an operation
    Running = 1,
    Cancelling = 2,
    Cancelled = 3,
    Succeeded = 4,
    Failed = 5,
  };
};

// The event records. Their field offsets are part of what other plugins and the host see;
// BindingProperty is 8-aligned so that they agree in both 32-bit ABIs.

// 16 bytes in the 32-bit ABIs, 24 in the 64-bit one.
struct BindingGenericEvent {
  BindingProperty data;
};

// 16 bytes in the 32-bit ABIs (parameters at 4), 32 in the 64-bit one (at 8).
struct BindingCallbackEvent {
  uint32_t id = 0;
  std::vector<BindingProperty> parameters;
};

// 24 bytes in the 32-bit ABIs, 32 in the 64-bit one (data at 8 in both).
struct BindingGenericAsyncEvent {
  uint32_t asyncToken = 0;
  BindingProperty data;
};

// 28 bytes in the 32-bit ABIs (error at 4), 40 in the 64-bit one (at 8).
struct BindingAsyncFailureEvent {
  uint32_t asyncToken = 0;
  std::string error;
};

// 4 bytes in every ABI.
struct BindingAsyncCancelEvent {
  uint32_t asyncToken = 0;
};

#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(offsetof(BindingGenericEvent, data) == 0);
static_assert(offsetof(BindingCallbackEvent, id) == 0);
static_assert(offsetof(BindingCallbackEvent, parameters) == 4);
static_assert(offsetof(BindingGenericAsyncEvent, asyncToken) == 0);
static_assert(offsetof(BindingGenericAsyncEvent, data) == 8);
static_assert(offsetof(BindingAsyncFailureEvent, asyncToken) == 0);
static_assert(offsetof(BindingAsyncFailureEvent, error) == 4);
static_assert(offsetof(BindingAsyncCancelEvent, asyncToken) == 0);
#endif

// Registers, in this order, the help types (BindingHelpProvider::RegisterTypes),
// "BindingAsyncState", the five event records and the event "OnCallback". Names registered
// before keep their first registration. Called by every registry's constructor.
void RegisterBuiltins(BindingRegistry& registry);

}  // namespace Vorn
