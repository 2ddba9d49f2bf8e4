#include "support/BackgroundProcess.h"

#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>

namespace moxtest {

BackgroundProcess::BackgroundProcess(const std::string& aProgram, const std::vector<std::string>& aArgs) {
  int fds[2];
  if (::pipe(fds) != 0) throw std::runtime_error("pipe failed");
  pid_ = ::fork();
  if (pid_ < 0) throw std::runtime_error("fork failed");
  if (pid_ == 0) {
    // A test that aborts (a sanitizer report) must not leave its servers holding the test's
    // output open: the test runner would wait on them until its timeout.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() == 1) ::_exit(127);
    ::dup2(fds[1], 1);
    ::close(fds[0]);
    ::close(fds[1]);
    std::vector<char*> argv{const_cast<char*>(aProgram.c_str())};
    for (const auto& a : aArgs) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::execv(aProgram.c_str(), argv.data());
    ::_exit(127);
  }
  ::close(fds[1]);
  out_ = fds[0];
}

BackgroundProcess::~BackgroundProcess() {
  if (pid_ > 0) {
    ::kill(pid_, SIGTERM);
    int status = 0;
    ::waitpid(pid_, &status, 0);
  }
  if (out_ >= 0) ::close(out_);
}

void BackgroundProcess::Kill() {
  if (pid_ <= 0) return;
  ::kill(pid_, SIGKILL);
  int status = 0;
  ::waitpid(pid_, &status, 0);
  pid_ = -1;
}

std::string BackgroundProcess::ReadLine(std::chrono::milliseconds aTimeout) {
  auto deadline = std::chrono::steady_clock::now() + aTimeout;
  for (;;) {
    if (auto nl = buffer_.find('\n'); nl != std::string::npos) {
      std::string line = buffer_.substr(0, nl);
      buffer_.erase(0, nl + 1);
      return line;
    }
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) throw std::runtime_error("helper program did not answer in time");
    pollfd p{out_, POLLIN, 0};
    if (::poll(&p, 1, static_cast<int>(left.count())) <= 0) continue;
    char buf[4096];
    ssize_t n = ::read(out_, buf, sizeof buf);
    if (n <= 0) throw std::runtime_error("helper program closed its output");
    buffer_.append(buf, static_cast<size_t>(n));
  }
}

}  // namespace moxtest
