// The builtin vocabulary of every registry: help records, asynchronous-operation states, the
// event records with their fields and offsets, "OnCallback", and their conversions.
#include "sdk/binding/builtin_types.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "sdk/binding/binding_registry.h"
#include "sdk/binding/conversions.h"
#include "sdk/binding/help_provider.h"
#include "sdk/encoding/json_reader.h"
#include "sdk/encoding/json_writer.h"

namespace {

using Vorn::BindingRegistry;
using Vorn::BindingResult;
using Vorn::BindingTypeCode;
using Vorn::BindingTypeRecord;
using Code = BindingTypeCode;

constexpr bool k32Bit = sizeof(void*) == 4;

struct FieldRow {
  const char* name;
  Code code;
  Code element;
  const char* record;  // the descriptor's record, "" for none
  uint32_t offset32;
  uint32_t offset64;
  const char* description;
};

struct TypeRow {
  const char* name;
  const char* description;
  std::vector<std::string> tags;
  std::vector<FieldRow> fields;
};

const std::vector<std::string> kHelpTags = {"$builtin", "help"};
const std::vector<std::string> kAsyncTags = {"$builtin", "async"};

FieldRow Text(const char* name, uint32_t offset32, uint32_t offset64) {
  return {name, Code::String, Code::None, "", offset32, offset64, ""};
}
FieldRow Identifier(const char* name, uint32_t offset32, uint32_t offset64) {
  return {name, Code::Struct, Code::None, "BindingFullTypeIdentifier", offset32, offset64, ""};
}
FieldRow Tags(uint32_t offset32, uint32_t offset64) {
  return {"tags", Code::Vector, Code::String, "", offset32, offset64, ""};
}

// Offsets are those of the native records in each ABI (std::string is 24 bytes in the i386
// builds' libstdc++, 32 in the 64-bit one; a vector 12 and 24).
const TypeRow kRecordRows[] = {
    {"BindingGenericEvent",
     "Represents generic data for an event.",
     {"$builtin"},
     {{"data", Code::Object, Code::None, "", 0, 0, "Event data"}}},
    {"BindingCallbackEvent",
     "Represents the parameters of a call to a provided callback.",
     {"$builtin"},
     {{"id", Code::UInt32, Code::None, "", 0, 0, "ID of the callback being invoked"},
      {"parameters", Code::Vector, Code::Object, "", 4, 8, "Callback parameters"}}},
    {"BindingGenericAsyncEvent",
     "Represents generic data for an asynchronous event.",
     kAsyncTags,
     {{"asyncToken", Code::UInt32, Code::None, "", 0, 0, "Asynchronous operation token"},
      {"data", Code::Object, Code::None, "", 8, 8, "Event data"}}},
    {"BindingAsyncFailureEvent",
     "Represents a failed asynchronous operation.",
     kAsyncTags,
     {{"asyncToken", Code::UInt32, Code::None, "", 0, 0, "Asynchronous operation token"},
      {"error", Code::String, Code::None, "", 4, 8, "Error message"}}},
    {"BindingAsyncCancelEvent",
     "Represents a cancelled asynchronous operation.",
     kAsyncTags,
     {{"asyncToken", Code::UInt32, Code::None, "", 0, 0, "Asynchronous operation token"}}},
    {"BindingFullTypeIdentifier",
     "Describes the type of a value.",
     kHelpTags,
     {Text("type", 0, 0), Text("elementType", 24, 32)}},
    {"BindingFullArgumentHelp",
     "Describes a function parameter.",
     kHelpTags,
     {Text("name", 0, 0),
      Text("description", 24, 32),
      Identifier("type", 48, 64),
      {"optional", Code::Bool, Code::None, "", 96, 128, ""}}},
    {"BindingFullFunctionHelp",
     "Describes a function.",
     kHelpTags,
     {Text("name", 0, 0),
      Text("nameSpace", 24, 32),
      {"arguments", Code::Vector, Code::Struct, "BindingFullArgumentHelp", 48, 64, ""},
      Identifier("returns", 60, 88),
      Text("description", 108, 152),
      Text("help", 132, 184),
      {"threadSafe", Code::Bool, Code::None, "", 156, 216, ""},
      Text("async", 160, 224),
      Tags(184, 256)}},
    {"BindingFullEnumValueHelp",
     "Describes an enumerator.",
     kHelpTags,
     {Text("name", 0, 0),
      Text("description", 24, 32),
      {"value", Code::Int32, Code::None, "", 48, 64, ""}}},
    {"BindingFullFieldHelp",
     "Describes a member of a struct.",
     kHelpTags,
     {Text("name", 0, 0),
      Text("description", 24, 32),
      {"offset", Code::UInt32, Code::None, "", 48, 64, ""},
      Identifier("type", 52, 72),
      {"optional", Code::Bool, Code::None, "", 100, 136, ""}}},
    {"BindingFullTypeHelp",
     "Describes a struct or enum type.",
     kHelpTags,
     {Text("name", 0, 0),
      Text("nameSpace", 24, 32),
      {"size", Code::UInt32, Code::None, "", 48, 64, ""},
      Text("description", 52, 72),
      Tags(76, 104),
      {"fields", Code::Vector, Code::Struct, "BindingFullFieldHelp", 88, 128, ""},
      {"values", Code::Vector, Code::Struct, "BindingFullEnumValueHelp", 100, 152, ""}}},
    {"BindingFullEventHelp",
     "Describes an event.",
     kHelpTags,
     {Text("name", 0, 0), Text("nameSpace", 24, 32), Identifier("type", 48, 64),
      Text("description", 96, 128), Tags(120, 160)}},
    {"BindingFullApiHelp",
     "Describes the exposed native API.",
     kHelpTags,
     {{"functions", Code::Vector, Code::Struct, "BindingFullFunctionHelp", 0, 0, ""},
      {"types", Code::Vector, Code::Struct, "BindingFullTypeHelp", 12, 24, ""},
      {"events", Code::Vector, Code::Struct, "BindingFullEventHelp", 24, 48, ""}}},
};

void ExpectRecord(const BindingRegistry& registry, const TypeRow& row) {
  SCOPED_TRACE(row.name);
  const BindingTypeRecord* type = registry.FindTypeByName(row.name);
  ASSERT_NE(type, nullptr);
  EXPECT_FALSE(type->is_enum);
  EXPECT_EQ(type->description, row.description);
  EXPECT_EQ(type->tags, row.tags);
  EXPECT_EQ(type->name_space, "");
  ASSERT_EQ(type->fields.size(), row.fields.size());
  for (size_t i = 0; i < row.fields.size(); ++i) {
    const FieldRow& expected = row.fields[i];
    const Vorn::BindingFieldRecord& field = type->fields[i];
    SCOPED_TRACE(expected.name);
    EXPECT_EQ(field.name, expected.name);
    EXPECT_EQ(field.description, expected.description);
    EXPECT_EQ(field.type.code, expected.code);
    EXPECT_EQ(field.type.element_code, expected.element);
    EXPECT_EQ(field.type.record == nullptr ? "" : field.type.record->name, expected.record);
    EXPECT_EQ(field.offset, k32Bit ? expected.offset32 : expected.offset64);
    EXPECT_EQ(field.flags, 0u);
    EXPECT_FALSE(field.optional);
  }
}

TEST(BuiltinTypesTest, EveryRegistryHoldsTheRecords) {
  const BindingRegistry registry;
  for (const TypeRow& row : kRecordRows)
    ExpectRecord(registry, row);
}

TEST(BuiltinTypesTest, NativeSizesOfTheEventRecords) {
  EXPECT_EQ(sizeof(Vorn::BindingGenericEvent), k32Bit ? 16u : 24u);
  EXPECT_EQ(sizeof(Vorn::BindingCallbackEvent), k32Bit ? 16u : 32u);
  EXPECT_EQ(sizeof(Vorn::BindingGenericAsyncEvent), k32Bit ? 24u : 32u);
  EXPECT_EQ(sizeof(Vorn::BindingAsyncFailureEvent), k32Bit ? 28u : 40u);
  EXPECT_EQ(sizeof(Vorn::BindingAsyncCancelEvent), 4u);
  const BindingRegistry registry;
  EXPECT_EQ(registry.FindTypeByName("BindingCallbackEvent")->size,
            sizeof(Vorn::BindingCallbackEvent));
  EXPECT_EQ(registry.FindTypeByName("BindingAsyncCancelEvent")->size, 4u);
}

TEST(BuiltinTypesTest, EnumerationsWithTheirValues) {
  struct ValueRow {
    const char* name;
    int32_t value;
    const char* description;
  };
  struct EnumRow {
    const char* name;
    const Vorn::StaticTypeIdentity& identity;
    const char* description;
    std::vector<std::string> tags;
    std::vector<ValueRow> values;  // in name order
  };
  const EnumRow kRows[] = {
      {"BindingAsyncState",
       StaticType::HashCode<Vorn::BindingAsyncState::Type>(),
       "Possible states of an asynchronous operation.",
       kAsyncTags,
       {{"Cancelled", 3, "The operation was cancelled"},
        {"Cancelling", 2, "A request to cancel the operation has been made"},
        {"Failed", 5, "The operation encountered an error"},
        {"None", 0, "Invalid state"},
        {"Running", 1, "The operation is in flight"},
        {"Succeeded", 4, "The operation completed successfully"}}},
      {"BindingHelpFormat",
       StaticType::HashCode<Vorn::BindingHelpProvider::HelpFormat>(),
       "Help format for binding functions and types.",
       kHelpTags,
       {{"Epytext", 2, "Python epytext format"}, {"Full", 1, "Native help format"}}},
  };
  const BindingRegistry registry;
  for (const EnumRow& row : kRows) {
    SCOPED_TRACE(row.name);
    const BindingTypeRecord* type = registry.FindTypeByName(row.name);
    ASSERT_NE(type, nullptr);
    EXPECT_EQ(registry.FindTypeByIdentity(row.identity), type);
    EXPECT_TRUE(type->is_enum);
    EXPECT_EQ(type->size, 4u);
    EXPECT_EQ(type->description, row.description);
    EXPECT_EQ(type->tags, row.tags);
    ASSERT_EQ(type->values.size(), row.values.size());
    auto it = type->values.begin();
    for (const ValueRow& value : row.values) {
      SCOPED_TRACE(value.name);
      EXPECT_EQ(it->second.name, value.name);
      EXPECT_EQ(it->second.value, value.value);
      EXPECT_EQ(it->second.description, value.description);
      ++it;
    }
  }
}

TEST(BuiltinTypesTest, OnCallbackCarriesACallbackEvent) {
  const BindingRegistry registry;
  const Vorn::BindingEventRecord* event = registry.FindEvent("OnCallback");
  ASSERT_NE(event, nullptr);
  EXPECT_EQ(event->payload_type, registry.FindTypeByName("BindingCallbackEvent"));
  EXPECT_EQ(event->description, "Fired when a callback is invoked.");
  EXPECT_EQ(event->tags, std::vector<std::string>{"$builtin"});
  EXPECT_EQ(registry.EventSnapshot().size(), 1u);
  EXPECT_TRUE(registry.FunctionSnapshot().empty());
  EXPECT_EQ(registry.TypeSnapshot().size(), 15u);
}

// A second registration changes nothing: every name keeps its first record.
TEST(BuiltinTypesTest, RegisteringAgainKeepsTheFirstRegistration) {
  BindingRegistry registry;
  const BindingTypeRecord* failure = registry.FindTypeByName("BindingAsyncFailureEvent");
  Vorn::RegisterBuiltins(registry);
  EXPECT_EQ(registry.TypeSnapshot().size(), 15u);
  EXPECT_EQ(registry.FindTypeByName("BindingAsyncFailureEvent"), failure);
  for (const TypeRow& row : kRecordRows)
    ExpectRecord(registry, row);
  EXPECT_EQ(registry.FindTypeByName("BindingAsyncState")->values.size(), 6u);
}

TEST(BuiltinTypesTest, EventRecordsConvertBothWays) {
  const BindingRegistry registry;
  {
    BindingResult result;
    Vorn::ToValue(result, Vorn::BindingAsyncFailureEvent{7, "x"}, registry);
    ASSERT_TRUE(result.Ok()) << result.Error();
    EXPECT_EQ(Vorn::WriteJson(result.Value()), R"({"asyncToken":7,"error":"x"})");
  }
  {
    Vorn::BindingCallbackEvent event;
    event.id = 3;
    event.parameters.resize(2);
    event.parameters[0].SetSigned(int64_t{-1});
    event.parameters[1].SetString("a");
    BindingResult result;
    Vorn::ToValue(result, event, registry);
    ASSERT_TRUE(result.Ok()) << result.Error();
    EXPECT_EQ(Vorn::WriteJson(result.Value()), R"({"id":3,"parameters":[-1,"a"]})");
  }
  {
    BindingResult parsed = Vorn::ParseJson(R"({"asyncToken":9,"data":{"k":[true]}})");
    ASSERT_TRUE(parsed.Ok()) << parsed.Error();
    Vorn::BindingGenericAsyncEvent event;
    BindingResult assigned;
    Vorn::FromValue(assigned, event, parsed.Value(), "<value>", registry);
    ASSERT_TRUE(assigned.Ok()) << assigned.Error();
    EXPECT_EQ(event.asyncToken, 9u);
    EXPECT_EQ(Vorn::WriteJson(event.data), R"({"k":[true]})");
  }
  {
    BindingResult result;
    Vorn::ToValue(result, Vorn::BindingAsyncState::Failed, registry);
    ASSERT_TRUE(result.Ok()) << result.Error();
    EXPECT_EQ(result.Value().GetType(), Vorn::BindingProperty::Type::Enum);
    EXPECT_STREQ(registry.FindEnumeratorName(StaticType::HashCode<Vorn::BindingAsyncState::Type>(),
                                             Vorn::BindingAsyncState::Failed),
                 "Failed");
  }
}

// What other plugins see of the vocabulary through the help output.
TEST(BuiltinTypesTest, HelpTextsOfTheVocabulary) {
  const BindingRegistry registry;
  using Help = Vorn::BindingHelpProvider;
  EXPECT_EQ(Help::TypeEpytext(*registry.FindTypeByName("BindingAsyncState")),
            "Possible states of an asynchronous operation.\r\n"
            "\r\n"
            "@cvar None: (0) Invalid state\r\n"
            "@cvar Running: (1) The operation is in flight\r\n"
            "@cvar Cancelling: (2) A request to cancel the operation has been made\r\n"
            "@cvar Cancelled: (3) The operation was cancelled\r\n"
            "@cvar Succeeded: (4) The operation completed successfully\r\n"
            "@cvar Failed: (5) The operation encountered an error\r\n"
            "@tags: $builtin,async\r\n"
            "@size: 4\r\n");
  EXPECT_EQ(Help::TypeEpytext(*registry.FindTypeByName("BindingCallbackEvent")),
            "Represents the parameters of a call to a provided callback.\r\n"
            "\r\n"
            "@ivar id: ID of the callback being invoked\r\n"
            "@type id: uint32\r\n"
            "@ivar parameters: Callback parameters\r\n"
            "@type parameters: list[object]\r\n"
            "@tags: $builtin\r\n");
  EXPECT_EQ(Help::EventEpytext(*registry.FindEvent("OnCallback")),
            "Fired when a callback is invoked.\r\n\r\n@tags: $builtin\r\n");
}

}  // namespace
