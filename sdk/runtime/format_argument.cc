// Printing of one FormatText argument with its completed conversion directive through the
// C library's bounded formatting.
#include "sdk/runtime/format_argument.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace Vorn::detail {
namespace {

// The directive is the formatter's own, completed from the argument's kind, so its
// letter always matches the value passed here.
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
#endif
template <typename V>
int Print(const FormatConversion& conversion, V value) {
  switch (conversion.star_count) {
    case 0:
      return std::snprintf(conversion.out, conversion.size, conversion.spec, value);
    case 1:
      return std::snprintf(conversion.out, conversion.size, conversion.spec, conversion.stars[0],
                           value);
    default:
      return std::snprintf(conversion.out, conversion.size, conversion.spec, conversion.stars[0],
                           conversion.stars[1], value);
  }
}
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

// No formatted result is longer than this, so a longer join is rare enough for the heap.
constexpr size_t kJoinBufferSize = 4096;

}  // namespace

int PrintConverted(const FormatConversion& conversion, int value) {
  return Print(conversion, value);
}
int PrintConverted(const FormatConversion& conversion, unsigned value) {
  return Print(conversion, value);
}
int PrintConverted(const FormatConversion& conversion, long long value) {
  return Print(conversion, value);
}
int PrintConverted(const FormatConversion& conversion, unsigned long long value) {
  return Print(conversion, value);
}
int PrintConverted(const FormatConversion& conversion, double value) {
  return Print(conversion, value);
}
int PrintConverted(const FormatConversion& conversion, const char* value) {
  return Print(conversion, value == nullptr ? "" : value);
}

int PrintJoined(const FormatConversion& conversion, const char* first, size_t first_size,
                const char* second, size_t second_size) {
  const size_t size = first_size + 1 + second_size;
  if (size < kJoinBufferSize) {
    char joined[kJoinBufferSize];
    std::memcpy(joined, first, first_size);
    joined[first_size] = ':';
    std::memcpy(joined + first_size + 1, second, second_size);
    joined[size] = '\0';
    return Print(conversion, static_cast<const char*>(joined));
  }
  std::string joined;
  joined.reserve(size);
  joined.append(first, first_size).append(1, ':').append(second, second_size);
  return Print(conversion, joined.c_str());
}

}  // namespace Vorn::detail
