#include "sdk/runtime/number_reader.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#if defined(__GLIBC__)
#include <locale.h>
#include <stdlib.h>
#include <cerrno>
#endif

namespace Vorn {
namespace {

struct DoubleCase {
  const char* text;
  double value;
  size_t length;
  bool range_error;
};

// What glibc's strtod gives in the "C" locale; the expected doubles are exact hex literals.
const DoubleCase kDoubleCases[] = {
    {"", 0.0, 0, false},
    {"   ", 0.0, 0, false},
    {"+", 0.0, 0, false},
    {"-.", 0.0, 0, false},
    {"--1", 0.0, 0, false},
    {"+-1", 0.0, 0, false},
    {"x1", 0.0, 0, false},
    {"1.5", 0x1.8000000000000p+0, 3, false},
    {" \t\n\v\f\r-1.5e1x", -0x1.e000000000000p+3, 12, false},
    {"+.5", 0x1p-1, 3, false},
    {"5.", 0x1.4000000000000p+2, 2, false},
    {"1e", 0x1p+0, 1, false},
    {"1e+", 0x1p+0, 1, false},
    {"1E-2", 0x1.47ae147ae147bp-7, 4, false},
    {"0.1", 0x1.999999999999ap-4, 3, false},
    {"-65.613616999999977", -0x1.06745803cd140p+6, 19, false},
    {"9007199254740993", 0x1p+53, 16, false},
    {"1e23", 0x1.52d02c7e14af6p+76, 4, false},
    {"8.98846567431158e307", 0x1p+1023, 20, false},
    {"123456789012345678901234567890", 0x1.8ee90ff6c373ep+96, 30, false},
    {"7.038531e-26", 0x1.5c87fb0000000p-84, 12, false},
    {"-0.0", -0.0, 4, false},
    {"1,5", 0x1p+0, 1, false},
    // Hexadecimal: exact, or rounded to nearest even beyond 53 bits.
    {"0x10", 0x1p+4, 4, false},
    {"0X1F", 0x1.f000000000000p+4, 4, false},
    {"-0x1.8p1", -0x1.8000000000000p+1, 8, false},
    {"0x.8", 0x1p-1, 4, false},
    {"0xA.Bp-1", 0x1.5600000000000p+2, 8, false},
    {"0x1p", 0x1p+0, 3, false},
    {"0x20000000000001", 0x1p+53, 16, false},
    {"0x20000000000003", 0x1.0000000000002p+53, 16, false},
    {"0x", 0.0, 1, false},
    {"0xg", 0.0, 1, false},
    {"0x.", 0.0, 1, false},
    {"0x.p1", 0.0, 1, false},
    // Words, in any case.
    {"inf", HUGE_VAL, 3, false},
    {"-INFinity", -HUGE_VAL, 9, false},
    {"infinit", HUGE_VAL, 3, false},
    {"+Infinityx", HUGE_VAL, 9, false},
    {"in", 0.0, 0, false},
    // Overflow and underflow.
    {"1e400", HUGE_VAL, 5, true},
    {"-1e400", -HUGE_VAL, 6, true},
    {"1.7976931348623157e308", 0x1.fffffffffffffp+1023, 22, false},
    {"1.7976931348623159e308", HUGE_VAL, 22, true},
    {"0x1p1024", HUGE_VAL, 8, true},
    {"1000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000"
     "0000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000"
     "0000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000"
     "00000000000000000000000000000000000000000000000000000000000000000000000000000000",
     HUGE_VAL, 353, true},
    {"1e-400", 0.0, 6, true},
    {"-1e-400", -0.0, 7, true},
    {"0e-400", 0.0, 6, false},
    {"0x0p-99999", 0.0, 10, false},
    {"2.2250738585072014e-308", 0x1p-1022, 23, false},
    {"2.2250738585072011e-308", 0x0.fffffffffffffp-1022, 23, true},
    {"4.9e-324", 0x0.0000000000001p-1022, 8, true},
    {"2.4703282292062327e-324", 0.0, 23, true},
    {"2.4703282292062328e-324", 0x0.0000000000001p-1022, 23, true},
    {"0x1p-1074", 0x0.0000000000001p-1022, 9, false},
    {"0x3p-1075", 0x0.0000000000002p-1022, 9, true},
    {"0x0.8p-1074", 0.0, 11, true},
    {"0x1.8p-1073", 0x0.0000000000003p-1022, 11, false},
    // The least subnormal, cut short (inexact) and as its exact decimal expansion (no range error).
    {"4.940656458412465441765687928682213723650598026143247644255856825006755072702087518652998363"
     "616359923797965646954457177196383e-324",
     0x0.0000000000001p-1022, 130, true},
    {"4.940656458412465441765687928682213723650598026143247644255856825006755072702087518652998363"
     "61635992379796564695445717730926656710355939796398774796010781878126300713190311404527845817"
     "16784898210368871863605699873072305000638740915356498438731247339727316961514003171538539807"
     "41262385655911710266585566867681870395603106249319452715914924553293054565444011274801297099"
     "99541931989409080416563324524757147869014726780159355238611550134803526493472019379026810710"
     "74917033322268447533357208324319360923828934583680601060115061698097530783422773183292479049"
     "82524730776375927247874656084778203734469699533647017972677717585125660551199131504891101451"
     "03786273816725095583738973359899366480994116420570263709027924276754456522908753868250641971"
     "8265533447265625e-324",
     0x0.0000000000001p-1022, 757, false},
};

bool SameDouble(double a, double b) {
  return std::bit_cast<uint64_t>(a) == std::bit_cast<uint64_t>(b);
}

TEST(NumberReaderTest, DoublesReadAsTheCLibraryReadsThem) {
  for (const DoubleCase& row : kDoubleCases) {
    SCOPED_TRACE(row.text);
    const NumberRead<double> read = ReadDouble(row.text);
    EXPECT_TRUE(SameDouble(read.value, row.value)) << std::hexfloat << read.value;
    EXPECT_EQ(read.length, row.length);
    EXPECT_EQ(read.range_error, row.range_error);
  }
}

TEST(NumberReaderTest, NanFormsCarrySignAndPayload) {
  struct NanCase {
    const char* text;
    uint64_t bits;
    size_t length;
  };
  static const NanCase kCases[] = {
      {"nan", 0x7ff8000000000000, 3},         {"-NaN", 0xfff8000000000000, 4},
      {"nan()", 0x7ff8000000000000, 5},       {"nan(0x123)", 0x7ff8000000000123, 10},
      {"NAN(12)", 0x7ff800000000000c, 7},     {"nan(010)", 0x7ff8000000000008, 8},
      {"nan(abc_1)", 0x7ff8000000000000, 10}, {"nan(0xfffffffffffffffff)", 0x7fffffffffffffff, 24},
      {"nan(1", 0x7ff8000000000000, 3},       {"nan(1 )", 0x7ff8000000000000, 3},
      {"nanx", 0x7ff8000000000000, 3},
  };
  for (const NanCase& row : kCases) {
    SCOPED_TRACE(row.text);
    const NumberRead<double> read = ReadDouble(row.text);
    EXPECT_EQ(std::bit_cast<uint64_t>(read.value), row.bits);
    EXPECT_EQ(read.length, row.length);
    EXPECT_FALSE(read.range_error);
  }
}

struct IntegerCase {
  const char* text;
  int64_t signed_value;
  uint64_t unsigned_value;
  size_t length;
  bool signed_range_error;
  bool unsigned_range_error;
};

// strtoll and strtoull in base 0.
const IntegerCase kIntegerCases[] = {
    {"", 0, 0, 0, false, false},
    {"  ", 0, 0, 0, false, false},
    {"-", 0, 0, 0, false, false},
    {"x", 0, 0, 0, false, false},
    {" +42 ", 42, 42, 4, false, false},
    {"0x2A", 42, 42, 4, false, false},
    {"-0X2a", -42, UINT64_MAX - 41, 5, false, false},
    {"052", 42, 42, 3, false, false},
    {"08", 0, 0, 1, false, false},
    {"0x", 0, 0, 1, false, false},
    {"0xg", 0, 0, 1, false, false},
    {"-0", 0, 0, 2, false, false},
    {"1.5", 1, 1, 1, false, false},
    {"9223372036854775807", INT64_MAX, 9223372036854775807u, 19, false, false},
    {"9223372036854775808", INT64_MAX, 9223372036854775808u, 19, true, false},
    {"-9223372036854775808", INT64_MIN, 9223372036854775808u, 20, false, false},
    {"-9223372036854775809", INT64_MIN, 9223372036854775807u, 20, true, false},
    {"18446744073709551615", INT64_MAX, UINT64_MAX, 20, true, false},
    {"18446744073709551616", INT64_MAX, UINT64_MAX, 20, true, true},
    {"-18446744073709551616", INT64_MIN, UINT64_MAX, 21, true, true},
    {"0xffffffffffffffffff", INT64_MAX, UINT64_MAX, 20, true, true},
    {"01777777777777777777777", INT64_MAX, UINT64_MAX, 23, true, false},
};

TEST(NumberReaderTest, IntegersReadAsTheCLibraryReadsThem) {
  for (const IntegerCase& row : kIntegerCases) {
    SCOPED_TRACE(row.text);
    const NumberRead<int64_t> as_signed = ReadSigned(row.text);
    EXPECT_EQ(as_signed.value, row.signed_value);
    EXPECT_EQ(as_signed.length, row.length);
    EXPECT_EQ(as_signed.range_error, row.signed_range_error);
    const NumberRead<uint64_t> as_unsigned = ReadUnsigned(row.text);
    EXPECT_EQ(as_unsigned.value, row.unsigned_value);
    EXPECT_EQ(as_unsigned.length, row.length);
    EXPECT_EQ(as_unsigned.range_error, row.unsigned_range_error);
  }
}

TEST(NumberReaderTest, TheTextEndsAtItsViewNotAtANul) {
  const std::string text(
      "12\0"
      "3",
      4);
  EXPECT_EQ(ReadDouble(text).length, 2u);
  EXPECT_EQ(ReadSigned(std::string_view("123", 2)).value, 12);
  EXPECT_EQ(ReadDouble(std::string_view("1e5", 2)).value, 1.0);
}

#if defined(__GLIBC__)
// Texts made of the pieces numbers are made of, in random order.
std::vector<std::string> GeneratedTexts() {
  static const char* const kPieces[] = {
      " ",   "+",     "-",     "0",      "1",   "7",   "9", "12345678901234567890",
      ".",   "e",     "E",     "p",      "x",   "0x",  "a", "F",
      "e-3", "e+308", "e-320", "p-1074", "inf", "nan", "(", ")"};
  std::mt19937 random(12345);
  std::uniform_int_distribution<size_t> piece(0, std::size(kPieces) - 1);
  std::uniform_int_distribution<int> count(1, 8);
  std::vector<std::string> texts;
  for (int i = 0; i < 20000; ++i) {
    std::string text;
    for (int n = count(random); n > 0; --n)
      text += kPieces[piece(random)];
    texts.push_back(text);
  }
  for (const DoubleCase& row : kDoubleCases)
    texts.emplace_back(row.text);
  for (const IntegerCase& row : kIntegerCases)
    texts.emplace_back(row.text);
  return texts;
}

TEST(NumberReaderTest, AgreesWithGlibcInTheCLocale) {
  const locale_t c_locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
  ASSERT_NE(c_locale, static_cast<locale_t>(0));
  for (const std::string& text : GeneratedTexts()) {
    SCOPED_TRACE(text);
    char* end = nullptr;
    errno = 0;
    const double expected = strtod_l(text.c_str(), &end, c_locale);
    const NumberRead<double> read = ReadDouble(text);
    ASSERT_TRUE(SameDouble(read.value, expected) ||
                (std::isnan(read.value) && std::isnan(expected)))
        << std::hexfloat << read.value << " " << expected;
    ASSERT_EQ(read.length, static_cast<size_t>(end - text.c_str()));
    ASSERT_EQ(read.range_error, errno == ERANGE);

    errno = 0;
    const long long expected_signed = strtoll_l(text.c_str(), &end, 0, c_locale);
    const NumberRead<int64_t> as_signed = ReadSigned(text);
    ASSERT_EQ(as_signed.value, expected_signed);
    ASSERT_EQ(as_signed.length, static_cast<size_t>(end - text.c_str()));
    ASSERT_EQ(as_signed.range_error, errno == ERANGE);

    errno = 0;
    const unsigned long long expected_unsigned = strtoull_l(text.c_str(), &end, 0, c_locale);
    const NumberRead<uint64_t> as_unsigned = ReadUnsigned(text);
    ASSERT_EQ(as_unsigned.value, expected_unsigned);
    ASSERT_EQ(as_unsigned.range_error, errno == ERANGE);
  }
  freelocale(c_locale);
}

// A locale whose decimal point is ',' changes strtod's reading, not ours.
TEST(NumberReaderTest, TheProcessLocaleChangesNothing) {
  const locale_t comma = newlocale(LC_ALL_MASK, "de_DE.UTF-8", static_cast<locale_t>(0));
  if (comma == static_cast<locale_t>(0)) GTEST_SKIP() << "no de_DE.UTF-8 locale on this machine";
  const locale_t previous = uselocale(comma);
  EXPECT_EQ(std::strtod("1.5", nullptr), 1.0);
  const NumberRead<double> read = ReadDouble("1.5");
  EXPECT_EQ(read.value, 1.5);
  EXPECT_EQ(read.length, 3u);
  EXPECT_EQ(ReadDouble("1,5").length, 1u);
  uselocale(previous);
  freelocale(comma);
}
#endif

}  // namespace
}  // namespace Vorn
