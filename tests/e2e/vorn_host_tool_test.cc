// vorn-host run as a child process: its transcript, its JSON Lines and its exit codes.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "host/plain_json.h"

#if defined(_WIN32)
#define popen _popen
#define pclose _pclose
#else
#include <sys/wait.h>
#endif

namespace Vorn::Host {
namespace {

struct ToolRun {
  int exit_code = -1;
  std::string out;
};

ToolRun RunTool(const std::string& arguments) {
  ToolRun run;
  const std::string command = std::string("\"") + QEV_VORN_HOST + "\" " + arguments + " 2>&1";
  std::FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return run;
  char buffer[4096];
  size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
    run.out.append(buffer, got);
  const int status = pclose(pipe);
#if defined(_WIN32)
  run.exit_code = status;
#else
  run.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
  return run;
}

TEST(VornHostTool, RunPrintsTheWholeLifecycle) {
  const ToolRun run = RunTool("run");
  ASSERT_EQ(run.exit_code, 0) << run.out;
  const char* const kLines[] = {
      "host>   load_qev_loyalty {\"major\":18,\"minor\":0,\"patch\":0}\n",
      "\"name\":\"qev-loyalty\"",
      "host>   Initialize {\"hostHandle\":4660}\n",
      "plugin> SubscribeEvent {\"name\":\"OnServiceProxyUuidEvent\",\"hostHandle\":4660,"
      "\"flags\":1} -> 0\n",
      "host<   Initialize -> true\n",
      "host>   Shutdown\n",
      "plugin> UnsubscribeEvent {\"name\":\"OnServiceProxyUuidEvent\",\"hostHandle\":4660} -> 0\n",
  };
  size_t from = 0;
  for (const char* line : kLines) {
    SCOPED_TRACE(line);
    const size_t at = run.out.find(line, from);
    ASSERT_NE(at, std::string::npos) << run.out;
    from = at;
  }
}

TEST(VornHostTool, JsonLinesAreOneObjectPerLine) {
  const ToolRun run = RunTool("run --jsonl --plugin \"" QEV_LOYALTY_LIBRARY "\"");
  ASSERT_EQ(run.exit_code, 0) << run.out;
  size_t lines = 0;
  std::string last_call;
  for (size_t start = 0; start < run.out.size();) {
    const size_t end = run.out.find('\n', start);
    ASSERT_NE(end, std::string::npos);
    const Json entry = Json::parse(run.out.substr(start, end - start));
    // A scenario's notes stand between the calls.
    if (!entry.contains("note")) {
      EXPECT_TRUE(entry.contains("origin") && entry.contains("arguments")) << entry;
      last_call = entry["call"];
      ++lines;
    }
    start = end + 1;
  }
  EXPECT_GE(lines, 4u);
  EXPECT_EQ(last_call, "UnsubscribeEvent");
}

TEST(VornHostTool, ExitCodes) {
  struct Row {
    const char* arguments;
    int exit_code;
    const char* output;
  };
  const Row kRows[] = {
      {"", 2, "A subcommand is required"},
      {"run --frobnicate", 2, "The following argument was not expected: --frobnicate"},
      {"frobnicate", 2, "A subcommand is required"},
      {"run --plugin /no/such/plugin.so", 1, "vorn-host: cannot load /no/such/plugin.so"},
  };
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.arguments);
    const ToolRun run = RunTool(row.arguments);
    EXPECT_EQ(run.exit_code, row.exit_code) << run.out;
    EXPECT_NE(run.out.find(row.output), std::string::npos) << run.out;
  }
}

}  // namespace
}  // namespace Vorn::Host
