#pragma once
// An append-only log file that stays private and bounded: created 0600, one line per call, and
// rotated to "<name>.1", "<name>.2", ... when it would pass its size limit.
#include <cstddef>
#include <string>
#include <string_view>

namespace mox {

struct TRotatingLogLimits {
  size_t MaxBytes = 4u << 20;    // size of the live file before it is rotated
  int KeptFiles = 3;             // rotated files kept beside it
  size_t MaxLineChars = 2000;    // longer lines are cut, saying how much was left out
};

// Appends aLine plus a line break. Processes appending to the same file at once do not mix or
// lose lines: the file is locked while it is checked, rotated and written.
// Raises EKivoException when the file cannot be written.
void AppendRotatingLogLine(const std::string& aFileName, std::string_view aLine,
                           const TRotatingLogLimits& aLimits = {});

// aLine as one line of at most aMaxChars code points: line breaks and other control characters
// become blanks, and a longer text is cut at a character boundary with a note of what was left out.
std::string OneLogLine(std::string_view aLine, size_t aMaxChars);

}  // namespace mox
