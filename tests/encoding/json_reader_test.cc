// ParseJson: number kinds, strings and names cut at NUL, merged repeated members, error texts
// with offsets, the nesting limit on a small stack, the sized overloads; LooksLikeJson.
#include "sdk/encoding/json_reader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <string>

#include "tests/encoding/reader_test_support.h"

namespace Vorn {
namespace {

using Testing::Repeat;
using Testing::RunOnSmallStack;

using Type = BindingProperty::Type;

// A typed text of a value, so that the reader is checked without the writer: u1, s-1, f1.5,
// b1, "x", [..], {name:..}, and ~ for Empty.
std::string Typed(const BindingProperty& value) {
  char number[40];
  switch (value.GetType()) {
    case Type::Empty:
      return "~";
    case Type::Bool:
      return value.GetBool() ? "b1" : "b0";
    case Type::Signed:
      std::snprintf(number, sizeof number, "s%lld", static_cast<long long>(value.GetSigned()));
      return number;
    case Type::Unsigned:
      std::snprintf(number, sizeof number, "u%llu",
                    static_cast<unsigned long long>(value.GetUnsigned()));
      return number;
    case Type::Float:
      std::snprintf(number, sizeof number, "f%.17g", value.GetFloat());
      return number;
    case Type::String:
      return "\"" + std::string(value.GetStringView()) + "\"";
    case Type::Collection: {
      std::string text = "[";
      for (const BindingProperty& element : value.Elements()) {
        if (text.size() > 1) text += ",";
        text += Typed(element);
      }
      return text + "]";
    }
    case Type::Structure: {
      std::string text = "{";
      for (const auto& member : value.Members()) {
        if (text.size() > 1) text += ",";
        text += std::string(member.name) + ":" + Typed(member.value);
      }
      return text + "}";
    }
    default:
      return "?";
  }
}

struct ValueRow {
  const char* json;
  const char* typed;
};

void ExpectValues(const ValueRow* rows, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    SCOPED_TRACE(rows[i].json);
    const BindingResult result = ParseJson(rows[i].json);
    ASSERT_TRUE(result.Ok()) << result.Error();
    EXPECT_EQ(Typed(result.Value()), rows[i].typed);
  }
}

TEST(JsonReaderTest, NumberKindsFollowTheirForm) {
  constexpr ValueRow kRows[] = {
      {"0", "u0"},
      {"-0", "s0"},
      {"4294967295", "u4294967295"},
      {"4294967296", "u4294967296"},
      {"18446744073709551615", "u18446744073709551615"},
      {"18446744073709551616", "f1.8446744073709552e+19"},
      {"-1", "s-1"},
      {"-2147483648", "s-2147483648"},
      {"-2147483649", "s-2147483649"},
      {"-9223372036854775808", "s-9223372036854775808"},
      {"-9223372036854775809", "f-9.2233720368547758e+18"},
      {"1.0", "f1"},
      {"1e2", "f100"},
      {"-0.0", "f-0"},
      {"-1.5E-3", "f-0.0015"},
      {"1.7976931348623157e308", "f1.7976931348623157e+308"},
      {"-17976931348623157e292", "f-1.7976931348623157e+308"},
      {"4.9406564584124654e-324", "f4.9406564584124654e-324"},
      {"[1,-1,1.5]", "[u1,s-1,f1.5]"},
  };
  ExpectValues(kRows, std::size(kRows));
}

TEST(JsonReaderTest, ScalarsContainersAndEmptyTexts) {
  constexpr ValueRow kRows[] = {
      {"", "~"},
      {" \t\r\n ", "~"},
      {"null", "~"},
      {" true ", "b1"},
      {"false", "b0"},
      {"\"x\"", "\"x\""},
      {"\"\"", "\"\""},
      {"[null]", "[~]"},
      {"[]", "[]"},
      {"{}", "{}"},
      {"[[],{},[[1]]]", "[[],{},[[u1]]]"},
      {"{\"b\":1,\"a\":2,\"B\":3}", "{B:u3,a:u2,b:u1}"},
      {"{\"a\":null}", "{a:~}"},
  };
  ExpectValues(kRows, std::size(kRows));
}

TEST(JsonReaderTest, DecodesEscapesAndCutsTextsAtNul) {
  constexpr ValueRow kRows[] = {
      {R"("\"\\\/\b\f\n\r\t")", "\"\"\\/\b\f\n\r\t\""},
      {R"("\u00e9\u20AC")", "\"\xC3\xA9\xE2\x82\xAC\""},
      {R"("\uD83D\uDE00")", "\"\xF0\x9F\x98\x80\""},
      {"\"\xC3\xA9\"", "\"\xC3\xA9\""},
      {R"({"a":"x\u0000y"})", "{a:\"x\"}"},
      {R"(["\u0000tail"])", "[\"\"]"},
      {R"({"k\u0000z":1})", "{k:u1}"},
      {R"({"k\u0000z":1,"k":2})", "{k:u2}"},
  };
  ExpectValues(kRows, std::size(kRows));
}

TEST(JsonReaderTest, RepeatedMembersAddressTheSameMember) {
  constexpr ValueRow kRows[] = {
      {R"({"a":1,"a":"x"})", "{a:\"x\"}"},
      {R"({"a":[1],"a":[2]})", "{a:[u1,u2]}"},
      {R"({"a":{"x":1},"a":{"y":2}})", "{a:{x:u1,y:u2}}"},
      {R"({"a":{"x":1},"a":{"x":[3]}})", "{a:{x:[u3]}}"},
      {R"({"a":[{"x":1}],"a":[{"x":2}]})", "{a:[{x:u1},{x:u2}]}"},
      // null leaves what the member already holds.
      {R"({"a":1,"a":null})", "{a:u1}"},
      // A container of the other kind replaces the earlier value.
      {R"({"a":[1],"a":{"b":2}})", "{a:{b:u2}}"},
      {R"({"a":{"b":2},"a":3})", "{a:u3}"},
      {R"([{"a":[1],"a":[2]},{"a":[3]}])", "[{a:[u1,u2]},{a:[u3]}]"},
  };
  ExpectValues(kRows, std::size(kRows));
}

TEST(JsonReaderTest, ReportsSyntaxErrorsWithTheirOffset) {
  struct Row {
    const char* json;
    const char* message;
  };
  constexpr Row kRows[] = {
      {"[1] x", "Error: The document root must not follow by other values. at offset 4."},
      {"1 2", "Error: The document root must not follow by other values. at offset 2."},
      {"[1,]", "Error: Invalid value. at offset 3."},
      {"[1 2]", "Error: Missing a comma or ']' after an array element. at offset 3."},
      {"[1", "Error: Missing a comma or ']' after an array element. at offset 2."},
      {"{\"a\" 1}", "Error: Missing a colon after a name of object member. at offset 5."},
      {"{\"a\":1 \"b\":2}", "Error: Missing a comma or '}' after an object member. at offset 7."},
      {"{1:2}", "Error: Missing a name for object member. at offset 1."},
      {"{\"a\":1,}", "Error: Missing a name for object member. at offset 7."},
      {"\"abc", "Error: Missing a closing quotation mark in string. at offset 4."},
      {"\"\\x\"", "Error: Invalid escape character in string. at offset 1."},
      {"\"\\u12G4\"", "Error: Incorrect hex digit after \\u escape in string. at offset 1."},
      {"\"\\uD800\"", "Error: The surrogate pair in string is invalid. at offset 1."},
      {"1e400", "Error: Number too big to be stored in double. at offset 0."},
      // Beyond the double range, where the reader's own conversion would give infinity.
      {"2e308", "Error: Number too big to be stored in double. at offset 0."},
      {"[1, -10e308]", "Error: Number too big to be stored in double. at offset 4."},
      {"{\"a\":6931348223157e308}", "Error: Number too big to be stored in double. at offset 5."},
      {"1.", "Error: Miss fraction part in number. at offset 2."},
      {"1e", "Error: Miss exponent in number. at offset 2."},
      {"NaN", "Error: Invalid value. at offset 0."},
      {"[Infinity]", "Error: Invalid value. at offset 1."},
      {"'a'", "Error: Invalid value. at offset 0."},
      {"// c\n1", "Error: Invalid value. at offset 0."},
      {"nul", "Error: Invalid value. at offset 3."},
  };
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.json);
    const BindingResult result = ParseJson(row.json);
    EXPECT_FALSE(result.Ok());
    EXPECT_STREQ(result.Error(), row.message);
    // What had been built is gone: only the message remains.
    EXPECT_EQ(result.Value().Size(), 1u);
  }
}

TEST(JsonReaderTest, RefusesTheLevelBeyondTheNestingLimit) {
  struct Row {
    std::string json;
    const char* message;  // null: ok
  };
  const Row rows[] = {
      {Repeat("[", 512) + Repeat("]", 512), nullptr},
      {Repeat("[", 513) + Repeat("]", 513), "Error: Nesting is too deep. at offset 512."},
      {Repeat("{\"a\":", 511) + "[1]" + Repeat("}", 511), nullptr},
      {Repeat("{\"a\":", 512) + "[1]" + Repeat("}", 512),
       "Error: Nesting is too deep. at offset 2560."},
      {"[" + Repeat("[],", 1000) + Repeat(" [", 512),
       "Error: Nesting is too deep. at offset 4024."},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.json.substr(0, 12));
    const BindingResult result = ParseJson(row.json);
    if (row.message == nullptr) {
      EXPECT_TRUE(result.Ok()) << result.Error();
    } else {
      EXPECT_STREQ(result.Error(), row.message);
    }
  }
}

TEST(JsonReaderTest, AMebibyteOfBracketsFailsOnASmallStack) {
  const std::string text(1 << 20, '[');
  std::string message;
  RunOnSmallStack([&] { message = ParseJson(text).Error(); });
  EXPECT_EQ(message, "Error: Nesting is too deep. at offset 512.");
}

TEST(JsonReaderTest, SizedTextsEndAtTheirFirstNulOrTheirSize) {
  EXPECT_EQ(Typed(ParseJson(std::string("[1]\0[2]", 7)).Value()), "[u1]");
  EXPECT_EQ(Typed(ParseJson(std::string_view("[1]\0[2]", 7)).Value()), "[u1]");
  EXPECT_TRUE(ParseJson(static_cast<const char*>(nullptr)).Ok());
  EXPECT_TRUE(ParseJson(std::string_view()).Ok());

  // Exactly the three bytes, without a terminator: reading past them is a sanitizer finding.
  const std::unique_ptr<char[]> bytes(new char[3]{'[', '7', ']'});
  EXPECT_EQ(Typed(ParseJson(std::string_view(bytes.get(), 3)).Value()), "[u7]");
  EXPECT_STREQ(ParseJson(std::string_view(bytes.get(), 2)).Error(),
               "Error: Missing a comma or ']' after an array element. at offset 2.");
}

TEST(JsonReaderTest, LooksLikeJsonSkipsOnlySpaces) {
  struct Row {
    const char* text;
    bool json;
  };
  constexpr Row kRows[] = {
      {"   [1]", true}, {"{}", true},   {"[", true},      {"\t{}", false},
      {"\n[1]", false}, {"42", false},  {"\"x\"", false}, {"true", false},
      {"", false},      {"   ", false}, {nullptr, false},
  };
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.text == nullptr ? "(null)" : row.text);
    EXPECT_EQ(LooksLikeJson(row.text), row.json);
  }
}

}  // namespace
}  // namespace Vorn
