// Event tracing: the library registers itself as four tracing providers while it is loaded and
// names the loading thread in the trace. The tracing functions are loaded from "Advapi32.dll"
// at start-up; where they are missing, tracing stays off and every tracing call does nothing.
#pragma once

#include <cstddef>
#include <cstdint>

namespace Vorn {

// Called from the library's static initialisation and termination (in the entry module: a
// static library's own initializers may be dropped by the linker).
void EventTracingStartup();
void EventTracingShutdown();

// The tracing API's calling convention and records, laid out as the system declares them.
#if defined(_WIN32) && !defined(_WIN64)
#define VORN_STDCALL __stdcall
#else
#define VORN_STDCALL
#endif

// A GUID as its 16 stored bytes (little-endian fields first).
struct EventTracingGuid {
  uint8_t bytes[16];
};

// EVENT_DESCRIPTOR: 16 bytes.
struct EventDescriptor {
  uint16_t Id;
  uint8_t Version;
  uint8_t Channel;
  uint8_t Level;
  uint8_t Opcode;
  uint16_t Task;
  uint64_t Keyword;
};
static_assert(sizeof(EventDescriptor) == 16);

// EVENT_DATA_DESCRIPTOR: one payload item, 16 bytes.
struct EventDataDescriptor {
  uint64_t Ptr;
  uint32_t Size;
  uint32_t Reserved;
};
static_assert(sizeof(EventDataDescriptor) == 16);

// Control codes of the enable callback.
inline constexpr uint32_t kEventControlDisable = 0;
inline constexpr uint32_t kEventControlEnable = 1;
inline constexpr uint32_t kEventControlCaptureState = 2;

using EventEnableCallback = void(VORN_STDCALL*)(const EventTracingGuid* source,
                                                uint32_t control_code, uint8_t level,
                                                uint64_t match_any, uint64_t match_all,
                                                void* filter, void* context);
using EventRegisterFunction = uint32_t(VORN_STDCALL*)(const EventTracingGuid* provider,
                                                      EventEnableCallback callback, void* context,
                                                      uint64_t* out_handle);
using EventWriteFunction = uint32_t(VORN_STDCALL*)(uint64_t handle,
                                                   const EventDescriptor* descriptor,
                                                   uint32_t count, EventDataDescriptor* data);
using EventUnregisterFunction = uint32_t(VORN_STDCALL*)(uint64_t handle);

struct EventTracingFunctions {
  EventRegisterFunction Register;
  EventWriteFunction Write;
  EventUnregisterFunction Unregister;
};

inline constexpr size_t kEventTracingProviderCount = 4;
// Index of the provider whose event 0 names the loading thread.
inline constexpr size_t kThreadNameProvider = 1;

// Seam for tests: start-up with given functions, the enable callback driven as the system would
// drive it, and the providers' state read back. Providers are indexed 0 to 3 in registration
// order.
namespace detail {

// Start-up after the functions were found; any null function leaves tracing off.
void EventTracingStartupWith(const EventTracingFunctions& functions);

const EventTracingGuid& ProviderGuid(size_t provider);

// Calls the enable callback with the provider's GUID and state; ignored for an unknown index.
void DriveEnableCallback(size_t provider, uint32_t control_code, uint8_t level, uint64_t match_any,
                         uint64_t match_all);
// The same for the provider with that GUID; false when there is none.
bool DriveEnableCallback(const EventTracingGuid& guid, uint32_t control_code, uint8_t level,
                         uint64_t match_any, uint64_t match_all);

struct EventTracingProviderState {
  uint64_t handle;
  bool enabled;
  uint8_t level;
  uint64_t match_any;
  uint64_t match_all;
  size_t event_count;
};
EventTracingProviderState ReadProvider(size_t provider);
// False for an unknown provider or event.
bool IsEventEnabled(size_t provider, size_t event);

}  // namespace detail
}  // namespace Vorn
