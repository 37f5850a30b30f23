// The API help: type identifiers and epytext spellings of every code, escaping, the epytext
// layouts of functions, records, enumerations and events, and BuildHelp in both formats.
#include "sdk/binding/help_provider.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "sdk/binding/binding_registry.h"
#include "sdk/binding/type_builder.h"
#include "sdk/encoding/json_writer.h"
#include "sdk/remoting/function_registration.h"

namespace {

using Vorn::BindingArgumentRecord;
using Vorn::BindingEventRecord;
using Vorn::BindingFunctionRecord;
using Vorn::BindingProperty;
using Vorn::BindingRegistry;
using Vorn::BindingResult;
using Vorn::BindingTypeCode;
using Vorn::BindingTypeDescriptor;
using Vorn::BindingTypeRecord;
using Help = Vorn::BindingHelpProvider;
using Code = BindingTypeCode;

enum class Level : int8_t { Low = -1, Mid = 2, High = 5 };
struct Part {
  int32_t id = 0;
};
struct Item {
  uint32_t id = 0;
  std::string label;
  std::vector<uint8_t> payload;
  std::vector<Part> parts;
  std::map<std::string, int32_t> counts;
  Level level = Level::Low;
};

// A registry with an enumeration, a record and a record that refers to both.
class HelpProviderTest : public ::testing::Test {
 protected:
  HelpProviderTest() {
    registry_.BeginEnum<Level>("Level")
        .AddEnumValue("High", Level::High, "Top")
        .AddEnumValue("Low", Level::Low)
        .AddEnumValue("Mid", Level::Mid, "Middle");
    registry_.BeginType<Part>("Part").AddField("id", &Part::id, "Part id");
    registry_.BeginType<Item>("Item")
        .AddField("id", &Item::id, "Identifier")
        .AddField("label", &Item::label, "{Shown} - to users")
        .AddField("payload", &Item::payload)
        .AddField("parts", &Item::parts, "Pieces")
        .AddField("counts", &Item::counts, "Per name")
        .AddField("level", &Item::level, "-Level")
        .SetDescription("-An item {x}")
        .AddTag("shop")
        .AddTag("v1");
  }

  const BindingTypeRecord& Type(const char* name) const {
    const BindingTypeRecord* record = registry_.FindTypeByName(name);
    EXPECT_NE(record, nullptr) << name;
    return *record;
  }

  BindingRegistry registry_;
};

enum class Ref { None, Item, Level };

struct DescriptorRow {
  Code code;
  Code element;
  Ref record;
  const char* type;
  const char* element_type;
  const char* epytext;
};

constexpr DescriptorRow kDescriptorRows[] = {
    {Code::None, Code::None, Ref::None, "", "", ""},
    {Code::Bool, Code::None, Ref::None, "bool", "", "bool"},
    {Code::Int8, Code::None, Ref::None, "int8", "", "int8"},
    {Code::UInt8, Code::None, Ref::None, "uint8", "", "uint8"},
    {Code::Int16, Code::None, Ref::None, "int16", "", "int16"},
    {Code::UInt16, Code::None, Ref::None, "uint16", "", "uint16"},
    {Code::Int32, Code::None, Ref::None, "int32", "", "int32"},
    {Code::UInt32, Code::None, Ref::None, "uint32", "", "uint32"},
    {Code::Int64, Code::None, Ref::None, "int64", "", "int64"},
    {Code::UInt64, Code::None, Ref::None, "uint64", "", "uint64"},
    {Code::Float, Code::None, Ref::None, "float", "", "float"},
    {Code::Double, Code::None, Ref::None, "double", "", "double"},
    {Code::String, Code::None, Ref::None, "string", "", "string"},
    {Code::Object, Code::None, Ref::None, "object", "", "object"},
    {Code::Blob, Code::None, Ref::None, "blob", "", "bytearray"},
    {Code::Callback, Code::None, Ref::None, "callback", "", "callback"},
    {static_cast<Code>(20), Code::None, Ref::None, "", "", ""},
    {static_cast<Code>(0xFFFFFFFFu), Code::None, Ref::None, "", "", ""},
    {Code::Enum, Code::None, Ref::Level, "Level", "", "L{Level}"},
    {Code::Enum, Code::None, Ref::None, "enum", "", "L{}"},
    {Code::Struct, Code::None, Ref::Item, "Item", "", "L{Item}"},
    {Code::Struct, Code::None, Ref::None, "struct", "", "L{}"},
    {Code::Vector, Code::Struct, Ref::Item, "vector", "Item", "list[L{Item}]"},
    {Code::Vector, Code::Struct, Ref::None, "vector", "struct", "list[L{}]"},
    {Code::Vector, Code::Enum, Ref::Level, "vector", "Level", "list[L{Level}]"},
    {Code::Vector, Code::Enum, Ref::None, "vector", "enum", "list[L{}]"},
    {Code::Vector, Code::Int32, Ref::None, "vector", "int32", "list[int32]"},
    {Code::Vector, Code::String, Ref::None, "vector", "string", "list[string]"},
    {Code::Vector, Code::Object, Ref::None, "vector", "object", "list[object]"},
    {Code::Vector, Code::Blob, Ref::None, "vector", "blob", "list[bytearray]"},
    {Code::Map, Code::Int32, Ref::None, "map", "int32", "dict[int32]"},
    {Code::Map, Code::Struct, Ref::Item, "map", "Item", "dict[L{Item}]"},
    {Code::Map, Code::Double, Ref::None, "map", "double", "dict[double]"},
};

TEST_F(HelpProviderTest, TypeIdentifierAndEpytextTypeOfEveryCode) {
  for (const DescriptorRow& row : kDescriptorRows) {
    SCOPED_TRACE(row.epytext);
    SCOPED_TRACE(static_cast<uint32_t>(row.code));
    const BindingTypeRecord* record = row.record == Ref::Item    ? &Type("Item")
                                      : row.record == Ref::Level ? &Type("Level")
                                                                 : nullptr;
    const BindingTypeDescriptor descriptor{row.code, row.element, record};
    const Help::FullTypeIdentifier identifier = Help::TypeIdentifier(descriptor);
    EXPECT_EQ(identifier.type, row.type);
    EXPECT_EQ(identifier.elementType, row.element_type);
    EXPECT_EQ(Help::EpytextType(descriptor), row.epytext);
  }
}

TEST(HelpProviderEscapeTest, LeadingDashAndBraces) {
  struct Row {
    const char* text;
    const char* escaped;
  };
  constexpr Row kRows[] = {
      {"", ""},
      {"plain text", "plain text"},
      {"-starts with a dash", "E{-}starts with a dash"},
      {"--", "E{-}-"},
      {"a-b -c", "a-b -c"},
      {"{x}", "E{lb}xE{rb}"},
      {"}{", "E{rb}E{lb}"},
      {"-{", "E{-}E{lb}"},
      {"E{lb}", "EE{lb}lbE{rb}"},
      {" -x", " -x"},
  };
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.text);
    EXPECT_EQ(Help::EpytextEscape(row.text), row.escaped);
  }
}

BindingArgumentRecord Argument(const char* name, const char* description, bool optional,
                               BindingTypeDescriptor type) {
  BindingArgumentRecord argument;
  argument.name = name;
  argument.description = description;
  argument.optional = optional;
  argument.type = type;
  return argument;
}

TEST_F(HelpProviderTest, FunctionWithNothingRendersTheEmptyText) {
  BindingFunctionRecord function;
  function.name = "Nothing";
  EXPECT_EQ(Help::FunctionEpytext(function), "");
}

// Every part of the function text, in its order.
TEST_F(HelpProviderTest, FunctionEpytextLayout) {
  BindingFunctionRecord function;
  function.name = "GetItem";
  function.description = "-Finds {one} item";
  function.help = "Longer help.";
  function.arguments.push_back(Argument("id", "The {id}", false, {Code::UInt32}));
  function.arguments.push_back(Argument("filter", "-Which ones", true, {Code::String}));
  // Without description only the type line, optional or not.
  function.arguments.push_back(Argument("limit", "", true, {Code::Int32}));
  function.arguments.push_back(Argument("raw", "", false, {Code::Blob}));
  function.returns = {Code::Struct, Code::None, &Type("Item")};
  function.tags = {"shop", "read"};
  function.thread_safe = true;
  function.async = true;
  EXPECT_EQ(Help::FunctionEpytext(function),
            "E{-}Finds E{lb}oneE{rb} item\r\n"
            "\r\n"
            "Longer help.\r\n"
            "\r\n"
            "@param id: The E{lb}idE{rb}\r\n"
            "@type id: uint32\r\n"
            "@param filter: (optional) E{-}Which ones\r\n"
            "@type filter: string\r\n"
            "@type limit: int32\r\n"
            "@type raw: bytearray\r\n"
            "@rtype: L{Item}\r\n"
            "@tags: shop,read\r\n"
            "@threadsafe: true\r\n"
            "@async: L{Item}\r\n");
}

TEST_F(HelpProviderTest, FunctionEpytextOfSingleParts) {
  struct Row {
    const char* name;
    const char* description;
    const char* help;
    Code returns;
    bool thread_safe;
    const char* expected;
  };
  constexpr Row kRows[] = {
      {"description only", "Adds.", "", Code::None, false, "Adds.\r\n\r\n"},
      {"help only", "", "{h}", Code::None, false, "E{lb}hE{rb}\r\n\r\n"},
      {"result only", "", "", Code::Vector, false, "@rtype: list[int32]\r\n"},
      {"thread safe only", "", "", Code::None, true, "@threadsafe: true\r\n"},
  };
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.name);
    BindingFunctionRecord function;
    function.description = row.description;
    function.help = row.help;
    function.returns = {row.returns, row.returns == Code::Vector ? Code::Int32 : Code::None};
    function.thread_safe = row.thread_safe;
    EXPECT_EQ(Help::FunctionEpytext(function), row.expected);
  }
}

TEST_F(HelpProviderTest, RecordEpytextLayout) {
  // Field descriptions are written as they stand; the type's description is escaped.
  EXPECT_EQ(Help::TypeEpytext(Type("Item")),
            "E{-}An item E{lb}xE{rb}\r\n"
            "\r\n"
            "@ivar id: Identifier\r\n"
            "@type id: uint32\r\n"
            "@ivar label: {Shown} - to users\r\n"
            "@type label: string\r\n"
            "@ivar payload: \r\n"
            "@type payload: bytearray\r\n"
            "@ivar parts: Pieces\r\n"
            "@type parts: list[L{Part}]\r\n"
            "@ivar counts: Per name\r\n"
            "@type counts: dict[int32]\r\n"
            "@ivar level: -Level\r\n"
            "@type level: L{Level}\r\n"
            "@tags: shop,v1\r\n");
  EXPECT_EQ(Help::TypeEpytext(Type("Part")), "@ivar id: Part id\r\n@type id: int32\r\n");
}

TEST_F(HelpProviderTest, EnumerationEpytextListsValuesInAscendingOrder) {
  // Names order High, Low, Mid; values order Low, Mid, High.
  EXPECT_EQ(Help::TypeEpytext(Type("Level")),
            "@cvar Low: (-1)\r\n"
            "@cvar Mid: (2) Middle\r\n"
            "@cvar High: (5) Top\r\n"
            "@size: 1\r\n");
}

TEST_F(HelpProviderTest, BindingHelpFormatEpytext) {
  EXPECT_EQ(Help::TypeEpytext(Type("BindingHelpFormat")),
            "Help format for binding functions and types.\r\n"
            "\r\n"
            "@cvar Full: (1) Native help format\r\n"
            "@cvar Epytext: (2) Python epytext format\r\n"
            "@tags: $builtin,help\r\n"
            "@size: 4\r\n");
}

TEST(HelpProviderEventTest, EventEpytextAlwaysStartsWithTheDescriptionParagraph) {
  BindingEventRecord event;
  event.name = "OnThing";
  EXPECT_EQ(Help::EventEpytext(event), "\r\n\r\n");
  event.description = "-Fired {now}.";
  event.tags = {"a", "b"};
  EXPECT_EQ(Help::EventEpytext(event), "E{-}Fired E{lb}nowE{rb}.\r\n\r\n@tags: a,b\r\n");
}

TEST_F(HelpProviderTest, FullRecordsOfATypeAndAnEnumeration) {
  const Help::FullTypeHelp item = Help::TypeHelp(Type("Item"));
  EXPECT_EQ(item.name, "Item");
  EXPECT_EQ(item.size, sizeof(Item));
  EXPECT_EQ(item.tags, (std::vector<std::string>{"shop", "v1"}));
  EXPECT_TRUE(item.values.empty());
  struct FieldRow {
    const char* name;
    const char* type;
    const char* element_type;
  };
  constexpr FieldRow kFields[] = {{"id", "uint32", ""},       {"label", "string", ""},
                                  {"payload", "blob", ""},    {"parts", "vector", "Part"},
                                  {"counts", "map", "int32"}, {"level", "Level", ""}};
  ASSERT_EQ(item.fields.size(), std::size(kFields));
  for (size_t i = 0; i < item.fields.size(); ++i) {
    SCOPED_TRACE(kFields[i].name);
    EXPECT_EQ(item.fields[i].name, kFields[i].name);
    EXPECT_EQ(item.fields[i].type.type, kFields[i].type);
    EXPECT_EQ(item.fields[i].type.elementType, kFields[i].element_type);
    EXPECT_EQ(item.fields[i].offset, Type("Item").fields[i].offset);
  }
  EXPECT_EQ(item.fields[1].description, "{Shown} - to users");

  const Help::FullTypeHelp level = Help::TypeHelp(Type("Level"));
  EXPECT_TRUE(level.fields.empty());
  ASSERT_EQ(level.values.size(), 3u);  // in name order
  EXPECT_EQ(level.values[0].name, "High");
  EXPECT_EQ(level.values[0].value, 5);
  EXPECT_EQ(level.values[0].description, "Top");
  EXPECT_EQ(level.values[1].name, "Low");
  EXPECT_EQ(level.values[1].value, -1);
  EXPECT_EQ(level.values[2].name, "Mid");
}

TEST_F(HelpProviderTest, FullEventTypeNamesThePayload) {
  BindingEventRecord event;
  event.payload_type = &Type("Level");
  EXPECT_EQ(Help::EventHelp(event).type.type, "Level");
  event.payload_type = &Type("Item");
  EXPECT_EQ(Help::EventHelp(event).type.type, "Item");
  event.payload_type = nullptr;
  EXPECT_EQ(Help::EventHelp(event).type.type, "struct");
}

TEST_F(HelpProviderTest, FullAsyncNamesTheResultType) {
  BindingFunctionRecord function;
  function.returns = {Code::Struct, Code::None, &Type("Item")};
  EXPECT_EQ(Help::FunctionHelp(function).async, "");
  function.async = true;
  EXPECT_EQ(Help::FunctionHelp(function).async, "Item");
  function.returns = {Code::UInt32};
  EXPECT_EQ(Help::FunctionHelp(function).async, "");
}

// Items come out in byte-wise name order whatever order the lists have.
TEST_F(HelpProviderTest, ItemsAreSortedByName) {
  BindingRegistry registry;
  for (const char* name : {"abc", "a", "B", "ab"}) {
    registry.BeginType(4, name, StaticType::HashCode<void>(), false);
    registry.BeginEvent(name, nullptr);
  }
  std::vector<const BindingTypeRecord*> types;
  std::vector<const BindingEventRecord*> events;
  for (const char* name : {"abc", "a", "B", "ab"}) {
    types.push_back(registry.FindTypeByName(name));
    events.push_back(registry.FindEvent(name));
  }
  BindingResult result;
  Help(registry).BuildHelp(result, {}, types, events, Help::HelpFormat::Full);
  ASSERT_TRUE(result.Ok());
  for (const char* list : {"types", "events"}) {
    SCOPED_TRACE(list);
    const BindingProperty& items = std::as_const(result.Value()).MemberAt(list);
    ASSERT_EQ(items.Size(), 4u);
    const char* kOrder[] = {"B", "a", "ab", "abc"};
    for (size_t i = 0; i < 4; ++i)
      EXPECT_STREQ(items.ElementAt(i).MemberAt("name").GetString(), kOrder[i]);
  }
}

// Members without items stay Empty, in both formats and for an unknown format.
TEST_F(HelpProviderTest, ListsWithoutItemsStayEmpty) {
  for (const int32_t format : {1, 2, 0, 3}) {
    SCOPED_TRACE(format);
    BindingResult result;
    Help(registry_).BuildHelp(result, {}, {&Type("Part")}, {},
                              static_cast<Help::HelpFormat>(format));
    ASSERT_TRUE(result.Ok());
    const BindingProperty& value = result.Value();
    ASSERT_EQ(value.GetType(), BindingProperty::Type::Structure);
    EXPECT_EQ(value.Size(), 3u);
    EXPECT_EQ(value.MemberAt("functions").GetType(), BindingProperty::Type::Empty);
    EXPECT_EQ(value.MemberAt("events").GetType(), BindingProperty::Type::Empty);
    const BindingProperty::Type types = value.MemberAt("types").GetType();
    EXPECT_EQ(types, format == 1   ? BindingProperty::Type::Collection
                     : format == 2 ? BindingProperty::Type::Structure
                                   : BindingProperty::Type::Empty);
  }
}

TEST_F(HelpProviderTest, BuildHelpKeepsAnEarlierFailure) {
  BindingResult result;
  result.SetError("earlier");
  Help(registry_).BuildHelp(result, Help::HelpFormat::Full);
  EXPECT_FALSE(result.Ok());
  EXPECT_STREQ(result.Error(), "earlier");
}

// A function registered through the remoting layer, in both formats, as whole values.
TEST_F(HelpProviderTest, BuildHelpOfARegisteredFunction) {
  Vorn::RegisterFunction(registry_, "FindParts",
                         [](uint32_t, std::optional<std::string>) { return std::vector<Part>{}; })
      .SetArgument(0, "id", Vorn::ArgumentLocation::Path, "Item id")
      .SetArgument(1, "name")
      .SetDescription("Finds parts.")
      .SetNameSpace("shop")
      .AddTag("shop")
      .SetThreadSafe(true);
  const std::vector<const BindingFunctionRecord*> functions = registry_.FunctionSnapshot();
  ASSERT_EQ(functions.size(), 1u);
  const BindingEventRecord* on_callback = registry_.FindEvent("OnCallback");
  ASSERT_NE(on_callback, nullptr);
  const Help provider(registry_);

  BindingResult full;
  provider.BuildHelp(full, functions, {&Type("Part")}, {on_callback}, Help::HelpFormat::Full);
  ASSERT_TRUE(full.Ok());
  EXPECT_EQ(
      Vorn::WriteJson(full.Value()),
      R"({"events":[{"description":"Fired when a callback is invoked.","name":"OnCallback",)"
      R"("nameSpace":"","tags":["$builtin"],"type":{"elementType":"","type":"BindingCallbackEvent"}}],)"
      R"("functions":[{"arguments":[)"
      R"({"description":"Item id","name":"id","optional":false,"type":{"elementType":"","type":"uint32"}},)"
      R"({"description":"","name":"name","optional":true,"type":{"elementType":"","type":"string"}}],)"
      R"("async":"","description":"Finds parts.","help":"","name":"FindParts","nameSpace":"shop",)"
      R"("returns":{"elementType":"Part","type":"vector"},"tags":["shop"],"threadSafe":true}],)"
      R"("types":[{"description":"","fields":[{"description":"Part id","name":"id","offset":0,)"
      R"("optional":false,"type":{"elementType":"","type":"int32"}}],"name":"Part","nameSpace":"",)"
      R"("size":4,"tags":[],"values":[]}]})");

  BindingResult epytext;
  provider.BuildHelp(epytext, functions, {&Type("Part")}, {on_callback}, Help::HelpFormat::Epytext);
  ASSERT_TRUE(epytext.Ok());
  EXPECT_EQ(
      Vorn::WriteJson(epytext.Value()),
      R"({"events":{"OnCallback":"Fired when a callback is invoked.\r\n\r\n@tags: $builtin\r\n"},)"
      R"("functions":{"FindParts":"Finds parts.\r\n\r\n@param id: Item id\r\n@type id: uint32\r\n)"
      R"(@type name: string\r\n@rtype: list[L{Part}]\r\n@tags: shop\r\n@threadsafe: true\r\n"},)"
      R"("types":{"Part":"@ivar id: Part id\r\n@type id: int32\r\n"}})");
}

// The whole registry: every registered type and event appears, the builtin ones included.
TEST_F(HelpProviderTest, BuildHelpOverTheWholeRegistry) {
  BindingResult result;
  Help(registry_).BuildHelp(result, Help::HelpFormat::Epytext);
  ASSERT_TRUE(result.Ok());
  const BindingProperty& types = std::as_const(result.Value()).MemberAt("types");
  EXPECT_EQ(types.Size(), registry_.TypeSnapshot().size());
  EXPECT_EQ(std::string(types.MemberAt("Level").GetString()), Help::TypeEpytext(Type("Level")));
  EXPECT_EQ(types.MemberAt("BindingFullApiHelp").GetType(), BindingProperty::Type::String);
  EXPECT_EQ(std::as_const(result.Value()).MemberAt("events").MemberAt("OnCallback").GetType(),
            BindingProperty::Type::String);
  EXPECT_EQ(std::as_const(result.Value()).MemberAt("functions").GetType(),
            BindingProperty::Type::Empty);
}

}  // namespace
