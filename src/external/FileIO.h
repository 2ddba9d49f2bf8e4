#pragma once
// Whole-file reads and writes. Writes are atomic: a reader sees the old file or the new one.
#include <istream>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace mox {

// Inputs larger than this are refused instead of read until memory runs out (endless devices,
// pipes, a wrong file). 512 MiB unless MOXNFE_LIMITE_ENTRADA_MB or SetInputLimit says otherwise.
size_t InputLimit();
void SetInputLimit(size_t aBytes);

// The file's bytes; raises EKivoException when it cannot be read or passes InputLimit().
std::string ReadFileBytes(const std::string& aFileName);

// Everything an open descriptor (standard input, a pipe) gives until its end, within
// InputLimit(); aName names it in messages.
std::string ReadDescriptorBytes(int aFd, const std::string& aName);
std::string ReadStreamBytes(std::istream& aIn, const std::string& aName);

// As ReadFileBytes, but a file that changes while it is read (another program writing it) is
// read again; raises EKivoException when it keeps changing.
std::string ReadFileBytesStable(const std::string& aFileName);

// Writes to a temporary name in the same folder, then renames over the target.
// An existing target keeps its permissions; a new file gets aNewFileMode.
void WriteFileAtomic(const std::string& aFileName, const std::string& aContent, mode_t aNewFileMode = 0644);

// A file written piece by piece that appears complete or not at all: the pieces go to a
// temporary name in the same folder, renamed over the target by Commit. Without Commit (a
// failure on the way) the temporary file is removed and the target left as it was.
class AtomicFileWriter {
 public:
  explicit AtomicFileWriter(const std::string& aFileName, mode_t aNewFileMode = 0644);
  ~AtomicFileWriter();
  AtomicFileWriter(const AtomicFileWriter&) = delete;
  AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;
  void Write(std::string_view aBytes);
  void Commit();

 private:
  std::string path_, tmp_;
  mode_t mode_;
  int fd_ = -1;
};

// The message of an input over InputLimit(); aName names it ("O arquivo x", "A entrada padrão").
[[noreturn]] void RaiseInputTooLarge(const std::string& aName);

// Appends with one write call on a file opened for appending, so concurrent lines do not mix.
void AppendFileBytes(const std::string& aFileName, const std::string& aContent);

}  // namespace mox
