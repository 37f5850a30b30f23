// WriteJson: the empty-value rule, number and float forms, NaN and infinity, string escapes,
// blobs, enum names, the compact and pretty layouts and the newline replacement.
#include "sdk/encoding/json_writer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

#include "sdk/encoding/json_reader.h"

namespace Vorn {
namespace {

const StaticTypeIdentity kColour(0x00C0105Eu);
const StaticTypeIdentity kUnknown(0x0BADF00Du);

// Knows the enumeration kColour only: 0 "Red", 1 "Green" and "Lime", 7 nothing.
class ColourNames final : public BindingEnumNameLookup {
 public:
  const char* FindEnumeratorName(const StaticTypeIdentity& identity, int32_t value) const override {
    if (identity.hash != kColour.hash) return nullptr;
    switch (value) {
      case 0:
        return "Red";
      case 1:
        return "Green";
      case -2:
        return "Dark \"Blue\"";
      default:
        return nullptr;
    }
  }
};

BindingProperty FloatValue(double number) {
  BindingProperty value;
  value.SetFloat(number);
  return value;
}

TEST(JsonWriterTest, EmptyIsTheEmptyTextOnlyAtTheRoot) {
  BindingProperty value;
  EXPECT_EQ(WriteJson(value), "");
  EXPECT_EQ(WriteJson(value, nullptr, "\n"), "");
  value.Append();
  EXPECT_EQ(WriteJson(value), "[null]");
  BindingProperty structure;
  structure.MemberAt("a");
  EXPECT_EQ(WriteJson(structure), "{\"a\":null}");
}

TEST(JsonWriterTest, WritesIntegersAndBooleans) {
  BindingProperty values;
  values.Append().SetSigned(int64_t{-5});
  values.Append().SetSigned(std::numeric_limits<int64_t>::min());
  values.Append().SetSigned(int64_t{0});
  values.Append().SetUnsigned(std::numeric_limits<uint64_t>::max());
  values.Append().SetBool(true);
  values.Append().SetBool(false);
  EXPECT_EQ(WriteJson(values), "[-5,-9223372036854775808,0,18446744073709551615,true,false]");
}

TEST(JsonWriterTest, FloatsTakeTheShortestFormThatReadsBack) {
  struct Row {
    double value;
    const char* json;
  };
  const Row rows[] = {
      {1.0, "1.0"},
      {0.0, "0.0"},
      {-0.0, "-0.0"},
      {100.0, "100.0"},
      {-1.5, "-1.5"},
      {12.34, "12.34"},
      {0.1, "0.1"},
      {1e20, "100000000000000000000.0"},
      {1e21, "1e21"},
      {1.234e33, "1.234e33"},
      {0.001234, "0.001234"},
      {0.000001, "0.000001"},
      {1e-7, "1e-7"},
      {-1.5e-7, "-1.5e-7"},
      {5e-324, "5e-324"},
      {1.7976931348623157e308, "1.7976931348623157e308"},
      {std::numeric_limits<double>::quiet_NaN(), "null"},
      {std::numeric_limits<double>::infinity(), "null"},
      {-std::numeric_limits<double>::infinity(), "null"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.json);
    EXPECT_EQ(WriteJson(FloatValue(row.value)), row.json);
    EXPECT_EQ(WriteJson(FloatValue(row.value), nullptr, "\n"), row.json);
  }
  // Inside containers as well: the output stays valid JSON.
  BindingProperty structure;
  structure.MemberAt("n").SetFloat(-std::numeric_limits<double>::infinity());
  structure.MemberAt("z").SetFloat(2.5);
  EXPECT_EQ(WriteJson(structure), "{\"n\":null,\"z\":2.5}");
}

TEST(JsonWriterTest, EscapesTextsAndNamesByteForByte) {
  struct Row {
    std::string_view text;
    const char* json;
  };
  constexpr Row kRows[] = {
      {"plain", "\"plain\""},
      {"\"", "\"\\\"\""},
      {"\\", "\"\\\\\""},
      {"\b\t\n\f\r", "\"\\b\\t\\n\\f\\r\""},
      {"\x01\x1F", "\"\\u0001\\u001F\""},
      {"/\x7F", "\"/\x7F\""},
      {"\xC3\xA9\xFF", "\"\xC3\xA9\xFF\""},
      {std::string_view("a\0b", 3), "\"a\\u0000b\""},
  };
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.json);
    BindingProperty value;
    value.SetString(row.text);
    EXPECT_EQ(WriteJson(value), row.json);
    BindingProperty structure;
    structure.MemberAt(row.text).SetBool(true);
    EXPECT_EQ(WriteJson(structure), "{" + std::string(row.json) + ":true}");
  }
}

TEST(JsonWriterTest, BlobsAreBase64Texts) {
  BindingProperty values;
  const uint8_t bytes[] = {0x00, 0xFF};
  values.Append().SetBlob(bytes, 2);
  values.Append().SetBlob(bytes, 0);
  values.Append().SetBlob("foob", 4);
  EXPECT_EQ(WriteJson(values), "[\"AP8=\",\"\",\"Zm9vYg==\"]");
}

TEST(JsonWriterTest, EnumsAreNamedThroughTheRegistryOrWrittenAsNumbers) {
  struct Row {
    int32_t value;
    const StaticTypeIdentity* identity;
    const char* with_registry;
    const char* without;
  };
  const Row rows[] = {
      {0, &kColour, "\"Red\"", "0"},
      {1, &kColour, "\"Green\"", "1"},
      {-2, &kColour, "\"Dark \\\"Blue\\\"\"", "-2"},
      {7, &kColour, "7", "7"},
      {-7, &kColour, "-7", "-7"},
      {std::numeric_limits<int32_t>::min(), &kColour, "-2147483648", "-2147483648"},
      {0, &kUnknown, "0", "0"},
      {1, nullptr, "1", "1"},
  };
  const ColourNames names;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.without);
    BindingProperty value;
    value.SetEnum(row.value, row.identity);
    EXPECT_EQ(WriteJson(value, &names), row.with_registry);
    EXPECT_EQ(WriteJson(value), row.without);
  }
}

// {"b":[1,{}],"a":{"x":[]},"c":"l\nf"} built directly.
BindingProperty LayoutSample() {
  BindingProperty value;
  BindingProperty& b = value.MemberAt("b");
  b.Append().SetUnsigned(uint64_t{1});
  b.Append().MakeStructure();
  value.MemberAt("a").MemberAt("x").MakeCollection();
  value.MemberAt("c").SetString("l\nf");
  return value;
}

TEST(JsonWriterTest, CompactLayoutHasNoWhitespaceAndOrderedMembers) {
  EXPECT_EQ(WriteJson(LayoutSample()), R"({"a":{"x":[]},"b":[1,{}],"c":"l\nf"})");
  EXPECT_EQ(WriteJson(LayoutSample(), nullptr, ""), R"({"a":{"x":[]},"b":[1,{}],"c":"l\nf"})");
  EXPECT_EQ(WriteJson(ParseJson(R"({"b":1,"a":2})").Value()), R"({"a":2,"b":1})");
}

TEST(JsonWriterTest, PrettyLayoutIndentsByFourAndReplacesLineBreaks) {
  struct Row {
    const char* newline;
    const char* json;
  };
  constexpr Row kRows[] = {
      {"\n",
       "{\n    \"a\": {\n        \"x\": []\n    },\n    \"b\": [\n        1,\n        {}\n    ],\n"
       "    \"c\": \"l\\nf\"\n}"},
      {"\r\n",
       "{\r\n    \"a\": {\r\n        \"x\": []\r\n    },\r\n    \"b\": [\r\n        1,\r\n"
       "        {}\r\n    ],\r\n    \"c\": \"l\\nf\"\r\n}"},
      {"<br>",
       "{<br>    \"a\": {<br>        \"x\": []<br>    },<br>    \"b\": [<br>        1,<br>"
       "        {}<br>    ],<br>    \"c\": \"l\\nf\"<br>}"},
  };
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.newline);
    EXPECT_EQ(WriteJson(LayoutSample(), nullptr, row.newline), row.json);
  }
  EXPECT_EQ(WriteJson(ParseJson(R"({"a":[1,2]})").Value(), nullptr, "\r\n"),
            "{\r\n    \"a\": [\r\n        1,\r\n        2\r\n    ]\r\n}");
  EXPECT_EQ(WriteJson(ParseJson("[]").Value(), nullptr, "\r\n"), "[]");
  EXPECT_EQ(WriteJson(ParseJson("\"a\\nb\"").Value(), nullptr, "\r\n"), "\"a\\nb\"");
}

TEST(JsonWriterTest, WritesValuesDeeperThanTheReaderAccepts) {
  constexpr int kDepth = 5000;
  BindingProperty value;
  BindingProperty* level = &value;
  for (int i = 0; i < kDepth; ++i)
    level = &level->Append();
  level->SetUnsigned(uint64_t{1});
  EXPECT_EQ(WriteJson(value), std::string(kDepth, '[') + "1" + std::string(kDepth, ']'));
}

TEST(JsonWriterTest, ReadingBackGivesTheSameText) {
  constexpr const char* kTexts[] = {
      R"({"a":[1,-2,3.5,true,false,null],"b":{"c":"d\u0001"},"e":[]})",
      R"([0,-0,18446744073709551615,-9223372036854775808,1e300,1.0e-300])",
      R"("\"\\\/é")",
  };
  for (const char* text : kTexts) {
    SCOPED_TRACE(text);
    const BindingResult first = ParseJson(text);
    ASSERT_TRUE(first.Ok()) << first.Error();
    const std::string written = WriteJson(first.Value());
    EXPECT_EQ(WriteJson(ParseJson(written).Value()), written);
    const std::string pretty = WriteJson(first.Value(), nullptr, "\r\n");
    EXPECT_EQ(WriteJson(ParseJson(pretty).Value()), written);
  }
}

}  // namespace
}  // namespace Vorn
