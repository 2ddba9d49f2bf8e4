#include "external/FileIO.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "external/EKivoException.h"
#include "external/moxPaths.h"
#include "external/SystemErrorText.h"

namespace mox {

namespace {

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }
  int release() {
    int fd = fd_;
    fd_ = -1;
    return fd;
  }

 private:
  int fd_;
};

[[noreturn]] void RaiseIo(const char* what, const std::string& aFileName, int err) {
  throw EKivoException(std::string(what) + " " + aFileName + ": " + SystemErrorText(err));
}

void WriteAll(int fd, std::string_view aContent, const std::string& aFileName) {
  const char* p = aContent.data();
  size_t left = aContent.size();
  while (left > 0) {
    ssize_t n = ::write(fd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      RaiseIo("Não foi possível gravar o arquivo", aFileName, errno);
    }
    p += n;
    left -= static_cast<size_t>(n);
  }
}

constexpr size_t kDefaultInputLimitMiB = 512;

std::atomic<size_t>& InputLimitStore() {
  static std::atomic<size_t> limit{[] {
    const char* mb = std::getenv("MOXNFE_LIMITE_ENTRADA_MB");
    const long long value = mb ? std::atoll(mb) : 0;
    return (value > 0 ? static_cast<size_t>(value) : kDefaultInputLimitMiB) << 20;
  }()};
  return limit;
}

[[noreturn]] void RaiseTooLarge(const std::string& aName) {
  throw EKivoException(aName + " passa do limite de entrada de " + std::to_string(InputLimit() >> 20) +
                       " MiB; para aceitar entradas maiores defina MOXNFE_LIMITE_ENTRADA_MB.");
}

// Reads to the end of aFd, refusing more than the input limit.
std::string ReadToEnd(int aFd, const std::string& aName, const std::string& aPathForErrors) {
  const size_t limit = InputLimit();
  std::string out;
  char buf[65536];
  for (;;) {
    ssize_t n = ::read(aFd, buf, sizeof buf);
    if (n < 0) {
      if (errno == EINTR) continue;
      RaiseIo("Não foi possível ler o arquivo", aPathForErrors, errno);
    }
    if (n == 0) break;
    if (out.size() + static_cast<size_t>(n) > limit) RaiseTooLarge(aName);
    out.append(buf, static_cast<size_t>(n));
  }
  return out;
}

}  // namespace

size_t InputLimit() { return InputLimitStore().load(); }
void SetInputLimit(size_t aBytes) { InputLimitStore() = aBytes; }

std::string ReadDescriptorBytes(int aFd, const std::string& aName) { return ReadToEnd(aFd, aName, aName); }

std::string ReadStreamBytes(std::istream& aIn, const std::string& aName) {
  const size_t limit = InputLimit();
  std::string out;
  char buf[65536];
  while (aIn.read(buf, sizeof buf) || aIn.gcount() > 0) {
    if (out.size() + static_cast<size_t>(aIn.gcount()) > limit) RaiseTooLarge(aName);
    out.append(buf, static_cast<size_t>(aIn.gcount()));
  }
  if (aIn.bad()) throw EKivoException("Não foi possível ler " + aName + ".");
  return out;
}

std::string ReadFileBytes(const std::string& aFileName) {
  const std::string path = NormalizeSeparators(aFileName);
  FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) {
    if (errno == ENOENT) throw EKivoException("Arquivo não encontrado: " + path);
    RaiseIo("Não foi possível abrir o arquivo", path, errno);
  }
  struct stat st {};
  if (::fstat(fd.get(), &st) == 0 && S_ISDIR(st.st_mode)) throw EKivoException("O caminho é uma pasta, não um arquivo: " + path);
  const std::string name = "O arquivo " + path;
  if (S_ISREG(st.st_mode) && static_cast<size_t>(st.st_size) > InputLimit()) RaiseTooLarge(name);
  return ReadToEnd(fd.get(), name, path);
}

std::string ReadFileBytesStable(const std::string& aFileName) {
  const std::string path = NormalizeSeparators(aFileName);
  auto signature = [&path](struct stat& st) { return ::stat(path.c_str(), &st) == 0; };
  for (int attempt = 0; attempt < 5; ++attempt) {
    struct stat before {}, after {};
    signature(before);
    std::string bytes = ReadFileBytes(path);
    if (signature(after) && before.st_size == after.st_size && before.st_mtim.tv_sec == after.st_mtim.tv_sec &&
        before.st_mtim.tv_nsec == after.st_mtim.tv_nsec && static_cast<off_t>(bytes.size()) == after.st_size)
      return bytes;
  }
  throw EKivoException("O arquivo " + path + " está sendo alterado por outro programa; tente novamente.");
}

AtomicFileWriter::AtomicFileWriter(const std::string& aFileName, mode_t aNewFileMode)
    : path_(NormalizeSeparators(aFileName)), mode_(aNewFileMode) {
  static std::atomic<unsigned> counter{0};
  if (path_.empty()) throw EKivoException("Nome de arquivo vazio.");
  struct stat st {};
  if (::stat(path_.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) throw EKivoException("O caminho é uma pasta, não um arquivo: " + path_);
    mode_ = st.st_mode & 07777;
  }
  tmp_ = path_ + ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
  fd_ = ::open(tmp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode_);
  if (fd_ < 0) RaiseIo("Não foi possível criar o arquivo", path_, errno);
}

AtomicFileWriter::~AtomicFileWriter() {
  if (fd_ < 0) return;
  ::close(fd_);
  ::unlink(tmp_.c_str());
}

void AtomicFileWriter::Write(std::string_view aBytes) {
  if (fd_ < 0) throw EKivoException("O arquivo " + path_ + " já foi fechado.");
  WriteAll(fd_, aBytes, path_);
}

void AtomicFileWriter::Commit() {
  if (fd_ < 0) throw EKivoException("O arquivo " + path_ + " já foi fechado.");
  if (::fchmod(fd_, mode_) != 0) RaiseIo("Não foi possível ajustar as permissões de", path_, errno);
  const int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0 || ::rename(tmp_.c_str(), path_.c_str()) != 0) {
    const int err = errno;
    ::unlink(tmp_.c_str());
    RaiseIo("Não foi possível gravar o arquivo", path_, err);
  }
}

void WriteFileAtomic(const std::string& aFileName, const std::string& aContent, mode_t aNewFileMode) {
  AtomicFileWriter writer(aFileName, aNewFileMode);
  writer.Write(aContent);
  writer.Commit();
}

void RaiseInputTooLarge(const std::string& aName) { RaiseTooLarge(aName); }

void AppendFileBytes(const std::string& aFileName, const std::string& aContent) {
  const std::string path = NormalizeSeparators(aFileName);
  FileDescriptor fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644));
  if (fd.get() < 0) RaiseIo("Não foi possível abrir o arquivo", path, errno);
  WriteAll(fd.get(), aContent, path);
}

}  // namespace mox
