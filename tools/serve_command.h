// vorn-host serve: the reference host as a local HTTP server until SIGINT or SIGTERM.
#pragma once

#include "tools/command.h"

namespace Vorn::Tools {

void AddServeCommand(CLI::App& app, int& exit_code);

}  // namespace Vorn::Tools
