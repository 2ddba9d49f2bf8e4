#include "external/TmoxIniFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>

#include "external/FileIO.h"
#include "external/Utf8Text.h"
#include "external/moxPaths.h"
#include "external/AsciiCase.h"

namespace mox {

namespace {

std::string Trim(const std::string& s) {
  size_t b = s.find_first_not_of(" \t\r");
  if (b == std::string::npos) return {};
  size_t e = s.find_last_not_of(" \t\r");
  return s.substr(b, e - b + 1);
}

}  // namespace

TmoxIniFile::TmoxIniFile(std::string aFileName) : fileName_(NormalizeSeparators(std::move(aFileName))) {
  struct stat st {};
  if (!fileName_.empty() && ::stat(fileName_.c_str(), &st) == 0) SetText(DecodeToUtf8(ReadFileBytesStable(fileName_)));
}

TmoxIniFile TmoxIniFile::FromText(const std::string& aText) {
  TmoxIniFile ini;
  ini.SetText(aText);
  return ini;
}

void TmoxIniFile::SetText(const std::string& aText) {
  sections_.clear();
  invalidLines_.clear();
  const std::string text = RemoveUtf8Bom(aText);
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    std::string raw = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    start = end == std::string::npos ? text.size() : end + 1;
    if (!raw.empty() && raw.back() == '\r') raw.pop_back();
    const std::string line = Trim(raw);
    if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
      sections_.push_back({Trim(line.substr(1, line.size() - 2)), {}});
      continue;
    }
    if (sections_.empty()) sections_.push_back({"", {}});
    auto eq = line.find('=');
    bool comment = line.empty() || line[0] == ';' || line[0] == '#';
    if (!comment && (eq == std::string::npos || eq == 0 || line[0] == '[')) {
      invalidLines_.push_back(line);
      comment = true;
    }
    if (comment) sections_.back().lines.push_back({"", raw});
    else sections_.back().lines.push_back({Trim(line.substr(0, eq)), Trim(line.substr(eq + 1))});
  }
}

std::string TmoxIniFile::GetText() const {
  std::string out;
  for (const auto& s : sections_) {
    if (!s.name.empty()) out += "[" + s.name + "]\n";
    for (const auto& l : s.lines) out += l.key.empty() ? l.value + "\n" : l.key + "=" + l.value + "\n";
  }
  return out;
}

TmoxIniFile::Section* TmoxIniFile::FindSection(const std::string& aSection) {
  for (auto& s : sections_)
    if (EqualsIgnoreCase(s.name, aSection)) return &s;
  return nullptr;
}

const TmoxIniFile::Section* TmoxIniFile::FindSection(const std::string& aSection) const {
  return const_cast<TmoxIniFile*>(this)->FindSection(aSection);
}

const TmoxIniFile::Line* TmoxIniFile::FindKey(const std::string& aSection, const std::string& aKey) const {
  const Section* s = FindSection(aSection);
  if (!s) return nullptr;
  for (const auto& l : s->lines)
    if (!l.key.empty() && EqualsIgnoreCase(l.key, aKey)) return &l;
  return nullptr;
}

std::string TmoxIniFile::ReadString(const std::string& aSection, const std::string& aKey,
                                    const std::string& aDefault) const {
  const Line* l = FindKey(aSection, aKey);
  return l ? l->value : aDefault;
}

long long TmoxIniFile::ReadInteger(const std::string& aSection, const std::string& aKey, long long aDefault) const {
  const Line* l = FindKey(aSection, aKey);
  if (!l || l->value.empty()) return aDefault;
  char* end = nullptr;
  errno = 0;
  long long v = std::strtoll(l->value.c_str(), &end, 10);
  return (errno != 0 || *end != '\0') ? aDefault : v;
}

bool TmoxIniFile::ReadBool(const std::string& aSection, const std::string& aKey, bool aDefault) const {
  return ReadInteger(aSection, aKey, aDefault ? 1 : 0) != 0;
}

void TmoxIniFile::WriteString(const std::string& aSection, const std::string& aKey, const std::string& aValue) {
  // Line breaks would split the entry; an INI value is one line.
  std::string value = aValue;
  std::replace(value.begin(), value.end(), '\n', ' ');
  std::replace(value.begin(), value.end(), '\r', ' ');
  Section* s = FindSection(aSection);
  if (!s) {
    sections_.push_back({aSection, {}});
    s = &sections_.back();
  }
  for (auto& l : s->lines) {
    if (!l.key.empty() && EqualsIgnoreCase(l.key, aKey)) {
      l.value = value;
      return;
    }
  }
  // New keys go after the last key, before trailing blank lines and comments.
  auto pos = s->lines.end();
  while (pos != s->lines.begin() && std::prev(pos)->key.empty()) --pos;
  s->lines.insert(pos, {aKey, value});
}

void TmoxIniFile::WriteInteger(const std::string& aSection, const std::string& aKey, long long aValue) {
  WriteString(aSection, aKey, std::to_string(aValue));
}

void TmoxIniFile::WriteBool(const std::string& aSection, const std::string& aKey, bool aValue) {
  WriteString(aSection, aKey, aValue ? "1" : "0");
}

bool TmoxIniFile::SectionExists(const std::string& aSection) const { return FindSection(aSection) != nullptr; }

bool TmoxIniFile::ValueExists(const std::string& aSection, const std::string& aKey) const {
  return FindKey(aSection, aKey) != nullptr;
}

std::vector<std::string> TmoxIniFile::ReadSections() const {
  std::vector<std::string> out;
  for (const auto& s : sections_)
    if (!s.name.empty()) out.push_back(s.name);
  return out;
}

std::vector<std::string> TmoxIniFile::ReadSection(const std::string& aSection) const {
  std::vector<std::string> out;
  if (const Section* s = FindSection(aSection))
    for (const auto& l : s->lines)
      if (!l.key.empty()) out.push_back(l.key);
  return out;
}

void TmoxIniFile::EraseSection(const std::string& aSection) {
  sections_.erase(std::remove_if(sections_.begin(), sections_.end(),
                                 [&](const Section& s) { return !s.name.empty() && EqualsIgnoreCase(s.name, aSection); }),
                  sections_.end());
}

void TmoxIniFile::DeleteKey(const std::string& aSection, const std::string& aKey) {
  if (Section* s = FindSection(aSection))
    s->lines.erase(std::remove_if(s->lines.begin(), s->lines.end(),
                                  [&](const Line& l) { return !l.key.empty() && EqualsIgnoreCase(l.key, aKey); }),
                   s->lines.end());
}

void TmoxIniFile::UpdateFile() const {
  if (!fileName_.empty()) WriteFileAtomic(fileName_, GetText());
}

}  // namespace mox
