// The type registry: records and their tables, first registration wins, descriptors derived
// from native members, enumerators, events, function records, lookups and snapshots.
#include "sdk/binding/binding_registry.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "sdk/binding/fnv1a.h"
#include "sdk/binding/plain_value.h"
#include "sdk/binding/type_builder.h"

namespace {

using Vorn::BindingFieldFlags;
using Vorn::BindingFieldRecord;
using Vorn::BindingRegistry;
using Vorn::BindingTypeCode;
using Vorn::BindingTypeDescriptor;
using Vorn::BindingTypeRecord;

enum class Mode : int16_t { kOff = 0, kOn = 1 };
struct Leaf {
  int32_t id = 0;
};
struct Everything {
  bool flag = false;
  int8_t i8 = 0;
  uint8_t u8 = 0;
  int16_t i16 = 0;
  uint16_t u16 = 0;
  int32_t i32 = 0;
  uint32_t u32 = 0;
  int64_t i64 = 0;
  uint64_t u64 = 0;
  float f32 = 0;
  double f64 = 0;
  std::string text;
  Vorn::BindingProperty object;
  std::vector<uint8_t> bytes;
  std::vector<Leaf> leaves;
  Mode mode = Mode::kOff;
  Leaf leaf;
  Vorn::BindingCallbackHandle callback;
  std::unordered_map<std::string, int32_t> counts;
  std::vector<Mode> modes;
  std::map<std::string, Leaf> leaf_map;
  std::optional<int32_t> maybe;
  std::vector<Vorn::BindingProperty> objects;
};

TEST(BindingRegistryTest, BeginTypeEntersTheRecordByNameAndIdentity) {
  BindingRegistry registry;
  const auto builder = registry.BeginType(12, "Sample", StaticType::HashCode<Leaf>(), false);
  ASSERT_FALSE(builder.AlreadyRegistered());
  const BindingTypeRecord* record = builder.Record();
  EXPECT_EQ(record->size, 12u);
  EXPECT_EQ(record->name, "Sample");
  EXPECT_FALSE(record->is_enum);
  EXPECT_EQ(record->hash, StaticType::HashCode<Leaf>().hash);
  EXPECT_EQ(record->identity, &StaticType::HashCode<Leaf>());
  EXPECT_EQ(record->registry, &registry);
  EXPECT_TRUE(record->name_space.empty());
  EXPECT_EQ(registry.FindTypeByName("Sample"), record);
  EXPECT_EQ(registry.FindTypeByIdentity(StaticType::HashCode<Leaf>()), record);
  EXPECT_EQ(registry.FindTypeByName("sample"), nullptr);
  EXPECT_EQ(registry.FindTypeByIdentity(StaticType::HashCode<Everything>()), nullptr);
}

TEST(BindingRegistryTest, TheFirstRegistrationOfANameWins) {
  BindingRegistry registry;
  registry.BeginType<Leaf>("Leaf").AddField("id", &Leaf::id).SetDescription("first").AddTag("a");
  auto again = registry.BeginType<Leaf>("Leaf");
  EXPECT_TRUE(again.AlreadyRegistered());
  again.AddField("other", &Leaf::id).SetDescription("second").AddTag("b").SetNameSpace("x");
  const BindingTypeRecord* record = registry.FindTypeByName("Leaf");
  ASSERT_EQ(record->fields.size(), 1u);
  EXPECT_EQ(record->fields[0].name, "id");
  EXPECT_EQ(record->description, "first");
  EXPECT_EQ(record->tags, std::vector<std::string>{"a"});
  EXPECT_TRUE(record->name_space.empty());
  EXPECT_EQ(again.Record(), record);
}

TEST(BindingRegistryTest, ALaterTypeWithTheSameIdentityReplacesTheIdentityEntry) {
  BindingRegistry registry;
  const auto& identity = StaticType::HashCode<Leaf>();
  const BindingTypeRecord* first = registry.BeginType(4, "First", identity, false).Record();
  const BindingTypeRecord* second = registry.BeginType(4, "Second", identity, false).Record();
  EXPECT_EQ(registry.FindTypeByIdentity(identity), second);
  EXPECT_EQ(registry.FindTypeByName("First"), first);
}

TEST(BindingRegistryTest, ATypeWithTheIdentityOfVoidIsFoundByNameOnly) {
  BindingRegistry registry;
  const BindingTypeRecord* record =
      registry.BeginType(0, "Nothing", StaticType::HashCode<void>(), false).Record();
  EXPECT_EQ(registry.FindTypeByName("Nothing"), record);
  EXPECT_EQ(registry.FindTypeByIdentity(StaticType::HashCode<void>()), nullptr);
}

TEST(BindingRegistryTest, TagsSkipEmptyTextsAndKeepTheirOrder) {
  BindingRegistry registry;
  registry.BeginType<Leaf>("Leaf")
      .AddTag("")
      .AddTag("Plugins")
      .AddTags({"b", "", "a"})
      .SetDescription("d")
      .SetNameSpace("ns");
  const BindingTypeRecord* record = registry.FindTypeByName("Leaf");
  EXPECT_EQ(record->tags, (std::vector<std::string>{"Plugins", "b", "a"}));
  EXPECT_EQ(record->description, "d");
  EXPECT_EQ(record->name_space, "ns");
}

TEST(BindingRegistryTest, EnumeratorsAreKeptByNameAndAReusedNameReplacesTheValue) {
  BindingRegistry registry;
  const auto builder = registry.BeginEnum<Mode>("Mode")
                           .AddEnumValue("b", Mode::kOff)
                           .AddEnumValue("a", Mode::kOn, "first")
                           .AddEnumValue("B", Mode::kOn)
                           .AddEnumValue("a", static_cast<Mode>(7), "second");
  const BindingTypeRecord* record = builder.Record();
  EXPECT_TRUE(record->is_enum);
  EXPECT_EQ(record->size, 2u);
  std::vector<std::string> names;
  for (const auto& [name, value] : record->values) {
    names.push_back(name);
    EXPECT_EQ(value.name, name);
    EXPECT_EQ(value.owner, record);
  }
  EXPECT_EQ(names, (std::vector<std::string>{"B", "a", "b"}));
  EXPECT_EQ(record->values.at("a").value, 7);
  EXPECT_EQ(record->values.at("a").description, "second");
  EXPECT_TRUE(record->DefinesValue(1));
  EXPECT_FALSE(record->DefinesValue(2));
}

TEST(BindingRegistryTest, EnumeratorNamesAreTheFirstInNameOrderWithTheValue) {
  BindingRegistry registry;
  registry.BeginEnum<Mode>("Mode")
      .AddEnumValue("Zed", Mode::kOn)
      .AddEnumValue("Alpha", Mode::kOn)
      .AddEnumValue("Off", Mode::kOff);
  registry.BeginType<Leaf>("Leaf");
  const auto& mode = StaticType::HashCode<Mode>();
  EXPECT_STREQ(registry.FindEnumeratorName(mode, 1), "Alpha");
  EXPECT_STREQ(registry.FindEnumeratorName(mode, 0), "Off");
  EXPECT_EQ(registry.FindEnumeratorName(mode, 2), nullptr);
  EXPECT_EQ(registry.FindEnumeratorName(StaticType::HashCode<Leaf>(), 0), nullptr);
  EXPECT_EQ(registry.FindEnumeratorName(StaticType::HashCode<int>(), 0), nullptr);
}

TEST(BindingRegistryTest, ThePlainFormNamesEnumeratorsThroughTheRegistry) {
  BindingRegistry registry;
  registry.BeginEnum<Mode>("Mode").AddEnumValue("On", Mode::kOn);
  struct Row {
    int32_t value;
    uint32_t kind;
  };
  const Row rows[] = {{1, kBindingPlainString}, {0, kBindingPlainSigned}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.value);
    Vorn::BindingProperty value;
    value.SetEnum(row.value, &StaticType::HashCode<Mode>());
    BindingPlainValue plain = Vorn::ToPlain(value, &registry);
    EXPECT_EQ(plain.kind, row.kind);
    if (plain.kind == kBindingPlainString) {
      EXPECT_STREQ(static_cast<const char*>(plain.payload.ref.data), "On");
    }
    Vorn::FreePlainValue(plain);
  }
}

// The registry of every field kind, with Leaf and Mode registered first.
class DerivedFieldsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    leaf_ = registry_.BeginType<Leaf>("Leaf").AddField("id", &Leaf::id).Record();
    mode_ = registry_.BeginEnum<Mode>("Mode").AddEnumValue("Off", Mode::kOff).Record();
    registry_.BeginType<Everything>("Everything")
        .AddField("flag", &Everything::flag)
        .AddField("i8", &Everything::i8)
        .AddField("u8", &Everything::u8)
        .AddField("i16", &Everything::i16)
        .AddField("u16", &Everything::u16)
        .AddField("i32", &Everything::i32)
        .AddField("u32", &Everything::u32)
        .AddField("i64", &Everything::i64)
        .AddField("u64", &Everything::u64)
        .AddField("f32", &Everything::f32)
        .AddField("f64", &Everything::f64)
        .AddField("text", &Everything::text, "words")
        .SetFieldFlags(BindingFieldFlags::Required | BindingFieldFlags::OmitIfEmpty)
        .SetFieldExtraType({BindingTypeCode::UInt32})
        .AddField("object", &Everything::object)
        .AddField("bytes", &Everything::bytes)
        .AddField("leaves", &Everything::leaves)
        .AddField("mode", &Everything::mode)
        .AddField("leaf", &Everything::leaf)
        .AddField("callback", &Everything::callback)
        .AddField("counts", &Everything::counts)
        .AddField("modes", &Everything::modes)
        .AddField("leaf_map", &Everything::leaf_map)
        .AddField("maybe", &Everything::maybe)
        .AddField("objects", &Everything::objects);
    record_ = registry_.FindTypeByName("Everything");
  }

  BindingRegistry registry_;
  const BindingTypeRecord* leaf_ = nullptr;
  const BindingTypeRecord* mode_ = nullptr;
  const BindingTypeRecord* record_ = nullptr;
};

TEST_F(DerivedFieldsTest, EachNativeTypeGivesItsCodeElementCodeAndRecord) {
  using C = BindingTypeCode;
  struct Row {
    const char* name;
    C code;
    C element_code;
    const BindingTypeRecord* record;
    size_t offset;
  };
  const Everything sample;
  const auto at = [&sample](const auto& member) {
    return static_cast<size_t>(reinterpret_cast<const char*>(&member) -
                               reinterpret_cast<const char*>(&sample));
  };
  const Row rows[] = {
      {"flag", C::Bool, C::None, nullptr, at(sample.flag)},
      {"i8", C::Int8, C::None, nullptr, at(sample.i8)},
      {"u8", C::UInt8, C::None, nullptr, at(sample.u8)},
      {"i16", C::Int16, C::None, nullptr, at(sample.i16)},
      {"u16", C::UInt16, C::None, nullptr, at(sample.u16)},
      {"i32", C::Int32, C::None, nullptr, at(sample.i32)},
      {"u32", C::UInt32, C::None, nullptr, at(sample.u32)},
      {"i64", C::Int64, C::None, nullptr, at(sample.i64)},
      {"u64", C::UInt64, C::None, nullptr, at(sample.u64)},
      {"f32", C::Float, C::None, nullptr, at(sample.f32)},
      {"f64", C::Double, C::None, nullptr, at(sample.f64)},
      {"text", C::String, C::None, nullptr, at(sample.text)},
      {"object", C::Object, C::None, nullptr, at(sample.object)},
      {"bytes", C::Blob, C::None, nullptr, at(sample.bytes)},
      {"leaves", C::Vector, C::Struct, leaf_, at(sample.leaves)},
      {"mode", C::Enum, C::None, mode_, at(sample.mode)},
      {"leaf", C::Struct, C::None, leaf_, at(sample.leaf)},
      {"callback", C::Callback, C::None, nullptr, at(sample.callback)},
      {"counts", C::Map, C::Int32, nullptr, at(sample.counts)},
      {"modes", C::Vector, C::Enum, mode_, at(sample.modes)},
      {"leaf_map", C::Map, C::Struct, leaf_, at(sample.leaf_map)},
      {"maybe", C::Int32, C::None, nullptr, at(sample.maybe)},
      {"objects", C::Vector, C::Object, nullptr, at(sample.objects)},
  };
  ASSERT_EQ(record_->fields.size(), std::size(rows));
  for (size_t i = 0; i < std::size(rows); ++i) {
    const Row& row = rows[i];
    const BindingFieldRecord& field = record_->fields[i];
    SCOPED_TRACE(row.name);
    EXPECT_EQ(field.name, row.name);
    EXPECT_EQ(field.name_hash, Vorn::Fnv1a32(row.name));
    EXPECT_EQ(field.type.code, row.code);
    EXPECT_EQ(field.type.element_code, row.element_code);
    EXPECT_EQ(field.type.record, row.record);
    EXPECT_EQ(field.offset, row.offset);
    EXPECT_EQ(field.owner, record_);
    EXPECT_NE(field.converter, nullptr);
    EXPECT_EQ(field.optional, std::string(row.name) == "maybe");
  }
  EXPECT_EQ(record_->size, sizeof(Everything));
}

TEST_F(DerivedFieldsTest, OptionsAndIdentitiesReachTheFieldRecord) {
  const BindingFieldRecord& text = record_->fields[11];
  EXPECT_EQ(text.description, "words");
  EXPECT_EQ(text.flags, 3u);
  EXPECT_EQ(text.extra_type.code, BindingTypeCode::UInt32);
  EXPECT_EQ(text.identity, &StaticType::HashCode<std::string>());
  const BindingFieldRecord& flag = record_->fields[0];
  EXPECT_EQ(flag.extra_type.code, BindingTypeCode::None);
  EXPECT_EQ(flag.flags, 0u);
  EXPECT_TRUE(flag.description.empty());
  EXPECT_EQ(record_->fields[21].identity, &StaticType::HashCode<std::optional<int32_t>>());
}

TEST(BindingRegistryTest, ANestedTypeRegisteredLaterIsNotSeenByTheDescriptor) {
  struct Outer {
    std::vector<Leaf> leaves;
    Leaf leaf;
    Mode mode;
  };
  BindingRegistry registry;
  const BindingTypeRecord* outer = registry.BeginType<Outer>("Outer")
                                       .AddField("leaves", &Outer::leaves)
                                       .AddField("leaf", &Outer::leaf)
                                       .AddField("mode", &Outer::mode)
                                       .Record();
  registry.BeginType<Leaf>("Leaf").AddField("id", &Leaf::id);
  registry.BeginEnum<Mode>("Mode");
  for (const BindingFieldRecord& field : outer->fields) {
    SCOPED_TRACE(field.name);
    EXPECT_EQ(field.type.record, nullptr);
  }
  EXPECT_EQ(outer->fields[0].type.element_code, BindingTypeCode::Struct);
}

TEST(BindingRegistryTest, FieldSettersChangeTheLastFieldOnly) {
  BindingRegistry registry;
  const BindingTypeRecord* record = registry.BeginType<Leaf>("Leaf")
                                        .SetFieldFlags(2)
                                        .AddField("a", &Leaf::id)
                                        .AddField("b", &Leaf::id)
                                        .SetFieldOptional(true)
                                        .SetFieldExtraType({})
                                        .Record();
  EXPECT_FALSE(record->fields[0].optional);
  EXPECT_EQ(record->fields[0].flags, 0u);
  EXPECT_TRUE(record->fields[1].optional);
  EXPECT_EQ(record->fields[1].extra_type.code, BindingTypeCode::None);
}

TEST(BindingRegistryTest, TheUntypedAddFieldStoresWhatItIsGiven) {
  BindingRegistry registry;
  const BindingTypeRecord* record =
      registry.BeginType(8, "Raw", StaticType::HashCode<Leaf>(), false)
          .AddField("a", "desc", 4, StaticType::HashCode<int32_t>(), {BindingTypeCode::Int32},
                    {BindingTypeCode::None, BindingTypeCode::Int8, nullptr}, 2,
                    Vorn::MakeBindingConverter<int32_t>(), true)
          .Record();
  const BindingFieldRecord& field = record->fields.at(0);
  EXPECT_EQ(field.offset, 4u);
  EXPECT_EQ(field.description, "desc");
  // Copied only when its code is set.
  EXPECT_EQ(field.extra_type.element_code, BindingTypeCode::None);
  EXPECT_TRUE(field.optional);
  EXPECT_EQ(field.flags, 2u);
}

TEST(BindingRegistryTest, EventsFollowTheSamePattern) {
  BindingRegistry registry;
  const BindingTypeRecord* leaf = registry.BeginType<Leaf>("Leaf").Record();
  registry.BeginEvent<Leaf>("OnLeaf").SetDescription("Fired.").AddTag("").AddTag("$builtin");
  auto again = registry.BeginEvent("OnLeaf", nullptr);
  EXPECT_TRUE(again.AlreadyRegistered());
  again.SetDescription("ignored").AddTag("x").SetNameSpace("y");
  const Vorn::BindingEventRecord* event = registry.FindEvent("OnLeaf");
  ASSERT_NE(event, nullptr);
  EXPECT_EQ(event->payload_type, leaf);
  EXPECT_EQ(event->description, "Fired.");
  EXPECT_EQ(event->tags, std::vector<std::string>{"$builtin"});
  EXPECT_TRUE(event->name_space.empty());
  EXPECT_EQ(registry.FindEvent("OnOther"), nullptr);
}

TEST(BindingRegistryTest, FunctionRecordsAreInsertedOnceAndSnapshotsAreInNameOrder) {
  BindingRegistry registry;
  auto [get, created] = registry.InsertFunction("GetB");
  ASSERT_TRUE(created);
  get->description = "b";
  EXPECT_FALSE(registry.InsertFunction("GetB").second);
  EXPECT_EQ(registry.InsertFunction("GetB").first, get);
  registry.InsertFunction("GetA");
  registry.InsertFunction("Get");
  EXPECT_EQ(registry.FindFunction("GetB"), get);
  EXPECT_EQ(registry.FindFunction("GetC"), nullptr);
  std::vector<std::string> names;
  for (const auto* function : registry.FunctionSnapshot())
    names.push_back(function->name);
  EXPECT_EQ(names, (std::vector<std::string>{"Get", "GetA", "GetB"}));

  registry.BeginType<Leaf>("b");
  registry.BeginEnum<Mode>("B");
  registry.BeginType(0, "a", StaticType::HashCode<void>(), false);
  // Every registry also holds the builtin types and event, tagged "$builtin".
  const auto builtin = [](const std::vector<std::string>& tags) {
    return !tags.empty() && tags.front() == "$builtin";
  };
  names.clear();
  for (const auto* type : registry.TypeSnapshot()) {
    if (!builtin(type->tags)) names.push_back(type->name);
  }
  EXPECT_EQ(names, (std::vector<std::string>{"B", "a", "b"}));
  registry.BeginEvent("OnZ", nullptr);
  registry.BeginEvent("OnA", nullptr);
  names.clear();
  for (const auto* event : registry.EventSnapshot()) {
    if (!builtin(event->tags)) names.push_back(event->name);
  }
  EXPECT_EQ(names, (std::vector<std::string>{"OnA", "OnZ"}));
}

}  // namespace
