// The plain exchange records: layouts, ToPlain and FromPlain of every kind, untrusted input,
// the nesting limit, and freeing without leaks.
#include "sdk/binding/plain_value.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "sdk/binding/nesting_limit.h"
#include "sdk/runtime/allocation.h"

namespace Vorn {
namespace {

const StaticTypeIdentity kState(0xC0FFEE01u);
const StaticTypeIdentity kOther(0xC0FFEE02u);

// A registry stand-in: enumeration kState with None = 0 and Running = 1.
class StateNames final : public BindingEnumNameLookup {
 public:
  const char* FindEnumeratorName(const StaticTypeIdentity& identity, int32_t value) const override {
    if (identity.hash != kState.hash) return nullptr;
    if (value == 0) return "None";
    if (value == 1) return "Running";
    return nullptr;
  }
};

// Fields of packed records are read into values first: gtest's comparisons take references,
// which would be misaligned.
template <typename T>
T Read(T field) {
  return field;
}

uint64_t LiveBlocks() {
  const AllocationStats stats = ReadAllocationStats();
  return stats.allocations - stats.frees;
}

BindingPlainValue Plain(uint32_t kind, const void* data = nullptr, uint32_t count = 0) {
  BindingPlainValue plain;
  std::memset(&plain, 0, sizeof plain);
  plain.kind = kind;
  plain.payload.ref.data = data;
  plain.payload.ref.count = count;
  return plain;
}

BindingPlainResult NewSink() {
  BindingPlainResult sink;
  std::memset(&sink, 0, sizeof sink);
  return sink;
}

// Compares two trees through their plain forms' shape, independent of the conversion under test.
std::string Shape(const BindingProperty& value) {
  switch (value.GetType()) {
    case BindingProperty::Type::Empty:
      return "_";
    case BindingProperty::Type::Bool:
      return value.GetBool() ? "T" : "F";
    case BindingProperty::Type::Signed:
      return std::to_string(value.GetSigned());
    case BindingProperty::Type::Unsigned:
      return std::to_string(value.GetUnsigned()) + "u";
    case BindingProperty::Type::Float:
      return std::to_string(value.GetFloat()) + "f";
    case BindingProperty::Type::String:
      return "'" + std::string(value.GetStringView()) + "'";
    case BindingProperty::Type::Blob: {
      std::string text = "b";
      for (uint8_t byte : value.GetBlob())
        text += std::to_string(byte) + ".";
      return text;
    }
    case BindingProperty::Type::Enum:
      return "e" + std::to_string(value.GetEnum(BindingEnumCell{}).value);
    case BindingProperty::Type::Collection: {
      std::string text = "[";
      for (const BindingProperty& element : value.Elements())
        text += Shape(element) + ",";
      return text + "]";
    }
    case BindingProperty::Type::Structure: {
      std::string text = "{";
      for (const auto& [name, member] : value.Members()) {
        text += std::string(name) + "=" + Shape(member) + ",";
      }
      return text + "}";
    }
  }
  return "?";
}

TEST(BindingPlainValueTest, RecordsHaveTheHostLayout) {
#if VORN_ABI32
  EXPECT_EQ(sizeof(BindingPlainValue), 12u);
  EXPECT_EQ(sizeof(BindingPlainMember), 17u);
  EXPECT_EQ(sizeof(BindingPlainResult), 17u);
  EXPECT_EQ(offsetof(BindingPlainValue, payload), 4u);
  EXPECT_EQ(offsetof(BindingPlainMember, key_owned), 16u);
  EXPECT_EQ(offsetof(BindingPlainResult, failed), 16u);
#else
  EXPECT_EQ(sizeof(BindingPlainValue), 16u);
  EXPECT_EQ(sizeof(BindingPlainMember), 25u);
  EXPECT_EQ(sizeof(BindingPlainResult), 25u);
#endif
  EXPECT_STREQ(PlainKindName(0), "");
  EXPECT_STREQ(PlainKindName(5), "string");
  EXPECT_STREQ(PlainKindName(8), "blob");
  EXPECT_STREQ(PlainKindName(10), "structure");
  EXPECT_STREQ(PlainKindName(11), "");
}

TEST(BindingPlainValueTest, EveryKindRoundTrips) {
  struct Row {
    const char* label;
    std::function<void(BindingProperty&)> build;
    uint32_t kind;
  };
  const std::vector<Row> rows = {
      {"empty", [](BindingProperty&) {}, 0},
      {"bool", [](BindingProperty& v) { v.SetBool(true); }, 1},
      {"signed", [](BindingProperty& v) { v.SetSigned(INT64_MIN); }, 2},
      {"unsigned", [](BindingProperty& v) { v.SetUnsigned(UINT64_MAX); }, 3},
      {"float", [](BindingProperty& v) { v.SetFloat(-1.25); }, 4},
      {"string", [](BindingProperty& v) { v.SetString("h\xC3\xA9llo"); }, 6},
      {"empty string", [](BindingProperty& v) { v.SetString(""); }, 6},
      {"blob",
       [](BindingProperty& v) {
         v.SetBlob(BindingBlob{0, 255, 7});
       },
       8},
      {"empty blob", [](BindingProperty& v) { v.SetBlob(BindingBlob{}); }, 8},
      {"collection",
       [](BindingProperty& v) {
         v.Append().SetSigned(1);
         v.Append();
         v.Append().Append().SetString("x");
       },
       9},
      {"empty collection", [](BindingProperty& v) { v.MakeCollection(); }, 9},
      {"structure",
       [](BindingProperty& v) {
         v.MemberAt("b").SetBool(false);
         v.MemberAt("a").MemberAt("c").SetFloat(0.5);
         v.MemberAt("B").SetBlob(BindingBlob{1});
       },
       10},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.label);
    const uint64_t live = LiveBlocks();
    {
      BindingProperty value;
      row.build(value);
      BindingPlainValue plain = ToPlain(value);
      EXPECT_EQ(Read(plain.kind), row.kind);
      BindingProperty back;
      BindingPlainResult sink = NewSink();
      ASSERT_TRUE(FromPlain(&sink, back, plain, "<result>"));
      EXPECT_EQ(sink.failed, 0);
      EXPECT_EQ(Shape(back), Shape(value));
      FreePlainValue(plain);
      EXPECT_EQ(Read(plain.kind), 0u) << "freed records are zeroed";
    }
    EXPECT_EQ(LiveBlocks(), live) << "nothing leaks";
  }
}

TEST(BindingPlainValueTest, ToPlainOwnsEveryTextAndOrdersMembers) {
  BindingProperty value;
  value.MemberAt("b").SetString("text");
  value.MemberAt("a").SetSigned(3);
  BindingPlainValue plain = ToPlain(value);
  ASSERT_EQ(plain.kind, 10u);
  const uint32_t count = plain.payload.ref.count;
  ASSERT_EQ(count, 2u);
  const auto* members = static_cast<const BindingPlainMember*>(plain.payload.ref.data);
  EXPECT_STREQ(members[0].key, "a");
  EXPECT_STREQ(members[1].key, "b");
  EXPECT_EQ(members[0].key_owned, 1);
  const BindingPlainValue text = members[1].value;
  EXPECT_EQ(Read(text.kind), 6u);
  EXPECT_EQ(Read(text.payload.ref.count), 4u);
  EXPECT_STREQ(static_cast<const char*>(text.payload.ref.data), "text");
  EXPECT_NE(Read(text.payload.ref.data), value.MemberAt("b").GetString())
      << "a copy, not the pool's";
  FreePlainValue(plain);
}

TEST(BindingPlainValueTest, EnumeratorsBecomeNamesOnlyWhenTheLookupKnowsThem) {
  struct Row {
    const StaticTypeIdentity* identity;
    int32_t value;
    bool with_names;
    uint32_t kind;
    const char* name;
  };
  const Row rows[] = {
      {&kState, 1, true, 6, "Running"}, {&kState, 0, true, 6, "None"},
      {&kState, 7, true, 2, nullptr},   {&kOther, 1, true, 2, nullptr},
      {&kState, -1, false, 2, nullptr},
  };
  const StateNames names;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.value);
    BindingProperty value;
    value.SetEnum(row.value, row.identity);
    BindingPlainValue plain = ToPlain(value, row.with_names ? &names : nullptr);
    EXPECT_EQ(Read(plain.kind), row.kind);
    if (row.name != nullptr) {
      EXPECT_STREQ(static_cast<const char*>(plain.payload.ref.data), row.name);
    } else {
      const int64_t number = plain.payload.signed_value;
      EXPECT_EQ(number, row.value) << "sign-extended";
    }
    FreePlainValue(plain);
  }
}

TEST(BindingPlainValueTest, ReferenceKindsAndNullTextsAreRead) {
  const uint8_t bytes[] = {4, 5};
  BindingPlainMember members[2];
  std::memset(members, 0, sizeof members);
  members[0].key = "text";
  members[0].value = Plain(kBindingPlainStringRef, "abc", 99);  // the length word is not read
  members[1].key = nullptr;  // a null key reads as the empty name
  members[1].value = Plain(kBindingPlainBlobRef, bytes, 2);
  BindingPlainValue elements[3] = {Plain(kBindingPlainStructure, members, 2),
                                   Plain(kBindingPlainString, nullptr, 5),
                                   Plain(kBindingPlainCollection, nullptr, 0)};
  const BindingPlainValue plain = Plain(kBindingPlainCollection, elements, 3);
  BindingProperty value;
  BindingPlainResult sink = NewSink();
  ASSERT_TRUE(FromPlain(&sink, value, plain, "<result>"));
  EXPECT_EQ(Shape(value), "[{=b4.5.,text='abc',},'',[],]");
}

TEST(BindingPlainValueTest, AnUnknownKindFailsWithAnEmptyKindName) {
  BindingPlainValue elements[2] = {Plain(kBindingPlainSigned), Plain(11)};
  const BindingPlainValue plain = Plain(kBindingPlainCollection, elements, 2);
  BindingPlainResult sink = NewSink();
  BindingProperty earlier;
  earlier.SetString("x");
  sink.value = ToPlain(earlier);  // freed by the failure
  BindingProperty value;
  EXPECT_FALSE(FromPlain(&sink, value, plain, "<result>"));
  EXPECT_EQ(sink.failed, 1);
  EXPECT_STREQ(sink.error,
               "Couldn't assign value to '<result>' of type object because the input is of an "
               "incompatible type ''.");
  EXPECT_EQ(Read(sink.value.kind), 0u);
  EXPECT_EQ(Shape(value), "[0,_,]") << "what was built before the failure stays";
  FreePlainResult(sink);
  EXPECT_EQ(Read(sink.error), nullptr);
}

TEST(BindingPlainValueTest, MalformedInputFailsWithoutReadingIt) {
  struct Row {
    const char* label;
    uint32_t kind;
    bool null_data;
    uint32_t count;
  };
  constexpr Row kRows[] = {
      {"collection without array", kBindingPlainCollection, true, 3},
      {"structure without array", kBindingPlainStructure, true, 1},
      {"blob without bytes", kBindingPlainBlob, true, 2},
      {"blob ref without bytes", kBindingPlainBlobRef, true, 1},
      {"collection too long", kBindingPlainCollection, false, 0x10000000},
      {"structure too long", kBindingPlainStructure, false, 0xFFFFFFFF},
  };
  const BindingPlainValue dummy[1] = {Plain(0)};
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.label);
    const BindingPlainValue inner = Plain(row.kind, row.null_data ? nullptr : dummy, row.count);
    BindingPlainMember member;
    std::memset(&member, 0, sizeof member);
    member.key = "m";
    member.value = inner;
    const BindingPlainValue plain = Plain(kBindingPlainStructure, &member, 1);
    BindingProperty value;
    BindingPlainResult sink = NewSink();
    EXPECT_FALSE(FromPlain(&sink, value, plain, "arg"));
    EXPECT_EQ(sink.failed, 1);
    EXPECT_STREQ(sink.error, "Couldn't assign value to 'arg' because the input is malformed.");
    FreePlainResult(sink);
  }
  BindingProperty value;
  EXPECT_FALSE(FromPlain(nullptr, value, Plain(kBindingPlainCollection, nullptr, 1), "arg"))
      << "no sink: just the answer";
}

// A chain of `levels` nested collections (the root is level 1) around one signed leaf.
class NestedPlain {
 public:
  explicit NestedPlain(int levels) : arrays_(static_cast<size_t>(levels)) {
    for (int i = levels - 1; i >= 0; --i) {
      arrays_[i] = i == levels - 1 ? Plain(kBindingPlainSigned)
                                   : Plain(kBindingPlainCollection, &arrays_[i + 1], 1);
    }
    root_ = Plain(kBindingPlainCollection, arrays_.data(), 1);
  }
  // levels containers: root_ plus arrays_[0 .. levels-2]; the leaf sits one level deeper.
  const BindingPlainValue& root() const { return root_; }

 private:
  std::vector<BindingPlainValue> arrays_;
  BindingPlainValue root_;
};

TEST(BindingPlainValueTest, ContainersMayNestToTheLimitAndNoDeeper) {
  struct Row {
    int containers;
    bool ok;
  };
  constexpr Row kRows[] = {
      {kMaxNestingDepth, true}, {kMaxNestingDepth + 1, false}, {100000, false}};
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.containers);
    const uint64_t live = LiveBlocks();
    {
      const NestedPlain plain(row.containers);
      BindingProperty value;
      BindingPlainResult sink = NewSink();
      EXPECT_EQ(FromPlain(&sink, value, plain.root(), "<result>"), row.ok);
      if (row.ok) {
        const BindingProperty* node = &value;
        for (int i = 0; i < row.containers; ++i)
          node = &node->ElementAt(0);
        EXPECT_EQ(node->GetType(), BindingProperty::Type::Signed) << "the leaf is at level 513";
        BindingPlainValue copy = ToPlain(value);
        FreePlainValue(copy);
      } else {
        EXPECT_STREQ(sink.error,
                     "Couldn't assign value to '<result>' because the input is nested too deeply.");
      }
      FreePlainResult(sink);
    }
    EXPECT_EQ(LiveBlocks(), live);
  }
}

TEST(BindingPlainValueTest, VeryDeepTreesConvertAndFree) {
  constexpr int kDepth = 100000;
  const uint64_t live = LiveBlocks();
  {
    BindingProperty root;
    BindingProperty* node = &root;
    for (int i = 0; i < kDepth; ++i)
      node = (i % 2 == 0) ? &node->Append() : &node->MemberAt("k");
    node->SetString("leaf");
    BindingPlainValue plain = ToPlain(root);
    const BindingPlainValue* walk = &plain;
    for (int i = 0; i < kDepth; ++i) {
      walk = (i % 2 == 0) ? static_cast<const BindingPlainValue*>(walk->payload.ref.data)
                          : &static_cast<const BindingPlainMember*>(walk->payload.ref.data)->value;
    }
    EXPECT_STREQ(static_cast<const char*>(walk->payload.ref.data), "leaf");
    FreePlainValue(plain);
  }
  EXPECT_EQ(LiveBlocks(), live);
}

}  // namespace
}  // namespace Vorn
