// vorn-host describe: the plugin's routes, types and events as its binding table gives them.
#pragma once

#include <string>

#include "host/binding_table_view.h"
#include "tools/command.h"

namespace Vorn::Tools {

void AddDescribeCommand(CLI::App& app, int& exit_code);

// The table as `describe --json` prints it: indented JSON and a final newline.
std::string DescribeJson(const Host::BindingTableView& table);

}  // namespace Vorn::Tools
