// `vorn-host serve` as a child process: started on a free port, its address read from its first
// line, stopped by a signal, its exit code waited for.
#pragma once

#include <string>
#include <vector>

#include <sys/types.h>

namespace Vorn::Host {

class ServeProcess {
 public:
  // Starts vorn-host serve with --port 0 and `arguments`, and waits for its first line.
  explicit ServeProcess(const std::vector<std::string>& arguments);
  // Kills the child if it still runs.
  ~ServeProcess();
  ServeProcess(const ServeProcess&) = delete;
  ServeProcess& operator=(const ServeProcess&) = delete;

  // False when the child did not start or printed no address; `first_line` says what it did.
  bool started() const { return port_ > 0; }
  const std::string& first_line() const { return first_line_; }
  int port() const { return port_; }

  void Signal(int signal_number) const;
  // The exit code, or -1 when the child ended otherwise or not within `seconds` (the
  // destructor then kills it).
  int WaitForExit(double seconds);

 private:
  pid_t pid_ = -1;
  int port_ = 0;
  std::string first_line_;
};

}  // namespace Vorn::Host
