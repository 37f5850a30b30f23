// The SDK's one reader of number texts. It reads exactly as C99 strtod, strtoll and strtoull
// (base 0) read in the "C" locale, on every build and whatever the process locale: leading
// white space, a sign, decimal and hexadecimal integers and floats, octal integers, "inf",
// "infinity" and "nan(...)" in any case, and the range errors those functions report in errno.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace Vorn {

template <typename Number>
struct NumberRead {
  Number value{};
  // Characters the number took from the start of the text (0 when no number starts it, and the
  // value is then 0).
  size_t length = 0;
  // What strtod and its kin report as ERANGE: an overflow (the value is then +-HUGE_VAL or the
  // saturated integer), or a double result that is inexact and below the normal range.
  bool range_error = false;
};

NumberRead<double> ReadDouble(std::string_view text);
NumberRead<int64_t> ReadSigned(std::string_view text);
// A minus sign negates the magnitude modulo 2^64, as strtoull does.
NumberRead<uint64_t> ReadUnsigned(std::string_view text);

}  // namespace Vorn
