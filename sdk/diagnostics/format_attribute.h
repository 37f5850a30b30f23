// Marks printf-style functions so that the compiler checks every call's format and arguments.
#pragma once

#if defined(__MINGW32__)
#define VORN_PRINTF_FORMAT(format_index, first_argument) \
  __attribute__((format(gnu_printf, format_index, first_argument)))
#elif defined(__GNUC__) || defined(__clang__)
#define VORN_PRINTF_FORMAT(format_index, first_argument) \
  __attribute__((format(printf, format_index, first_argument)))
#else
#define VORN_PRINTF_FORMAT(format_index, first_argument)
#endif
