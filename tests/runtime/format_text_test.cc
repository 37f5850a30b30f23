// FormatText: placeholder grammar, argument binding, the kinds' conversions, the text-form hook
// and where output ends (missing arguments, over-long directives, the buffer's end).
#include "sdk/runtime/format_text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <utility>

namespace {

using Vorn::FormatText;
using Vorn::FormatTextTo;

// Text forms of the kind the SDK's version and request-result records give themselves.
struct TestVersion {
  uint32_t major;
  uint32_t minor;
  uint32_t patch;
  std::string prerelease;
  std::string build;
  int* renders = nullptr;
};

std::string FormatTextForm(const TestVersion& version) {
  if (version.renders != nullptr) ++*version.renders;
  char numbers[33];
  const size_t length = FormatTextTo(numbers, sizeof numbers, "%1.%2.%3", version.major,
                                     version.minor, version.patch);
  std::string text(numbers, length);
  if (!version.prerelease.empty()) text += "-" + version.prerelease;
  if (!version.build.empty()) text += "+" + version.build;
  return text;
}

struct TestResult {
  int32_t code;
  const char* message;
  bool failed;
};

std::string FormatTextForm(const TestResult& result) {
  return result.failed ? FormatText("%1 (%2)", result.message, result.code) : "Success";
}

// Types whose rendering would surprise the caller are refused at compile time.
enum class Plain { kA };
static_assert(Vorn::FormattableArgument<int>);
static_assert(Vorn::FormattableArgument<const char[4]>);
static_assert(Vorn::FormattableArgument<std::pair<std::string, std::string>>);
static_assert(Vorn::FormattableArgument<TestVersion>);
static_assert(!Vorn::FormattableArgument<bool>);
static_assert(!Vorn::FormattableArgument<const void*>);
static_assert(!Vorn::FormattableArgument<const int*>);
static_assert(!Vorn::FormattableArgument<const unsigned char*>);
static_assert(!Vorn::FormattableArgument<Plain>);
static_assert(!Vorn::FormattableArgument<long double>);
static_assert(!Vorn::FormattableArgument<std::pair<std::string, int>>);

struct Row {
  const char* format;
  std::string actual;
  std::string expected;
};

void ExpectRows(std::initializer_list<Row> rows) {
  for (const Row& row : rows) {
    SCOPED_TRACE(row.format);
    EXPECT_EQ(row.actual, row.expected);
  }
}

// Text arguments only, so that the grammar cases fit one constant table.
struct TextCase {
  const char* format;
  const char* args[3];
  int count;
  const char* expected;
};

std::string FormatTexts(const TextCase& row) {
  switch (row.count) {
    case 0:
      return FormatText(row.format);
    case 1:
      return FormatText(row.format, row.args[0]);
    case 2:
      return FormatText(row.format, row.args[0], row.args[1]);
    default:
      return FormatText(row.format, row.args[0], row.args[1], row.args[2]);
  }
}

constexpr TextCase kTextCases[] = {
    {"Value %1 for '%2' of type %3 is out of range",
     {"300", "count", "uint8"},
     3,
     "Value 300 for 'count' of type uint8 is out of range"},
    {"%1%2/%3", {"/base", "/x", "y"}, 3, "/base/x/y"},
    {"100%% done", {"unused"}, 1, "100% done"},
    {"%2 %1", {"a", "b"}, 2, "b a"},
    {"%1 and %1", {"x"}, 1, "x and x"},
    // 2 exceeds the count: "2" is a width, ")" the letter, and the first argument is next.
    {"%1 (%2)", {"x"}, 1, "x ( x"},
    // The character after a bare placeholder's digits is text again.
    {"%1x%2", {"a", "b"}, 2, "axb"},
    {"%2$-4s|%1$s", {"a", "b"}, 2, "b   |a"},
    // Positional placeholders do not move the sequence.
    {"%s %2 %s %1$s %s", {"a", "b", "c"}, 3, "a b b a c"},
    // 5 is beyond the list, so "%5$" is a width 5 with the letter "$", given the next argument.
    {"%5$s", {"x"}, 1, "    xs"},
    {"%-3s|%.2s|", {"a", "xyz"}, 2, "a  |xy|"},
    {"%x|%d", {"hex", "dec"}, 2, "hex|dec"},
    // A lone "%" at the end is a bare placeholder.
    {"end %", {"x"}, 1, "end x"},
    // Length modifiers that would make the C library read another type are dropped.
    {"%ls|%lls|%hs", {"a", "b", "c"}, 3, "a|b|c"},
    // Output ends before a placeholder whose argument is beyond the list.
    {"%s and %s", {"x"}, 1, "x and "},
    {"none %s", {}, 0, "none "},
    {"%5$s", {}, 0, ""},
    {"%1", {}, 0, ""},
};

TEST(FormatTextTest, PlaceholdersOverTextArguments) {
  for (const TextCase& row : kTextCases) {
    SCOPED_TRACE(row.format);
    EXPECT_EQ(FormatTexts(row), row.expected);
  }
}

TEST(FormatTextTest, SpecificationsTakeTheArgumentsKind) {
  const TestVersion version{1, 2, 3, "", "abc"};
  ExpectRows({
      {"%1.%2.%3", FormatText("%1.%2.%3", 18u, 0u, 0u), "18.0.0"},
      {"%1$5d|", FormatText("%1$5d|", 42), "   42|"},
      {"%x", FormatText("%x", 255u), "ff"},
      {"%#X %o", FormatText("%#X %o", 255, 8), "0XFF 10"},
      {"%s of int", FormatText("%s", 7), "7"},
      {"%5s of int", FormatText("%5s|", 7), "    7|"},
      {"%+05d", FormatText("%+05d", 42), "+0042"},
      {"%c", FormatText("%c", 65), "A"},
      // "c" takes the low byte of any integer as an int, whatever modifier was written.
      {"%c of uint64", FormatText("[%c]", uint64_t{233}), "[\xE9]"},
      {"%c of int64", FormatText("[%c|%5c]", int64_t{-23}, int64_t{0x141}), "[\xE9|    A]"},
      {"%lc and %hhc", FormatText("[%lc%hhc%llc]", 66, 67u, 'D'), "[BCD]"},
      {"%c of uint32 above a byte", FormatText("[%c]", 0x1E9u), "[\xE9]"},
      {"char bare", FormatText("%1%2", 'o', 'k'), "ok"},
      {"%d of char", FormatText("%d", 'A'), "65"},
      {"%hhx keeps hh", FormatText("%hhx", -1), "ff"},
      {"%lu of uint32", FormatText("%lu|%jd|%zx", 7u, -3, 255u), "7|-3|ff"},
      {"%u of negative", FormatText("%u", -1), "4294967295"},
      {"%x of string", FormatText("%x", std::string("abc")), "abc"},
      {"%d of double", FormatText("%d", 2.5), "2.5"},
      {"%Lf of double", FormatText("%Lf", 1.5), "1.500000"},
      {"%10.3e", FormatText("%10.3e", 1234.25), " 1.234e+03"},
      {"%x of version", FormatText("%x|%-12s|", version, version), "1.2.3+abc|1.2.3+abc   |"},
      // "n" is no kind's letter, so it falls back to the default and nothing is written back.
      {"%n", FormatText("%n", 5), "5"},
      {"%n of text", FormatText("[%n]", "t"), "[t]"},
  });
}

TEST(FormatTextTest, StarWidthsAndPrecisions) {
  ExpectRows({
      {"%*d", FormatText("%*d", 4, 7), "   7"},
      {"%-*d|", FormatText("%-*d|", 4, 7), "7   |"},
      {"%.*f", FormatText("%.*f", 2, 3.14159), "3.14"},
      {"%*.*f", FormatText("%*.*f|", 8, 2, 3.14159), "    3.14|"},
      // Named star positions do not move the sequence: the value is still the first argument.
      {"%*3$d|%s", FormatText("%*3$d|%s", 7, "x", 5), "    7|x"},
      {"%1$*2$d", FormatText("%1$*2$d", 7, 4), "   7"},
      {"%*d of chars and 64-bit", FormatText("%*d|%*d", char{3}, 1, int64_t{2}, 2), "  1| 2"},
      {"%.*s", FormatText("%.*s", 2u, "abcdef"), "ab"},
      // Digits after "*" without "$" are no position; the first of them is the letter.
      {"%*3d", FormatText("%*3d", 4, 7), "   7d"},
      // A star that does not fit the argument's kind or the list ends the output there.
      {"%*d of text", FormatText("ab%*d", "w", 7), "ab"},
      {"%*d of double", FormatText("ab%*d", 2.0, 7), "ab"},
      {"%*d of version", FormatText("ab%*d", TestVersion{1, 0, 0, "", ""}, 7), "ab"},
      {"%*5$d", FormatText("ab%*5$d", 4, 7), "ab"},
      {"%*0$d", FormatText("ab%*0$d", 4, 7), "ab"},
      {"%.*d short", FormatText("ab%.*d", 4), "ab"},
  });
}

TEST(FormatTextTest, NumbersOfEveryWidth) {
  ExpectRows({
      {"int64 min", FormatText("%1", std::numeric_limits<int64_t>::min()), "-9223372036854775808"},
      {"int64 max", FormatText("%1", std::numeric_limits<int64_t>::max()), "9223372036854775807"},
      {"uint64 max", FormatText("%s", std::numeric_limits<uint64_t>::max()),
       "18446744073709551615"},
      {"int32 extremes",
       FormatText("%1 %2", std::numeric_limits<int32_t>::min(),
                  std::numeric_limits<uint32_t>::max()),
       "-2147483648 4294967295"},
      // Explicit directives of 64-bit values get "ll" and print the whole value.
      {"%5d of int64", FormatText("%5d|%x", int64_t{1} << 40, ~uint64_t{0}),
       "1099511627776|ffffffffffffffff"},
      {"%hd of int64", FormatText("%hd", int64_t{1} << 40), "1099511627776"},
      {"size_t", FormatText("%1", std::numeric_limits<size_t>::max()),
       std::to_string(std::numeric_limits<size_t>::max())},
      {"long", FormatText("%1", std::numeric_limits<long>::min()),
       std::to_string(std::numeric_limits<long>::min())},
      {"short and bytes", FormatText("%1 %2 %3", short{-2}, uint8_t{200}, int8_t{-5}), "-2 200 -5"},
      {"double 0.5", FormatText("%1", 0.5), "0.5"},
      {"double 1e20", FormatText("%1", 1e20), "1e+20"},
      {"float", FormatText("%1", 0.25f), "0.25"},
  });
}

TEST(FormatTextTest, TextArgumentsOfEveryForm) {
  const char* null_text = nullptr;
  char mutable_text[] = "mut";
  char* mutable_pointer = mutable_text;
  const std::pair<std::string, std::string> pair{"realm", "name"};
  const std::pair<const char*, const char*> pointer_pair{"a", nullptr};
  const std::pair<std::string, std::string> nul_pair{std::string("a\0b", 3), "c"};
  const std::pair<std::string, std::string> nul_pair_both{std::string("x\0", 2),
                                                          std::string("y\0z", 3)};
  ExpectRows({
      {"std::string", FormatText("%1", std::string("text")), "text"},
      {"std::string stops at NUL", FormatText("%1|", std::string("ab\0cd", 5)), "ab|"},
      {"null text", FormatText("[%1][%3s]", null_text, null_text), "[][   ]"},
      {"char array and pointer", FormatText("%1 %2", mutable_text, mutable_pointer), "mut mut"},
      {"pair", FormatText("%1", pair), "realm:name"},
      {"pair with spec", FormatText("%-12s|%.3s", pair, pair), "realm:name  |rea"},
      {"pair of pointers", FormatText("%1", pointer_pair), "a:"},
      // Each text of a pair ends at its first NUL, as a single string argument does.
      {"pair with NUL", FormatText("%1", nul_pair), "a:c"},
      {"pair with NULs", FormatText("%1|", nul_pair_both), "x:y|"},
  });
}

TEST(FormatTextTest, TextFormHook) {
  ExpectRows({
      {"version", FormatText("%1", TestVersion{1, 2, 3, "", "abc"}), "1.2.3+abc"},
      {"version labels", FormatText("%1", TestVersion{18, 0, 0, "rc.1", "7"}), "18.0.0-rc.1+7"},
      {"success", FormatText("%1", TestResult{0, nullptr, false}), "Success"},
      {"failure", FormatText("%1", TestResult{404, "Not Found", true}), "Not Found (404)"},
  });
}

TEST(FormatTextTest, TextFormIsBuiltOnlyWhenRendered) {
  int renders = 0;
  const TestVersion version{1, 0, 0, "", "", &renders};
  EXPECT_EQ(FormatText("%2", version, "x"), "x");
  EXPECT_EQ(renders, 0);
  EXPECT_EQ(FormatText("a%*d%2", "w", version), "a");
  EXPECT_EQ(FormatText("%1 %1", version), "1.0.0 1.0.0");
  EXPECT_EQ(renders, 2);
}

TEST(FormatTextTest, OverlongSpecificationEndsTheOutput) {
  // 59 characters are a directive; 60 end the output before it.
  const std::string fits = "a%" + std::string(57, '-') + "d|";
  const std::string too_long = "a%" + std::string(58, '-') + "d|";
  EXPECT_EQ(FormatText(fits.c_str(), 5), "a5|");
  EXPECT_EQ(FormatText(too_long.c_str(), 5), "a");
  // So does a width or precision beyond what the C library can print.
  EXPECT_EQ(FormatText("a%99999999999d|", 5), "a");
  EXPECT_EQ(FormatText("a%.2147483648d|", 5), "a");
  EXPECT_EQ(FormatText("a%.2147483647s|", "x"), "ax|");
}

TEST(FormatTextTest, OutputIsCutAtTheBufferEnd) {
  const std::string long_text(5000, 'a');
  EXPECT_EQ(FormatText(long_text.c_str()), std::string(4095, 'a'));
  EXPECT_EQ(FormatText("%s", long_text), std::string(4095, 'a'));
  EXPECT_EQ(FormatText("%5000d", 1), std::string(4095, ' '));
  EXPECT_EQ(FormatText("%1", std::pair<std::string, std::string>(long_text, "b")),
            std::string(4095, 'a'));

  // The argument that reaches the end is cut there and nothing follows it.
  const std::string prefix(4090, 'p');
  EXPECT_EQ(FormatText((prefix + "%s|tail").c_str(), "0123456789"), prefix + "01234");
  EXPECT_EQ(FormatText((prefix + "%%%%%%%%%%%%").c_str()), prefix + "%%%%%");
}

TEST(FormatTextTest, CallerBuffer) {
  char buffer[12];
  std::memset(buffer, '#', sizeof buffer);
  EXPECT_EQ(FormatTextTo(buffer, 8, "%s", "abcdefghij"), 7u);
  EXPECT_STREQ(buffer, "abcdefg");
  EXPECT_EQ(buffer[8], '#');

  EXPECT_EQ(FormatTextTo(buffer, 1, "abc"), 0u);
  EXPECT_EQ(buffer[0], '\0');
  buffer[0] = '#';
  EXPECT_EQ(FormatTextTo(buffer, 0, "abc"), 0u);
  EXPECT_EQ(buffer[0], '#');

  // The version text's buffer holds three full 32-bit numbers.
  char version[33];
  const uint32_t max = std::numeric_limits<uint32_t>::max();
  EXPECT_EQ(FormatTextTo(version, sizeof version, "%1.%2.%3", max, max, max), 32u);
  EXPECT_STREQ(version, "4294967295.4294967295.4294967295");

  // Larger buffers are not capped at FormatText's size; a long pair is joined on the heap.
  const std::string long_text(5000, 'a');
  std::string large(6000, '#');
  EXPECT_EQ(FormatTextTo(large.data(), large.size(), "%1",
                         std::pair<std::string, std::string>(long_text, "b")),
            5002u);
  EXPECT_EQ(large.substr(0, 5003), long_text + ":b" + std::string(1, '\0'));

  EXPECT_EQ(FormatText(nullptr), "");
}

}  // namespace
