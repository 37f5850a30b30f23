// The host's own plain-value code: JSON built into records and records read back, the kinds a
// plugin writes (owned texts and arrays), and the malformed records it must refuse.
#include "host/plain_json.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

namespace Vorn::Host {
namespace {

// gtest binds references, and a field of a packed record may sit at any address: copy first.
template <class T>
T Read(T field) {
  return field;
}

PlainValue Scalar(PlainKind kind) {
  PlainValue value{};
  value.kind = static_cast<uint32_t>(kind);
  return value;
}

PlainValue Ref(PlainKind kind, const void* data, uint32_t count) {
  PlainValue value = Scalar(kind);
  value.payload.ref = PlainRef{data, count};
  return value;
}

TEST(HostPlainJson, ValuesSurviveEncodeAndDecode) {
  const char* const kRows[] = {
      "null",
      "true",
      "false",
      "-9223372036854775808",
      "18446744073709551615",
      "1.5",
      R"("")",
      R"("caf\u00e9")",
      "[]",
      "{}",
      R"({"$blob":"AP8="})",
      R"({"$blob":""})",
      R"([1,[2,[3,{"a":null}]]])",
      R"({"b":1,"a":{"c":[true,"x"]},"B":-2})",
  };
  for (const char* text : kRows) {
    SCOPED_TRACE(text);
    const Json input = Json::parse(text);
    PlainArena arena;
    HostResult<PlainValue> plain = arena.Encode(input);
    ASSERT_TRUE(plain.ok()) << plain.error();
    HostResult<Json> back = DecodePlain(plain.value());
    ASSERT_TRUE(back.ok()) << back.error();
    EXPECT_EQ(back.value(), input);
  }
}

TEST(HostPlainJson, EncodesHostOwnedKinds) {
  PlainArena arena;
  HostResult<PlainValue> plain = arena.Encode(Json::parse(R"({"s":"text","b":{"$blob":"AP8="}})"));
  ASSERT_TRUE(plain.ok());
  const PlainValue root = plain.value();
  ASSERT_EQ(Read(root.kind), 10u);
  const PlainRef ref = root.payload.ref;
  ASSERT_EQ(Read(ref.count), 2u);
  const auto* members = static_cast<const PlainMember*>(ref.data);
  // Member order is the JSON text's; keys and texts belong to the host, not the record.
  EXPECT_STREQ(Read(members[0].key), "s");
  EXPECT_EQ(Read(members[0].key_owned), 0);
  EXPECT_EQ(Read(members[0].value.kind), 5u);
  const PlainRef text = members[0].value.payload.ref;
  EXPECT_STREQ(static_cast<const char*>(text.data), "text");
  EXPECT_EQ(Read(text.count), 4u);
  EXPECT_EQ(Read(members[1].value.kind), 7u);
  const PlainRef blob = members[1].value.payload.ref;
  ASSERT_EQ(Read(blob.count), 2u);
  EXPECT_EQ(static_cast<const uint8_t*>(blob.data)[1], 0xFF);
}

TEST(HostPlainJson, EncodeRefusesBadBlobAndDeepNesting) {
  PlainArena arena;
  HostResult<PlainValue> blob = arena.Encode(Json::parse(R"([{"$blob":"A"}])"));
  ASSERT_FALSE(blob.ok());
  EXPECT_EQ(blob.error(), "\"$blob\" is not Base64");

  Json deep = nullptr;
  for (size_t i = 0; i < kMaxPlainDepth; ++i)
    deep = Json::array({deep});
  // 512 arrays around a null make 513 levels.
  HostResult<PlainValue> too_deep = arena.Encode(deep);
  ASSERT_FALSE(too_deep.ok());
  EXPECT_EQ(too_deep.error(), "JSON value nested too deeply");
  EXPECT_TRUE(arena.Encode(deep[0]).ok());
}

TEST(HostPlainJson, DecodesTheOwnedKindsAPluginWrites) {
  char text[] = "owned";
  uint8_t bytes[] = {1, 2, 3};
  PlainValue elements[3] = {Ref(PlainKind::kString, text, 5), Ref(PlainKind::kBlob, bytes, 3),
                            Scalar(PlainKind::kFloat)};
  elements[2].payload.float_value = std::numeric_limits<double>::infinity();
  char key[] = "list";
  PlainMember member{key, Ref(PlainKind::kCollection, elements, 3), 1};
  HostResult<Json> decoded = DecodePlain(Ref(PlainKind::kStructure, &member, 1));
  ASSERT_TRUE(decoded.ok()) << decoded.error();
  EXPECT_EQ(decoded.value()["list"][0], "owned");
  EXPECT_EQ(decoded.value()["list"][1], Json::parse(R"({"$blob":"AQID"})"));
  EXPECT_TRUE(std::isinf(decoded.value()["list"][2].get<double>()));
}

TEST(HostPlainJson, DecodeRefusesMalformedRecords) {
  PlainValue unknown = Scalar(static_cast<PlainKind>(11));
  PlainValue null_text = Ref(PlainKind::kStringRef, nullptr, 0);
  PlainValue inner[2] = {Scalar(PlainKind::kEmpty), Ref(PlainKind::kCollection, nullptr, 3)};
  char key[] = "k";
  PlainMember members[2] = {{key, Scalar(PlainKind::kBool), 0}, {nullptr, unknown, 0}};
  PlainMember nested{key, Ref(PlainKind::kCollection, inner, 2), 0};
  struct Row {
    const char* name;
    PlainValue value;
    const char* message;
  };
  const Row kRows[] = {
      {"unknown kind", unknown, "plain value: unknown kind 11"},
      {"null text", null_text, "plain value: null text"},
      {"null blob", Ref(PlainKind::kBlob, nullptr, 1), "plain value: null blob with bytes"},
      {"null array", Ref(PlainKind::kStructure, &nested, 1),
       "plain value at .k[1]: null array with elements"},
      {"null key", Ref(PlainKind::kStructure, members, 2), "plain value at [1]: null member key"},
      {"huge count", Ref(PlainKind::kCollection, inner, kMaxPlainCount + 1),
       "plain value: too many elements"},
  };
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.name);
    HostResult<Json> decoded = DecodePlain(row.value);
    ASSERT_FALSE(decoded.ok());
    EXPECT_EQ(decoded.error(), row.message);
  }
}

TEST(HostPlainJson, DecodeStopsAtTheNestingLimit) {
  // A chain of one-element collections, the last holding an Empty value.
  std::vector<PlainValue> chain(kMaxPlainDepth + 1);
  for (size_t i = 0; i + 1 < chain.size(); ++i) {
    chain[i] = Ref(PlainKind::kCollection, &chain[i + 1], 1);
  }
  chain.back() = Scalar(PlainKind::kEmpty);
  HostResult<Json> too_deep = DecodePlain(chain[0]);
  ASSERT_FALSE(too_deep.ok());
  EXPECT_EQ(too_deep.error().substr(too_deep.error().size() - 17), "nested too deeply");
  EXPECT_TRUE(DecodePlain(chain[1]).ok());
}

}  // namespace
}  // namespace Vorn::Host
