#include "tests/e2e/tool_process.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#if defined(_WIN32)
#include <process.h>
#define popen _popen
#define pclose _pclose
#define getpid _getpid
#else
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace Vorn::Host {

ToolRun RunTool(const std::string& arguments, bool split_error) {
  ToolRun run;
  const std::string error_path = split_error ? WriteFile("stderr.txt", "") : std::string();
  const std::string command = std::string("\"") + QEV_VORN_HOST + "\" " + arguments +
                              (split_error ? " 2>\"" + error_path + "\"" : " 2>&1");
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
  if (split_error) {
    std::ostringstream text;
    text << std::ifstream(error_path, std::ios::binary).rdbuf();
    run.err = text.str();
  }
  return run;
}

std::string WriteFile(const std::string& name, const std::string& bytes) {
  const std::string path =
      ::testing::TempDir() + "vorn_host_" + std::to_string(getpid()) + "_" + name;
  std::ofstream(path, std::ios::binary) << bytes;
  return path;
}

}  // namespace Vorn::Host
