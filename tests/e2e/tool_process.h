// Running vorn-host as a child process and handing it input files.
#pragma once

#include <string>

namespace Vorn::Host {

struct ToolRun {
  int exit_code = -1;
  std::string out;  // standard output, with standard error unless it was asked apart
  std::string err;
};

// Runs vorn-host with `arguments`: words separated by blanks, double quotes grouping a word
// (no escapes), and "< FILE" giving standard input. No shell runs in between, on any platform.
// `split_error` keeps standard error in `err`.
ToolRun RunTool(const std::string& arguments, bool split_error = false);

// Writes `bytes` into a file of the test's temporary folder, named apart from other runs of the
// test that may share the folder; returns its path.
std::string WriteFile(const std::string& name, const std::string& bytes);

}  // namespace Vorn::Host
