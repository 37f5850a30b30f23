#include "tests/e2e/tool_process.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fstream>
#include <sstream>
#include <vector>

#if defined(_WIN32)
#include <windows.h>
#else
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace Vorn::Host {
namespace {

struct CommandLine {
  std::vector<std::string> words;
  std::string input_path;  // empty: standard input is inherited
};

CommandLine Split(const std::string& arguments) {
  CommandLine line;
  line.words.emplace_back(QEV_VORN_HOST);
  std::string word;
  bool in_word = false;
  bool quoted = false;
  bool next_is_input = false;
  auto finish = [&] {
    if (!in_word) return;
    if (next_is_input) {
      line.input_path = word;
      next_is_input = false;
    } else if (word == "<") {
      next_is_input = true;
    } else {
      line.words.push_back(word);
    }
    word.clear();
    in_word = false;
  };
  for (char c : arguments) {
    if (c == '"') {
      quoted = !quoted;
      in_word = true;
    } else if (c == ' ' && !quoted) {
      finish();
    } else {
      word += c;
      in_word = true;
    }
  }
  finish();
  return line;
}

std::string ReadWholeFile(const std::string& path) {
  std::ostringstream text;
  text << std::ifstream(path, std::ios::binary).rdbuf();
  return text.str();
}

#if defined(_WIN32)
// One argument as the C runtime's command-line parser reads it back: quoted when it holds
// blanks or quotes, a quote escaped, backslashes doubled only where a quote follows them.
void AppendQuoted(std::string& line, const std::string& word) {
  if (!line.empty()) line += ' ';
  if (!word.empty() && word.find_first_of(" \t\n\v\"") == std::string::npos) {
    line += word;
    return;
  }
  line += '"';
  size_t backslashes = 0;
  for (char c : word) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    line.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
    backslashes = 0;
    line += c;
  }
  line.append(2 * backslashes, '\\');
  line += '"';
}

HANDLE OpenInherited(const std::string& path, bool write) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  return CreateFileA(path.c_str(), write ? GENERIC_WRITE : GENERIC_READ,
                     FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                     write ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

int Run(const CommandLine& line, const std::string& error_path, std::string& out) {
  std::string text;
  for (const std::string& word : line.words)
    AppendQuoted(text, word);
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE read_end = nullptr;
  HANDLE write_end = nullptr;
  if (!CreatePipe(&read_end, &write_end, &inherit, 0)) return -1;
  SetHandleInformation(read_end, HANDLE_FLAG_INHERIT, 0);
  HANDLE error = error_path.empty() ? write_end : OpenInherited(error_path, true);
  HANDLE input = line.input_path.empty() ? GetStdHandle(STD_INPUT_HANDLE)
                                         : OpenInherited(line.input_path, false);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = input;
  startup.hStdOutput = write_end;
  startup.hStdError = error;
  PROCESS_INFORMATION process{};
  const BOOL started = CreateProcessA(line.words[0].c_str(), text.data(), nullptr, nullptr, TRUE, 0,
                                      nullptr, nullptr, &startup, &process);
  CloseHandle(write_end);
  if (error != write_end) CloseHandle(error);
  if (!line.input_path.empty()) CloseHandle(input);
  DWORD exit_code = static_cast<DWORD>(-1);
  if (started) {
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(read_end, buffer, sizeof buffer, &got, nullptr) && got > 0)
      out.append(buffer, got);
    WaitForSingleObject(process.hProcess, INFINITE);
    GetExitCodeProcess(process.hProcess, &exit_code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  CloseHandle(read_end);
  return started ? static_cast<int>(exit_code) : -1;
}
#else
int Run(const CommandLine& line, const std::string& error_path, std::string& out) {
  int pipe_ends[2];
  if (pipe(pipe_ends) != 0) return -1;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (!line.input_path.empty()) {
    posix_spawn_file_actions_addopen(&actions, 0, line.input_path.c_str(), O_RDONLY, 0);
  }
  posix_spawn_file_actions_adddup2(&actions, pipe_ends[1], 1);
  if (error_path.empty()) {
    posix_spawn_file_actions_adddup2(&actions, pipe_ends[1], 2);
  } else {
    posix_spawn_file_actions_addopen(&actions, 2, error_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
  }
  posix_spawn_file_actions_addclose(&actions, pipe_ends[0]);
  posix_spawn_file_actions_addclose(&actions, pipe_ends[1]);
  std::vector<char*> argv;
  for (const std::string& word : line.words)
    argv.push_back(const_cast<char*>(word.c_str()));
  argv.push_back(nullptr);
  pid_t child = -1;
  const int spawned = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(pipe_ends[1]);
  char buffer[4096];
  ssize_t got = 0;
  while (spawned == 0 && (got = read(pipe_ends[0], buffer, sizeof buffer)) != 0) {
    if (got > 0)
      out.append(buffer, static_cast<size_t>(got));
    else if (errno != EINTR)
      break;
  }
  close(pipe_ends[0]);
  int status = 0;
  if (spawned != 0 || waitpid(child, &status, 0) != child) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
#endif

}  // namespace

ToolRun RunTool(const std::string& arguments, bool split_error) {
  ToolRun run;
  const std::string error_path = split_error ? WriteFile("stderr.txt", "") : std::string();
  run.exit_code = Run(Split(arguments), error_path, run.out);
  if (split_error) run.err = ReadWholeFile(error_path);
  return run;
}

std::string WriteFile(const std::string& name, const std::string& bytes) {
#if defined(_WIN32)
  const unsigned long process = GetCurrentProcessId();
#else
  const long process = static_cast<long>(getpid());
#endif
  const std::string path =
      ::testing::TempDir() + "vorn_host_" + std::to_string(process) + "_" + name;
  std::ofstream(path, std::ios::binary) << bytes;
  return path;
}

}  // namespace Vorn::Host
