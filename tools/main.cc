// vorn-host: plays the host for a plugin library from the command line.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <exception>

#include "tools/command.h"
#include "tools/decode_command.h"
#include "tools/describe_command.h"
#include "tools/request_command.h"
#include "tools/run_command.h"
#if defined(QEV_SERVE)
#include "tools/serve_command.h"
#endif

namespace {

constexpr Vorn::Tools::AddCommandFn kCommands[] = {
    Vorn::Tools::AddRunCommand,     Vorn::Tools::AddDescribeCommand,
    Vorn::Tools::AddRequestCommand, Vorn::Tools::AddDecodeCommand,
#if defined(QEV_SERVE)
    Vorn::Tools::AddServeCommand,
#endif
};

}  // namespace

int main(int argc, char** argv) {
  int exit_code = Vorn::Tools::kExitOk;
  try {
    CLI::App app("The reference host for plugin libraries", "vorn-host");
    app.require_subcommand(1);
    for (Vorn::Tools::AddCommandFn add : kCommands)
      add(app, exit_code);
    try {
      app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
      const int code = app.exit(error);
      return code == 0 ? Vorn::Tools::kExitOk : Vorn::Tools::kExitUsage;
    }
  } catch (const std::exception& error) {
    std::fprintf(stderr, "vorn-host: %s\n", error.what());
    return Vorn::Tools::kExitFailed;
  }
  return exit_code;
}
