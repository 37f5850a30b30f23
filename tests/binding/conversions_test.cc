// Native/value conversion: every message of the conversion rules, number bounds and parsing,
// floats into integers, enumerations at every width, containers, records and their flags,
// optional wrappers and callback handles.
#include "sdk/binding/conversions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "sdk/binding/type_builder.h"

namespace {

using Vorn::BindingFieldFlags;
using Vorn::BindingProperty;
using Vorn::BindingRegistry;
using Vorn::BindingResult;
using Vorn::FromValue;
using Vorn::ToValue;

enum class State : int32_t { kNone = 0, kRunning = 1 };

// A value of each kind, described by a constant row.
enum class K { Empty, Bool, Signed, Unsigned, Float, Text, Enum, Blob, Collection, Structure };
struct In {
  K kind;
  int64_t s = 0;
  uint64_t u = 0;
  double d = 0;
  const char* text = "";
};
constexpr In Empty() {
  return {K::Empty};
}
constexpr In Bool(bool b) {
  return {K::Bool, b ? 1 : 0};
}
constexpr In Signed(int64_t v) {
  return {K::Signed, v};
}
constexpr In Unsigned(uint64_t v) {
  return {K::Unsigned, 0, v};
}
constexpr In Float(double v) {
  return {K::Float, 0, 0, v};
}
constexpr In Text(const char* t) {
  return {K::Text, 0, 0, 0, t};
}
constexpr In Enum(int32_t v) {
  return {K::Enum, v};
}
constexpr In Blob() {
  return {K::Blob};
}
constexpr In Collection() {
  return {K::Collection};
}
constexpr In Structure() {
  return {K::Structure};
}

BindingProperty Make(const In& in) {
  BindingProperty value;
  switch (in.kind) {
    case K::Empty:
      break;
    case K::Bool:
      value.SetBool(in.s != 0);
      break;
    case K::Signed:
      value.SetSigned(in.s);
      break;
    case K::Unsigned:
      value.SetUnsigned(in.u);
      break;
    case K::Float:
      value.SetFloat(in.d);
      break;
    case K::Text:
      value.SetString(in.text);
      break;
    case K::Enum:
      value.SetEnum(static_cast<int32_t>(in.s), &StaticType::HashCode<State>());
      break;
    case K::Blob:
      value.SetBlob("\x00\xFF", 2);
      break;
    case K::Collection:
      value.Append().SetSigned(1);
      break;
    case K::Structure:
      value.MemberAt("a").SetSigned(1);
      break;
  }
  return value;
}

std::string Print(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.17g", value);
  return text;
}
template <typename T>
std::string Print(T value) {
  if constexpr (std::is_floating_point_v<T>) {
    return Print(static_cast<double>(value));
  } else if constexpr (std::is_signed_v<T>) {
    return std::to_string(static_cast<long long>(value));
  } else {
    return std::to_string(static_cast<unsigned long long>(value));
  }
}

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

enum class Target {
  kInt8,
  kUInt8,
  kInt16,
  kUInt16,
  kInt32,
  kUInt32,
  kInt64,
  kUInt64,
  kFloat,
  kDouble
};

// Either `value` (the native outcome, printed) or `message`.
struct NumberRow {
  In in;
  Target target;
  const char* value;
  const char* message;
};

class NumberTest : public ::testing::Test {
 protected:
  template <typename T>
  void Check(const NumberRow& row) {
    T native{};
    BindingResult result;
    FromValue(result, native, Make(row.in), "n", registry_);
    if (row.message != nullptr) {
      EXPECT_FALSE(result.Ok());
      EXPECT_STREQ(result.Error(), row.message);
      EXPECT_EQ(native, T{});
    } else {
      EXPECT_TRUE(result.Ok()) << result.Error();
      EXPECT_EQ(Print(native), row.value);
    }
  }
  void Check(const NumberRow& row) {
    switch (row.target) {
      case Target::kInt8:
        return Check<int8_t>(row);
      case Target::kUInt8:
        return Check<uint8_t>(row);
      case Target::kInt16:
        return Check<int16_t>(row);
      case Target::kUInt16:
        return Check<uint16_t>(row);
      case Target::kInt32:
        return Check<int32_t>(row);
      case Target::kUInt32:
        return Check<uint32_t>(row);
      case Target::kInt64:
        return Check<int64_t>(row);
      case Target::kUInt64:
        return Check<uint64_t>(row);
      case Target::kFloat:
        return Check<float>(row);
      case Target::kDouble:
        return Check<double>(row);
    }
  }
  void CheckAll(const NumberRow* rows, size_t count) {
    for (size_t i = 0; i < count; ++i) {
      SCOPED_TRACE(testing::Message() << "row " << i << ": " << rows[i].in.text << " "
                                      << (rows[i].message ? rows[i].message : rows[i].value));
      Check(rows[i]);
    }
  }

  BindingRegistry registry_;
};

TEST_F(NumberTest, IntegerBoundsAreExactAtEveryWidth) {
  constexpr NumberRow rows[] = {
      {Signed(-128), Target::kInt8, "-128", nullptr},
      {Signed(127), Target::kInt8, "127", nullptr},
      {Signed(-129), Target::kInt8, nullptr, "Value -129 for 'n' of type int8 is out of range"},
      {Signed(128), Target::kInt8, nullptr, "Value 128 for 'n' of type int8 is out of range"},
      {Unsigned(128), Target::kInt8, nullptr, "Value 128 for 'n' of type int8 is out of range"},
      {Signed(255), Target::kUInt8, "255", nullptr},
      {Signed(256), Target::kUInt8, nullptr, "Value 256 for 'n' of type uint8 is out of range"},
      {Signed(-32768), Target::kInt16, "-32768", nullptr},
      {Signed(32768), Target::kInt16, nullptr, "Value 32768 for 'n' of type int16 is out of range"},
      {Unsigned(65535), Target::kUInt16, "65535", nullptr},
      {Unsigned(65536), Target::kUInt16, nullptr,
       "Value 65536 for 'n' of type uint16 is out of range"},
      {Signed(-2147483648LL), Target::kInt32, "-2147483648", nullptr},
      {Signed(2147483648LL), Target::kInt32, nullptr,
       "Value 2147483648 for 'n' of type int32 is out of range"},
      {Signed(4294967295LL), Target::kUInt32, "4294967295", nullptr},
      {Signed(4294967296LL), Target::kUInt32, nullptr,
       "Value 4294967296 for 'n' of type uint32 is out of range"},
      {Signed(-1), Target::kUInt32, nullptr, "Value -1 for 'n' of type uint32 is out of range"},
      {Signed(INT64_MIN), Target::kInt64, "-9223372036854775808", nullptr},
      {Unsigned(9223372036854775807ULL), Target::kInt64, "9223372036854775807", nullptr},
      {Unsigned(9223372036854775808ULL), Target::kInt64, nullptr,
       "Value 9223372036854775808 for 'n' of type int64 is out of range"},
      {Unsigned(9223372036854775808ULL), Target::kUInt64, "9223372036854775808", nullptr},
      {Unsigned(UINT64_MAX), Target::kUInt64, "18446744073709551615", nullptr},
      {Signed(INT64_MIN), Target::kUInt64, nullptr,
       "Value -9223372036854775808 for 'n' of type uint64 is out of range"},
      {Enum(-5), Target::kInt8, "-5", nullptr},
      {Enum(300), Target::kUInt8, nullptr, "Value 300 for 'n' of type uint8 is out of range"},
      {Enum(-1), Target::kUInt32, nullptr, "Value -1 for 'n' of type uint32 is out of range"},
      {Enum(7), Target::kUInt64, "7", nullptr},
  };
  CheckAll(rows, std::size(rows));
}

TEST_F(NumberTest, FloatsIntoIntegersTruncateAndNeverOverflow) {
  constexpr NumberRow rows[] = {
      {Float(3.9), Target::kInt32, "3", nullptr},
      {Float(-3.9), Target::kInt32, "-3", nullptr},
      {Float(-0.0), Target::kUInt8, "0", nullptr},
      {Float(300.0), Target::kUInt8, nullptr, "Value 300 for 'n' of type uint8 is out of range"},
      {Float(-0.5), Target::kUInt8, nullptr, "Value -0.5 for 'n' of type uint8 is out of range"},
      {Float(127.9), Target::kInt8, nullptr, "Value 127.9 for 'n' of type int8 is out of range"},
      {Float(127.0), Target::kInt8, "127", nullptr},
      {Float(-128.9), Target::kInt8, nullptr, "Value -128.9 for 'n' of type int8 is out of range"},
      {Float(2147483647.0), Target::kInt32, "2147483647", nullptr},
      {Float(2147483647.5), Target::kInt32, nullptr,
       "Value 2.14748e+09 for 'n' of type int32 is out of range"},
      // The int64 and uint64 maxima round up to 2^63 and 2^64 as doubles: those are out.
      {Float(9223372036854775808.0), Target::kInt64, nullptr,
       "Value 9.22337e+18 for 'n' of type int64 is out of range"},
      {Float(9223372036854774784.0), Target::kInt64, "9223372036854774784", nullptr},
      {Float(-9223372036854775808.0), Target::kInt64, "-9223372036854775808", nullptr},
      {Float(-9223372036854777856.0), Target::kInt64, nullptr,
       "Value -9.22337e+18 for 'n' of type int64 is out of range"},
      {Float(9223372036854775808.0), Target::kUInt64, "9223372036854775808", nullptr},
      {Float(18446744073709549568.0), Target::kUInt64, "18446744073709549568", nullptr},
      {Float(18446744073709551616.0), Target::kUInt64, nullptr,
       "Value 1.84467e+19 for 'n' of type uint64 is out of range"},
      {Float(kNaN), Target::kInt8, nullptr, "Value nan for 'n' of type int8 is out of range"},
      {Float(kNaN), Target::kInt32, nullptr, "Value nan for 'n' of type int32 is out of range"},
      {Float(kNaN), Target::kInt64, nullptr, "Value nan for 'n' of type int64 is out of range"},
      {Float(kNaN), Target::kUInt64, nullptr, "Value nan for 'n' of type uint64 is out of range"},
      {Float(kInf), Target::kInt64, nullptr, "Value inf for 'n' of type int64 is out of range"},
      {Float(-kInf), Target::kUInt32, nullptr, "Value -inf for 'n' of type uint32 is out of range"},
      {Float(1e300), Target::kUInt64, nullptr,
       "Value 1e+300 for 'n' of type uint64 is out of range"},
  };
  CheckAll(rows, std::size(rows));
}

TEST_F(NumberTest, IntegerTextsAreParsedInCNotation) {
  constexpr NumberRow rows[] = {
      {Text("42"), Target::kUInt8, "42", nullptr},
      {Text("0x2A"), Target::kUInt8, "42", nullptr},
      {Text("0X2a"), Target::kInt8, "42", nullptr},
      {Text("052"), Target::kUInt8, "42", nullptr},
      {Text(""), Target::kUInt8, "0", nullptr},
      {Text(" 42"), Target::kUInt8, "42", nullptr},
      {Text("\t\n42"), Target::kInt64, "42", nullptr},
      {Text("+7"), Target::kInt16, "7", nullptr},
      {Text("-9223372036854775808"), Target::kInt64, "-9223372036854775808", nullptr},
      {Text("18446744073709551615"), Target::kUInt64, "18446744073709551615", nullptr},
      {Text("42 "), Target::kUInt8, nullptr,
       "Value 42  for 'n' of type uint8 is in an incorrect format"},
      {Text("abc"), Target::kInt32, nullptr,
       "Value abc for 'n' of type int32 is in an incorrect format"},
      {Text("0x"), Target::kInt32, nullptr,
       "Value 0x for 'n' of type int32 is in an incorrect format"},
      {Text("1e3"), Target::kInt32, nullptr,
       "Value 1e3 for 'n' of type int32 is in an incorrect format"},
      {Text("089"), Target::kUInt32, nullptr,
       "Value 089 for 'n' of type uint32 is in an incorrect format"},
      {Text(" "), Target::kInt8, nullptr, "Value   for 'n' of type int8 is in an incorrect format"},
      {Text("-"), Target::kUInt8, nullptr,
       "Value - for 'n' of type uint8 is in an incorrect format"},
      {Text("128"), Target::kInt8, nullptr, "Value 128 for 'n' of type int8 is out of range"},
      {Text("-129"), Target::kInt8, nullptr, "Value -129 for 'n' of type int8 is out of range"},
      {Text("0x100"), Target::kUInt8, nullptr, "Value 0x100 for 'n' of type uint8 is out of range"},
      {Text("9223372036854775808"), Target::kInt64, nullptr,
       "Value 9223372036854775808 for 'n' of type int64 is out of range"},
      {Text("18446744073709551616"), Target::kUInt64, nullptr,
       "Value 18446744073709551616 for 'n' of type uint64 is out of range"},
      {Text("-0"), Target::kUInt32, nullptr, "Value -0 for 'n' of type uint32 is out of range"},
      {Text("-1"), Target::kUInt64, nullptr, "Value -1 for 'n' of type uint64 is out of range"},
      // The sign after leading blanks counts too (strtoull would negate it silently).
      {Text(" -1"), Target::kUInt64, nullptr, "Value  -1 for 'n' of type uint64 is out of range"},
  };
  CheckAll(rows, std::size(rows));
}

TEST_F(NumberTest, FloatTargetsWidenIntegersAndCheckTheirBounds) {
  constexpr NumberRow rows[] = {
      {Float(1e300), Target::kFloat, nullptr, "Value 1e+300 for 'n' of type float is out of range"},
      {Float(1e300), Target::kDouble, "1.0000000000000001e+300", nullptr},
      {Float(-3.5e38), Target::kFloat, nullptr,
       "Value -3.5e+38 for 'n' of type float is out of range"},
      {Float(3.4028234663852886e38), Target::kFloat, "3.4028234663852886e+38", nullptr},
      {Float(0.1), Target::kFloat, "0.10000000149011612", nullptr},
      {Float(kInf), Target::kDouble, nullptr, "Value inf for 'n' of type double is out of range"},
      {Float(kNaN), Target::kDouble, "nan", nullptr},
      {Signed(-5), Target::kFloat, "-5", nullptr},
      {Unsigned(UINT64_MAX), Target::kDouble, "1.8446744073709552e+19", nullptr},
      {Enum(3), Target::kDouble, "3", nullptr},
      {Text("1.5"), Target::kDouble, "1.5", nullptr},
      {Text(" -2.5e3"), Target::kFloat, "-2500", nullptr},
      {Text("0x1p4"), Target::kDouble, "16", nullptr},
      {Text(""), Target::kDouble, "0", nullptr},
      {Text("1e-400"), Target::kDouble, "0", nullptr},
      {Text("1.5x"), Target::kDouble, nullptr,
       "Value 1.5x for 'n' of type double is in an incorrect format"},
      {Text("1e400"), Target::kDouble, nullptr,
       "Value 1e400 for 'n' of type double is out of range"},
      {Text("1e39"), Target::kFloat, nullptr, "Value 1e39 for 'n' of type float is out of range"},
      {Text("-inf"), Target::kDouble, nullptr, "Value -inf for 'n' of type double is out of range"},
  };
  CheckAll(rows, std::size(rows));
}

TEST_F(NumberTest, OtherKindsAreRequiredOrOfAnInvalidType) {
  constexpr NumberRow rows[] = {
      {Empty(), Target::kInt32, nullptr, "A value for 'n' is required."},
      {Empty(), Target::kUInt64, nullptr, "A value for 'n' is required."},
      {Empty(), Target::kFloat, nullptr, "A value for 'n' is required."},
      {Bool(true), Target::kInt32, nullptr,
       "Couldn't assign value to 'n' of type int32 because the input is of an invalid type bool."},
      {Blob(), Target::kUInt16, nullptr,
       "Couldn't assign value to 'n' of type uint16 because the input is of an invalid type blob."},
      {Collection(), Target::kInt64, nullptr,
       "Couldn't assign value to 'n' of type int64 because the input is of an invalid type "
       "collection."},
      {Structure(), Target::kUInt8, nullptr,
       "Couldn't assign value to 'n' of type uint8 because the input is of an invalid type "
       "structure."},
      {Bool(false), Target::kDouble, nullptr,
       "Couldn't assign value to 'n' of type double because the input is of an invalid type bool."},
      {Structure(), Target::kFloat, nullptr,
       "Couldn't assign value to 'n' of type float because the input is of an invalid type "
       "structure."},
  };
  CheckAll(rows, std::size(rows));
}

// Either the outcome (`expected`) or the message.
template <typename Outcome>
struct TextRow {
  In in;
  Outcome expected;
  const char* message;
};

TEST(BoolConversionTest, BoolsAndTheFourWords) {
  constexpr TextRow<bool> rows[] = {
      {Bool(true), true, nullptr},
      {Bool(false), false, nullptr},
      {Text("1"), true, nullptr},
      {Text("true"), true, nullptr},
      {Text("0"), false, nullptr},
      {Text("false"), false, nullptr},
      {Text("TRUE"), false,
       "Value TRUE for 'b' of type bool is in an incorrect format. Options are \"true\", "
       "\"false\", \"1\", \"0\"."},
      {Text(" true"), false,
       "Value  true for 'b' of type bool is in an incorrect format. Options are \"true\", "
       "\"false\", \"1\", \"0\"."},
      {Text(""), false,
       "Value  for 'b' of type bool is in an incorrect format. Options are \"true\", \"false\", "
       "\"1\", \"0\"."},
      {Signed(1), false,
       "Couldn't assign value to 'b' of type bool because the input is of an invalid type signed."},
      {Unsigned(0), false,
       "Couldn't assign value to 'b' of type bool because the input is of an invalid type "
       "unsigned."},
      {Float(1), false,
       "Couldn't assign value to 'b' of type bool because the input is of an invalid type float."},
      {Enum(1), false,
       "Couldn't assign value to 'b' of type bool because the input is of an invalid type enum."},
      {Empty(), false, "A value for 'b' is required."},
  };
  BindingRegistry registry;
  for (const auto& row : rows) {
    SCOPED_TRACE(row.message != nullptr ? row.message : row.in.text);
    bool native = false;
    BindingResult result;
    FromValue(result, native, Make(row.in), "b", registry);
    EXPECT_STREQ(result.Error(), row.message != nullptr ? row.message : "");
    EXPECT_EQ(native, row.expected);
  }
}

TEST(StringConversionTest, TextsAndNamedEnumerators) {
  constexpr TextRow<const char*> rows[] = {
      {Text("plain"), "plain", nullptr},
      {Text(""), "", nullptr},
      {Enum(1), "Running", nullptr},
      {Enum(7), "", "7 is not a valid enumeration value for 's'."},
      {Signed(1), "", "Couldn't assign value to 's' because the input is not a string."},
      {Bool(true), "", "Couldn't assign value to 's' because the input is not a string."},
      {Blob(), "", "Couldn't assign value to 's' because the input is not a string."},
      {Empty(), "", "A value for 's' is required."},
  };
  BindingRegistry registry;
  registry.BeginEnum<State>("State")
      .AddEnumValue("None", State::kNone)
      .AddEnumValue("Running", State::kRunning);
  for (const auto& row : rows) {
    SCOPED_TRACE(row.message != nullptr ? row.message : row.expected);
    std::string native;
    BindingResult result;
    FromValue(result, native, Make(row.in), "s", registry);
    EXPECT_STREQ(result.Error(), row.message != nullptr ? row.message : "");
    EXPECT_EQ(native, row.expected);
  }
}

TEST(StringConversionTest, AnEnumeratorOfAnUnregisteredEnumerationHasNoName) {
  BindingRegistry registry;
  std::string native;
  BindingResult result;
  FromValue(result, native, Make(Enum(1)), "s", registry);
  EXPECT_STREQ(result.Error(), "1 is not a valid enumeration value for 's'.");
}

TEST(BlobConversionTest, BlobsAndBase64Texts) {
  struct Row {
    In in;
    std::vector<uint8_t> expected;
    const char* message;
  };
  const Row rows[] = {
      {Blob(), {0x00, 0xFF}, nullptr},
      {Text("AP8="), {0x00, 0xFF}, nullptr},
      {Text("Zm9vYg=="), {'f', 'o', 'o', 'b'}, nullptr},
      {Text(""), {}, nullptr},
      {Text("===="), {}, nullptr},
      {Text("AP8= "),
       {},
       "Couldn't assign string value to 'b' of type blob because the input has invalid base64 "
       "characters."},
      {Text("Zm9v\n"),
       {},
       "Couldn't assign string value to 'b' of type blob because the input has invalid base64 "
       "characters."},
      {Text("Zm\xC3\xA9"),
       {},
       "Couldn't assign string value to 'b' of type blob because the input has invalid base64 "
       "characters."},
      {Text("Zm-_"),
       {},
       "Couldn't assign string value to 'b' of type blob because the input has invalid base64 "
       "characters."},
      {Signed(1), {}, "Couldn't assign value to 'b' of type blob because the input is not a blob."},
      {Collection(),
       {},
       "Couldn't assign value to 'b' of type blob because the input is not a blob."},
      {Empty(), {}, "A value for 'b' is required."},
  };
  BindingRegistry registry;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.message != nullptr ? row.message : row.in.text);
    std::vector<uint8_t> native;
    BindingResult result;
    FromValue(result, native, Make(row.in), "b", registry);
    EXPECT_STREQ(result.Error(), row.message != nullptr ? row.message : "");
    EXPECT_EQ(native, row.expected);
  }
}

TEST(BlobConversionTest, AnEmbeddedNulIsNoBase64Character) {
  BindingRegistry registry;
  BindingProperty value;
  value.SetString(std::string_view("AP8=\0", 5));
  std::vector<uint8_t> native;
  BindingResult result;
  FromValue(result, native, value, "b", registry);
  EXPECT_FALSE(result.Ok());
}

class EnumConversionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    registry_.BeginEnum<State>("State")
        .AddEnumValue("None", State::kNone)
        .AddEnumValue("Running", State::kRunning);
  }
  BindingRegistry registry_;
};

TEST_F(EnumConversionTest, NumbersNamesAndEnumeratorsMustBeDefined) {
  constexpr TextRow<int32_t> rows[] = {
      {Text("Running"), 1, nullptr},
      {Text("None"), 0, nullptr},
      {Text("1"), 1, nullptr},
      {Text("0x1"), 1, nullptr},
      {Text(""), 0, nullptr},
      {Signed(1), 1, nullptr},
      {Signed(4294967297LL), 1, nullptr},
      {Unsigned(4294967296ULL), 0, nullptr},
      {Enum(1), 1, nullptr},
      {Text("7"), -1, "7 is not a valid State enumeration value for 'e'."},
      {Text("running"), -1, "running is not a valid State enumeration value for 'e'."},
      {Text("1 "), -1, "1  is not a valid State enumeration value for 'e'."},
      {Text("99999999999"), -1, "99999999999 is not a valid State enumeration value for 'e'."},
      {Signed(-1), -1, "-1 is not a valid State enumeration value for 'e'."},
      {Unsigned(4294967298ULL), -1, "4294967298 is not a valid State enumeration value for 'e'."},
      {Enum(9), -1, "9 is not a valid State enumeration value for 'e'."},
      {Bool(true), -1,
       "Couldn't assign value to 'e' of enum type because the input is of an invalid type bool."},
      {Float(1.0), -1,
       "Couldn't assign value to 'e' of enum type because the input is of an invalid type float."},
      {Blob(), -1,
       "Couldn't assign value to 'e' of enum type because the input is of an invalid type blob."},
      {Collection(), -1,
       "Couldn't assign value to 'e' of enum type because the input is of an invalid type "
       "collection."},
      {Structure(), -1,
       "Couldn't assign value to 'e' of enum type because the input is of an invalid type "
       "structure."},
      {Empty(), -1, "A value for 'e' is required."},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.message != nullptr ? row.message : row.in.text);
    State native = static_cast<State>(-1);
    BindingResult result;
    FromValue(result, native, Make(row.in), "e", registry_);
    EXPECT_STREQ(result.Error(), row.message != nullptr ? row.message : "");
    EXPECT_EQ(static_cast<int32_t>(native), row.expected);
  }
}

TEST_F(EnumConversionTest, AnEnumeratorOfAnotherEnumerationIsJudgedByItsValue) {
  enum class Other : int32_t { kOne = 1 };
  BindingProperty value;
  value.SetEnum(1, &StaticType::HashCode<Other>());
  State native = State::kNone;
  BindingResult result;
  FromValue(result, native, value, "e", registry_);
  EXPECT_TRUE(result.Ok());
  EXPECT_EQ(native, State::kRunning);
}

TEST(EnumWidthTest, EnumeratorsRoundTripAtEveryWidth) {
  enum class E1 : uint8_t { kLow = 1, kHigh = 200 };
  enum class E2 : int16_t { kLow = -2, kHigh = 30000 };
  enum class E4 : uint32_t { kLow = 0, kHigh = 0xFFFFFFFFu };
  enum class E8 : int64_t { kLow = -1, kHigh = 0x100000002LL };
  BindingRegistry registry;
  registry.BeginEnum<E1>("E1").AddEnumValue("low", E1::kLow).AddEnumValue("high", E1::kHigh);
  registry.BeginEnum<E2>("E2").AddEnumValue("low", E2::kLow).AddEnumValue("high", E2::kHigh);
  registry.BeginEnum<E4>("E4").AddEnumValue("low", E4::kLow).AddEnumValue("high", E4::kHigh);
  registry.BeginEnum<E8>("E8").AddEnumValue("low", E8::kLow).AddEnumValue("high", E8::kHigh);
  // 1 and 2 bytes read as signed, 8 bytes by their low 32 bits (written back sign-extended).
  auto check = [&registry](auto native, int32_t enumerator, const char* name, uint32_t size,
                           int64_t written) {
    using E = decltype(native);
    SCOPED_TRACE(name);
    const Vorn::BindingTypeRecord* record = registry.FindTypeByName(name);
    EXPECT_EQ(record->size, size);
    EXPECT_EQ(record->values.at("high").value, enumerator);
    BindingResult result;
    ToValue(result, native, registry);
    ASSERT_EQ(result.Value().GetType(), BindingProperty::Type::Enum);
    EXPECT_EQ(result.Value().GetEnum({}).value, enumerator);
    EXPECT_EQ(result.Value().GetEnum({}).identity, &StaticType::HashCode<E>());
    E back{};
    BindingResult assigned;
    FromValue(assigned, back, result.Value(), "e", registry);
    EXPECT_TRUE(assigned.Ok()) << assigned.Error();
    FromValue(assigned, back, Make(Text("high")), "e", registry);
    EXPECT_EQ(static_cast<int64_t>(back), written);
  };
  check(E1::kHigh, -56, "E1", 1, 200);
  check(E2::kHigh, 30000, "E2", 2, 30000);
  check(E4::kHigh, -1, "E4", 4, 0xFFFFFFFFLL);
  check(E8::kHigh, 2, "E8", 8, 2);

  E8 wide = E8::kHigh;
  BindingResult result;
  FromValue(result, wide, Make(Text("low")), "e", registry);
  EXPECT_EQ(static_cast<int64_t>(wide), -1);  // the 8-byte form is sign-extended
}

TEST(EnumWidthTest, AnUnregisteredEnumerationDefinesNoValue) {
  enum class Loose : int32_t { kA = 0 };
  BindingRegistry registry;
  Loose native = Loose::kA;
  BindingResult result;
  FromValue(result, native, Make(Signed(0)), "e", registry);
  EXPECT_EQ(std::string(result.Error()), "0 is not a valid " +
                                             std::string(StaticType::HashCode<Loose>().name) +
                                             " enumeration value for 'e'.");
}

TEST(ObjectConversionTest, EveryKindIsCopiedAndAFailedResultLeavesTheTargetEmpty) {
  BindingRegistry registry;
  for (const In& in : {Empty(), Bool(true), Signed(-1), Float(0.5), Text("x"), Enum(1), Blob(),
                       Collection(), Structure()}) {
    const BindingProperty source = Make(in);
    BindingProperty native;
    native.SetString("old");
    BindingResult result;
    FromValue(result, native, source, "o", registry);
    EXPECT_TRUE(result.Ok());
    EXPECT_EQ(native.GetType(), source.GetType());
    EXPECT_EQ(native.Size(), source.Size());
  }
  BindingProperty native;
  native.SetString("old");
  BindingResult failed;
  failed.SetError("earlier");
  FromValue(failed, native, Make(Signed(1)), "o", registry);
  EXPECT_EQ(native.GetType(), BindingProperty::Type::Empty);
  EXPECT_STREQ(failed.Error(), "earlier");
}

TEST(VectorConversionTest, ElementsFollowTheirRuleUnderTheVectorsName) {
  BindingRegistry registry;
  BindingProperty input;
  input.Append().SetSigned(1);
  input.Append();
  input.Append().SetString("3");
  std::vector<int32_t> numbers{9, 9, 9, 9};
  BindingResult result;
  FromValue(result, numbers, input, "v", registry);
  EXPECT_TRUE(result.Ok());
  EXPECT_EQ(numbers, (std::vector<int32_t>{1, 0, 3}));

  input.ElementAt(1).SetString("x");
  input.ElementAt(2).SetString("y");
  FromValue(result, numbers, input, "v", registry);
  EXPECT_STREQ(result.Error(), "Value x for 'v' of type int32 is in an incorrect format");
  EXPECT_EQ(numbers, (std::vector<int32_t>{1, 0, 0}));  // keeps its resized length

  // Emptied even once the result has failed.
  FromValue(result, numbers, input, "v", registry);
  EXPECT_TRUE(numbers.empty());
}

TEST(VectorConversionTest, BoolVectorsArePackedAndRequireAValue) {
  BindingRegistry registry;
  BindingProperty input;
  input.Append().SetBool(true);
  input.Append().SetString("0");
  input.Append();
  input.Append().SetString("1");
  std::vector<bool> bits;
  BindingResult result;
  FromValue(result, bits, input, "v", registry);
  EXPECT_TRUE(result.Ok());
  EXPECT_EQ(bits, (std::vector<bool>{true, false, false, true}));

  BindingResult back;
  ToValue(back, bits, registry);
  ASSERT_EQ(back.Value().Size(), 4u);
  EXPECT_EQ(back.Value().ElementAt(0).GetType(), BindingProperty::Type::Bool);
  EXPECT_TRUE(back.Value().ElementAt(3).GetBool());

  struct Row {
    In in;
    const char* message;
  };
  const Row rows[] = {
      {Empty(), "A value for 'v' is required."},
      {Signed(1),
       "Couldn't assign value to 'v' of type vector because the input not a collection."},
      {Structure(),
       "Couldn't assign value to 'v' of type vector because the input not a collection."},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.message);
    BindingResult bool_result;
    FromValue(bool_result, bits, Make(row.in), "v", registry);
    EXPECT_STREQ(bool_result.Error(), row.message);
  }
  std::vector<int8_t> small;
  BindingResult int8_result;
  FromValue(int8_result, small, Make(Empty()), "v", registry);
  EXPECT_STREQ(int8_result.Error(),
               "Couldn't assign value to 'v' of type vector because the input not a collection.");
}

TEST(MapConversionTest, MembersBecomeEntriesAndEmptyMembersNone) {
  BindingRegistry registry;
  BindingProperty input;
  input.MemberAt("c").SetString("3");
  input.MemberAt("a").SetSigned(1);
  input.MemberAt("b");
  std::unordered_map<std::string, int32_t> counts{{"old", 1}};
  BindingResult result;
  FromValue(result, counts, input, "m", registry);
  EXPECT_TRUE(result.Ok());
  EXPECT_EQ(counts, (std::unordered_map<std::string, int32_t>{{"a", 1}, {"c", 3}}));

  BindingResult back;
  ToValue(back, counts, registry);
  EXPECT_EQ(back.Value().GetType(), BindingProperty::Type::Structure);
  EXPECT_EQ(std::as_const(back.Value()).MemberAt("c").GetSigned(), 3);
  EXPECT_EQ(back.Value().Size(), 2u);

  input.MemberAt("a").SetString("x");
  input.MemberAt("c").SetString("y");
  FromValue(result, counts, input, "m", registry);
  EXPECT_STREQ(result.Error(), "Value x for 'm' of type int32 is in an incorrect format");

  std::map<std::string, std::string> texts{{"old", "1"}};
  BindingResult not_structure;
  FromValue(not_structure, texts, Make(Collection()), "m", registry);
  EXPECT_STREQ(not_structure.Error(),
               "Couldn't assign value to 'm' of type map because the input not a structure.");
  EXPECT_TRUE(texts.empty());
}

TEST(PrimitiveEntryTest, TheYamlReadersCallsNameTheirOwnTypes) {
  BindingResult result;
  EXPECT_EQ(
      Vorn::AssignSigned(result, Make(Text("-12")), "yaml", {"int64_t", INT64_MIN, INT64_MAX}),
      -12);
  EXPECT_EQ(Vorn::AssignUnsigned(result, Make(Text("0x10")), "yaml", {"uint64_t", UINT64_MAX}),
            16u);
  EXPECT_FALSE(Vorn::AssignFloat(result, Make(Text("abc")), "yaml",
                                 {"double", -1.7976931348623157e308, 1.7976931348623157e308}));
  EXPECT_STREQ(result.Error(), "Value abc for 'yaml' of type double is in an incorrect format");
  // The first failure stays.
  EXPECT_FALSE(Vorn::AssignSigned(result, Make(Signed(1)), "yaml", Vorn::kBindingInt64Range));
  EXPECT_FALSE(Vorn::AssignBool(result, Make(Bool(true)), "yaml"));
  EXPECT_STREQ(result.Error(), "Value abc for 'yaml' of type double is in an incorrect format");

  BindingResult unsigned_result;
  EXPECT_FALSE(Vorn::AssignUnsigned(unsigned_result, Make(Text("99999999999999999999")), "yaml",
                                    {"uint64_t", UINT64_MAX}));
  EXPECT_STREQ(unsigned_result.Error(),
               "Value 99999999999999999999 for 'yaml' of type uint64_t is out of range");
}

// Records shaped like the loyalty message: nested vectors of records and an enumeration.
enum class Category : int32_t { kLegacy = 0, kGrant = 1, kDisabled = 5 };
struct Reward {
  int32_t championId = 0;
  std::vector<int32_t> skins;
  friend bool operator==(const Reward&, const Reward&) = default;
};
struct Rewards {
  std::vector<Reward> champions;
  int32_t ipBoost = 0;
  int32_t xpBoost = 0;
  friend bool operator==(const Rewards&, const Rewards&) = default;
};
struct Notification {
  uint64_t accountId = 0;
  Category notificationCategory = Category::kDisabled;
  Rewards rewards;
  friend bool operator==(const Notification&, const Notification&) = default;
};

void RegisterNotification(BindingRegistry& registry) {
  registry.BeginEnum<Category>("Category")
      .AddEnumValue("legacy", Category::kLegacy)
      .AddEnumValue("grant", Category::kGrant)
      .AddEnumValue("disabled", Category::kDisabled);
  registry.BeginType<Reward>("Reward")
      .AddField("championId", &Reward::championId)
      .AddField("skins", &Reward::skins);
  registry.BeginType<Rewards>("Rewards")
      .AddField("champions", &Rewards::champions)
      .AddField("ipBoost", &Rewards::ipBoost)
      .AddField("xpBoost", &Rewards::xpBoost);
  registry.BeginType<Notification>("Notification")
      .AddField("accountId", &Notification::accountId)
      .AddField("notificationCategory", &Notification::notificationCategory)
      .AddField("rewards", &Notification::rewards);
}

class RecordConversionTest : public ::testing::Test {
 protected:
  void SetUp() override { RegisterNotification(registry_); }
  BindingRegistry registry_;
};

TEST_F(RecordConversionTest, ANestedRecordRoundTrips) {
  Notification native;
  native.accountId = 18446744073709551615ULL;
  native.notificationCategory = Category::kGrant;
  native.rewards.champions = {{1, {10, 11}}, {2, {}}, {3, {30}}};
  native.rewards.ipBoost = -4;
  native.rewards.xpBoost = 5;

  BindingResult value;
  ToValue(value, native, registry_);
  ASSERT_TRUE(value.Ok()) << value.Error();
  const BindingProperty& root = value.Value();
  EXPECT_EQ(root.MemberAt("accountId").GetUnsigned(), 18446744073709551615ULL);
  EXPECT_EQ(root.MemberAt("notificationCategory").GetEnum({}).value, 1);
  const BindingProperty& champions = root.MemberAt("rewards").MemberAt("champions");
  ASSERT_EQ(champions.Size(), 3u);
  EXPECT_EQ(champions.ElementAt(0).MemberAt("skins").ElementAt(1).GetSigned(), 11);
  EXPECT_EQ(champions.ElementAt(1).MemberAt("skins").GetType(), BindingProperty::Type::Collection);
  EXPECT_EQ(root.MemberAt("rewards").MemberAt("ipBoost").GetSigned(), -4);

  Notification back;
  BindingResult assigned;
  FromValue(assigned, back, root, "<value>", registry_);
  ASSERT_TRUE(assigned.Ok()) << assigned.Error();
  EXPECT_EQ(back, native);
}

TEST_F(RecordConversionTest, MissingMembersKeepTheNativeDefaultsAndExtraMembersAreIgnored) {
  BindingProperty body;
  body.MemberAt("notificationCategory").SetString("legacy");
  body.MemberAt("unknown").SetSigned(3);
  body.MemberAt("accountId");  // Empty counts as missing
  Notification native;
  native.accountId = 77;
  BindingResult result;
  FromValue(result, native, body, "<value>", registry_);
  EXPECT_TRUE(result.Ok());
  EXPECT_EQ(native.accountId, 77u);
  EXPECT_EQ(native.notificationCategory, Category::kLegacy);
  EXPECT_TRUE(native.rewards.champions.empty());
}

TEST_F(RecordConversionTest, RecordMessagesNameTheRecordOrTheField) {
  struct Row {
    const char* body;  // description of the input
    BindingProperty input;
    const char* message;
  };
  BindingProperty bad_field;
  bad_field.MemberAt("rewards").MemberAt("xpBoost").SetString("x");
  bad_field.MemberAt("accountId").SetSigned(-1);
  BindingProperty bad_element;
  bad_element.MemberAt("rewards")
      .MemberAt("champions")
      .Append()
      .MemberAt("skins")
      .Append()
      .SetBool(true);
  BindingProperty bad_nested;
  bad_nested.MemberAt("rewards").SetSigned(1);
  BindingProperty bad_enum;
  bad_enum.MemberAt("notificationCategory").SetString("revoke");
  Row rows[] = {
      {"empty", BindingProperty(), "A value for 'r' is required."},
      {"signed", Make(Signed(1)),
       "Couldn't assign value to 'r' of type Notification because the input not a structure."},
      {"collection", Make(Collection()),
       "Couldn't assign value to 'r' of type Notification because the input not a structure."},
      {"first failing field", std::move(bad_field),
       "Value -1 for 'accountId' of type uint64 is out of range"},
      {"vector element", std::move(bad_element),
       "Couldn't assign value to 'skins' of type int32 because the input is of an invalid type "
       "bool."},
      {"nested record", std::move(bad_nested),
       "Couldn't assign value to 'rewards' of type Rewards because the input not a structure."},
      {"enumerator", std::move(bad_enum),
       "revoke is not a valid Category enumeration value for 'notificationCategory'."},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.body);
    Notification native;
    BindingResult result;
    FromValue(result, native, row.input, "r", registry_);
    EXPECT_STREQ(result.Error(), row.message);
  }
}

TEST_F(RecordConversionTest, FieldsAssignedBeforeAFailureStay) {
  BindingProperty body;
  body.MemberAt("accountId").SetUnsigned(uint64_t{9});
  body.MemberAt("notificationCategory").SetSigned(3);
  body.MemberAt("rewards").MemberAt("ipBoost").SetSigned(2);
  Notification native;
  BindingResult result;
  FromValue(result, native, body, "r", registry_);
  EXPECT_STREQ(result.Error(),
               "3 is not a valid Category enumeration value for 'notificationCategory'.");
  EXPECT_EQ(native.accountId, 9u);
  EXPECT_EQ(native.rewards.ipBoost, 0);
}

TEST(RecordRegistrationOrderTest, ElementsOfAnUnregisteredRecordFailOnlyWhenPresent) {
  BindingRegistry registry;
  registry.BeginType<Rewards>("Rewards").AddField("champions", &Rewards::champions);
  registry.BeginType<Reward>("Reward").AddField("championId", &Reward::championId);

  Rewards native;
  BindingResult empty_vector;
  ToValue(empty_vector, native, registry);
  EXPECT_TRUE(empty_vector.Ok());
  EXPECT_EQ(empty_vector.Value().MemberAt("champions").GetType(),
            BindingProperty::Type::Collection);

  native.champions.push_back({});
  BindingResult to_value;
  ToValue(to_value, native, registry);
  EXPECT_STREQ(to_value.Error(),
               "Couldn't convert native value because it's an unregistered structure.");

  BindingProperty body;
  body.MemberAt("champions").Append().MemberAt("championId").SetSigned(1);
  BindingResult from_value;
  FromValue(from_value, native, body, "r", registry);
  EXPECT_STREQ(from_value.Error(),
               "Couldn't assign value to 'champions' because the input is an unregistered "
               "structure or not a structure at all.");
}

TEST(RecordRegistrationOrderTest, AnUnregisteredRecordFailsBothWays) {
  BindingRegistry registry;
  Reward native;
  BindingResult to_value;
  ToValue(to_value, native, registry);
  EXPECT_STREQ(to_value.Error(),
               "Couldn't convert native value because it's an unregistered structure.");
  BindingResult from_value;
  FromValue(from_value, native, Make(Structure()), "r", registry);
  EXPECT_STREQ(from_value.Error(),
               "Couldn't assign value to 'r' because the input is an unregistered structure or "
               "not a structure at all.");
  BindingResult untyped;
  Vorn::ToValue(untyped, nullptr, &native);
  EXPECT_STREQ(untyped.Error(),
               "Couldn't convert native value because it's an unregistered structure.");
}

struct Flagged {
  std::string name;
  int32_t count = 0;
  std::vector<int32_t> list;
  std::string note;
  int32_t id = 0;
};

TEST(FieldFlagsTest, OmitIfEmptyLeavesEmptyMembersOut) {
  BindingRegistry registry;
  constexpr uint32_t kOmit = BindingFieldFlags::OmitIfEmpty;
  registry.BeginType<Flagged>("Flagged")
      .AddField("name", &Flagged::name)
      .SetFieldFlags(kOmit)
      .AddField("count", &Flagged::count)
      .SetFieldFlags(kOmit)
      .AddField("list", &Flagged::list)
      .SetFieldFlags(kOmit)
      .AddField("note", &Flagged::note)
      .AddField("id", &Flagged::id);
  Flagged native;
  BindingResult empty;
  ToValue(empty, native, registry);
  std::vector<std::string> members;
  for (const auto& member : empty.Value().Members())
    members.emplace_back(member.name);
  EXPECT_EQ(members, (std::vector<std::string>{"id", "note"}));

  native.name = "n";
  native.count = 2;
  native.list = {0};
  BindingResult full;
  ToValue(full, native, registry);
  EXPECT_EQ(full.Value().Size(), 5u);
  EXPECT_STREQ(full.Value().MemberAt("name").GetString(), "n");
}

TEST(FieldFlagsTest, RequiredFieldsMustBePresentAndNotEmpty) {
  BindingRegistry registry;
  registry.BeginType<Flagged>("Flagged")
      .AddField("name", &Flagged::name)
      .AddField("id", &Flagged::id)
      .SetFieldFlags(BindingFieldFlags::Required);
  struct Row {
    const char* case_name;
    bool with_id;
    bool id_empty;
    const char* message;
  };
  const Row rows[] = {
      {"missing", false, false,
       "Couldn't assign value to 'f' of type Flagged because the input structure doesn't have "
       "required field 'id'."},
      {"empty", true, true,
       "Couldn't assign value to 'f' of type Flagged because the input structure doesn't have "
       "required field 'id'."},
      {"present", true, false, ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.case_name);
    BindingProperty body;
    body.MemberAt("name").SetString("x");
    if (row.with_id) {
      BindingProperty& id = body.MemberAt("id");
      if (!row.id_empty) id.SetSigned(4);
    }
    Flagged native;
    BindingResult result;
    FromValue(result, native, body, "f", registry);
    EXPECT_STREQ(result.Error(), row.message);
    EXPECT_EQ(native.name, "x");  // assigned before the required check failed
  }
}

struct Wrapped {
  std::optional<int32_t> maybe;
  std::optional<std::string> label;
  Vorn::BindingCallbackHandle callback;
  Vorn::BindingProperty data;
  std::vector<uint8_t> bytes;
};

TEST(WrapperConversionTest, OptionalsAndCallbackHandlesUseTheWrappedRules) {
  BindingRegistry registry;
  registry.BeginType<Wrapped>("Wrapped")
      .AddField("maybe", &Wrapped::maybe)
      .AddField("label", &Wrapped::label)
      .SetFieldFlags(BindingFieldFlags::OmitIfEmpty)
      .AddField("callback", &Wrapped::callback)
      .AddField("data", &Wrapped::data)
      .AddField("bytes", &Wrapped::bytes);
  Wrapped native;
  native.callback.id = 7;
  native.data.MemberAt("k").SetString("v");
  native.bytes = {1, 2};
  BindingResult value;
  ToValue(value, native, registry);
  const BindingProperty& root = value.Value();
  EXPECT_EQ(root.MemberAt("maybe").GetType(), BindingProperty::Type::Empty);
  EXPECT_EQ(root.Size(), 4u);  // "label" is missing and so omitted
  EXPECT_EQ(root.MemberAt("callback").GetUnsigned(), 7u);
  EXPECT_STREQ(root.MemberAt("data").MemberAt("k").GetString(), "v");
  EXPECT_EQ(root.MemberAt("bytes").GetBlob().size(), 2u);

  BindingProperty body;
  body.MemberAt("maybe").SetString("5");
  body.MemberAt("label").SetString("l");
  body.MemberAt("callback").SetString("9");
  body.MemberAt("bytes").SetString("AwQ=");
  Wrapped back;
  BindingResult assigned;
  FromValue(assigned, back, body, "w", registry);
  ASSERT_TRUE(assigned.Ok()) << assigned.Error();
  EXPECT_EQ(back.maybe, 5);
  EXPECT_EQ(back.label, "l");
  EXPECT_EQ(back.callback.id, 9u);
  EXPECT_EQ(back.bytes, (std::vector<uint8_t>{3, 4}));

  std::optional<int32_t> top = 3;
  BindingResult missing;
  FromValue(missing, top, BindingProperty(), "o", registry);
  EXPECT_TRUE(missing.Ok());
  EXPECT_FALSE(top.has_value());
  BindingResult bad;
  FromValue(bad, top, Make(Text("x")), "o", registry);
  EXPECT_STREQ(bad.Error(), "Value x for 'o' of type int32 is in an incorrect format");

  Vorn::BindingCallbackHandle handle;
  BindingResult negative;
  FromValue(negative, handle, Make(Signed(-1)), "c", registry);
  EXPECT_STREQ(negative.Error(), "Value -1 for 'c' of type uint32 is out of range");
}

TEST(WrapperConversionTest, FieldConvertersServeUntypedCallers) {
  BindingRegistry registry;
  RegisterNotification(registry);
  const Vorn::BindingTypeRecord* record = registry.FindTypeByName("Notification");
  Notification native;
  native.accountId = 5;
  BindingResult field;
  ToValue(field, &native.accountId, record->fields[0]);
  EXPECT_EQ(field.Value().GetUnsigned(), 5u);

  BindingProperty body;
  body.MemberAt("accountId").SetSigned(6);
  BindingResult assigned;
  FromValue(assigned, &native, body, "n", record);
  EXPECT_EQ(native.accountId, 6u);
  BindingResult whole;
  ToValue(whole, record, &native);
  EXPECT_EQ(whole.Value().MemberAt("accountId").GetUnsigned(), 6u);
}

}  // namespace
