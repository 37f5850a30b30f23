// Line formatting from "#"-tokens, level names, time stamps and the executable's name.
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <string>

#include "sdk/diagnostics/internal/log_text.h"
#include "sdk/runtime/platform.h"

namespace Vorn::detail {

void TextWriter::Append(const char* text) {
  if (text == nullptr) return;
  while (*text != '\0' && length_ < limit_)
    buffer_[length_++] = *text++;
}

void TextWriter::Append(char character) {
  if (length_ < limit_) buffer_[length_++] = character;
}

uint32_t TextWriter::Finish() {
  buffer_[length_] = '\0';
  return length_;
}

namespace {

// snprintf into a small buffer, then a bounded copy: the caller's size may be smaller.
template <typename... Arguments>
uint32_t PrintTo(char* out_text, uint32_t size, const char* format, Arguments... arguments) {
  if (out_text == nullptr || size == 0) return 0;
  char text[64];
  std::snprintf(text, sizeof text, format, arguments...);
  TextWriter writer(out_text, size - 1);
  writer.Append(text);
  return writer.Finish();
}

// Start of the "#H" clock: the counter of the first line that used it (0 while unset).
std::atomic<uint64_t> elapsed_start{0};

void AppendElapsed(TextWriter& writer) {
  const uint64_t now = Platform::PerformanceCounter();
  // 0 means "unset", so a counter of 0 is kept as one tick later.
  const uint64_t mark = now == 0 ? 1 : now;
  uint64_t start = 0;
  if (elapsed_start.compare_exchange_strong(start, mark)) start = mark;
  char text[32];
  FormatElapsed(now > start ? now - start : 0, Platform::PerformanceFrequency(), text, sizeof text);
  writer.Append(text);
}

}  // namespace

uint32_t FormatElapsed(uint64_t ticks, uint64_t frequency, char* out_text, uint32_t size) {
  const float seconds =
      frequency == 0 ? 0.0f : static_cast<float>(static_cast<double>(ticks) / frequency);
  // 64-bit whole seconds and milliseconds: in an int the milliseconds overflow after 24.9 days.
  // Capped at 2^40 seconds (about 34,800 years), so that no counter overflows them either.
  const float capped = std::min(seconds, 1099511627776.0f);
  const auto whole = static_cast<long long>(capped);
  const auto millis = static_cast<long long>(capped * 1000.0f) % 1000;
  return PrintTo(out_text, size, "%06lld.%03lld", whole, millis);
}

const char* LevelName(int32_t level) {
  static constexpr const char* kNames[] = {"  OKAY", "  WARN", " ERROR", "ALWAYS"};
  return level >= 0 && level < 4 ? kNames[level] : "";
}

const char* ExecutableFileName() {
  static const struct ExecutableName {
    char text[512] = "<unknown>";
    ExecutableName() {
      try {
        const std::string path = Platform::ExecutablePath();
        if (path.empty()) return;
        const size_t separator = path.find_last_of(Platform::PathSeparators());
        const char* file = path.c_str() + (separator == std::string::npos ? 0 : separator + 1);
        if (*file == '\0') return;
        TextWriter writer(text, sizeof text - 1);
        writer.Append(file);
        writer.Finish();
      } catch (...) {
        // Keeps "<unknown>".
      }
    }
  } name;
  return name.text;
}

void LocalTime(LogMessage* out_message) {
  if (out_message == nullptr) return;
  const Platform::LocalTime now = Platform::GetLocalTime();
  out_message->year = now.year;
  out_message->month = now.month;
  out_message->day = now.day;
  out_message->hour = now.hour;
  out_message->minute = now.minute;
  out_message->second = now.second;
  out_message->millisecond = now.millisecond;
}

uint32_t FormatTimeStamp(const LogMessage& time, char* out_text, uint32_t size) {
  return PrintTo(out_text, size, "%04d-%02d-%02dT%02d:%02d:%02d.%03d", time.year, time.month,
                 time.day, time.hour, time.minute, time.second, time.millisecond);
}

uint32_t FormatFileTimeStamp(const LogMessage& time, char* out_text, uint32_t size) {
  return PrintTo(out_text, size, "%04d-%02d-%02dT%02d-%02d-%02d", time.year, time.month, time.day,
                 time.hour, time.minute, time.second);
}

uint32_t FormatLine(const char* pattern, const LogMessage& message, char* out_text, uint32_t size) {
  if (out_text == nullptr || size == 0) return 0;
  if (size == 1) {
    out_text[0] = '\0';
    return 0;
  }
  // The last two bytes stay free for the newline and the NUL.
  TextWriter writer(out_text, size - 2);
  // Large enough for 64 group names.
  char scratch[320];
  for (const char* cursor = pattern == nullptr ? "" : pattern; *cursor != '\0' && !writer.Full();
       ++cursor) {
    if (*cursor != '#') {
      writer.Append(*cursor);
      continue;
    }
    ++cursor;
    switch (*cursor) {
      case '\0':
        // A lone "#" at the end stands for nothing.
        --cursor;
        break;
      case 'D':
        FormatTimeStamp(message, scratch, sizeof scratch);
        writer.Append(scratch);
        break;
      case 'E':
        writer.Append(ExecutableFileName());
        break;
      case 'G':
        GroupNames(message.groups, scratch, sizeof scratch);
        writer.Append(scratch);
        break;
      case 'H':
        AppendElapsed(writer);
        break;
      case 'L':
        writer.Append(LevelName(message.level));
        break;
      case 'M':
        writer.Append(message.text);
        break;
      case 'T':
        // Eight upper-case digits, as "%p" prints a 32-bit identifier.
        std::snprintf(scratch, sizeof scratch, "%08X",
                      static_cast<unsigned>(Platform::CurrentThreadId()));
        writer.Append(scratch);
        break;
      default:
        writer.Append(*cursor);
        break;
    }
  }
  // Exactly one newline at the end, even after a cut.
  if (writer.Last() != '\n') {
    out_text[writer.Length()] = '\n';
    out_text[writer.Length() + 1] = '\0';
    return writer.Length() + 1;
  }
  return writer.Finish();
}

}  // namespace Vorn::detail
