// Built on std::from_chars, which is locale-independent and correctly rounded on every build;
// what it leaves out (blanks, '+', the "0x" prefix, the range errors) is added here as strtod
// and its kin do it.
#include "sdk/runtime/number_reader.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace Vorn {
namespace {

bool IsBlank(char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}
bool IsHexDigit(char c) {
  return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
char Lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

int HexValue(char c) {
  return IsDigit(c) ? c - '0' : Lower(c) - 'a' + 10;
}

// Whether `word` (lower case) stands at `at`, in any case.
bool HasWord(std::string_view text, size_t at, std::string_view word) {
  if (text.size() - at < word.size()) return false;
  for (size_t i = 0; i < word.size(); ++i) {
    if (Lower(text[at + i]) != word[i]) return false;
  }
  return true;
}

// Leading blanks and a sign: where the number proper starts.
size_t SkipBlanksAndSign(std::string_view text, bool& negative) {
  size_t at = 0;
  while (at < text.size() && IsBlank(text[at]))
    ++at;
  negative = at < text.size() && text[at] == '-';
  if (at < text.size() && (text[at] == '-' || text[at] == '+')) ++at;
  return at;
}

// Where a "0x" prefix followed by a hexadecimal significand starts hex digits; 0 when there is
// none (strtod then reads the "0" alone).
size_t HexDigitsAt(std::string_view text, size_t at, bool allow_point) {
  if (text.size() - at < 3 || text[at] != '0' || Lower(text[at + 1]) != 'x') return 0;
  const char first = text[at + 2];
  if (IsHexDigit(first)) return at + 2;
  if (allow_point && first == '.' && text.size() - at > 3 && IsHexDigit(text[at + 3])) {
    return at + 2;
  }
  return 0;
}

// The digits of a matched significand (without the point) and its exponent, saturated far
// beyond any double.
struct Significand {
  std::string digits;
  int64_t integer_digits = 0;
  int64_t exponent = 0;
};

Significand Split(std::string_view matched, char exponent_letter) {
  constexpr int64_t kSaturation = int64_t{1} << 40;
  Significand out;
  size_t at = 0;
  bool seen_point = false;
  for (; at < matched.size() && Lower(matched[at]) != exponent_letter; ++at) {
    if (matched[at] == '.') {
      seen_point = true;
    } else {
      out.digits += matched[at];
      if (!seen_point) ++out.integer_digits;
    }
  }
  if (at < matched.size()) {
    bool negative = false;
    at = at + 1 + SkipBlanksAndSign(matched.substr(at + 1), negative);
    for (; at < matched.size(); ++at) {
      out.exponent = std::min(out.exponent * 10 + (matched[at] - '0'), kSaturation);
    }
    if (negative) out.exponent = -out.exponent;
  }
  return out;
}

// The place of the first significant digit: the value lies below base^order (in bits for hex).
int64_t Order(const Significand& number, int digit_bits) {
  const size_t first = number.digits.find_first_not_of('0');
  const int64_t scale = digit_bits == 0 ? 1 : digit_bits;
  return scale * (number.integer_digits - static_cast<int64_t>(first)) + number.exponent;
}

// Significant decimal digits and the place of the first one.
std::pair<std::string, int64_t> Normalized(std::string_view decimal) {
  const Significand number = Split(decimal, 'e');
  const size_t first = number.digits.find_first_not_of('0');
  const size_t last = number.digits.find_last_not_of('0');
  return {number.digits.substr(first, last - first + 1), Order(number, 0)};
}

// Whether a decimal text names exactly the (subnormal) double it was read as.
bool IsExactDecimal(std::string_view matched, double value) {
  // A subnormal's exact decimal expansion has at most 767 significant digits.
  char buffer[1100];
  const std::to_chars_result printed =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 800);
  return Normalized(matched) == Normalized(std::string_view(buffer, printed.ptr - buffer));
}

// Whether a hexadecimal significand's lowest set bit lies on the subnormal grid (2^-1074).
bool IsExactHex(std::string_view matched) {
  const Significand number = Split(matched, 'p');
  const size_t last = number.digits.find_last_not_of('0');
  const int64_t lowest = 4 * (number.integer_digits - 1 - static_cast<int64_t>(last)) +
                         number.exponent +
                         std::countr_zero(static_cast<unsigned>(HexValue(number.digits[last])));
  return lowest >= std::numeric_limits<double>::min_exponent - std::numeric_limits<double>::digits;
}

// nan, optionally followed by "(n-char-sequence)"; a sequence that reads whole as an unsigned
// integer becomes the payload, as glibc does.
NumberRead<double> ReadNan(std::string_view text, size_t at) {
  NumberRead<double> read{std::numeric_limits<double>::quiet_NaN(), at + 3, false};
  size_t close = at + 3;
  if (close >= text.size() || text[close] != '(') return read;
  ++close;
  const size_t open = close;
  while (close < text.size() &&
         (IsDigit(text[close]) || (Lower(text[close]) >= 'a' && Lower(text[close]) <= 'z') ||
          text[close] == '_'))
    ++close;
  if (close >= text.size() || text[close] != ')') return read;
  const std::string_view sequence = text.substr(open, close - open);
  const NumberRead<uint64_t> payload = ReadUnsigned(sequence);
  constexpr uint64_t kPayloadMask = (uint64_t{1} << 51) - 1;
  if (payload.length == sequence.size() && (payload.value & kPayloadMask) != 0) {
    read.value =
        std::bit_cast<double>(std::bit_cast<uint64_t>(read.value) | (payload.value & kPayloadMask));
  }
  read.length = close + 1;
  return read;
}

// The number after blanks and sign, unsigned.
NumberRead<double> ReadMagnitude(std::string_view text, size_t at) {
  NumberRead<double> read;
  if (at >= text.size()) return read;
  const char first = Lower(text[at]);
  if (first == 'i' && HasWord(text, at, "inf")) {
    read.value = HUGE_VAL;
    read.length = at + (HasWord(text, at + 3, "inity") ? 8 : 3);
    return read;
  }
  if (first == 'n' && HasWord(text, at, "nan")) return ReadNan(text, at);

  const size_t hex = HexDigitsAt(text, at, true);
  const size_t start = hex != 0 ? hex : at;
  if (hex == 0 && !IsDigit(text[at]) &&
      !(text[at] == '.' && at + 1 < text.size() && IsDigit(text[at + 1]))) {
    return read;
  }
  const char* end = text.data() + text.size();
  const std::from_chars_result result =
      std::from_chars(text.data() + start, end, read.value,
                      hex != 0 ? std::chars_format::hex : std::chars_format::general);
  read.length = static_cast<size_t>(result.ptr - text.data());
  const std::string_view matched = text.substr(start, read.length - start);
  if (result.ec == std::errc::result_out_of_range) {
    read.range_error = true;
    read.value = Order(Split(matched, hex != 0 ? 'p' : 'e'), hex != 0 ? 4 : 0) > 0 ? HUGE_VAL : 0.0;
  } else if (std::fpclassify(read.value) == FP_SUBNORMAL) {
    read.range_error = hex != 0 ? !IsExactHex(matched) : !IsExactDecimal(matched, read.value);
  }
  return read;
}

struct IntegerText {
  uint64_t magnitude = 0;
  size_t length = 0;
  bool overflow = false;
  bool negative = false;
};

// Base 0: "0x" hexadecimal, a leading "0" octal, decimal otherwise.
IntegerText ReadIntegerText(std::string_view text) {
  IntegerText read;
  const size_t at = SkipBlanksAndSign(text, read.negative);
  if (at >= text.size() || !IsDigit(text[at])) return read;
  const size_t hex = HexDigitsAt(text, at, false);
  const int base = hex != 0 ? 16 : text[at] == '0' ? 8 : 10;
  const char* end = text.data() + text.size();
  const std::from_chars_result result =
      std::from_chars(text.data() + (hex != 0 ? hex : at), end, read.magnitude, base);
  read.overflow = result.ec == std::errc::result_out_of_range;
  read.length = static_cast<size_t>(result.ptr - text.data());
  return read;
}

}  // namespace

NumberRead<double> ReadDouble(std::string_view text) {
  bool negative = false;
  const size_t at = SkipBlanksAndSign(text, negative);
  NumberRead<double> read = ReadMagnitude(text, at);
  if (read.length == 0) return NumberRead<double>{};
  if (negative) read.value = -read.value;
  return read;
}

NumberRead<int64_t> ReadSigned(std::string_view text) {
  const IntegerText number = ReadIntegerText(text);
  NumberRead<int64_t> read;
  read.length = number.length;
  const uint64_t limit = number.negative ? uint64_t{1} << 63 : uint64_t{INT64_MAX};
  if (number.overflow || number.magnitude > limit) {
    read.value = number.negative ? INT64_MIN : INT64_MAX;
    read.range_error = true;
  } else {
    read.value = static_cast<int64_t>(number.negative ? 0 - number.magnitude : number.magnitude);
  }
  return read;
}

NumberRead<uint64_t> ReadUnsigned(std::string_view text) {
  const IntegerText number = ReadIntegerText(text);
  NumberRead<uint64_t> read;
  read.length = number.length;
  if (number.overflow) {
    read.value = UINT64_MAX;
    read.range_error = true;
  } else {
    read.value = number.negative ? 0 - number.magnitude : number.magnitude;
  }
  return read;
}

}  // namespace Vorn
