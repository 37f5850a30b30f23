// The host's reading of the binding table a plugin hands over at load: its routes, types and
// events copied out of the records with the host's own code, every array and link checked.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/boundary_records.h"
#include "host/host_result.h"
#include "host/plain_json.h"

namespace Vorn::Host {

// A null text in an entry reads as the empty text.
struct ArgumentView {
  std::string name;
  std::string description;
  uint32_t type_code = 0;
  uint32_t element_type_code = 0;
  std::string type_name;
  bool optional = false;
  // From the route's own location array: 1 to 5, or 0.
  uint32_t location = 0;
};

struct RouteView {
  uint32_t method = 0;
  std::string method_name;
  std::string path;
  std::string function_name;
  std::string name_space;
  std::vector<ArgumentView> arguments;
  uint32_t result_type_code = 0;
  uint32_t result_element_type_code = 0;
  std::string result_type_name;
  std::string description;
  std::string help;
  bool thread_safe = false;
  std::string async_type_name;
  std::vector<std::string> tags;
  uint8_t flag = 0;
  std::vector<std::vector<std::string>> text_lists;
  // Handed back unchanged in every request delivered through the route.
  void* handler_context = nullptr;
  RequestCallbackFn request_callback = nullptr;
};

struct FieldView {
  std::string name;
  std::string description;
  uint32_t offset = 0;
  uint32_t type_code = 0;
  uint32_t element_type_code = 0;
  std::string type_name;
  bool optional = false;
};

struct EnumeratorView {
  std::string name;
  std::string description;
  int32_t value = 0;
};

struct TypeView {
  std::string name;
  std::string name_space;
  uint32_t size = 0;
  std::string description;
  std::vector<std::string> tags;
  std::vector<FieldView> fields;            // a record with fields
  std::vector<EnumeratorView> enumerators;  // a type without fields
};

struct EventView {
  std::string name;
  std::string name_space;
  std::string payload_type_name;
  std::string description;
  std::vector<std::string> tags;
};

struct BindingTableView {
  std::vector<RouteView> routes;
  std::vector<TypeView> types;
  std::vector<EventView> events;
};

// Reads the table at `bindings` (the context's word 6). Fails, naming the entry, when an array
// is null with a non-zero count, a count is beyond reason, an entry's link is not the next
// entry of its array, or the last entry's link is not null: a host walking the lists would
// go astray there.
[[nodiscard]] HostResult<BindingTableView> ReadBindingTable(const void* bindings);

// "GET", "POST", ... for codes 1 to 7; the method name for 8; "" otherwise.
std::string RouteMethodText(const RouteView& route);

// "int32", "vector<LoyaltyRewards>", "enum LoyaltyStatus", "map<string>"; "code 42" for a code
// the host does not know.
std::string TypeText(uint32_t type_code, uint32_t element_type_code, const std::string& type_name);

// "any", "query", "path", "header", "body"; "location 3" otherwise.
std::string LocationText(uint32_t location);

// The table as JSON, in table order, as `vorn-host describe --json` prints it.
Json BindingTableJson(const BindingTableView& table);

}  // namespace Vorn::Host
