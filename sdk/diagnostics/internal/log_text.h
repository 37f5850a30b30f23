// Text helpers behind the logger's table: group names, level names, time stamps, line
// formatting and the executable's name. None of them takes the logger's lock.
#pragma once

#include <cstdint>

#include "sdk/diagnostics/log_api.h"

namespace Vorn::detail {

uint64_t GroupMask(const char* name);
uint32_t GroupNames(uint64_t groups, char* out_text, uint32_t size);
const char* LevelName(int32_t level);
// Read once per process; "<unknown>" when the path cannot be read.
const char* ExecutableFileName();
void LocalTime(LogMessage* out_message);
uint32_t FormatTimeStamp(const LogMessage& time, char* out_text, uint32_t size);
uint32_t FormatFileTimeStamp(const LogMessage& time, char* out_text, uint32_t size);
// The "#H" text for `ticks` of a counter running at `frequency` ticks per second.
uint32_t FormatElapsed(uint64_t ticks, uint64_t frequency, char* out_text, uint32_t size);
uint32_t FormatLine(const char* pattern, const LogMessage& message, char* out_text, uint32_t size);

// Bounded text building: appends stop silently at `limit` characters.
class TextWriter {
 public:
  TextWriter(char* buffer, uint32_t limit) : buffer_(buffer), limit_(limit) {}
  void Append(const char* text);
  void Append(char character);
  uint32_t Length() const { return length_; }
  bool Full() const { return length_ >= limit_; }
  char Last() const { return length_ == 0 ? '\0' : buffer_[length_ - 1]; }
  // Writes the terminating NUL (the buffer holds `limit + 1` bytes at least).
  uint32_t Finish();

 private:
  char* buffer_;
  uint32_t limit_;
  uint32_t length_ = 0;
};

}  // namespace Vorn::detail
