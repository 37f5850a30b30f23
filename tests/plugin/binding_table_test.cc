// The host's flat description of a registry: entry contents, links, descriptor choice, and the
// route entries built from it.
#include "sdk/binding/binding_table.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sdk/binding/type_builder.h"
#include "sdk/plugin/route_table.h"
#include "sdk/remoting/function_registration.h"

namespace Vorn::Client {
namespace {

// Fields of packed entries are copied before gtest binds a reference to them.
template <typename T>
T Copy(T value) {
  return value;
}

enum class Color : int32_t { Red = 0, Green = 1 };
struct Empty {};
struct Paint {
  std::string name;
  Color color = Color::Red;
  std::vector<Paint> mixes;
};

class BindingTableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    registry_.BeginEnum<Color>("Color")
        .AddEnumValue("Red", Color::Red, "warm")
        .AddEnumValue("Green", Color::Green)
        .AddTag("t1");
    registry_.BeginType<Empty>("Empty");
    registry_.BeginType<Paint>("Paint")
        .AddField("name", &Paint::name)
        .SetFieldExtraType({BindingTypeCode::UInt32})
        .AddField("color", &Paint::color)
        .AddField("mixes", &Paint::mixes)
        .AddTags({"a", "b"});
    registry_.BeginEvent<Paint>("OnPaint").SetDescription("painted").AddTag("t");
    RegisterFunction(registry_, "GetPaint",
                     [](int32_t id) {
                       Paint paint;
                       paint.name = std::to_string(id);
                       return paint;
                     })
        .SetArgument(0, "id", ArgumentLocation::Path)
        .SetPath("/paints/{id}")
        .SetMethod(RemotingMethod::Get)
        .AddTags({"Plugins"});
    RegisterFunction(registry_, "NoRoute", []() { return 1; });
    words_ = holder_.Build(registry_.FunctionSnapshot(), registry_.TypeSnapshot(),
                           registry_.EventSnapshot());
  }

  const BindingTypeEntry* Type(const char* name) const {
    for (const BindingTypeEntry* entry = words_.types; entry != nullptr; entry = entry->next) {
      if (std::string(entry->name) == name) return entry;
    }
    return nullptr;
  }

  BindingRegistry registry_;
  BindingTableHolder holder_;
  BindingTableWords words_;
};

template <typename Entry>
size_t CountLinked(const Entry* first, size_t count) {
  size_t linked = 0;
  for (const Entry* entry = first; entry != nullptr; entry = entry->next) {
    EXPECT_EQ(entry, first + linked) << "entries are contiguous";
    ++linked;
  }
  EXPECT_EQ(linked, count);
  return linked;
}

TEST_F(BindingTableTest, ArraysAreLinkedAndCounted) {
  CountLinked(words_.functions, words_.function_count);
  CountLinked(words_.types, words_.type_count);
  CountLinked(words_.events, words_.event_count);
  EXPECT_EQ(words_.function_count, 2u);
  // Entries are packed, so any but the first is misaligned: fields are copied before comparing.
  const BindingEventEntry* last_next = words_.events[words_.event_count - 1].next;
  EXPECT_EQ(last_next, nullptr);
  const BindingEventEntry* paint = nullptr;
  for (const BindingEventEntry* entry = words_.events; entry != nullptr; entry = entry->next) {
    if (std::string(entry->name) == "OnPaint") paint = entry;
  }
  ASSERT_NE(paint, nullptr);
  EXPECT_STREQ(paint->payload_type_name, "Paint");
  EXPECT_STREQ(paint->description, "painted");
  const uint32_t tag_count = paint->tag_count;
  ASSERT_EQ(tag_count, 1u);
  EXPECT_STREQ(paint->tags[0], "t");
}

TEST_F(BindingTableTest, TypesListFieldsOrEnumerators) {
  const BindingTypeEntry* empty = Type("Empty");
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(Copy(empty->fields), nullptr);
  EXPECT_EQ(Copy(empty->member_count), 0u);

  const BindingTypeEntry* color = Type("Color");
  ASSERT_NE(color, nullptr);
  EXPECT_EQ(Copy(color->size), 4u);
  EXPECT_EQ(Copy(color->fields), nullptr);
  ASSERT_EQ(Copy(color->member_count), 2u);
  // Enumerators in name order.
  EXPECT_STREQ(color->enumerators[0].name, "Green");
  EXPECT_STREQ(color->enumerators[1].name, "Red");
  EXPECT_STREQ(color->enumerators[1].description, "warm");
  EXPECT_EQ(Copy(color->enumerators[1].next), nullptr);

  const BindingTypeEntry* paint = Type("Paint");
  ASSERT_NE(paint, nullptr);
  EXPECT_EQ(Copy(paint->enumerators), nullptr);
  ASSERT_EQ(Copy(paint->member_count), 3u);
  ASSERT_EQ(Copy(paint->tag_count), 2u);
  EXPECT_STREQ(paint->tags[1], "b");
  const BindingFieldEntry* fields = paint->fields;
  // The extra descriptor is shown in place of the string.
  EXPECT_EQ(Copy(fields[0].type_code), 7u);
  EXPECT_STREQ(fields[0].type_name, "");
  EXPECT_EQ(Copy(fields[1].type_code), 16u);
  EXPECT_STREQ(fields[1].type_name, "Color");
  EXPECT_EQ(Copy(fields[2].type_code), 15u);
  EXPECT_EQ(Copy(fields[2].element_type_code), 17u);
  EXPECT_EQ(Copy(fields[2].next), nullptr);
}

TEST_F(BindingTableTest, FunctionsDescribeArgumentsAndResult) {
  const BindingFunctionDescription& get = words_.functions[0].function;
  EXPECT_STREQ(get.name, "GetPaint");
  EXPECT_EQ(Copy(get.handler_context), nullptr);
  ASSERT_EQ(Copy(get.argument_count), 1u);
  EXPECT_STREQ(get.arguments[0].name, "id");
  EXPECT_EQ(Copy(get.arguments[0].type_code), 6u);
  EXPECT_EQ(Copy(get.arguments[0].next), nullptr);
  EXPECT_EQ(Copy(get.result_type_code), 17u);
  EXPECT_STREQ(get.result_type_name, "Paint");
  EXPECT_STREQ(get.async_type_name, "");
  ASSERT_EQ(Copy(get.tag_count), 1u);
  EXPECT_STREQ(get.tags[0], "Plugins");
}

TEST_F(BindingTableTest, RoutesCarryTheFunctionAndItsContext) {
  RemotingHandlerTable handlers;
  RouteTable routes;
  BindingTableRecord record{};
  routes.Build(registry_, words_, handlers, record);
  // Only the function with a path has a route.
  ASSERT_EQ(record.route_count, 1u);
  const BindingRouteEntry& route = record.routes[0];
  EXPECT_EQ(Copy(route.next), nullptr);
  EXPECT_STREQ(route.function.name, "GetPaint");
  EXPECT_STREQ(route.path, "/paints/{id}");
  EXPECT_EQ(Copy(route.method), 2u);
  EXPECT_NE(Copy(route.function.handler_context), nullptr);
  EXPECT_NE(Copy(route.request_callback), nullptr);
  ASSERT_NE(Copy(route.argument_locations), nullptr);
  EXPECT_EQ(Copy(route.argument_locations[0].location), 2u);
  EXPECT_EQ(Copy(route.argument_locations[0].next), nullptr);
  EXPECT_EQ(Copy(route.function.arguments), Copy(words_.functions[0].function.arguments));
  EXPECT_EQ(record.types, words_.types);
  EXPECT_EQ(record.event_count, words_.event_count);
}

TEST_F(BindingTableTest, ARouteWithoutFunctionEntryKeepsOnlyItsContext) {
  RemotingHandlerTable handlers;
  RouteTable routes;
  BindingTableRecord record{};
  routes.Build(registry_, BindingTableWords{}, handlers, record);
  ASSERT_EQ(record.route_count, 1u);
  const BindingRouteEntry& route = record.routes[0];
  EXPECT_EQ(Copy(route.function.name), nullptr);
  EXPECT_EQ(Copy(route.function.argument_count), 0u);
  EXPECT_EQ(Copy(route.function.result_type_code), 0u);
  EXPECT_NE(Copy(route.function.handler_context), nullptr);
}

TEST(BindingEntryCodes, OutOfRangeCodesAreWrittenAsZero) {
  EXPECT_EQ(BindingEntryTypeCode(static_cast<BindingTypeCode>(0)), 0u);
  EXPECT_EQ(BindingEntryTypeCode(static_cast<BindingTypeCode>(19)), 19u);
  EXPECT_EQ(BindingEntryTypeCode(static_cast<BindingTypeCode>(20)), 0u);
}

}  // namespace
}  // namespace Vorn::Client
