// What every vorn-host subcommand shares: its exit codes and how it is added to the program.
#pragma once

namespace CLI {
class App;
}

namespace Vorn::Tools {

enum ExitCode : int {
  kExitOk = 0,
  kExitFailed = 1,  // the operation failed: bad input, a failed load or request
  kExitUsage = 2,
};

// Each subcommand adds itself to the program and, when chosen, writes its exit code here.
using AddCommandFn = void (*)(CLI::App& app, int& exit_code);

}  // namespace Vorn::Tools
