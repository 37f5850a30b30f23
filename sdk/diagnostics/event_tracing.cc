// The four tracing providers, their enable callback, and the thread-name event written at
// start-up.
#include "sdk/diagnostics/event_tracing.h"

#include <atomic>
#include <cstring>

#include "sdk/runtime/platform.h"

namespace Vorn {
namespace {

struct EventDefinition {
  uint64_t keyword;
  uint8_t level;
};

// The enable callback runs on system threads and writes only its own provider's state; writers
// read the enabled bits without a lock (a stale bit only writes or skips one event).
struct ProviderState {
  EventTracingGuid guid;
  const EventDefinition* events;
  size_t event_count;
  // Written only by start-up and shut-down.
  uint64_t handle = 0;
  std::atomic<bool> enabled{false};
  std::atomic<uint8_t> level{0};
  std::atomic<uint64_t> match_any{0};
  std::atomic<uint64_t> match_all{0};
  std::atomic<uint32_t> event_bits{0};
};

constexpr EventDefinition kFirstProviderEvents[] = {{1, 0}};
constexpr EventDefinition kThreadNameProviderEvents[] = {{1, 0}};
constexpr EventDefinition kThirdProviderEvents[] = {{0, 0}};
constexpr EventDefinition kFourthProviderEvents[] = {{1, 0}, {2, 0}};

// {2F9EFE86-4AF7-4F37-A40F-94B909A157D6}, {EA08C559-95A8-4AA2-AFA6-18738EEC6D37},
// {10F6728C-EF92-4BF1-8397-49E693A6EB74}, {46DD7F96-60CB-416B-8085-DA5CD8F491DD}
ProviderState providers[kEventTracingProviderCount] = {
    {{{0x86, 0xFE, 0x9E, 0x2F, 0xF7, 0x4A, 0x37, 0x4F, 0xA4, 0x0F, 0x94, 0xB9, 0x09, 0xA1, 0x57,
       0xD6}},
     kFirstProviderEvents,
     1},
    {{{0x59, 0xC5, 0x08, 0xEA, 0xA8, 0x95, 0xA2, 0x4A, 0xAF, 0xA6, 0x18, 0x73, 0x8E, 0xEC, 0x6D,
       0x37}},
     kThreadNameProviderEvents,
     1},
    {{{0x8C, 0x72, 0xF6, 0x10, 0x92, 0xEF, 0xF1, 0x4B, 0x83, 0x97, 0x49, 0xE6, 0x93, 0xA6, 0xEB,
       0x74}},
     kThirdProviderEvents,
     1},
    {{{0x96, 0x7F, 0xDD, 0x46, 0xCB, 0x60, 0x6B, 0x41, 0x80, 0x85, 0xDA, 0x5C, 0xD8, 0xF4, 0x91,
       0xDD}},
     kFourthProviderEvents,
     2},
};

// Null members while tracing is off.
EventTracingFunctions tracing{};

constexpr EventDescriptor kThreadNameEvent{103, 0, 0, 0, 14, 2, 1};

void VORN_STDCALL EnableCallback(const EventTracingGuid* /*source*/, uint32_t control_code,
                                 uint8_t level, uint64_t match_any, uint64_t match_all,
                                 void* /*filter*/, void* context) {
  auto* provider = static_cast<ProviderState*>(context);
  if (provider == nullptr) return;
  if (control_code == kEventControlDisable) {
    provider->enabled.store(false, std::memory_order_relaxed);
    provider->level.store(0, std::memory_order_relaxed);
    provider->match_any.store(0, std::memory_order_relaxed);
    provider->match_all.store(0, std::memory_order_relaxed);
    provider->event_bits.store(0, std::memory_order_relaxed);
  } else if (control_code == kEventControlEnable) {
    provider->level.store(level, std::memory_order_relaxed);
    provider->match_any.store(match_any, std::memory_order_relaxed);
    provider->match_all.store(match_all, std::memory_order_relaxed);
    provider->enabled.store(true, std::memory_order_relaxed);
    uint32_t bits = 0;
    for (size_t i = 0; i < provider->event_count; ++i) {
      const EventDefinition& event = provider->events[i];
      const bool level_matches = level == 0 || event.level <= level;
      const bool keyword_matches = event.keyword == 0 || ((event.keyword & match_any) != 0 &&
                                                          (event.keyword & match_all) == match_all);
      if (level_matches && keyword_matches) bits |= uint32_t{1} << i;
    }
    provider->event_bits.store(bits, std::memory_order_relaxed);
  }
}

bool EventEnabled(const ProviderState& provider, size_t event) {
  return event < provider.event_count &&
         (provider.event_bits.load(std::memory_order_relaxed) & (uint32_t{1} << event)) != 0;
}

void WriteThreadName(const char* name) {
  const ProviderState& provider = providers[kThreadNameProvider];
  if (tracing.Write == nullptr || provider.handle == 0) return;
  uint32_t thread_id = Platform::CurrentThreadId();
  if (name == nullptr) name = "NULL";
  EventDataDescriptor payload[2] = {
      {reinterpret_cast<uintptr_t>(&thread_id), sizeof thread_id, 0},
      {reinterpret_cast<uintptr_t>(name), static_cast<uint32_t>(std::strlen(name) + 1), 0},
  };
  tracing.Write(provider.handle, &kThreadNameEvent, 2, payload);
}

}  // namespace

void EventTracingStartup() {
  // Kept loaded for the life of the process: freeing a library while our own module unloads is
  // not safe.
  void* library = Platform::LoadSharedLibrary(L"Advapi32.dll");
  if (library == nullptr) return;
  const EventTracingFunctions functions{
      reinterpret_cast<EventRegisterFunction>(Platform::FindSymbol(library, "EventRegister")),
      reinterpret_cast<EventWriteFunction>(Platform::FindSymbol(library, "EventWrite")),
      reinterpret_cast<EventUnregisterFunction>(Platform::FindSymbol(library, "EventUnregister")),
  };
  detail::EventTracingStartupWith(functions);
}

void EventTracingShutdown() {
  for (ProviderState& provider : providers) {
    if (provider.handle == 0) continue;
    if (tracing.Unregister != nullptr) tracing.Unregister(provider.handle);
    provider.handle = 0;
  }
  tracing = {};
}

namespace detail {

void EventTracingStartupWith(const EventTracingFunctions& functions) {
  if (functions.Register == nullptr || functions.Write == nullptr ||
      functions.Unregister == nullptr) {
    return;
  }
  tracing = functions;
  for (ProviderState& provider : providers) {
    if (provider.handle != 0) continue;
    // A session that is already running enables the provider from inside this call.
    uint64_t handle = 0;
    if (tracing.Register(&provider.guid, EnableCallback, &provider, &handle) != 0) handle = 0;
    provider.handle = handle;
  }
  if (EventEnabled(providers[kThreadNameProvider], 0)) WriteThreadName("Main thread");
}

const EventTracingGuid& ProviderGuid(size_t provider) {
  return providers[provider < kEventTracingProviderCount ? provider : 0].guid;
}

void DriveEnableCallback(size_t provider, uint32_t control_code, uint8_t level, uint64_t match_any,
                         uint64_t match_all) {
  if (provider >= kEventTracingProviderCount) return;
  ProviderState& state = providers[provider];
  EnableCallback(&state.guid, control_code, level, match_any, match_all, nullptr, &state);
}

bool DriveEnableCallback(const EventTracingGuid& guid, uint32_t control_code, uint8_t level,
                         uint64_t match_any, uint64_t match_all) {
  for (size_t i = 0; i < kEventTracingProviderCount; ++i) {
    if (std::memcmp(providers[i].guid.bytes, guid.bytes, sizeof guid.bytes) == 0) {
      DriveEnableCallback(i, control_code, level, match_any, match_all);
      return true;
    }
  }
  return false;
}

EventTracingProviderState ReadProvider(size_t provider) {
  if (provider >= kEventTracingProviderCount) return {};
  const ProviderState& state = providers[provider];
  return {state.handle,
          state.enabled.load(std::memory_order_relaxed),
          state.level.load(std::memory_order_relaxed),
          state.match_any.load(std::memory_order_relaxed),
          state.match_all.load(std::memory_order_relaxed),
          state.event_count};
}

bool IsEventEnabled(size_t provider, size_t event) {
  return provider < kEventTracingProviderCount && EventEnabled(providers[provider], event);
}

}  // namespace detail
}  // namespace Vorn
