// Building the host's route entries.
#include "sdk/plugin/route_table.h"

#include <cstring>

namespace Vorn::Client {
namespace {

const BindingFunctionEntry* FindFunctionEntry(const BindingTableWords& bindings,
                                              const std::string& name) {
  for (uint32_t i = 0; i < bindings.function_count; ++i) {
    const BindingFunctionEntry& entry = bindings.functions[i];
    if (entry.function.name != nullptr && name == entry.function.name) return &entry;
  }
  return nullptr;
}

uint32_t LocationCode(ArgumentLocation location) {
  const auto code = static_cast<uint32_t>(location);
  return code >= 1 && code <= 5 ? code : 0;
}

template <typename Entry>
void Link(std::vector<Entry>& entries) {
  for (size_t i = 0; i + 1 < entries.size(); ++i)
    entries[i].next = &entries[i + 1];
  if (!entries.empty()) entries.back().next = nullptr;
}

}  // namespace

void RouteTable::Build(const BindingRegistry& registry, const BindingTableWords& bindings,
                       RemotingHandlerTable& handlers, BindingTableRecord& out) {
  routes_.clear();
  locations_.clear();
  text_lists_.clear();
  texts_.clear();

  for (const BindingFunctionRecord* function : registry.FunctionSnapshot()) {
    const BindingRemotingDescriptor& remoting = function->remoting;
    if (remoting.path.empty()) continue;

    BindingRouteEntry route;
    std::memset(&route, 0, sizeof route);
    if (const BindingFunctionEntry* entry = FindFunctionEntry(bindings, function->name)) {
      route.function = entry->function;
    }
    route.function.handler_context = handlers.ContextFor(registry, *function);
    route.request_callback = &RemotingRequestCallback;

    std::vector<BindingArgumentLocationEntry> locations;
    locations.reserve(function->arguments.size());
    for (const BindingArgumentRecord& argument : function->arguments) {
      locations.push_back({nullptr, LocationCode(argument.location)});
    }
    Link(locations);
    route.argument_locations = locations.empty() ? nullptr : locations.data();
    locations_.push_back(std::move(locations));

    route.path = remoting.path.c_str();
    route.method = remoting.method >= 1 && remoting.method <= 8 ? remoting.method : 0;
    route.flag = remoting.flag;

    std::vector<BindingTextListEntry> lists;
    lists.reserve(remoting.text_lists.size());
    for (const std::vector<std::string>& list : remoting.text_lists) {
      std::vector<const char*> texts;
      texts.reserve(list.size());
      for (const std::string& text : list)
        texts.push_back(text.c_str());
      texts_.push_back(std::move(texts));
      lists.push_back({nullptr, texts_.back().empty() ? nullptr : texts_.back().data(),
                       static_cast<uint32_t>(list.size())});
    }
    Link(lists);
    route.text_lists = lists.empty() ? nullptr : lists.data();
    route.text_list_count = static_cast<uint32_t>(lists.size());
    text_lists_.push_back(std::move(lists));
    route.method_name = remoting.method_name.c_str();
    routes_.push_back(route);
  }
  Link(routes_);

  out.routes = routes_.empty() ? nullptr : routes_.data();
  out.route_count = static_cast<uint32_t>(routes_.size());
  out.types = bindings.types;
  out.type_count = bindings.type_count;
  out.events = bindings.events;
  out.event_count = bindings.event_count;
}

}  // namespace Vorn::Client
