// Reading the plugin's binding table: each array is walked by index, and its links are checked
// against the index order rather than followed, so a broken link cannot lead the host away.
#include "host/binding_table_view.h"

#include <iterator>
#include <utility>

#include "host/request_json.h"

namespace Vorn::Host {
namespace {

std::string Text(const char* text) {
  return text != nullptr ? std::string(text) : std::string();
}

struct Reader {
  std::string error;

  bool Fail(std::string message) {
    error = std::move(message);
    return false;
  }

  // Null with a count, or a count that no plugin could mean, is an error.
  template <class Entry>
  bool CheckArray(const Entry* entries, uint32_t count, const std::string& what) {
    if (entries == nullptr && count != 0) {
      return Fail(what + ": null array with " + std::to_string(count) + " entries");
    }
    if (count > kMaxPlainCount) return Fail(what + ": " + std::to_string(count) + " entries");
    return true;
  }

  template <class Entry>
  bool CheckLinks(const Entry* entries, uint32_t count, const std::string& what) {
    for (uint32_t i = 0; i < count; ++i) {
      const Entry* expected = i + 1 < count ? &entries[i + 1] : nullptr;
      if (entries[i].next != expected) {
        return Fail(what + " " + std::to_string(i) + " of " + std::to_string(count) +
                    (expected == nullptr ? ": the last link is not null"
                                         : ": the link is not the next entry"));
      }
    }
    return true;
  }

  template <class Entry>
  bool CheckList(const Entry* entries, uint32_t count, const std::string& what) {
    return CheckArray(entries, count, what) && CheckLinks(entries, count, what);
  }

  bool Tags(const char* const* tags, uint32_t count, const std::string& what,
            std::vector<std::string>& out) {
    if (!CheckArray(tags, count, what + " tags")) return false;
    for (uint32_t i = 0; i < count; ++i)
      out.push_back(Text(tags[i]));
    return true;
  }

  bool Arguments(const RouteEntryRecord& entry, const std::string& what, RouteView& route) {
    if (!CheckList(entry.arguments, entry.argument_count, what + " argument")) return false;
    for (uint32_t i = 0; i < entry.argument_count; ++i) {
      const ArgumentEntryRecord& argument = entry.arguments[i];
      route.arguments.push_back({Text(argument.name), Text(argument.description),
                                 argument.type_code, argument.element_type_code,
                                 Text(argument.type_name), argument.optional != 0, 0});
    }
    // One location per argument; a shorter array would be read past its end.
    const ArgumentLocationRecord* locations = entry.argument_locations;
    if (locations == nullptr && entry.argument_count != 0) {
      return Fail(what + ": no argument locations for " + std::to_string(entry.argument_count) +
                  " arguments");
    }
    if (!CheckLinks(locations, entry.argument_count, what + " argument location")) return false;
    for (uint32_t i = 0; i < entry.argument_count; ++i)
      route.arguments[i].location = locations[i].location;
    return true;
  }

  bool Route(const RouteEntryRecord& entry, const std::string& what, RouteView& route) {
    route.method = entry.method;
    route.method_name = Text(entry.method_name);
    route.path = Text(entry.path);
    route.function_name = Text(entry.function_name);
    route.name_space = Text(entry.name_space);
    route.result_type_code = entry.result_type_code;
    route.result_element_type_code = entry.result_element_type_code;
    route.result_type_name = Text(entry.result_type_name);
    route.description = Text(entry.description);
    route.help = Text(entry.help);
    route.thread_safe = entry.thread_safe != 0;
    route.async_type_name = Text(entry.async_type_name);
    route.flag = entry.flag;
    route.handler_context = entry.handler_context;
    route.request_callback = entry.request_callback;
    if (!Tags(entry.tags, entry.tag_count, what, route.tags)) return false;
    if (!Arguments(entry, what, route)) return false;
    if (!CheckList(entry.text_lists, entry.text_list_count, what + " text list")) return false;
    for (uint32_t i = 0; i < entry.text_list_count; ++i) {
      const TextListRecord& list = entry.text_lists[i];
      std::vector<std::string> texts;
      if (!Tags(list.texts, list.count, what + " text list " + std::to_string(i), texts)) {
        return false;
      }
      route.text_lists.push_back(std::move(texts));
    }
    return true;
  }

  bool Type(const TypeEntryRecord& entry, const std::string& what, TypeView& type) {
    type.name = Text(entry.name);
    type.name_space = Text(entry.name_space);
    type.size = entry.size;
    type.description = Text(entry.description);
    if (!Tags(entry.tags, entry.tag_count, what, type.tags)) return false;
    if (entry.fields != nullptr && entry.enumerators != nullptr) {
      return Fail(what + ": both fields and enumerators");
    }
    if (entry.fields != nullptr) {
      if (!CheckList(entry.fields, entry.member_count, what + " field")) return false;
      for (uint32_t i = 0; i < entry.member_count; ++i) {
        const FieldEntryRecord& field = entry.fields[i];
        type.fields.push_back({Text(field.name), Text(field.description), field.offset,
                               field.type_code, field.element_type_code, Text(field.type_name),
                               field.optional != 0});
      }
      return true;
    }
    if (!CheckList(entry.enumerators, entry.member_count, what + " enumerator")) return false;
    for (uint32_t i = 0; i < entry.member_count; ++i) {
      const EnumeratorEntryRecord& enumerator = entry.enumerators[i];
      type.enumerators.push_back(
          {Text(enumerator.name), Text(enumerator.description), enumerator.value});
    }
    return true;
  }

  bool Read(const BindingTableWords& words, BindingTableView& out) {
    if (!CheckList(words.routes, words.route_count, "route")) return false;
    for (uint32_t i = 0; i < words.route_count; ++i) {
      RouteView route;
      if (!Route(words.routes[i], "route " + std::to_string(i), route)) return false;
      out.routes.push_back(std::move(route));
    }
    if (!CheckList(words.types, words.type_count, "type")) return false;
    for (uint32_t i = 0; i < words.type_count; ++i) {
      TypeView type;
      const std::string what = "type " + std::to_string(i) + " (" + Text(words.types[i].name) + ")";
      if (!Type(words.types[i], what, type)) return false;
      out.types.push_back(std::move(type));
    }
    if (!CheckList(words.events, words.event_count, "event")) return false;
    for (uint32_t i = 0; i < words.event_count; ++i) {
      const EventEntryRecord& entry = words.events[i];
      EventView event{Text(entry.name),
                      Text(entry.name_space),
                      Text(entry.payload_type_name),
                      Text(entry.description),
                      {}};
      if (!Tags(entry.tags, entry.tag_count, "event " + std::to_string(i), event.tags)) {
        return false;
      }
      out.events.push_back(std::move(event));
    }
    return true;
  }
};

Json Tags(const std::vector<std::string>& tags) {
  return Json(tags);
}

}  // namespace

HostResult<BindingTableView> ReadBindingTable(const void* bindings) {
  if (bindings == nullptr) return HostResult<BindingTableView>::Failure("no binding table");
  Reader reader;
  BindingTableView view;
  if (!reader.Read(*static_cast<const BindingTableWords*>(bindings), view)) {
    return HostResult<BindingTableView>::Failure("binding table: " + reader.error);
  }
  return view;
}

std::string RouteMethodText(const RouteView& route) {
  return route.method == 8 ? route.method_name : std::string(MethodText(route.method));
}

namespace {

std::string CodeName(uint32_t code) {
  static constexpr const char* kNames[] = {"",       "bool",   "int8",   "uint8",    "int16",
                                           "uint16", "int32",  "uint32", "int64",    "uint64",
                                           "float",  "double", "string", "object",   "blob",
                                           "vector", "enum",   "struct", "callback", "map"};
  if (code >= 1 && code < std::size(kNames)) return kNames[code];
  return "code " + std::to_string(code);
}

}  // namespace

std::string TypeText(uint32_t type_code, uint32_t element_type_code, const std::string& type_name) {
  if (type_code == 15 || type_code == 19) {
    // The entry names the element's record, when it has one.
    const std::string element = element_type_code == 16 || element_type_code == 17
                                    ? (type_name.empty() ? CodeName(element_type_code) : type_name)
                                    : CodeName(element_type_code);
    return CodeName(type_code) + "<" + element + ">";
  }
  if ((type_code == 16 || type_code == 17) && !type_name.empty()) {
    return CodeName(type_code) + " " + type_name;
  }
  return CodeName(type_code);
}

std::string LocationText(uint32_t location) {
  switch (location) {
    case 0:
      return "any";
    case 1:
      return "query";
    case 2:
      return "path";
    case 4:
      return "header";
    case 5:
      return "body";
  }
  return "location " + std::to_string(location);
}

Json BindingTableJson(const BindingTableView& table) {
  Json routes = Json::array();
  for (const RouteView& route : table.routes) {
    Json arguments = Json::array();
    for (const ArgumentView& argument : route.arguments) {
      arguments.push_back({{"name", argument.name},
                           {"description", argument.description},
                           {"typeCode", argument.type_code},
                           {"elementTypeCode", argument.element_type_code},
                           {"typeName", argument.type_name},
                           {"optional", argument.optional},
                           {"location", argument.location}});
    }
    routes.push_back({{"method", route.method},
                      {"methodText", RouteMethodText(route)},
                      {"path", route.path},
                      {"function", route.function_name},
                      {"nameSpace", route.name_space},
                      {"arguments", std::move(arguments)},
                      {"resultTypeCode", route.result_type_code},
                      {"resultElementTypeCode", route.result_element_type_code},
                      {"resultTypeName", route.result_type_name},
                      {"description", route.description},
                      {"help", route.help},
                      {"threadSafe", route.thread_safe},
                      {"asyncTypeName", route.async_type_name},
                      {"tags", Tags(route.tags)},
                      {"flag", route.flag},
                      {"textLists", Json(route.text_lists)},
                      {"handlerContext", route.handler_context != nullptr},
                      {"requestCallback", route.request_callback != nullptr}});
  }
  Json types = Json::array();
  for (const TypeView& type : table.types) {
    Json out = {{"name", type.name},
                {"nameSpace", type.name_space},
                {"size", type.size},
                {"description", type.description},
                {"tags", Tags(type.tags)}};
    if (!type.fields.empty()) {
      Json fields = Json::array();
      for (const FieldView& field : type.fields) {
        fields.push_back({{"name", field.name},
                          {"description", field.description},
                          {"offset", field.offset},
                          {"typeCode", field.type_code},
                          {"elementTypeCode", field.element_type_code},
                          {"typeName", field.type_name},
                          {"optional", field.optional}});
      }
      out["fields"] = std::move(fields);
    } else {
      Json enumerators = Json::array();
      for (const EnumeratorView& enumerator : type.enumerators) {
        enumerators.push_back({{"name", enumerator.name},
                               {"description", enumerator.description},
                               {"value", enumerator.value}});
      }
      out["enumerators"] = std::move(enumerators);
    }
    types.push_back(std::move(out));
  }
  Json events = Json::array();
  for (const EventView& event : table.events) {
    events.push_back({{"name", event.name},
                      {"nameSpace", event.name_space},
                      {"payloadTypeName", event.payload_type_name},
                      {"description", event.description},
                      {"tags", Tags(event.tags)}});
  }
  return {
      {"routes", std::move(routes)}, {"types", std::move(types)}, {"events", std::move(events)}};
}

}  // namespace Vorn::Host
