#pragma once
// The fiscal utility server: XML queries and validation, files, text, compression, cipher and
// transaction-log naming. Stateless apart from the last validation errors, the log switch and
// the two callbacks; caches (schemas, XPath) are process-wide.
#include <functional>
#include <string>
#include <vector>

#include "external/moxDateTime.h"

namespace mox {

class TmoxKivoUtils {
 public:
  using TOnLog = std::function<void(const std::string& aName, const std::string& aId, const std::string& aFileName)>;
  using TOnLogContent = std::function<void(const std::string& aName, const std::string& aId,
                                           const std::string& aFileName, const std::string& aContent)>;

  static constexpr const char* kNFeNamespace = "http://www.portalfiscal.inf.br/nfe";
  // The declaration callers pass to bind the prefix "nfx" to the NF-e namespace.
  static constexpr const char* kNfxDeclaration = "xmlns:nfx='http://www.portalfiscal.inf.br/nfe'";

  TOnLog OnLog;
  TOnLogContent OnLogContent;

  // --- XML queries. aNamespace holds declarations such as kNfxDeclaration, or is empty.
  // Malformed XML, an invalid expression or an unbound prefix raise EKivoException.
  bool XPathSelectSingleNode(const std::string& aXml, const std::string& aXpath, std::string& aValue,
                             const std::string& aNamespace = {}, bool aTextContent = true) const;
  // One node's XML per entry, whatever aTextContent says.
  bool XPathSelectNodes(const std::string& aXml, const std::string& aXpath, std::vector<std::string>& aNodesXml,
                        const std::string& aNamespace = {}, bool aTextContent = false) const;
  // Text of the aIndex-th (from 0) element named aTag, inside an element named aParentTag when
  // one is given; empty when there is none.
  std::string GetValueTag(const std::string& aTag, const std::string& aXml, const std::string& aParentTag = {},
                          int aIndex = 0) const;
  // Value of the root element's attribute at aIndex (from 0); the root's namespace declarations
  // count as attributes and come before the others.
  std::string GetXMLAttributeByIndex(const std::string& aXml, const std::string& aNamespace, int aIndex) const;
  std::string GetXMLNamespace(const std::string& aXml) const;
  std::string GetNodeNamespaceURI(const std::string& aXml) const;
  bool IsValidXml(const std::string& aXml) const;

  // Escapes the special characters of text and attribute values; markup, entities and
  // character references stay as they are, so escaping twice changes nothing.
  std::string Escape(const std::string& aXml) const;
  // Replaces the five predefined entities and character references by their characters.
  std::string Unescape(const std::string& aXml) const;

  // --- Schema validation. True when valid; raises EKivoException otherwise, with every error
  // in ValidatorErrors.
  bool ValidateSchema(const std::string& aXml, const std::string& aURI, const std::string& aXsdFileName);
  // The schema named by the root's xsi:schemaLocation, looked up in aSchemaDirectory.
  bool ValidateSchemaByDirectory(const std::string& aXml, const std::string& aSchemaDirectory);
  const std::vector<std::string>& ValidatorErrors() const { return FValidatorErrors; }

  // --- Files.
  // The file's text; UTF-16 becomes UTF-8 and a UTF-8 byte-order mark is kept.
  std::string LoadFromFile(const std::string& aFilename) const;
  // The file's text as UTF-8, byte-order mark detected and removed.
  std::string LoadFromFileUTF8(const std::string& aFilename) const;
  void SaveToFile(const std::string& aContent, const std::string& aFilename) const;
  void AppendToFile(const std::string& aContent, const std::string& aFilename) const;

  // --- Text.
  std::string RemoveBOM(const std::string& aXml) const;
  std::string RemoveAccents(const std::string& aText) const;
  std::string DynamicRemoveAccents(const std::string& aText, const std::string& aCharacters) const;
  std::string Czro(const std::string& aText, int aLength) const;
  bool ValidateCNPJ(const std::string& aCNPJ) const;
  bool ValidateCPF(const std::string& aCPF) const;
  std::vector<std::string> ParseString(const std::string& aDelimitedText, const std::string& aDelimiter) const;
  // Value of the first "name=value" line whose name matches (case-insensitive); empty if none.
  std::string GetValueParam(const std::string& aParams, const std::string& aParamName) const;
  // The wall-clock date and time written in an xs:dateTime or xs:date text.
  TDateTime XsdDateTimeToDateTime(const std::string& aXsdDateTime) const;

  // --- Paths. Relative paths are taken from the program folder; both separators are accepted.
  std::string ExpandPath(const std::string& aPath) const;
  std::string FixSlash(const std::string& aPath) const;
  // 1: the shared application-data folder of the component.
  std::string GetSpecialDirectories(int aId) const;

  // --- Compression, encoding, cipher.
  std::string GZipString(const std::string& aText) const;
  std::string EncodeBase64(const std::string& aText) const;
  std::string DecodeBase64(const std::string& aText) const;
  std::string DecompressBase64Gz(const std::string& aSource, bool aBase64 = true,
                                 const std::string& aCharset = {}) const;
  std::string Encrypt(const std::string& aValue) const;
  std::string Decrypt(const std::string& aValue) const;

  // --- Transaction logs.
  // "<date-time><sequence>-<aId>-<aSufix>.xml" (without "<aId>-" when the id is empty); two
  // calls never give the same name.
  std::string GetLogFileName(const std::string& aSufix, const std::string& aId) const;
  // Writes aContent (UTF-8 with byte-order mark, CR LF line ends) into aLogFolder when
  // SaveLogToFile is on and fires OnLog; fires OnLogContent in every case. Returns the file name.
  std::string Log(const std::string& aContent, const std::string& aSufix, const std::string& aId,
                  const std::string& aFilename, const std::string& aLogFolder) const;
  bool SaveLogToFile() const { return FSaveLogToFile; }
  void SetSaveLogToFile(bool aValue) { FSaveLogToFile = aValue; }

  // --- Cache hints: the expression is compiled now and kept until removed.
  void PreAddXPathCache(const std::string& aXpath) const;
  void RemovePreAddedXPathCache(const std::string& aXpath) const;

 private:
  bool ValidateAgainst(const std::string& aXml, const std::string& aXsdFileName);

  std::vector<std::string> FValidatorErrors;
  bool FSaveLogToFile = true;
};

}  // namespace mox
