// vorn-host describe: the plugin's routes, types and events as its binding table gives them.
#pragma once

#include "tools/command.h"

namespace Vorn::Tools {

void AddDescribeCommand(CLI::App& app, int& exit_code);

}  // namespace Vorn::Tools
