// FormatText: the SDK's message formatter. Numbered placeholders ("%1", "%2") and printf-style
// directives (with or without "N$") over arguments that keep their native types.
#pragma once

#include <cstddef>
#include <string>

#include "sdk/runtime/format_argument.h"

namespace Vorn {

// FormatText's stack buffer; the last byte holds the NUL, so results have at most 4095
// characters.
inline constexpr size_t kFormatTextBufferSize = 4096;

namespace detail {

size_t FormatArguments(char* buffer, size_t size, const char* format,
                       const FormatArgument* arguments, size_t count);

}  // namespace detail

// Formats into the caller's buffer and returns the length written; the text is always
// NUL-terminated (nothing is written when size is 0). Never fails: a placeholder without its
// argument, a "*" naming a non-integer argument or an over-long directive ends the output
// just before that placeholder, and text that does not fit is cut at the buffer's end. A null
// format gives the empty text. Allocates nothing unless an argument's text form does.
template <typename... Args>
size_t FormatTextTo(char* buffer, size_t size, const char* format, const Args&... args) {
  if constexpr (sizeof...(Args) == 0) {
    return detail::FormatArguments(buffer, size, format, nullptr, 0);
  } else {
    const FormatArgument arguments[] = {MakeFormatArgument(args)...};
    return detail::FormatArguments(buffer, size, format, arguments, sizeof...(Args));
  }
}

// FormatTextTo into a buffer of kFormatTextBufferSize bytes; the returned string is the only
// allocation.
template <typename... Args>
std::string FormatText(const char* format, const Args&... args) {
  char buffer[kFormatTextBufferSize];
  const size_t length = FormatTextTo(buffer, sizeof buffer, format, args...);
  return std::string(buffer, length);
}

}  // namespace Vorn
