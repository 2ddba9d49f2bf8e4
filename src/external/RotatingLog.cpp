#include "external/RotatingLog.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "external/EKivoException.h"
#include "external/moxPaths.h"

namespace mox {
namespace {

class LockedLog {
 public:
  explicit LockedLog(const std::string& aPath) : path_(aPath) { Open(); }
  ~LockedLog() { Close(); }
  LockedLog(const LockedLog&) = delete;
  LockedLog& operator=(const LockedLog&) = delete;

  int fd() const { return fd_; }
  off_t Size() const {
    struct stat st {};
    return ::fstat(fd_, &st) == 0 ? st.st_size : 0;
  }
  // After a rotation by us or by another process the name points at a new file.
  void Reopen() {
    Close();
    Open();
  }

 private:
  void Open() {
    for (int attempt = 0; attempt < 8; ++attempt) {
      fd_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC | O_NOFOLLOW, 0600);
      if (fd_ < 0) Raise("Não foi possível abrir o arquivo de log");
      if (::flock(fd_, LOCK_EX) != 0) Raise("Não foi possível travar o arquivo de log");
      if (StillNamed()) {
        ::fchmod(fd_, 0600);  // logs written before were readable by everyone
        return;
      }
      Close();  // rotated away while we waited for the lock
    }
    Raise("O arquivo de log muda sem parar");
  }
  bool StillNamed() const {
    struct stat byName {}, byFd {};
    return ::stat(path_.c_str(), &byName) == 0 && ::fstat(fd_, &byFd) == 0 && byName.st_ino == byFd.st_ino &&
           byName.st_dev == byFd.st_dev;
  }
  void Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }
  [[noreturn]] void Raise(const char* aWhat) const {
    const int err = errno;
    throw EKivoException(std::string(aWhat) + " " + path_ + ": " + std::strerror(err));
  }

  std::string path_;
  int fd_ = -1;
};

void Rotate(const std::string& aPath, int aKept) {
  if (aKept <= 0) {
    ::unlink(aPath.c_str());
    return;
  }
  for (int i = aKept - 1; i >= 1; --i)
    ::rename((aPath + "." + std::to_string(i)).c_str(), (aPath + "." + std::to_string(i + 1)).c_str());
  ::rename(aPath.c_str(), (aPath + ".1").c_str());
}

size_t Utf8SequenceLength(unsigned char aLead) {
  if (aLead < 0x80) return 1;
  if ((aLead >> 5) == 0x6) return 2;
  if ((aLead >> 4) == 0xE) return 3;
  if ((aLead >> 3) == 0x1E) return 4;
  return 1;
}

}  // namespace

std::string OneLogLine(std::string_view aLine, size_t aMaxChars) {
  std::string out;
  out.reserve(aLine.size() < aMaxChars * 4 ? aLine.size() : aMaxChars * 4);
  size_t pos = 0;
  size_t chars = 0;
  while (pos < aLine.size() && chars < aMaxChars) {
    const auto c = static_cast<unsigned char>(aLine[pos]);
    size_t len = Utf8SequenceLength(c);
    if (pos + len > aLine.size()) len = aLine.size() - pos;
    if (c < 0x20 || c == 0x7F)
      out.push_back(' ');
    else
      out.append(aLine.substr(pos, len));
    pos += len;
    ++chars;
  }
  if (pos < aLine.size())
    out += " [... " + std::to_string(aLine.size() - pos) + " bytes omitidos]";
  return out;
}

void AppendRotatingLogLine(const std::string& aFileName, std::string_view aLine, const TRotatingLogLimits& aLimits) {
  const std::string path = NormalizeSeparators(aFileName);
  const std::string text = OneLogLine(aLine, aLimits.MaxLineChars) + "\n";
  LockedLog log(path);
  if (log.Size() > 0 && static_cast<size_t>(log.Size()) + text.size() > aLimits.MaxBytes) {
    Rotate(path, aLimits.KeptFiles);
    log.Reopen();
  }
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(log.fd(), text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) throw EKivoException("Não foi possível gravar o arquivo de log " + path + ": " + std::strerror(errno));
    done += static_cast<size_t>(n);
  }
}

}  // namespace mox
