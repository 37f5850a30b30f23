// vorn-host run: load the plugin, hand it the host, shut it down, print the transcript.
#pragma once

#include <string>

#include "tools/command.h"

namespace Vorn::Tools {

struct RunOptions {
  std::string plugin;  // empty: the plugin built beside the tool
  bool jsonl = false;
};

void AddRunCommand(CLI::App& app, int& exit_code);
int RunPlugin(const RunOptions& options);

}  // namespace Vorn::Tools
