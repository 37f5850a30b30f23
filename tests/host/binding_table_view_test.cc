// The host's reading of a binding table, over tables built here: what it copies out, and the
// broken arrays and links it refuses instead of walking off.
#include "host/binding_table_view.h"

#include <gtest/gtest.h>

#include <string>

#include "host/transcript.h"

namespace Vorn::Host {
namespace {

extern "C" void QEV_HOST_CDECL IgnoreRequest(ResponseRecord*, const RequestRecord*) {}

// A small table of one route with one argument, a record, an enumeration and one event,
// linked as a plugin links them.
struct Table {
  const char* tags[2] = {"Plugins", "Plugin test"};
  const char* list_texts[1] = {"x"};
  int context = 0;
  ArgumentEntryRecord arguments[1] = {
      {nullptr, "id", "the id", 15, 17, "Item", 1},
  };
  ArgumentLocationRecord locations[1] = {{nullptr, 2}};
  TextListRecord lists[1] = {{nullptr, list_texts, 1}};
  RouteEntryRecord routes[1] = {};
  FieldEntryRecord fields[2] = {
      {&fields[1], "name", "", 0, 12, 0, "", 0},
      {nullptr, "state", "", 32, 16, 0, "State", 1},
  };
  EnumeratorEntryRecord enumerators[2] = {
      {&enumerators[1], "Off", "", 0},
      {nullptr, "On", "", -1},
  };
  TypeEntryRecord types[3] = {
      {&types[1], "Item", "ns", 40, "An item.", tags, 2, fields, nullptr, 2},
      {&types[2], "State", "", 4, "", nullptr, 0, nullptr, enumerators, 2},
      {nullptr, "Empty", "", 1, "", nullptr, 0, nullptr, nullptr, 0},
  };
  EventEntryRecord events[1] = {
      {nullptr, "OnItem", "ns", "Item", "Fired.", tags + 1, 1},
  };
  BindingTableWords words = {routes, 1, types, 3, events, 1};

  Table() {
    RouteEntryRecord& route = routes[0];
    route.handler_context = &context;
    route.function_name = "GetItemsById";
    route.arguments = arguments;
    route.argument_count = 1;
    route.result_type_code = 17;
    route.result_type_name = "Item";
    route.tags = tags;
    route.tag_count = 2;
    route.request_callback = IgnoreRequest;
    route.argument_locations = locations;
    route.path = "/items/{id}";
    route.method = 2;
    route.flag = 1;
    route.text_lists = lists;
    route.text_list_count = 1;
    route.method_name = "";
  }
  Table(const Table&) = delete;
};

TEST(BindingTableView, CopiesEveryEntry) {
  Table table;
  HostResult<BindingTableView> read = ReadBindingTable(&table.words);
  ASSERT_TRUE(read.ok()) << read.error();
  const BindingTableView& view = read.value();

  ASSERT_EQ(view.routes.size(), 1u);
  const RouteView& route = view.routes[0];
  EXPECT_EQ(RouteMethodText(route) + " " + route.path, "GET /items/{id}");
  EXPECT_EQ(route.function_name, "GetItemsById");
  EXPECT_EQ(route.handler_context, &table.context);
  EXPECT_EQ(route.request_callback, &IgnoreRequest);
  ASSERT_EQ(route.arguments.size(), 1u);
  EXPECT_EQ(route.arguments[0].name, "id");
  EXPECT_EQ(route.arguments[0].location, 2u);
  EXPECT_TRUE(route.arguments[0].optional);
  EXPECT_EQ(TypeText(route.arguments[0].type_code, route.arguments[0].element_type_code,
                     route.arguments[0].type_name),
            "vector<Item>");
  EXPECT_EQ(route.text_lists, (std::vector<std::vector<std::string>>{{"x"}}));
  EXPECT_EQ(route.flag, 1);

  ASSERT_EQ(view.types.size(), 3u);
  EXPECT_EQ(view.types[0].tags, (std::vector<std::string>{"Plugins", "Plugin test"}));
  ASSERT_EQ(view.types[0].fields.size(), 2u);
  EXPECT_EQ(view.types[0].fields[1].offset, 32u);
  EXPECT_EQ(TypeText(16, 0, view.types[0].fields[1].type_name), "enum State");
  ASSERT_EQ(view.types[1].enumerators.size(), 2u);
  EXPECT_EQ(view.types[1].enumerators[1].value, -1);
  EXPECT_TRUE(view.types[2].fields.empty() && view.types[2].enumerators.empty());
  ASSERT_EQ(view.events.size(), 1u);
  EXPECT_EQ(view.events[0].payload_type_name, "Item");
  EXPECT_EQ(view.events[0].tags, std::vector<std::string>{"Plugin test"});

  EXPECT_EQ(DumpJson(BindingTableJson(view)["routes"][0]["arguments"][0]),
            R"({"name":"id","description":"the id","typeCode":15,"elementTypeCode":17,)"
            R"("typeName":"Item","optional":true,"location":2})");
}

TEST(BindingTableView, RefusesBrokenArraysAndLinks) {
  struct Row {
    const char* what;
    void (*spoil)(Table&);
    const char* message;
  };
  const Row kRows[] = {
      {"a last link that is not null", [](Table& t) { t.events[0].next = t.events; },
       "binding table: event 0 of 1: the last link is not null"},
      {"a link past the next entry", [](Table& t) { t.types[0].next = &t.types[2]; },
       "binding table: type 0 of 3: the link is not the next entry"},
      {"a field link", [](Table& t) { t.fields[0].next = nullptr; },
       "binding table: type 0 (Item) field 0 of 2: the link is not the next entry"},
      {"fields and enumerators", [](Table& t) { t.types[0].enumerators = t.enumerators; },
       "binding table: type 0 (Item): both fields and enumerators"},
      {"a null array with a count", [](Table& t) { t.words.routes = nullptr; },
       "binding table: route: null array with 1 entries"},
      {"a null tag array", [](Table& t) { t.routes[0].tags = nullptr; },
       "binding table: route 0 tags: null array with 2 entries"},
      {"no locations", [](Table& t) { t.routes[0].argument_locations = nullptr; },
       "binding table: route 0: no argument locations for 1 arguments"},
      {"an absurd count", [](Table& t) { t.words.type_count = 0x7FFFFFFF; },
       "binding table: type: 2147483647 entries"},
  };
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.what);
    Table table;
    row.spoil(table);
    HostResult<BindingTableView> read = ReadBindingTable(&table.words);
    ASSERT_FALSE(read.ok());
    EXPECT_EQ(read.error(), row.message);
  }
  EXPECT_EQ(ReadBindingTable(nullptr).error(), "no binding table");
}

}  // namespace
}  // namespace Vorn::Host
