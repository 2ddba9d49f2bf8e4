#pragma once
// A helper program (a mail server, a sandbox) running beside a test; stopped when destroyed.
#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

namespace moxtest {

class BackgroundProcess {
 public:
  // Starts aProgram (an absolute path) with its standard output on a pipe; standard error is
  // the test's.
  BackgroundProcess(const std::string& aProgram, const std::vector<std::string>& aArgs);
  ~BackgroundProcess();
  BackgroundProcess(const BackgroundProcess&) = delete;
  BackgroundProcess& operator=(const BackgroundProcess&) = delete;

  // The next line of its standard output, without the line break. Throws when the program
  // closes its output or nothing arrives in time.
  std::string ReadLine(std::chrono::milliseconds aTimeout = std::chrono::seconds(20));
  // Ends it at once with SIGKILL, as a crash or a power cut would, and waits for it.
  void Kill();

 private:
  pid_t pid_ = -1;
  int out_ = -1;
  std::string buffer_;
};

}  // namespace moxtest
