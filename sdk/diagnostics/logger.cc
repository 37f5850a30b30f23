// The process-wide logger: its reference-counted state, the LogApi table and the dispatch of
// messages to the registered targets.
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include "sdk/diagnostics/internal/log_text.h"
#include "sdk/diagnostics/internal/target_filter.h"
#include "sdk/diagnostics/log_api.h"
#include "sdk/diagnostics/log_target.h"
#include "sdk/runtime/platform.h"

namespace Vorn {
namespace detail {

bool TargetAccepts(LogTargetRecord* target, int32_t level, uint64_t groups) {
  if (level < target->GetMinLevel(target)) return false;
  if (groups == 0) return true;
  if ((groups & target->GetExcludedGroups(target)) != 0) return false;
  const uint64_t included = target->GetIncludedGroups(target);
  return included == 0 || (groups & included) != 0;
}

}  // namespace detail

namespace {

struct LoggerState {
  // In registration order.
  std::vector<LogTargetRecord*> targets;
  bool reserved = false;
  bool muted = false;
  int32_t min_level = kLogLevelWarn;
  uint64_t excluded_groups = kLogGroupXtr;
  StdErrLogTarget std_err;
  StdOutLogTarget std_out;
  DebuggerConsoleLogTarget debugger;
  uint32_t warning_count = 0;
  uint64_t error_count = 0;
  // Set while a message is offered to the targets.
  bool dispatching = false;
};

// The logger's lock lives outside the state so that creating and destroying the state is
// guarded too. Never destroyed: targets and messages may come from late static destructors.
Platform::CriticalSection& LoggerLock() {
  static auto* lock = new Platform::CriticalSection;
  return *lock;
}

LoggerState* logger_state = nullptr;  // guarded by LoggerLock()
std::atomic<int32_t> reference_count{0};

// With the lock held; null only when the state cannot be allocated.
LoggerState* EnsureState() {
  if (logger_state != nullptr) return logger_state;
  try {
    logger_state = new LoggerState;
  } catch (...) {
    return nullptr;
  }
  detail::ExecutableFileName();
  logger_state->std_err.Register();
  logger_state->debugger.Register();
  return logger_state;
}

// With the lock held.
void DestroyState() {
  LoggerState* state = logger_state;
  if (state == nullptr) return;
  while (!state->targets.empty()) {
    LogTargetRecord* target = state->targets.back();
    target->Unregister(target);
    // A record that was listed without registering itself is dropped here.
    if (!state->targets.empty() && state->targets.back() == target) state->targets.pop_back();
  }
  logger_state = nullptr;
  delete state;
}

// With the lock held.
void Dispatch(LoggerState& state, const LogMessage& message) {
  // A target that logs from its write would otherwise recurse into itself.
  if (state.dispatching) return;
  state.dispatching = true;
  if (message.level == kLogLevelWarn) ++state.warning_count;
  if (message.level == kLogLevelError) ++state.error_count;
  // By index: a target may unregister itself while it writes.
  for (size_t i = 0; i < state.targets.size(); ++i) {
    LogTargetRecord* target = state.targets[i];
    if (detail::TargetAccepts(target, message.level, message.groups)) {
      target->Write(target, &message);
    }
  }
  state.dispatching = false;
}

int32_t VORN_CDECL InterfaceVersion() {
  return 1;
}

int32_t VORN_CDECL AddRef() {
  const int32_t count = reference_count.fetch_add(1, std::memory_order_acq_rel) + 1;
  if (count == 1) {
    Platform::CriticalSectionLock lock(LoggerLock());
    EnsureState();
  }
  return count;
}

int32_t VORN_CDECL Release() {
  int32_t count = reference_count.load(std::memory_order_acquire);
  do {
    if (count <= 0) return 0;
  } while (!reference_count.compare_exchange_weak(count, count - 1, std::memory_order_acq_rel));
  if (count == 1) {
    Platform::CriticalSectionLock lock(LoggerLock());
    // A reference taken meanwhile keeps the state.
    if (reference_count.load(std::memory_order_acquire) == 0) DestroyState();
  }
  return count - 1;
}

// Runs `operation` on the state under the lock; `fallback` when there is no state.
template <typename Result, typename Operation>
Result WithState(Result fallback, Operation operation) {
  Platform::CriticalSectionLock lock(LoggerLock());
  LoggerState* state = EnsureState();
  return state == nullptr ? fallback : operation(*state);
}

template <typename Operation>
void WithState(Operation operation) {
  Platform::CriticalSectionLock lock(LoggerLock());
  if (LoggerState* state = EnsureState()) operation(*state);
}

void VORN_CDECL SetMinLevel(int32_t level) {
  WithState([level](LoggerState& state) { state.min_level = level; });
}

int32_t VORN_CDECL GetMinLevel() {
  return WithState(int32_t{kLogLevelWarn}, [](LoggerState& state) { return state.min_level; });
}

void VORN_CDECL SetExcludedGroups(uint64_t groups) {
  WithState([groups](LoggerState& state) { state.excluded_groups = groups; });
}

uint64_t VORN_CDECL GetExcludedGroups() {
  return WithState(kLogGroupXtr, [](LoggerState& state) { return state.excluded_groups; });
}

void VORN_CDECL Mute() {
  WithState([](LoggerState& state) { state.muted = true; });
}

void VORN_CDECL Unmute() {
  WithState([](LoggerState& state) { state.muted = false; });
}

void VORN_CDECL SetReserved() {
  WithState([](LoggerState& state) { state.reserved = true; });
}

void VORN_CDECL ClearReserved() {
  WithState([](LoggerState& state) { state.reserved = false; });
}

bool VORN_CDECL AddTarget(LogTargetRecord* target) {
  if (target == nullptr) return false;
  return WithState(false, [target](LoggerState& state) {
    auto& targets = state.targets;
    if (std::find(targets.begin(), targets.end(), target) != targets.end()) return true;
    try {
      targets.push_back(target);
    } catch (...) {
      return false;
    }
    return true;
  });
}

// Never creates the state: there is nothing to remove from a logger that does not exist, and
// destroying the state unregisters through here.
bool VORN_CDECL RemoveTarget(LogTargetRecord* target) {
  Platform::CriticalSectionLock lock(LoggerLock());
  if (logger_state == nullptr || target == nullptr) return false;
  auto& targets = logger_state->targets;
  const auto found = std::find(targets.begin(), targets.end(), target);
  if (found == targets.end()) return false;
  targets.erase(found);
  return true;
}

LogTargetRecord* VORN_CDECL FindTarget(const char* name) {
  if (name == nullptr) return nullptr;
  return WithState(static_cast<LogTargetRecord*>(nullptr),
                   [name](LoggerState& state) -> LogTargetRecord* {
                     for (LogTargetRecord* target : state.targets) {
                       const char* target_name = target->Name(target);
                       if (target_name != nullptr && std::strcmp(target_name, name) == 0) {
                         return target;
                       }
                     }
                     return nullptr;
                   });
}

LogTargetRecord* VORN_CDECL StdOutTarget() {
  return WithState(static_cast<LogTargetRecord*>(nullptr),
                   [](LoggerState& state) { return state.std_out.Record(); });
}

LogTargetRecord* VORN_CDECL StdErrTarget() {
  return WithState(static_cast<LogTargetRecord*>(nullptr),
                   [](LoggerState& state) { return state.std_err.Record(); });
}

LogTargetRecord* VORN_CDECL DebuggerTarget() {
  return WithState(static_cast<LogTargetRecord*>(nullptr),
                   [](LoggerState& state) { return state.debugger.Record(); });
}

uint64_t VORN_CDECL GroupMask(const char* name) {
  return detail::GroupMask(name);
}

uint32_t VORN_CDECL GroupNames(uint64_t groups, char* out_text, uint32_t size) {
  return detail::GroupNames(groups, out_text, size);
}

uint32_t VORN_CDECL FormatLine(const char* pattern, const LogMessage* message, char* out_text,
                               uint32_t size) {
  static const LogMessage kNoMessage{};
  return detail::FormatLine(pattern, message == nullptr ? kNoMessage : *message, out_text, size);
}

const char* VORN_CDECL LevelName(int32_t level) {
  return detail::LevelName(level);
}

uint32_t VORN_CDECL ExecutableName(char* out_text, uint32_t size) {
  if (out_text == nullptr || size == 0) return 0;
  detail::TextWriter writer(out_text, size - 1);
  writer.Append(detail::ExecutableFileName());
  return writer.Finish();
}

void VORN_CDECL LocalTime(LogMessage* out_message) {
  detail::LocalTime(out_message);
}

uint32_t VORN_CDECL FormatTimeStamp(const LogMessage* time, char* out_text, uint32_t size) {
  static const LogMessage kNoTime{};
  return detail::FormatTimeStamp(time == nullptr ? kNoTime : *time, out_text, size);
}

uint32_t VORN_CDECL FormatFileTimeStamp(const LogMessage* time, char* out_text, uint32_t size) {
  static const LogMessage kNoTime{};
  return detail::FormatFileTimeStamp(time == nullptr ? kNoTime : *time, out_text, size);
}

void VORN_CDECL LogV(int32_t level, uint64_t groups, const char* format, va_list arguments) {
  if (format == nullptr) return;
  // Filtering comes before any formatting.
  const bool passes = WithState(false, [level, groups](LoggerState& state) {
    return !state.muted && level >= state.min_level && (groups & state.excluded_groups) == 0;
  });
  if (!passes) return;

  char text[kLogBufferSize];
  if (std::vsnprintf(text, sizeof text, format, arguments) < 0) text[0] = '\0';
  LogMessage message{};
  detail::LocalTime(&message);
  message.level = level;
  message.groups = groups;
  message.text = text;

  WithState([&message](LoggerState& state) { Dispatch(state, message); });
}

constexpr LogApi kLogApi = {
    InterfaceVersion,    AddRef,         Release,
    SetMinLevel,         GetMinLevel,    SetExcludedGroups,
    GetExcludedGroups,   Mute,           Unmute,
    SetReserved,         ClearReserved,  AddTarget,
    RemoveTarget,        FindTarget,     StdOutTarget,
    StdErrTarget,        DebuggerTarget, GroupMask,
    GroupNames,          FormatLine,     LevelName,
    ExecutableName,      LocalTime,      FormatTimeStamp,
    FormatFileTimeStamp, LogV,
};

}  // namespace

const LogApi* GetLogApi() {
  return &kLogApi;
}

void Log(int32_t level, uint64_t groups, const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  kLogApi.Log(level, groups, format, arguments);
  va_end(arguments);
}

}  // namespace Vorn
