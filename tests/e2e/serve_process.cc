#include "tests/e2e/serve_process.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace Vorn::Host {
namespace {

// Start-up in the sanitizer builds takes a while.
constexpr int kStartMilliseconds = 60000;

}  // namespace

ServeProcess::ServeProcess(const std::vector<std::string>& arguments) {
  int out[2];
  if (pipe(out) != 0) return;
  std::vector<std::string> words = {QEV_VORN_HOST, "serve", "--port", "0"};
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& word : words)
    argv.push_back(word.data());
  argv.push_back(nullptr);
  pid_ = fork();
  if (pid_ == 0) {
    dup2(out[1], STDOUT_FILENO);
    close(out[0]);
    close(out[1]);
    execv(argv[0], argv.data());
    _exit(127);
  }
  close(out[1]);
  if (pid_ < 0) {
    close(out[0]);
    return;
  }
  // The first line only; the server prints nothing after it.
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(kStartMilliseconds);
  char c = 0;
  while (std::chrono::steady_clock::now() < deadline) {
    pollfd ready{out[0], POLLIN, 0};
    if (poll(&ready, 1, 100) <= 0) continue;
    if (read(out[0], &c, 1) != 1 || c == '\n') break;
    first_line_ += c;
  }
  close(out[0]);
  const size_t colon = first_line_.rfind(':');
  if (c == '\n' && first_line_.rfind("http://", 0) == 0 && colon != std::string::npos) {
    port_ = std::atoi(first_line_.c_str() + colon + 1);
  }
}

ServeProcess::~ServeProcess() {
  if (pid_ > 0) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
}

void ServeProcess::Signal(int signal_number) const {
  if (pid_ > 0) kill(pid_, signal_number);
}

int ServeProcess::WaitForExit(double seconds) {
  if (pid_ <= 0) return -1;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  int status = 0;
  while (true) {
    const pid_t done = waitpid(pid_, &status, WNOHANG);
    if (done == pid_) break;
    if (done < 0 || std::chrono::steady_clock::now() >= deadline) return -1;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  pid_ = -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace Vorn::Host
