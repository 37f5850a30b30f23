// vorn-host describe: loads the plugin, reads its binding table with the host's code, prints it.
#include "tools/describe_command.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <memory>
#include <string>

#include "host/binding_table_view.h"
#include "host/reference_host.h"
#include "tools/plugin_session.h"

namespace Vorn::Tools {
namespace {

struct DescribeOptions {
  std::string plugin;
  bool json = false;
};

std::string Joined(const std::vector<std::string>& texts) {
  std::string out;
  for (const std::string& text : texts)
    out += (out.empty() ? "" : ", ") + text;
  return out;
}

void Line(std::string& out, int indent, const std::string& text) {
  out.append(static_cast<size_t>(indent), ' ');
  out += text;
  out += '\n';
}

// Description and tags under an entry, when it has them.
void Notes(std::string& out, int indent, const std::string& description,
           const std::vector<std::string>& tags) {
  if (!description.empty()) Line(out, indent, description);
  if (!tags.empty()) Line(out, indent, "tags: " + Joined(tags));
}

std::string Readable(const Host::BindingTableView& table) {
  std::string out;
  Line(out, 0, "Routes (" + std::to_string(table.routes.size()) + ")");
  for (const Host::RouteView& route : table.routes) {
    Line(out, 2, Host::RouteMethodText(route) + " " + route.path);
    std::string signature = route.function_name + "(";
    for (size_t i = 0; i < route.arguments.size(); ++i) {
      const Host::ArgumentView& argument = route.arguments[i];
      signature +=
          (i == 0 ? "" : ", ") + argument.name + ": " +
          Host::TypeText(argument.type_code, argument.element_type_code, argument.type_name) +
          " [" + Host::LocationText(argument.location) + "]" + (argument.optional ? "?" : "");
    }
    signature += ") -> " + Host::TypeText(route.result_type_code, route.result_element_type_code,
                                          route.result_type_name);
    if (!route.async_type_name.empty()) signature += " async " + route.async_type_name;
    if (route.thread_safe) signature += " (thread-safe)";
    Line(out, 4, signature);
    Notes(out, 4, route.description, route.tags);
  }
  Line(out, 0, "Types (" + std::to_string(table.types.size()) + ")");
  for (const Host::TypeView& type : table.types) {
    const char* kind = !type.fields.empty() ? "record" : !type.enumerators.empty() ? "enum" : "";
    std::string head = type.name + "  (" + kind + (*kind != '\0' ? ", " : "") +
                       std::to_string(type.size) + " bytes";
    if (!type.name_space.empty()) head += ", " + type.name_space;
    Line(out, 2, head + ")");
    Notes(out, 4, type.description, type.tags);
    for (const Host::FieldView& field : type.fields) {
      Line(out, 4,
           "+" + std::to_string(field.offset) + " " + field.name + ": " +
               Host::TypeText(field.type_code, field.element_type_code, field.type_name) +
               (field.optional ? " (optional)" : ""));
    }
    for (const Host::EnumeratorView& enumerator : type.enumerators)
      Line(out, 4, enumerator.name + " = " + std::to_string(enumerator.value));
  }
  Line(out, 0, "Events (" + std::to_string(table.events.size()) + ")");
  for (const Host::EventView& event : table.events) {
    std::string head = event.name + " (" + event.payload_type_name + ")";
    if (!event.name_space.empty()) head += "  " + event.name_space;
    Line(out, 2, head);
    Notes(out, 4, event.description, event.tags);
  }
  return out;
}

int Describe(const DescribeOptions& options) {
  Host::ReferenceHost host;
  if (int started = StartPlugin(host, options.plugin, PluginStart::kLoad); started != kExitOk)
    return started;
  const Host::HostResult<Host::BindingTableView>& table = host.ReadBindingTable();
  if (!table.ok()) return Fail(table.error());
  const std::string text = options.json ? DescribeJson(table.value()) : Readable(table.value());
  std::fputs(text.c_str(), stdout);
  return kExitOk;
}

}  // namespace

std::string DescribeJson(const Host::BindingTableView& table) {
  return Host::BindingTableJson(table).dump(2, ' ', false, Host::Json::error_handler_t::replace) +
         "\n";
}

void AddDescribeCommand(CLI::App& app, int& exit_code) {
  auto options = std::make_shared<DescribeOptions>();
  CLI::App* describe = app.add_subcommand(
      "describe", "Load the plugin and print the routes, types and events of its binding table");
  describe
      ->add_option("--plugin", options->plugin,
                   "Plugin library (default: the one built beside this tool)")
      ->type_name("LIB");
  describe->add_flag("--json", options->json, "Print the table as one JSON document");
  describe->callback([options, &exit_code] { exit_code = Describe(*options); });
}

}  // namespace Vorn::Tools
