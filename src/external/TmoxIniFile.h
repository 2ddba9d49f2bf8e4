#pragma once
// INI files on disk or in memory. Sections and keys are case-insensitive; the order of
// sections, keys, comments and blank lines is kept when the file is written back.
#include <optional>
#include <string>
#include <vector>

namespace mox {

class TmoxIniFile {
 public:
  // An empty in-memory INI.
  TmoxIniFile() = default;
  // Opens aFileName; a missing file gives an empty INI that UpdateFile creates. A file that
  // another program is rewriting is read again until two reads agree.
  explicit TmoxIniFile(std::string aFileName);

  static TmoxIniFile FromText(const std::string& aText);

  const std::string& FileName() const { return fileName_; }

  std::string ReadString(const std::string& aSection, const std::string& aKey, const std::string& aDefault) const;
  // The value as a decimal integer; aDefault when missing or not a number.
  long long ReadInteger(const std::string& aSection, const std::string& aKey, long long aDefault) const;
  // Stored as an integer: non-zero is true.
  bool ReadBool(const std::string& aSection, const std::string& aKey, bool aDefault) const;

  void WriteString(const std::string& aSection, const std::string& aKey, const std::string& aValue);
  void WriteInteger(const std::string& aSection, const std::string& aKey, long long aValue);
  void WriteBool(const std::string& aSection, const std::string& aKey, bool aValue);

  bool SectionExists(const std::string& aSection) const;
  bool ValueExists(const std::string& aSection, const std::string& aKey) const;
  std::vector<std::string> ReadSections() const;
  std::vector<std::string> ReadSection(const std::string& aSection) const;  // key names
  void EraseSection(const std::string& aSection);
  void DeleteKey(const std::string& aSection, const std::string& aKey);

  // Lines that are neither a section, a key=value pair, a comment nor blank: the mark of a file
  // cut short or not an INI at all.
  const std::vector<std::string>& InvalidLines() const { return invalidLines_; }

  std::string GetText() const;
  void SetText(const std::string& aText);

  // Writes the whole file atomically (temporary name, then rename). Raises EKivoException.
  void UpdateFile() const;

 private:
  struct Line {
    std::string key;    // empty for comments and blank lines
    std::string value;  // the raw line for comments and blank lines
  };
  struct Section {
    std::string name;
    std::vector<Line> lines;
  };

  Section* FindSection(const std::string& aSection);
  const Section* FindSection(const std::string& aSection) const;
  const Line* FindKey(const std::string& aSection, const std::string& aKey) const;

  std::string fileName_;
  std::vector<std::string> invalidLines_;
  std::vector<Section> sections_;  // sections_[0] may be the unnamed leading part
};

}  // namespace mox
