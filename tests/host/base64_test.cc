// The host's Base64 against the RFC 4648 vectors, and the inputs it refuses.
#include "host/base64.h"

#include <gtest/gtest.h>

#include <string>

namespace Vorn::Host {
namespace {

TEST(HostBase64, RfcVectorsRoundTrip) {
  struct Row {
    const char* bytes;
    const char* text;
  };
  constexpr Row kRows[] = {{"", ""},
                           {"f", "Zg=="},
                           {"fo", "Zm8="},
                           {"foo", "Zm9v"},
                           {"foob", "Zm9vYg=="},
                           {"fooba", "Zm9vYmE="},
                           {"foobar", "Zm9vYmFy"}};
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.text);
    const std::string bytes = row.bytes;
    EXPECT_EQ(EncodeBase64(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()), row.text);
    auto decoded = DecodeBase64(row.text);
    ASSERT_TRUE(decoded.has_value());
    EXPECT_EQ(std::string(decoded->begin(), decoded->end()), bytes);
  }
}

TEST(HostBase64, HighBytes) {
  const uint8_t bytes[] = {0x00, 0xFF};
  EXPECT_EQ(EncodeBase64(bytes, 2), "AP8=");
  EXPECT_EQ(DecodeBase64("AP8="), (std::vector<uint8_t>{0x00, 0xFF}));
}

TEST(HostBase64, RefusesMalformedText) {
  for (const char* text : {"Zg=", "Zm9v!A==", "Z===", "====", "Zg==Zg=="}) {
    SCOPED_TRACE(text);
    EXPECT_FALSE(DecodeBase64(text).has_value());
  }
}

}  // namespace
}  // namespace Vorn::Host
