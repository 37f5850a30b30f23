// YAML reader: scalar typing, tags, keys, anchors and aliases, the failures with their marks,
// the nesting limit on a small stack, the alias-expansion caps; LooksLikeYaml.
#include "sdk/encoding/yaml_reader.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>

#include "tests/encoding/reader_test_support.h"

namespace Vorn {
namespace {

using Testing::Repeat;
using Testing::RunOnSmallStack;

void AppendQuoted(std::string& out, std::string_view text) {
  out.push_back('\'');
  for (unsigned char c : text) {
    if (c < 0x20 || c >= 0x7F || c == '\'' || c == '\\') {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\x%02X", c);
      out += escape;
    } else {
      out.push_back(static_cast<char>(c));
    }
  }
  out.push_back('\'');
}

// A compact text naming every kind: ~ (Empty), true, s-2 (Signed), u1 (Unsigned), f1.5 (Float),
// 'text', [..], {name:..}.
void Render(const BindingProperty& value, std::string& out) {
  char number[40];
  switch (value.GetType()) {
    case BindingProperty::Type::Empty:
      out += "~";
      break;
    case BindingProperty::Type::Bool:
      out += value.GetBool() ? "true" : "false";
      break;
    case BindingProperty::Type::Signed:
      std::snprintf(number, sizeof number, "s%lld", static_cast<long long>(value.GetSigned()));
      out += number;
      break;
    case BindingProperty::Type::Unsigned:
      std::snprintf(number, sizeof number, "u%llu",
                    static_cast<unsigned long long>(value.GetUnsigned()));
      out += number;
      break;
    case BindingProperty::Type::Float:
      if (std::isnan(value.GetFloat())) {
        out += "fnan";
      } else {
        std::snprintf(number, sizeof number, "f%.17g", value.GetFloat());
        out += number;
      }
      break;
    case BindingProperty::Type::String:
      AppendQuoted(out, value.GetStringView());
      break;
    case BindingProperty::Type::Collection: {
      out += '[';
      const char* separator = "";
      for (const BindingProperty& element : value.Elements()) {
        out += separator;
        Render(element, out);
        separator = ",";
      }
      out += ']';
      break;
    }
    case BindingProperty::Type::Structure: {
      out += '{';
      const char* separator = "";
      for (const auto& member : value.Members()) {
        out += separator;
        out += member.name;
        out += ':';
        Render(member.value, out);
        separator = ",";
      }
      out += '}';
      break;
    }
    default:
      out += "?";
      break;
  }
}

std::string Rendered(const BindingProperty& value) {
  std::string out;
  Render(value, out);
  return out;
}

struct ValueCase {
  const char* yaml;
  const char* expected;
};

TEST(YamlReaderTest, ScalarsAreTypedByTagStyleAndPlainRules) {
  static const ValueCase kCases[] = {
      {"a: 1\nb: -2\nc: 1.5\nd: yes\ne: '1'\nf: 0x10\ng: 1.0\nh: ~\ni: inf",
       "{a:u1,b:s-2,c:f1.5,d:true,e:'1',f:u16,g:u1,h:~,i:'inf'}"},
      // Null and boolean words, case as written.
      {"[~, null, Null, NULL, nULL, '']", "[~,~,~,~,'nULL','']"},
      {"[y, Y, n, N, on, On, ON, oN, off, OFF, no, NO, yes, YES, True, TRUE, tRUE, false, False]",
       "[true,true,false,false,true,true,true,'oN',false,false,false,false,true,true,true,true,"
       "'tRUE',false,false]"},
      // Everything strtod reads whole is a number; an infinity is a text.
      {"[-0, +5, .5, 1e3, 0x1F, -1.5e1, nan, -inf, 1e400, 1e-400, 1_000, 0x, 12abc]",
       "[u0,u5,f0.5,u1000,u31,s-15,fnan,'-inf','1e400',u0,'1_000','0x','12abc']"},
      // Integers beyond 2^53 lose precision through the double; beyond 64 bits they stay Float.
      {"[9007199254740993, 18446744073709549568, 18446744073709551615, -9223372036854775808, "
       "-9223372036854777856, 1e20]",
       "[u9007199254740992,u18446744073709549568,f1.8446744073709552e+19,s-9223372036854775808,"
       "f-9.2233720368547779e+18,f1e+20]"},
      // A literal block keeps its line break, which strtod does not consume; stripped, it is a
      // number again.
      {"a: |\n  12\nb: |-\n  12\nc: >\n  x\n  y\n", "{a:'12\\x0A',b:u12,c:'x y\\x0A'}"},
      {"['~', \"1\", \"a\\0b\", 'yes']", "['~','1','a\\x00b','yes']"},
      // Tags.
      {"[!!str 5, !!int -5, !!int 5, !!int 0x10, !!int 010, !!float 1, !!float -2.5, !!bool yes, "
       "!!bool False, !!str ~]",
       "['5',s-5,u5,u16,u8,f1,f-2.5,true,false,'~']"},
      // Keys are untyped texts; a name ends at its first NUL.
      {"1: a\n'': b\ntrue: c\n~: d\n\"x\\0y\": e", "{:'b',1:'a',true:'c',x:'e',~:'d'}"},
      {"? \n: empty key", "{:'empty key'}"},
      {"", "~"},
      {"# only a comment\n\n", "~"},
      {"--- 42\n...\n", "u42"},
      {"- - 1\n  - 2\n- {a: [b, c]}\n- []\n- {}", "[[u1,u2],{a:['b','c']},[],{}]"},
      {"a:\nb: ", "{a:~,b:~}"},
  };
  for (const ValueCase& row : kCases) {
    SCOPED_TRACE(row.yaml);
    const BindingResult result = ParseYaml(std::string(row.yaml));
    ASSERT_TRUE(result.Ok()) << result.Error();
    EXPECT_EQ(Rendered(result.Value()), row.expected);
  }
}

TEST(YamlReaderTest, PlainDecimalsReadAsStrtodReadsThem) {
  // Hard cases of correct rounding, denormals, underflow to zero and overflow to infinity (a
  // text then): the reader's faster way for decimals must give strtod's double.
  static const char* const kTexts[] = {
      "-65.613616999999977",
      "0.1",
      "2.2250738585072011e-308",
      "4.9e-324",
      "2.4703282292062327e-324",
      "2.4703282292062328e-324",
      "1e-400",
      "1.7976931348623157e308",
      "1.7976931348623159e308",
      "9007199254740993",
      "1e23",
      "8.98846567431158e307",
      "123456789012345678901234567890",
      "7.038531e-26",
      "-0.0",
  };
  for (const char* text : kTexts) {
    SCOPED_TRACE(text);
    const BindingResult result = ParseYaml(text);
    ASSERT_TRUE(result.Ok()) << result.Error();
    const BindingProperty& value = result.Value();
    const double expected = std::strtod(text, nullptr);
    if (std::isinf(expected)) {
      EXPECT_EQ(value.GetStringView(), text);
    } else if (value.GetType() == BindingProperty::Type::Float) {
      const double read = value.GetFloat();
      EXPECT_EQ(std::memcmp(&expected, &read, sizeof read), 0);
    } else {
      ASSERT_EQ(value.GetType(), BindingProperty::Type::Unsigned);
      EXPECT_EQ(static_cast<double>(value.GetUnsigned()), expected);
    }
  }
}

TEST(YamlReaderTest, AliasesCopyNodesAndKeyTexts) {
  static const ValueCase kCases[] = {
      {"a: &x [1, 2]\nb: *x", "{a:[u1,u2],b:[u1,u2]}"},
      {"- &s text\n- *s\n- &m {k: [*s]}\n- *m", "['text','text',{k:['text']},{k:['text']}]"},
      // An anchored key names its text, as a value and as another key.
      {"&k key: 1\nother: *k\nm: {*k : 2}", "{key:u1,m:{key:u2},other:'key'}"},
      // Anchors inside an alias's copy were recorded where they were written.
      {"a: &outer [&inner 1, 2]\nb: *outer\nc: *inner", "{a:[u1,u2],b:[u1,u2],c:u1}"},
      {"&root\na: 1", "{a:u1}"},
  };
  for (const ValueCase& row : kCases) {
    SCOPED_TRACE(row.yaml);
    const BindingResult result = ParseYaml(std::string(row.yaml));
    ASSERT_TRUE(result.Ok()) << result.Error();
    EXPECT_EQ(Rendered(result.Value()), row.expected);
  }

  // The copy is separate from its anchor.
  BindingResult result = ParseYaml(std::string("a: &x [1, 2]\nb: *x"));
  ASSERT_TRUE(result.Ok());
  result.Value().MemberAt("a").ElementAt(0).SetString("changed");
  EXPECT_EQ(Rendered(result.Value()), "{a:['changed',u2],b:[u1,u2]}");
}

struct FailureCase {
  const char* yaml;
  const char* message;
};

TEST(YamlReaderTest, FailuresCarryTheirMessageAndMark) {
  static const FailureCase kCases[] = {
      {"a: 1\n---\nb: 2", "Multi-document YAML is not supported."},
      {"---\n---\nb: 2", "Multi-document YAML is not supported."},
      {"~\n---\n~", "Multi-document YAML is not supported."},
      {"a: *x", "Undefined alias encountered: \"x\". At line: 1 col: 4"},
      {"&a [1, *a]", "Cannot deserialize cyclic aliases. Alias \"a\". At line: 1 col: 8"},
      {"a: &m\n  b: [*m]", "Cannot deserialize cyclic aliases. Alias \"m\". At line: 2 col: 7"},
      {"a: &x 1\nb: &x 2", "Duplicate occurrence of anchor \"x\". At line: 2 col: 4"},
      {"&x a: &x 1", "Duplicate occurrence of anchor \"x\". At line: 1 col: 7"},
      {"!!int 1: a", "Invalid mapping key. Only string scalar keys are allowed. At line: 1 col: 1"},
      {"a: &x v\n*x : 2",
       "Invalid mapping key. Only string scalar keys are allowed. At line: 2 col: 1"},
      {"? [1]\n: a", "Unexpected start of sequence. At line: 1 col: 3"},
      {"? {a: 1}\n: b", "Unexpected start of mapping. At line: 1 col: 3"},
      {"a: !custom x", "Unsupported YAML tag '!custom'."},
      {"a: !!null ~", "Unsupported YAML tag 'tag:yaml.org,2002:null'."},
      {"a: !!float abc", "Value abc for 'yaml' of type double is in an incorrect format"},
      {"a: !!int abc", "Value abc for 'yaml' of type uint64_t is in an incorrect format"},
      {"a: !!int -99999999999999999999",
       "Value -99999999999999999999 for 'yaml' of type int64_t is out of range"},
      {"a: !!int 99999999999999999999",
       "Value 99999999999999999999 for 'yaml' of type uint64_t is out of range"},
      {"a: !!bool maybe", "Value maybe for 'yaml' of type bool is in an incorrect format"},
      {"a: !!bool ~", "Value ~ for 'yaml' of type bool is in an incorrect format"},
      {"a: 1\nb: 2\na: 3", "Duplicate mapping key \"a\". At line: 3 col: 1"},
      {"{a: 1, \"a\\0x\": 2}", "Duplicate mapping key \"a\". At line: 1 col: 8"},
      {"&k a: 1\n*k : 2", "Duplicate mapping key \"a\". At line: 2 col: 1"},
      // libyaml's own errors keep its problem text and its 0-based mark.
      {"[1, 2", "YAML parser error: did not find expected ',' or ']'. At line: 1 col: 0"},
      {"a: [\n", "YAML parser error: did not find expected node content. At line: 1 col: 0"},
      // The reader's failure comes first when both happen.
      {"a: *x\n[", "Undefined alias encountered: \"x\". At line: 1 col: 4"},
  };
  for (const FailureCase& row : kCases) {
    SCOPED_TRACE(row.yaml);
    const BindingResult result = ParseYaml(std::string(row.yaml));
    ASSERT_FALSE(result.Ok());
    EXPECT_STREQ(result.Error(), row.message);
    // The partly built document is gone: only the message is left.
    EXPECT_EQ(result.Value().Size(), 1u);
  }
}

TEST(YamlReaderTest, ReadsExactlyTheGivenBytes) {
  // The view ends before "b: 2": nothing past its size is read.
  const std::string text = "a: 1\nb: 2";
  const BindingResult result = ParseYaml(std::string_view(text.data(), 4));
  ASSERT_TRUE(result.Ok()) << result.Error();
  EXPECT_EQ(Rendered(result.Value()), "{a:u1}");
  // All the bytes of a std::string go to libyaml, which refuses a NUL; a C text ends at it.
  EXPECT_FALSE(ParseYaml(std::string("a: 1\0b", 6)).Ok());
  EXPECT_EQ(Rendered(ParseYaml("a: 1\0b").Value()), "{a:u1}");
  EXPECT_TRUE(ParseYaml(static_cast<const char*>(nullptr)).Ok());
}

TEST(YamlReaderTest, AMebibyteOfSequenceMarkersFailsOnASmallStack) {
  const std::string text = Repeat("- ", (1 << 20) / 2);
  std::string message;
  RunOnSmallStack([&] { message = ParseYaml(text).Error(); });
  // The 513th sequence opens at byte 1024.
  EXPECT_EQ(message, "Nesting is too deep. At line: 1 col: 1025");
}

TEST(YamlReaderTest, NestingLimitCountsTheRootAsLevelOne) {
  const BindingResult deepest = ParseYaml(Repeat("[", 512) + Repeat("]", 512));
  EXPECT_TRUE(deepest.Ok()) << deepest.Error();
  EXPECT_STREQ(ParseYaml(Repeat("[", 513) + Repeat("]", 513)).Error(),
               "Nesting is too deep. At line: 1 col: 513");

  // An alias whose copy would open level 513 fails at the alias: the root mapping is level 1,
  // the brackets before the alias levels 2 to 12 or 13, the copy 500 levels more.
  const std::string anchored = "a: &x " + Repeat("[", 500) + Repeat("]", 500) + "\nb: ";
  const BindingResult fits = ParseYaml(anchored + Repeat("[", 11) + "*x" + Repeat("]", 11));
  EXPECT_TRUE(fits.Ok()) << fits.Error();
  EXPECT_STREQ(ParseYaml(anchored + Repeat("[", 12) + "*x" + Repeat("]", 12)).Error(),
               "Nesting is too deep. At line: 2 col: 16");
}

TEST(YamlReaderTest, AliasExpansionIsCappedAtAMillionValues) {
  // Ten copies of a node of 100,000 values reach the cap exactly; one value more fails.
  const std::string anchored = "- &big [" + Repeat("0,", 99998) + "0]\n- &one 1\n";
  const std::string copies = Repeat("- *big\n", 10);
  const BindingResult at_cap = ParseYaml(anchored + copies);
  ASSERT_TRUE(at_cap.Ok()) << at_cap.Error();
  EXPECT_EQ(at_cap.Value().Size(), 12u);
  EXPECT_EQ(at_cap.Value().ElementAt(11).Size(), 99999u);
  EXPECT_STREQ(ParseYaml(anchored + copies + "- *one\n").Error(),
               "Alias expansion is too large. At line: 13 col: 3");
}

TEST(YamlReaderTest, AliasTextIsCappedAt64MiB) {
  // 1024 copies of a 64 KiB text reach the cap exactly; the alias that would pass it fails,
  // whether the text is a value, a key in alias position or a member name inside a copy.
  const std::string text = Repeat("k", 65536);
  const std::string value = "- &s " + text + "\n- &t x\n";
  const std::string key = "- ? &k " + text + "\n  : 0\n";
  const std::string member = "- &m {? " + text + " : 1}\n";
  struct Row {
    std::string yaml;
    const char* message;  // null: reads
  };
  const Row kRows[] = {
      {value + Repeat("- *s\n", 1024), nullptr},
      {value + Repeat("- *s\n", 1025), "Alias expansion is too large. At line: 1027 col: 3"},
      {value + Repeat("- *s\n", 1024) + "- *t\n",
       "Alias expansion is too large. At line: 1027 col: 3"},
      {key + Repeat("- {*k : 1}\n", 1024), nullptr},
      {key + Repeat("- {*k : 1}\n", 1025), "Alias expansion is too large. At line: 1027 col: 4"},
      // Key and value copies of an anchored key count together.
      {key + Repeat("- {*k : 1}\n", 512) + Repeat("- *k\n", 512), nullptr},
      {key + Repeat("- {*k : 1}\n", 512) + Repeat("- *k\n", 512) + "- {*k : 1}\n",
       "Alias expansion is too large. At line: 1027 col: 4"},
      {member + Repeat("- *m\n", 1024), nullptr},
      {member + Repeat("- *m\n", 1025), "Alias expansion is too large. At line: 1026 col: 3"},
  };
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.yaml.substr(row.yaml.size() - 24));
    const BindingResult result = ParseYaml(row.yaml);
    if (row.message == nullptr) {
      ASSERT_TRUE(result.Ok()) << result.Error();
      EXPECT_GE(result.Value().Size(), 1025u);
    } else {
      EXPECT_STREQ(result.Error(), row.message);
    }
  }

  // The copies are whole.
  const BindingResult copied = ParseYaml(key + "- {*k : 1}\n- *k\n" + member + "- *m\n");
  ASSERT_TRUE(copied.Ok()) << copied.Error();
  EXPECT_EQ(copied.Value().ElementAt(1).MemberAt(text).GetUnsigned(), 1u);
  EXPECT_EQ(copied.Value().ElementAt(2).GetStringView(), text);
  EXPECT_EQ(copied.Value().ElementAt(4).MemberAt(text).GetUnsigned(), 1u);
}

TEST(YamlReaderTest, ABillionLaughsFailsFast) {
  // Nine levels of ten aliases each would expand to a billion values. Copies of copies count:
  // the 8th alias of line 6 would pass a million.
  std::string text = "a: &a [x, x, x, x, x, x, x, x, x, x]\n";
  for (char level = 'b'; level <= 'i'; ++level) {
    const char previous = static_cast<char>(level - 1);
    text += std::string(1, level) + ": &" + level + " [";
    for (int i = 0; i < 10; ++i)
      text += std::string(i == 0 ? "" : ",") + "*" + previous;
    text += "]\n";
  }
  EXPECT_STREQ(ParseYaml(text).Error(), "Alias expansion is too large. At line: 6 col: 29");
}

TEST(YamlReaderTest, PlainNumbersIgnoreTheProcessLocale) {
  const std::string saved = std::setlocale(LC_NUMERIC, nullptr);
  if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr &&
      std::setlocale(LC_NUMERIC, "fr_FR.UTF-8") == nullptr) {
    GTEST_SKIP() << "no locale with a decimal comma is installed";
  }
  // Tagged scalars too: !!float goes through the text-to-double conversion.
  const BindingResult result = ParseYaml(std::string("[1.5, 1,5, !!float 1.5, !!float 0x1p-2]"));
  std::setlocale(LC_NUMERIC, saved.c_str());
  ASSERT_TRUE(result.Ok()) << result.Error();
  EXPECT_EQ(Rendered(result.Value()), "[f1.5,u1,u5,f1.5,f0.25]");
}

TEST(YamlReaderTest, LooksLikeYamlNeedsTheDocumentMarker) {
  struct Row {
    const char* text;
    bool expected;
  };
  static const Row kRows[] = {
      {"---", true},   {"   --- a: 1", true}, {"---\na: 1", true}, {"\t---", false},
      {"a: 1", false}, {"--", false},         {"", false},         {"- --", false},
  };
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.text);
    EXPECT_EQ(LooksLikeYaml(row.text), row.expected);
  }
  EXPECT_FALSE(LooksLikeYaml(nullptr));
}

}  // namespace
}  // namespace Vorn
