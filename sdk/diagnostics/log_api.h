// The process-wide logger: levels, groups, the message record, and the two plain function
// tables (LogApi for the logger, LogTargetRecord for each target) through which the logger and
// its targets can be shared across a library boundary.
#pragma once

#include <cstdarg>
#include <cstdint>

#include "sdk/diagnostics/format_attribute.h"
#include "sdk/plugin/abi/abi_common.h"

namespace Vorn {

// A message passes a level filter when its level is at least the filter's minimum.
enum LogLevel : int32_t {
  kLogLevelOkay = 0,
  kLogLevelWarn = 1,
  kLogLevelError = 2,
  kLogLevelAlways = 3,
};

// Group masks: bit i is entry i of the group name table.
inline constexpr uint64_t kLogGroupDbg = 1;
inline constexpr uint64_t kLogGroupGen = 2;
inline constexpr uint64_t kLogGroupXtr = 4;

// Size of the text and line buffers; longer texts are cut to one less than this.
inline constexpr uint32_t kLogBufferSize = 4096;

// One message during dispatch; the text is owned by the logger and valid only inside the call.
struct LogMessage {
  int32_t year;
  int32_t month;
  int32_t day;
  int32_t hour;
  int32_t minute;
  int32_t second;
  int32_t millisecond;
  int32_t level;
  uint64_t groups;
  const char* text;
};

VORN_ASSERT_OFFSET32(LogMessage, level, 28);
VORN_ASSERT_OFFSET32(LogMessage, groups, 32);
VORN_ASSERT_OFFSET32(LogMessage, text, 40);

// The plain interface of a log target. Every entry takes the record itself first. A target's
// Write runs under the logger's lock and must not log.
struct LogTargetRecord {
  int32_t(VORN_CDECL* InterfaceVersion)(LogTargetRecord* target);
  void(VORN_CDECL* SetMinLevel)(LogTargetRecord* target, int32_t level);
  int32_t(VORN_CDECL* GetMinLevel)(LogTargetRecord* target);
  // The included mask is stored without the bits that are also excluded.
  void(VORN_CDECL* SetGroups)(LogTargetRecord* target, uint64_t included, uint64_t excluded);
  // 0 means every group.
  uint64_t(VORN_CDECL* GetIncludedGroups)(LogTargetRecord* target);
  uint64_t(VORN_CDECL* GetExcludedGroups)(LogTargetRecord* target);
  const char*(VORN_CDECL* Name)(LogTargetRecord* target);
  // Valid until the target's line format is next set.
  const char*(VORN_CDECL* LineFormat)(LogTargetRecord* target, const LogMessage* message);
  // No effect when already registered.
  void(VORN_CDECL* Register)(LogTargetRecord* target);
  // No effect when not registered.
  void(VORN_CDECL* Unregister)(LogTargetRecord* target);
  uint8_t(VORN_CDECL* IsRegistered)(LogTargetRecord* target);
  bool(VORN_CDECL* Write)(LogTargetRecord* target, const LogMessage* message);
};

// The logger's function table. Operations that touch the logger's state take its lock and
// create the state when there is none (except Release and RemoveTarget). Text-producing entries
// write a NUL-terminated text of at most `size - 1` characters into `out_text` and return its
// length; a size of 0 writes nothing.
struct LogApi {
  int32_t(VORN_CDECL* InterfaceVersion)();
  // Returns the new count; the first reference creates the logger state.
  int32_t(VORN_CDECL* AddRef)();
  // Returns the new count; the last reference unregisters every target, last first, and destroys
  // the state with its built-in targets. A release without a reference does nothing.
  int32_t(VORN_CDECL* Release)();
  void(VORN_CDECL* SetMinLevel)(int32_t level);
  int32_t(VORN_CDECL* GetMinLevel)();
  void(VORN_CDECL* SetExcludedGroups)(uint64_t groups);
  uint64_t(VORN_CDECL* GetExcludedGroups)();
  void(VORN_CDECL* Mute)();
  void(VORN_CDECL* Unmute)();
  void(VORN_CDECL* SetReserved)();
  void(VORN_CDECL* ClearReserved)();
  // Appends the record to the target list unless it is listed already; true when the record is
  // listed afterwards.
  bool(VORN_CDECL* AddTarget)(LogTargetRecord* target);
  // False when the record is not listed.
  bool(VORN_CDECL* RemoveTarget)(LogTargetRecord* target);
  // The first registered target whose name equals `name`, or null.
  LogTargetRecord*(VORN_CDECL* FindTarget)(const char* name);
  // The built-in targets' records; valid until the last reference is released.
  LogTargetRecord*(VORN_CDECL* StdOutTarget)();
  LogTargetRecord*(VORN_CDECL* StdErrTarget)();
  LogTargetRecord*(VORN_CDECL* DebuggerTarget)();
  // Mask of a three-letter group name, registering it when new; 0 when the table is full.
  uint64_t(VORN_CDECL* GroupMask)(const char* name);
  // Names of the mask's groups from bit 0 upward, joined by ";"; empty for 0.
  uint32_t(VORN_CDECL* GroupNames)(uint64_t groups, char* out_text, uint32_t size);
  // One line from "#"-tokens; always ends with exactly one newline when size >= 2.
  uint32_t(VORN_CDECL* FormatLine)(const char* pattern, const LogMessage* message, char* out_text,
                                   uint32_t size);
  // Six characters for levels 0 to 3, empty for any other.
  const char*(VORN_CDECL* LevelName)(int32_t level);
  uint32_t(VORN_CDECL* ExecutableName)(char* out_text, uint32_t size);
  // Fills the seven time fields of the message with the local time.
  void(VORN_CDECL* LocalTime)(LogMessage* out_message);
  // "2024-01-31T13:05:09.042"
  uint32_t(VORN_CDECL* FormatTimeStamp)(const LogMessage* time, char* out_text, uint32_t size);
  // "2024-01-31T13-05-09", fit for file names.
  uint32_t(VORN_CDECL* FormatFileTimeStamp)(const LogMessage* time, char* out_text, uint32_t size);
  void(VORN_CDECL* Log)(int32_t level, uint64_t groups, const char* format, va_list arguments);
};

// The process-wide logger's table; never null.
const LogApi* GetLogApi();

// Logs a printf-style message (texts longer than 4095 characters are cut).
VORN_PRINTF_FORMAT(3, 4) void Log(int32_t level, uint64_t groups, const char* format, ...);

}  // namespace Vorn
