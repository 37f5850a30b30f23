// MessagePack reader: values by format family, map keys, failures with their positions, the
// nesting limit on a small stack, truncated containers and forged counts.
#include "sdk/encoding/msgpack_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>
#include <utility>

#include "sdk/runtime/allocation.h"

#include "tests/encoding/reader_test_support.h"

namespace Vorn {
namespace {

using Testing::Repeat;
using Testing::RunOnSmallStack;

// "82 A1 62" -> the bytes 0x82 0xA1 0x62.
std::string Bytes(std::string_view hex) {
  std::string bytes;
  int high = -1;
  for (char c : hex) {
    int digit;
    if (c >= '0' && c <= '9') {
      digit = c - '0';
    } else if (c >= 'A' && c <= 'F') {
      digit = c - 'A' + 10;
    } else if (c >= 'a' && c <= 'f') {
      digit = c - 'a' + 10;
    } else {
      continue;
    }
    if (high < 0) {
      high = digit;
    } else {
      bytes.push_back(static_cast<char>(high * 16 + digit));
      high = -1;
    }
  }
  return bytes;
}

void AppendQuoted(std::string& out, std::string_view text) {
  out.push_back('"');
  for (unsigned char c : text) {
    if (c < 0x20 || c >= 0x7F || c == '"' || c == '\\') {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\x%02X", c);
      out += escape;
    } else {
      out.push_back(static_cast<char>(c));
    }
  }
  out.push_back('"');
}

// A compact text that names every kind: null, true, -1 (Signed), 5u (Unsigned), 1.5f (Float),
// "text", b'00FF' (Blob), [..], {"name":..}.
void Render(const BindingProperty& value, std::string& out) {
  char number[40];
  switch (value.GetType()) {
    case BindingProperty::Type::Empty:
      out += "null";
      break;
    case BindingProperty::Type::Bool:
      out += value.GetBool() ? "true" : "false";
      break;
    case BindingProperty::Type::Signed:
      std::snprintf(number, sizeof number, "%lld", static_cast<long long>(value.GetSigned()));
      out += number;
      break;
    case BindingProperty::Type::Unsigned:
      std::snprintf(number, sizeof number, "%lluu",
                    static_cast<unsigned long long>(value.GetUnsigned()));
      out += number;
      break;
    case BindingProperty::Type::Float:
      std::snprintf(number, sizeof number, "%.17gf", value.GetFloat());
      out += number;
      break;
    case BindingProperty::Type::String:
      AppendQuoted(out, value.GetStringView());
      break;
    case BindingProperty::Type::Blob:
      out += "b'";
      for (uint8_t byte : value.GetBlob()) {
        std::snprintf(number, sizeof number, "%02X", byte);
        out += number;
      }
      out += "'";
      break;
    case BindingProperty::Type::Collection: {
      out += "[";
      bool first = true;
      for (const BindingProperty& element : value.Elements()) {
        if (!first) out += ",";
        first = false;
        Render(element, out);
      }
      out += "]";
      break;
    }
    case BindingProperty::Type::Structure: {
      out += "{";
      bool first = true;
      for (const auto& member : value.Members()) {
        if (!first) out += ",";
        first = false;
        AppendQuoted(out, member.name);
        out += ":";
        Render(member.value, out);
      }
      out += "}";
      break;
    }
    default:
      out += "?";
      break;
  }
}

std::string Render(const BindingProperty& value) {
  std::string out;
  Render(value, out);
  return out;
}

BindingResult Parse(const std::string& bytes, uint32_t& consumed) {
  return ParseMessagePack(bytes.data(), static_cast<uint32_t>(bytes.size()), consumed);
}

struct ValueRow {
  const char* hex;
  const char* value;
  uint32_t consumed;
};

TEST(MessagePackReaderTest, DecodesValuesByFormatFamily) {
  constexpr ValueRow rows[] = {
      {"", "null", 0},
      {"00", "0", 1},
      {"05", "5", 1},
      {"7F", "127", 1},
      {"FF", "-1", 1},
      {"E0", "-32", 1},
      {"CC 05", "5u", 2},
      {"CD FF FF", "65535u", 3},
      {"CE FF FF FF FF", "4294967295u", 5},
      {"CF FF FF FF FF FF FF FF FF", "18446744073709551615u", 9},
      {"CF 00 00 00 00 00 00 00 01", "1u", 9},
      {"D0 05", "5", 2},
      {"D0 80", "-128", 2},
      {"D1 80 00", "-32768", 3},
      {"D1 7F FF", "32767", 3},
      {"D2 80 00 00 00", "-2147483648", 5},
      {"D3 80 00 00 00 00 00 00 00", "-9223372036854775808", 9},
      {"D3 7F FF FF FF FF FF FF FF", "9223372036854775807", 9},
      {"D3 00 00 00 00 00 00 01 02", "258", 9},
      {"CA 3F C0 00 00", "1.5f", 5},
      // Single precision is widened, not re-rounded to the nearest double of the decimal.
      {"CA 3D CC CC CD", "0.10000000149011612f", 5},
      {"CB 3F F8 00 00 00 00 00 00", "1.5f", 9},
      {"CB C0 09 21 FB 54 44 2D 18", "-3.1415926535897931f", 9},
      {"C0", "null", 1},
      {"C2", "false", 1},
      {"C3", "true", 1},
      {"A0", "\"\"", 1},
      {"A3 61 62 63", "\"abc\"", 4},
      {"A3 61 00 62", "\"a\\x00b\"", 4},
      {"D9 01 61", "\"a\"", 3},
      {"DA 00 01 61", "\"a\"", 4},
      {"DB 00 00 00 01 61", "\"a\"", 6},
      {"C4 02 00 FF", "b'00FF'", 4},
      {"C4 00", "b''", 2},
      {"C5 00 01 AB", "b'AB'", 4},
      {"C6 00 00 00 01 AB", "b'AB'", 6},
      {"90", "[]", 1},
      {"80", "{}", 1},
      {"91 C0", "[null]", 2},
      {"93 01 CC 01 A1 78", "[1,1u,\"x\"]", 6},
      {"DC 00 02 01 02", "[1,2]", 5},
      {"DD 00 00 00 01 05", "[5]", 6},
      {"DC 00 00", "[]", 3},
      {"DE 00 01 A1 61 05", "{\"a\":5}", 6},
      {"DF 00 00 00 01 A1 61 05", "{\"a\":5}", 8},
      {"92 91 01 81 A1 6B C3", "[[1],{\"k\":true}]", 7},
      {"92 90 80", "[[],{}]", 3},
      {"81 A1 61 C0", "{\"a\":null}", 4},
      // Exactly one value is read; what follows is left to the caller.
      {"01 02", "1", 1},
      {"91 01 02", "[1]", 2},
      {"90 90", "[]", 1},
  };
  for (const ValueRow& row : rows) {
    SCOPED_TRACE(row.hex);
    uint32_t consumed = 12345;
    const BindingResult result = Parse(Bytes(row.hex), consumed);
    ASSERT_TRUE(result.Ok()) << result.Error();
    EXPECT_EQ(Render(result.Value()), row.value);
    EXPECT_EQ(consumed, row.consumed);
  }
}

TEST(MessagePackReaderTest, ReadsMapKeysAsMemberNames) {
  constexpr ValueRow rows[] = {
      // Members iterate in unsigned byte order of their names, not in input order.
      {"82 A1 62 01 A1 61 02", "{\"a\":2,\"b\":1}", 7},
      {"82 A1 FF 01 A1 61 02", "{\"a\":2,\"\\xFF\":1}", 7},
      {"81 D9 01 61 01", "{\"a\":1}", 5},
      {"81 DA 00 01 61 01", "{\"a\":1}", 6},
      {"81 DB 00 00 00 01 61 01", "{\"a\":1}", 8},
      {"81 A0 01", "{\"\":1}", 3},
      // A key names its member up to its first NUL byte.
      {"81 A3 61 00 62 01", "{\"a\":1}", 6},
      {"82 A2 61 00 01 A2 61 01 02", "{\"a\":1,\"a\\x01\":2}", 9},
      // A repeated key replaces the earlier value, whatever either of them is.
      {"82 A1 61 01 A1 61 02", "{\"a\":2}", 7},
      {"82 A1 61 01 A1 61 C0", "{\"a\":null}", 7},
      {"82 A1 61 92 01 02 A1 61 91 03", "{\"a\":[3]}", 10},
      {"82 A1 61 81 A1 78 01 A1 61 81 A1 79 02", "{\"a\":{\"y\":2}}", 13},
      {"82 A1 61 92 01 02 A1 61 C0", "{\"a\":null}", 9},
      {"82 A1 61 01 A1 61 90", "{\"a\":[]}", 7},
      {"83 A1 61 91 01 A1 61 02 A1 62 03", "{\"a\":2,\"b\":3}", 11},
      {"82 A1 61 00 A1 61 92 81 A1 61 01 81 A1 61 02", "{\"a\":[{\"a\":1},{\"a\":2}]}", 15},
  };
  for (const ValueRow& row : rows) {
    SCOPED_TRACE(row.hex);
    uint32_t consumed = 12345;
    const BindingResult result = Parse(Bytes(row.hex), consumed);
    ASSERT_TRUE(result.Ok()) << result.Error();
    EXPECT_EQ(Render(result.Value()), row.value);
    EXPECT_EQ(consumed, row.consumed);
  }
}

struct FailureRow {
  std::string_view hex;
  const char* message;
  uint32_t consumed;
};

void ExpectFailure(const std::string& bytes, const char* message, uint32_t expected_consumed) {
  uint32_t consumed = 12345;
  const BindingResult result = Parse(bytes, consumed);
  ASSERT_FALSE(result.Ok());
  EXPECT_STREQ(result.Error(), message);
  EXPECT_EQ(consumed, expected_consumed);
  // The partly built value is gone: only the message is left.
  ASSERT_EQ(result.Value().GetType(), BindingProperty::Type::Structure);
  EXPECT_EQ(result.Value().Size(), 1u);
}

TEST(MessagePackReaderTest, ReportsInvalidDataWithPositions) {
  constexpr FailureRow rows[] = {
      {"C1", "Invalid MessagePack data at position 1.", 1},
      {"D4 01 02", "Invalid MessagePack data at position 1.", 1},
      {"C7 01 01 00", "Invalid MessagePack data at position 1.", 1},
      {"92 01 C1", "Invalid MessagePack data at position 3.", 3},
      {"81 01 02", "Invalid MessagePack data at position 2. Map keys must be strings.", 2},
      {"81 C0 01", "Invalid MessagePack data at position 2. Map keys must be strings.", 2},
      {"81 C4 01 61 01", "Invalid MessagePack data at position 2. Map keys must be strings.", 2},
      {"82 A1 61 01 90 01", "Invalid MessagePack data at position 5. Map keys must be strings.", 5},
      {"81 81 A1 61 01 01", "Invalid MessagePack data at position 2. Map keys must be strings.", 2},
  };
  for (const FailureRow& row : rows) {
    SCOPED_TRACE(row.hex);
    ExpectFailure(Bytes(row.hex), row.message, row.consumed);
  }
}

TEST(MessagePackReaderTest, RefusesEveryExtensionAndNeverUsedFormat) {
  for (int byte : {0xC1, 0xC7, 0xC8, 0xC9, 0xD4, 0xD5, 0xD6, 0xD7, 0xD8}) {
    SCOPED_TRACE(byte);
    const std::string bytes = {static_cast<char>(byte), '\x01', '\x02', '\x03'};
    ExpectFailure(bytes, "Invalid MessagePack data at position 1.", 1);
  }
}

TEST(MessagePackReaderTest, ReportsTruncatedFieldsAndRuns) {
  constexpr FailureRow rows[] = {
      {"CC", "Invalid MessagePack data. 8-bit integer value at position 1 is truncated.", 1},
      {"D0", "Invalid MessagePack data. 8-bit integer value at position 1 is truncated.", 1},
      {"D9", "Invalid MessagePack data. 8-bit integer value at position 1 is truncated.", 1},
      {"C4", "Invalid MessagePack data. 8-bit integer value at position 1 is truncated.", 1},
      {"CD", "Invalid MessagePack data. 16-bit integer value at position 1 is truncated.", 1},
      {"CD 01", "Invalid MessagePack data. 16-bit integer value at position 1 is truncated.", 1},
      {"D1 01", "Invalid MessagePack data. 16-bit integer value at position 1 is truncated.", 1},
      {"DA 00", "Invalid MessagePack data. 16-bit integer value at position 1 is truncated.", 1},
      {"C5 00", "Invalid MessagePack data. 16-bit integer value at position 1 is truncated.", 1},
      {"DC 00", "Invalid MessagePack data. 16-bit integer value at position 1 is truncated.", 1},
      {"DE", "Invalid MessagePack data. 16-bit integer value at position 1 is truncated.", 1},
      {"CE 00 00 00", "Invalid MessagePack data. 32-bit integer value at position 1 is truncated.",
       1},
      {"D2", "Invalid MessagePack data. 32-bit integer value at position 1 is truncated.", 1},
      {"CA 3F C0", "Invalid MessagePack data. 32-bit integer value at position 1 is truncated.", 1},
      {"DB 00", "Invalid MessagePack data. 32-bit integer value at position 1 is truncated.", 1},
      {"C6", "Invalid MessagePack data. 32-bit integer value at position 1 is truncated.", 1},
      {"DD 00 00", "Invalid MessagePack data. 32-bit integer value at position 1 is truncated.", 1},
      {"DF", "Invalid MessagePack data. 32-bit integer value at position 1 is truncated.", 1},
      {"CF 00 00 00 00 00 00 00",
       "Invalid MessagePack data. 64-bit integer value at position 1 is truncated.", 1},
      {"D3", "Invalid MessagePack data. 64-bit integer value at position 1 is truncated.", 1},
      {"CB 3F F8", "Invalid MessagePack data. 64-bit integer value at position 1 is truncated.", 1},
      {"91 CD 01", "Invalid MessagePack data. 16-bit integer value at position 2 is truncated.", 2},
      {"A5 61 62", "Invalid MessagePack data. String of size 5 at position 1 is truncated.", 1},
      {"D9 02 61", "Invalid MessagePack data. String of size 2 at position 2 is truncated.", 2},
      {"DB FF FF FF FF 61",
       "Invalid MessagePack data. String of size 4294967295 at position 5 is truncated.", 5},
      {"C4 03 00", "Invalid MessagePack data. Raw bytes of size 3 at position 2 are truncated.", 2},
      {"C6 FF FF FF FF 00",
       "Invalid MessagePack data. Raw bytes of size 4294967295 at position 5 are truncated.", 5},
      // The same checks hold for keys.
      {"81 A3 61", "Invalid MessagePack data. String of size 3 at position 2 is truncated.", 2},
      {"81 D9", "Invalid MessagePack data. 8-bit integer value at position 2 is truncated.", 2},
      {"81 DB 00 00 00 09 61",
       "Invalid MessagePack data. String of size 9 at position 6 is truncated.", 6},
  };
  for (const FailureRow& row : rows) {
    SCOPED_TRACE(row.hex);
    ExpectFailure(Bytes(row.hex), row.message, row.consumed);
  }
}

TEST(MessagePackReaderTest, ReportsInputEndingInsideAContainer) {
  constexpr FailureRow rows[] = {
      {"92 01", "Invalid MessagePack data. Array or map at position 0 is truncated.", 2},
      {"91", "Invalid MessagePack data. Array or map at position 0 is truncated.", 1},
      {"81", "Invalid MessagePack data. Array or map at position 0 is truncated.", 1},
      // After a key, before its value.
      {"81 A1 61", "Invalid MessagePack data. Array or map at position 0 is truncated.", 3},
      {"82 A1 61 01", "Invalid MessagePack data. Array or map at position 0 is truncated.", 4},
      // The innermost unfinished container is named.
      {"91 92 01", "Invalid MessagePack data. Array or map at position 1 is truncated.", 3},
      {"92 91 01", "Invalid MessagePack data. Array or map at position 0 is truncated.", 3},
      {"81 A1 61 DC 00 03 01", "Invalid MessagePack data. Array or map at position 3 is truncated.",
       7},
      // Forged counts: every value must arrive.
      {"DD FF FF FF FF 01 02", "Invalid MessagePack data. Array or map at position 0 is truncated.",
       7},
      {"DF FF FF FF FF A1 61 01",
       "Invalid MessagePack data. Array or map at position 0 is truncated.", 8},
      // 2^31 entries are 2^32 steps, which would wrap to none in 32 bits.
      {"DF 80 00 00 00 A1 61 01",
       "Invalid MessagePack data. Array or map at position 0 is truncated.", 8},
  };
  for (const FailureRow& row : rows) {
    SCOPED_TRACE(row.hex);
    ExpectFailure(Bytes(row.hex), row.message, row.consumed);
  }
}

// Depth of nesting of a value: 1 for a scalar or an empty container.
int Depth(const BindingProperty& value) {
  int depth = 1;
  const BindingProperty* node = &value;
  while (true) {
    if (node->GetType() == BindingProperty::Type::Collection && node->Size() > 0) {
      node = &node->Elements()[0];
    } else if (node->GetType() == BindingProperty::Type::Structure && node->Size() > 0) {
      node = &(*node->Members().begin()).value;
    } else {
      return depth;
    }
    ++depth;
  }
}

TEST(MessagePackReaderTest, LimitsNestingTo512Levels) {
  {
    SCOPED_TRACE("512 arrays around a scalar");
    uint32_t consumed = 0;
    const BindingResult result = Parse(Repeat("\x91", 512) + "\x01", consumed);
    ASSERT_TRUE(result.Ok()) << result.Error();
    EXPECT_EQ(Depth(result.Value()), 513);
    EXPECT_EQ(consumed, 513u);
  }
  {
    SCOPED_TRACE("512 maps around a scalar");
    uint32_t consumed = 0;
    const BindingResult result = Parse(Repeat(std::string("\x81\xA0", 2), 512) + "\x01", consumed);
    ASSERT_TRUE(result.Ok()) << result.Error();
    EXPECT_EQ(Depth(result.Value()), 513);
  }
  // The container that would open level 513 fails, even an empty one.
  const struct {
    std::string bytes;
    const char* message;
    uint32_t consumed;
  } rows[] = {
      {Repeat("\x91", 513), "Invalid MessagePack data at position 513. Nesting is too deep.", 513},
      {Repeat("\x91", 512) + "\x90",
       "Invalid MessagePack data at position 513. Nesting is too deep.", 513},
      {Repeat("\x91", 512) + "\xDC\x00\x01",
       "Invalid MessagePack data at position 513. Nesting is too deep.", 513},
      {Repeat(std::string("\x81\xA0", 2), 512) + "\x80",
       "Invalid MessagePack data at position 1025. Nesting is too deep.", 1025},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.message);
    ExpectFailure(row.bytes, row.message, row.consumed);
  }
}

TEST(MessagePackReaderTest, DeepInputCannotExhaustASmallStack) {
  const std::string bytes(1 << 20, '\x91');
  bool failed = false;
  std::string message;
  uint32_t consumed = 0;
  RunOnSmallStack([&] {
    const BindingResult result = Parse(bytes, consumed);
    failed = !result.Ok();
    message = result.Error();
  });
  EXPECT_TRUE(failed);
  EXPECT_EQ(message, "Invalid MessagePack data at position 513. Nesting is too deep.");
  EXPECT_EQ(consumed, 513u);
}

// Records the largest single request made of the SDK heap while it is installed.
class LargestAllocation {
 public:
  LargestAllocation() {
    largest_ = 0;
    AllocationHooks hooks = CountingAllocationHooks();
    forward_ = hooks;
    hooks.allocate = [](size_t size) {
      largest_ = std::max(largest_, size);
      return forward_.allocate(size);
    };
    hooks.reallocate = [](void* block, size_t size) {
      largest_ = std::max(largest_, size);
      return forward_.reallocate(block, size);
    };
    SetAllocationHooks(hooks);
  }
  ~LargestAllocation() { SetAllocationHooks(forward_); }
  size_t Largest() const { return largest_; }

 private:
  static inline size_t largest_ = 0;
  static inline AllocationHooks forward_{};
};

TEST(MessagePackReaderTest, ForgedCountsAllocateOnlyForValuesThatArrive) {
  struct Row {
    const char* name;
    std::string bytes;
    const char* message;
  };
  const Row rows[] = {
      {"array 32 of 2^32-1 with 4096 elements", Bytes("DD FF FF FF FF") + Repeat("\xC0", 4096),
       "Invalid MessagePack data. Array or map at position 0 is truncated."},
      {"map 32 of 2^32-1 with 2048 entries",
       Bytes("DF FF FF FF FF") + Repeat(std::string("\xA0\xC0", 2), 2048),
       "Invalid MessagePack data. Array or map at position 0 is truncated."},
      {"array 32 of 2^32-1 holding nested forged arrays",
       Bytes("DD FF FF FF FF") + Repeat(Bytes("DD FF FF FF FF 01"), 256),
       "Invalid MessagePack data. Array or map at position 1535 is truncated."},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    size_t largest = 0;
    {
      LargestAllocation watch;
      uint32_t consumed = 0;
      const BindingResult result = Parse(row.bytes, consumed);
      largest = watch.Largest();
      EXPECT_FALSE(result.Ok());
      EXPECT_STREQ(result.Error(), row.message);
      EXPECT_EQ(consumed, row.bytes.size());
    }
    EXPECT_LT(largest, size_t{1} << 20);
  }
}

// Counts that the bytes left could hold may size arrays ahead, but all arrays together reserve
// no more elements than the input has bytes.
TEST(MessagePackReaderTest, CountsThatFitReserveNoMoreThanTheInputHolds) {
  const std::string bytes = Repeat(Bytes("DC 10 00"), 300) + Repeat("\xC0", 4096);
  const uint64_t before = ReadAllocationStats().bytes_allocated;
  uint32_t consumed = 0;
  const BindingResult result = Parse(bytes, consumed);
  const uint64_t allocated = ReadAllocationStats().bytes_allocated - before;
  EXPECT_FALSE(result.Ok());
  EXPECT_STREQ(result.Error(),
               "Invalid MessagePack data. Array or map at position 894 is truncated.");
  EXPECT_LT(allocated, uint64_t{1} << 20);  // each of the 300 levels reserving would take 19 MiB
}

TEST(MessagePackReaderTest, RecognisesOnlyContainers) {
  struct Row {
    const char* hex;
    bool looks;
  };
  constexpr Row rows[] = {
      {"", false},   {"80", true},  {"8F", true},  {"90", true},  {"9F 00", true},
      {"DC", true},  {"DD", true},  {"DE", true},  {"DF", true},  {"7F", false},
      {"A0", false}, {"C0", false}, {"DB", false}, {"E0", false}, {"7B 7D", false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.hex);
    const std::string bytes = Bytes(row.hex);
    EXPECT_EQ(LooksLikeMessagePack(bytes.data(), static_cast<uint32_t>(bytes.size())), row.looks);
  }
  EXPECT_FALSE(LooksLikeMessagePack(nullptr, 4));
}

}  // namespace
}  // namespace Vorn
