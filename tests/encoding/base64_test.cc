// Base64: RFC 4648 vectors, padding, the decoder's quiet stop and round trips.
#include "sdk/encoding/base64.h"

#include <gtest/gtest.h>

#include <string>

namespace Vorn {
namespace {

std::string Encode(const std::string& bytes) {
  return Base64Encode(bytes.data(), static_cast<uint32_t>(bytes.size()));
}

TEST(Base64Test, Encodes) {
  struct Row {
    std::string bytes;
    const char* text;
  };
  const Row rows[] = {
      {"", ""},
      {"f", "Zg=="},
      {"fo", "Zm8="},
      {"foo", "Zm9v"},
      {"foob", "Zm9vYg=="},
      {"fooba", "Zm9vYmE="},
      {"foobar", "Zm9vYmFy"},
      {std::string("\x00\xFF", 2), "AP8="},
      {"ABC", "QUJD"},
      {"A", "QQ=="},
      {"\xFB\xFF\xBF", "+/+/"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    EXPECT_EQ(Encode(row.bytes), row.text);
  }
  EXPECT_EQ(kBase64Alphabet, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/");
}

TEST(Base64Test, DecodesAndStopsQuietly) {
  struct Row {
    const char* text;
    std::string bytes;
  };
  const Row rows[] = {
      {"", ""},
      {"Zm9vYmFy", "foobar"},
      {"Zm9vYmE=", "fooba"},
      {"Zm9vYg==", "foob"},
      {"QUJD", "ABC"},
      {"QQ", "A"},
      {"QQ=", "A"},
      {"QQ==", "A"},
      {"QQ=====", "A"},
      {"Q", ""},
      {"QQ=QUJD", "A"},
      {"AP8=", std::string("\x00\xFF", 2)},
      {"QUJD QUJD", "ABC"},
      {"QU JD", "A"},
      {"QUJ\nD", "AB"},
      {"QUJD\xC3\xA9", "ABC"},
      {"-_", ""},
      {"+/+/", "\xFB\xFF\xBF"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    EXPECT_EQ(Base64Decode(row.text), row.bytes);
  }
  EXPECT_EQ(Base64Decode(std::string("QU\0JD", 5)), "A") << "a NUL stops like any other byte";
}

TEST(Base64Test, DecodingAnEncodingGivesTheBytesBack) {
  std::string bytes;
  for (int i = 0; i < 256; ++i)
    bytes.push_back(static_cast<char>(i));
  for (size_t length = 0; length <= bytes.size(); length += (length < 16 ? 1 : 37)) {
    SCOPED_TRACE(length);
    const std::string part = bytes.substr(bytes.size() - length);
    EXPECT_EQ(Base64Decode(Encode(part)), part);
  }
}

TEST(Base64Test, TextCheckAcceptsTheAlphabetAndPaddingOnly) {
  struct Row {
    const char* text;
    bool valid;
  };
  constexpr Row kRows[] = {{"", true},       {"QUJD", true},  {"QQ==", true}, {"+/09azAZ", true},
                           {"QU JD", false}, {"QQ\n", false}, {"-_", false},  {"\xC3\xA9", false}};
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.text);
    EXPECT_EQ(IsBase64Text(row.text), row.valid);
  }
}

}  // namespace
}  // namespace Vorn
