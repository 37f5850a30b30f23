// The routes handed to the host: one entry per bound function with a path, carrying the
// function's description, the handler context and the request callback.
#pragma once

#include <vector>

#include "sdk/binding/binding_registry.h"
#include "sdk/binding/binding_table.h"
#include "sdk/plugin/abi/binding_table.h"
#include "sdk/remoting/request_handler.h"

namespace Vorn::Client {

// Owns the route entries and their arrays; they stay unchanged until it is destroyed.
class RouteTable {
 public:
  RouteTable() = default;
  RouteTable(const RouteTable&) = delete;
  RouteTable& operator=(const RouteTable&) = delete;

  // Fills `out` from the registry: routes from its functions, types and events taken from the
  // binding table `bindings` built from the same registry.
  void Build(const BindingRegistry& registry, const BindingTableWords& bindings,
             RemotingHandlerTable& handlers, BindingTableRecord& out);

 private:
  std::vector<BindingRouteEntry> routes_;
  std::vector<std::vector<BindingArgumentLocationEntry>> locations_;
  std::vector<std::vector<BindingTextListEntry>> text_lists_;
  std::vector<std::vector<const char*>> texts_;
};

}  // namespace Vorn::Client
