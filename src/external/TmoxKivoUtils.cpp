#include "external/TmoxKivoUtils.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <mutex>

#include "external/AesCipher.h"
#include "external/Base64.h"
#include "external/EKivoException.h"
#include "external/FileIO.h"
#include "external/Gzip.h"
#include "external/SchemaCache.h"
#include "external/TaxIdCheck.h"
#include "external/Utf8Text.h"
#include "external/XPathQuery.h"
#include "external/XmlDocument.h"
#include "external/XmlEscape.h"
#include "external/moxPaths.h"
#include "external/AsciiCase.h"

namespace mox {

namespace {

constexpr const char* kXsiNamespace = "http://www.w3.org/2001/XMLSchema-instance";

std::vector<xmlNodePtr> Select(const XmlDocument& aDoc, const std::string& aXpath, const std::string& aNamespace,
                               std::string* aScalar) {
  XPathResult r = EvaluateXPath(aDoc, aXpath, ParseNamespaceDeclarations(aNamespace));
  if (!r.isNodeSet && aScalar) *aScalar = r.scalar;
  return r.nodes;
}

void CollectElements(xmlNodePtr aNode, std::string_view aTag, std::vector<xmlNodePtr>& aOut) {
  for (xmlNodePtr n = aNode; n; n = n->next) {
    if (n->type != XML_ELEMENT_NODE) continue;
    if (LocalName(n) == aTag) aOut.push_back(n);
    CollectElements(n->children, aTag, aOut);
  }
}

int Digits(const std::string& s, size_t aPos, size_t aLen) {
  if (aPos + aLen > s.size()) return -1;
  int v = 0;
  for (size_t i = aPos; i < aPos + aLen; ++i) {
    if (s[i] < '0' || s[i] > '9') return -1;
    v = v * 10 + (s[i] - '0');
  }
  return v;
}

}  // namespace

// ---------------------------------------------------------------- XML queries

bool TmoxKivoUtils::XPathSelectSingleNode(const std::string& aXml, const std::string& aXpath, std::string& aValue,
                                          const std::string& aNamespace, bool aTextContent) const {
  XmlDocument doc = XmlDocument::Parse(aXml);
  std::string scalar;
  auto nodes = Select(doc, aXpath, aNamespace, &scalar);
  if (nodes.empty()) {
    if (scalar.empty()) return false;
    aValue = scalar;
    return true;
  }
  aValue = aTextContent ? NodeText(nodes.front()) : NodeXml(nodes.front());
  return true;
}

bool TmoxKivoUtils::XPathSelectNodes(const std::string& aXml, const std::string& aXpath,
                                     std::vector<std::string>& aNodesXml, const std::string& aNamespace,
                                     bool /*aTextContent*/) const {
  XmlDocument doc = XmlDocument::Parse(aXml);
  auto nodes = Select(doc, aXpath, aNamespace, nullptr);
  aNodesXml.clear();
  aNodesXml.reserve(nodes.size());
  for (xmlNodePtr n : nodes) aNodesXml.push_back(NodeXml(n));
  return !aNodesXml.empty();
}

std::string TmoxKivoUtils::GetValueTag(const std::string& aTag, const std::string& aXml, const std::string& aParentTag,
                                       int aIndex) const {
  if (aTag.empty() || aIndex < 0) return {};
  XmlDocument doc = XmlDocument::Parse(aXml);
  std::vector<xmlNodePtr> scopes{doc.Root()};
  if (!aParentTag.empty()) {
    scopes.clear();
    CollectElements(doc.Root(), aParentTag, scopes);
  }
  std::vector<xmlNodePtr> found;
  for (xmlNodePtr scope : scopes) {
    if (aParentTag.empty()) CollectElements(scope, aTag, found);
    else CollectElements(scope->children, aTag, found);
    if (found.size() > static_cast<size_t>(aIndex)) return NodeText(found[static_cast<size_t>(aIndex)]);
  }
  return {};
}

std::string TmoxKivoUtils::GetXMLAttributeByIndex(const std::string& aXml, const std::string& /*aNamespace*/,
                                                  int aIndex) const {
  XmlDocument doc = XmlDocument::Parse(aXml);
  xmlNodePtr root = doc.Root();
  // Namespace declarations count as attributes and come first, as they do in a node's own XML
  // ("<det xmlns=... nItem=...>": nItem is at index 1).
  int i = 0;
  for (xmlNsPtr ns = root->nsDef; ns; ns = ns->next, ++i)
    if (i == aIndex) return ns->href ? reinterpret_cast<const char*>(ns->href) : "";
  for (xmlAttrPtr a = root->properties; a; a = a->next, ++i)
    if (i == aIndex) return NodeText(reinterpret_cast<xmlNodePtr>(a));
  return {};
}

std::string TmoxKivoUtils::GetXMLNamespace(const std::string& aXml) const { return GetNodeNamespaceURI(aXml); }

std::string TmoxKivoUtils::GetNodeNamespaceURI(const std::string& aXml) const {
  XmlDocument doc = XmlDocument::Parse(aXml);
  xmlNodePtr root = doc.Root();
  return root->ns && root->ns->href ? reinterpret_cast<const char*>(root->ns->href) : "";
}

bool TmoxKivoUtils::IsValidXml(const std::string& aXml) const { return XmlDocument::IsWellFormed(aXml); }

std::string TmoxKivoUtils::Escape(const std::string& aXml) const { return EscapeXmlText(aXml); }

std::string TmoxKivoUtils::Unescape(const std::string& aXml) const { return UnescapeXmlText(aXml); }

// ---------------------------------------------------------------- schema validation

bool TmoxKivoUtils::ValidateAgainst(const std::string& aXml, const std::string& aXsdFileName) {
  FValidatorErrors.clear();
  try {
    auto schema = GetCompiledSchema(aXsdFileName);
    XmlDocument doc = XmlDocument::Parse(aXml);
    FValidatorErrors = schema->Validate(doc);
  } catch (const EKivoException& e) {
    FValidatorErrors.push_back(e.what());
    throw;
  }
  if (FValidatorErrors.empty()) return true;
  std::string message = "XML não é válido segundo o esquema " + aXsdFileName + ":";
  for (const auto& e : FValidatorErrors) message += "\n" + e;
  throw EKivoException(message);
}

bool TmoxKivoUtils::ValidateSchema(const std::string& aXml, const std::string& /*aURI*/,
                                   const std::string& aXsdFileName) {
  return ValidateAgainst(aXml, NormalizeSeparators(aXsdFileName));
}

bool TmoxKivoUtils::ValidateSchemaByDirectory(const std::string& aXml, const std::string& aSchemaDirectory) {
  FValidatorErrors.clear();
  std::string location;
  {
    XmlDocument doc = XmlDocument::Parse(aXml);
    xmlChar* attr = xmlGetNsProp(doc.Root(), reinterpret_cast<const xmlChar*>("schemaLocation"),
                                 reinterpret_cast<const xmlChar*>(kXsiNamespace));
    if (attr) {
      location = reinterpret_cast<const char*>(attr);
      xmlFree(attr);
    }
  }
  // schemaLocation holds pairs "namespace file"; the file is the last word.
  std::string file;
  for (size_t b = location.find_first_not_of(" \t\r\n"); b != std::string::npos;) {
    size_t e = location.find_first_of(" \t\r\n", b);
    file = location.substr(b, e == std::string::npos ? std::string::npos : e - b);
    b = e == std::string::npos ? e : location.find_first_not_of(" \t\r\n", e);
  }
  if (file.empty()) {
    FValidatorErrors.push_back("O XML não informa o esquema (atributo schemaLocation).");
    throw EKivoException(FValidatorErrors.back());
  }
  file = NormalizeSeparators(file);
  file = file.substr(file.find_last_of('/') == std::string::npos ? 0 : file.find_last_of('/') + 1);
  return ValidateAgainst(aXml, WithTrailingSlash(ExpandPath(aSchemaDirectory)) + file);
}

// ---------------------------------------------------------------- files

std::string TmoxKivoUtils::LoadFromFile(const std::string& aFilename) const {
  std::string bytes = ReadFileBytes(aFilename);
  bool utf16 = bytes.size() >= 2 && (bytes.compare(0, 2, "\xFF\xFE") == 0 || bytes.compare(0, 2, "\xFE\xFF") == 0);
  if (utf16) return "\xEF\xBB\xBF" + DecodeToUtf8(bytes);
  if (IsValidUtf8(bytes)) return bytes;
  return Latin1ToUtf8(bytes);
}

std::string TmoxKivoUtils::LoadFromFileUTF8(const std::string& aFilename) const {
  return DecodeToUtf8(ReadFileBytes(aFilename));
}

void TmoxKivoUtils::SaveToFile(const std::string& aContent, const std::string& aFilename) const {
  WriteFileAtomic(aFilename, aContent);
}

void TmoxKivoUtils::AppendToFile(const std::string& aContent, const std::string& aFilename) const {
  AppendFileBytes(aFilename, aContent);
}

// ---------------------------------------------------------------- text

std::string TmoxKivoUtils::RemoveBOM(const std::string& aXml) const { return RemoveUtf8Bom(aXml); }

std::string TmoxKivoUtils::RemoveAccents(const std::string& aText) const { return RemoveAllAccents(aText); }

std::string TmoxKivoUtils::DynamicRemoveAccents(const std::string& aText, const std::string& aCharacters) const {
  return RemoveListedAccents(aText, aCharacters);
}

std::string TmoxKivoUtils::Czro(const std::string& aText, int aLength) const {
  if (aLength <= 0 || static_cast<int>(aText.size()) >= aLength) return aText;
  return std::string(static_cast<size_t>(aLength) - aText.size(), '0') + aText;
}

bool TmoxKivoUtils::ValidateCNPJ(const std::string& aCNPJ) const { return IsValidCNPJ(aCNPJ); }

bool TmoxKivoUtils::ValidateCPF(const std::string& aCPF) const { return IsValidCPF(aCPF); }

std::vector<std::string> TmoxKivoUtils::ParseString(const std::string& aDelimitedText,
                                                    const std::string& aDelimiter) const {
  std::vector<std::string> parts;
  if (aDelimitedText.empty()) return parts;
  if (aDelimiter.empty()) return {aDelimitedText};
  size_t start = 0;
  for (;;) {
    size_t pos = aDelimitedText.find(aDelimiter, start);
    parts.push_back(aDelimitedText.substr(start, pos - start));
    if (pos == std::string::npos) break;
    start = pos + aDelimiter.size();
  }
  return parts;
}

std::string TmoxKivoUtils::GetValueParam(const std::string& aParams, const std::string& aParamName) const {
  size_t start = 0;
  while (start <= aParams.size()) {
    size_t end = aParams.find('\n', start);
    std::string_view line(aParams.data() + start, (end == std::string::npos ? aParams.size() : end) - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    size_t eq = line.find('=');
    if (eq != std::string_view::npos && EqualsIgnoreCase(line.substr(0, eq), aParamName))
      return std::string(line.substr(eq + 1));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return {};
}

TDateTime TmoxKivoUtils::XsdDateTimeToDateTime(const std::string& aXsdDateTime) const {
  const std::string s = aXsdDateTime.substr(0, aXsdDateTime.find_last_not_of(" \t\r\n") + 1);
  DateTimeParts p;
  p.year = Digits(s, 0, 4);
  p.month = Digits(s, 5, 2);
  p.day = Digits(s, 8, 2);
  bool ok = p.year >= 0 && p.month >= 0 && p.day >= 0 && s.size() >= 10 && s[4] == '-' && s[7] == '-';
  if (ok && s.size() > 10 && s[10] == 'T') {
    p.hour = Digits(s, 11, 2);
    p.minute = Digits(s, 14, 2);
    p.second = Digits(s, 17, 2);
    ok = p.hour >= 0 && p.minute >= 0 && p.second >= 0 && s.size() >= 19 && s[13] == ':' && s[16] == ':';
    size_t i = 19;
    if (ok && i < s.size() && s[i] == '.') {
      int scale = 100;
      for (++i; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i, scale /= 10) p.millisecond += (s[i] - '0') * scale;
    }
    // Time-zone designator: Z or +hh:mm / -hh:mm; the wall-clock time is kept as written.
    if (ok && i < s.size())
      ok = (s[i] == 'Z' && i + 1 == s.size()) ||
           ((s[i] == '+' || s[i] == '-') && s.size() == i + 6 && Digits(s, i + 1, 2) >= 0 && s[i + 3] == ':' &&
            Digits(s, i + 4, 2) >= 0);
  } else if (ok && s.size() > 10) {
    ok = false;
  }
  try {
    if (ok) return EncodeDateTime(p);
  } catch (const EKivoException&) {
  }
  throw EKivoException("Data e hora em formato XSD inválido: " + aXsdDateTime);
}

// ---------------------------------------------------------------- paths

std::string TmoxKivoUtils::ExpandPath(const std::string& aPath) const {
  if (aPath.empty()) return {};
  std::string path = NormalizeSeparators(aPath);
  bool trailing = path.back() == '/';
  std::filesystem::path p = IsAbsolutePath(path) ? std::filesystem::path(path) : std::filesystem::path(ProgramDir()) / path;
  std::string out = p.lexically_normal().string();
  if (trailing || DirectoryExists(out)) out = WithTrailingSlash(out);
  return out;
}

std::string TmoxKivoUtils::FixSlash(const std::string& aPath) const { return WithTrailingSlash(aPath); }

std::string TmoxKivoUtils::GetSpecialDirectories(int aId) const {
  if (aId != 1) throw EKivoException("Pasta especial não suportada: " + std::to_string(aId));
  // Machine-wide folders are not writable by ordinary users here, so the shared data folder
  // is the user's data folder.
  return UserDataDir();
}

// ---------------------------------------------------------------- compression, cipher

std::string TmoxKivoUtils::GZipString(const std::string& aText) const { return GzipCompress(aText); }

std::string TmoxKivoUtils::EncodeBase64(const std::string& aText) const { return Base64Encode(aText); }

std::string TmoxKivoUtils::DecodeBase64(const std::string& aText) const { return Base64Decode(aText); }

std::string TmoxKivoUtils::DecompressBase64Gz(const std::string& aSource, bool aBase64,
                                              const std::string& aCharset) const {
  std::string bytes = GzipDecompress(aBase64 ? Base64Decode(aSource) : aSource);
  if (EqualsIgnoreCase(aCharset, "ISO-8859-1") || EqualsIgnoreCase(aCharset, "latin1")) return Latin1ToUtf8(bytes);
  return DecodeToUtf8(bytes);
}

std::string TmoxKivoUtils::Encrypt(const std::string& aValue) const { return AesCipher().Encrypt(aValue); }

std::string TmoxKivoUtils::Decrypt(const std::string& aValue) const { return AesCipher().Decrypt(aValue); }

// ---------------------------------------------------------------- transaction logs

std::string TmoxKivoUtils::GetLogFileName(const std::string& aSufix, const std::string& aId) const {
  static std::mutex mutex;
  static std::string lastStamp;
  static unsigned sequence = 0;
  DateTimeParts p = DecodeDateTime(Now());
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "%04d%02d%02d%02d%02d%02d%03d", p.year, p.month, p.day, p.hour, p.minute,
                p.second, p.millisecond);
  unsigned seq;
  {
    std::lock_guard lock(mutex);
    sequence = lastStamp == stamp ? sequence + 1 : 0;
    lastStamp = stamp;
    seq = sequence;
  }
  // The process id keeps names apart when several programs log into one folder.
  char unique[64];
  std::snprintf(unique, sizeof unique, "%s-%d%02u", stamp, static_cast<int>(::getpid()), seq);
  std::string name = unique;
  if (!aId.empty()) name += "-" + aId;
  return name + "-" + aSufix + ".xml";
}

std::string TmoxKivoUtils::Log(const std::string& aContent, const std::string& aSufix, const std::string& aId,
                               const std::string& aFilename, const std::string& aLogFolder) const {
  const std::string fileName = aFilename.empty() ? GetLogFileName(aSufix, aId) : aFilename;
  if (FSaveLogToFile) {
    const std::string folder = WithTrailingSlash(ExpandPath(aLogFolder));
    if (folder.empty() || !CreateDirectories(folder))
      throw EKivoException("Pasta de log não pode ser criada ou está vazia: " + aLogFolder);
    const std::string path = folder + fileName;
    WriteFileAtomic(path, "\xEF\xBB\xBF" + WithCrLf(RemoveUtf8Bom(aContent)));
    if (OnLog) OnLog(aSufix, aId, path);
  }
  if (OnLogContent) OnLogContent(aSufix, aId, fileName, aContent);
  return fileName;
}

// ---------------------------------------------------------------- cache hints

void TmoxKivoUtils::PreAddXPathCache(const std::string& aXpath) const { PinXPath(aXpath); }

void TmoxKivoUtils::RemovePreAddedXPathCache(const std::string& aXpath) const { UnpinXPath(aXpath); }

}  // namespace mox
