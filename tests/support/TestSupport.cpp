#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace moxtest {

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "moxnfe-test-XXXXXX").string();
  if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

std::filesystem::path SchemasDir() {
  const char* dir = std::getenv("MOXNFE_SCHEMAS");
  // Beside the repository is where the test command looks too.
  const std::filesystem::path beside = std::filesystem::path(MOXNFE_SOURCE_DIR).parent_path() / "shared" / "schemas";
  if ((!dir || !*dir) && std::filesystem::is_directory(beside)) return beside;
  if (!dir || !*dir) {
    ADD_FAILURE() << "MOXNFE_SCHEMAS is not set and ../shared/schemas does not exist";
    return {};
  }
  return dir;
}

std::vector<std::string> Arquivos(const std::filesystem::path& aPasta, const std::string& aFim) {
  std::vector<std::string> nomes;
  if (std::filesystem::exists(aPasta))
    for (const auto& e : std::filesystem::directory_iterator(aPasta))
      if (e.path().filename().string().ends_with(aFim)) nomes.push_back(e.path().filename().string());
  std::sort(nomes.begin(), nomes.end());
  return nomes;
}

std::string ReadText(const std::filesystem::path& aFile) {
  std::ifstream in(aFile, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

void WriteText(const std::filesystem::path& aFile, const std::string& aText) {
  std::ofstream out(aFile, std::ios::binary);
  out << aText;
}

InDir::InDir(const std::filesystem::path& aFolder) : before_(std::filesystem::current_path()) {
  std::filesystem::current_path(aFolder);
}

InDir::~InDir() { std::filesystem::current_path(before_); }

ProgramResult RunProgram(const std::string& aProgram, const std::vector<std::string>& aArgs,
                         const std::string& aInput) {
  // A program may stop reading its input early (a refused input); that must not kill the test.
  static const bool semSigpipe = (::signal(SIGPIPE, SIG_IGN), true);
  (void)semSigpipe;
  int in[2], out[2], err[2];
  if (::pipe(in) || ::pipe(out) || ::pipe(err)) throw std::runtime_error("pipe failed");
  pid_t pid = ::fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    ::dup2(in[0], 0);
    ::dup2(out[1], 1);
    ::dup2(err[1], 2);
    for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]}) ::close(fd);
    std::vector<char*> argv{const_cast<char*>(aProgram.c_str())};
    for (const auto& a : aArgs) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::execv(aProgram.c_str(), argv.data());
    ::_exit(127);
  }
  ::close(in[0]);
  ::close(out[1]);
  ::close(err[1]);
  ProgramResult r;
  size_t written = 0;
  if (aInput.empty()) {
    ::close(in[1]);
    in[1] = -1;
  }
  pollfd fds[3] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}, {in[1], POLLOUT, 0}};
  int open = 2;
  while (open > 0 || fds[2].fd >= 0) {
    if (::poll(fds, 3, -1) < 0) break;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP))) continue;
      char buf[65536];
      ssize_t n = ::read(fds[i].fd, buf, sizeof buf);
      if (n <= 0) {
        ::close(fds[i].fd);
        fds[i].fd = -1;
        --open;
      } else {
        (i == 0 ? r.out : r.err).append(buf, static_cast<size_t>(n));
      }
    }
    if (fds[2].fd >= 0 && (fds[2].revents & (POLLOUT | POLLERR | POLLHUP))) {
      ssize_t n = (fds[2].revents & POLLOUT) ? ::write(fds[2].fd, aInput.data() + written, aInput.size() - written) : -1;
      if (n > 0) written += static_cast<size_t>(n);
      if (n <= 0 || written == aInput.size()) {
        ::close(fds[2].fd);
        fds[2].fd = -1;
      }
    }
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

std::string BuiltProgram(const std::string& aName) { return std::string(MOXNFE_BINARY_DIR) + "/" + aName; }

std::filesystem::path Fixture(const std::string& aRelativePath) {
  return std::filesystem::path(MOXNFE_SOURCE_DIR) / "tests" / "fixtures" / aRelativePath;
}

}  // namespace moxtest
