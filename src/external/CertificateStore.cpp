#include "external/CertificateStore.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "external/CertificateChoice.h"
#include "external/EKivoException.h"
#include "external/FileIO.h"
#include "external/TextSplit.h"
#include "external/Pkcs12.h"
#include "external/moxPaths.h"
#include "external/AsciiCase.h"
#include "external/SystemErrorText.h"

namespace mox {

namespace fs = std::filesystem;

namespace {

constexpr const char* kPasswordSuffix = ".senha";

bool IsPkcs12Name(const fs::path& aPath) {
  std::string ext = LowerAscii(aPath.extension().string());
  return ext == ".pfx" || ext == ".p12";
}

std::string Env(const char* aName) {
  const char* v = std::getenv(aName);
  return v ? v : "";
}

bool Matches(const CertificateStore::Entry& aEntry, const std::string& aName) {
  fs::path file(aEntry.File);
  std::vector<std::string> files{file.filename().string(), file.stem().string()};
  if (!aEntry.Certificate) return CertificateNameMatches(files, aName);
  return CertificateNameMatches(CertificateNameKeys(aEntry.Certificate->Info, aEntry.Line(), files), aName);
}

}  // namespace

std::string NormalizeCertificateName(const std::string& aName) {
  auto lines = SplitTrimmed(aName, "\r\n");
  return lines.empty() ? std::string() : lines.front();
}

std::string CertificateStore::Entry::Line() const {
  if (Certificate) return CertificateListLine(Certificate->Info);
  return fs::path(File).filename().string() + " | " + Error;
}

CertificateStore::CertificateStore(std::string aFolder, CertificateCache& aCache)
    : folder_(WithTrailingSlash(aFolder.empty() ? DefaultFolder() : std::move(aFolder))), cache_(aCache) {}

std::string CertificateStore::DefaultFolder() {
  if (std::string own = Env("MOXNFE_CERTIFICADOS"); !own.empty()) return WithTrailingSlash(own);
  return UserDataDir() + "certificados/";
}

std::vector<std::string> CertificateStore::PasswordsFor(const std::string& aFile, const std::string& aPassword) const {
  std::vector<std::string> passwords;
  if (FileExists(aFile + kPasswordSuffix)) {
    std::string kept = ReadFileBytes(aFile + kPasswordSuffix);
    passwords.push_back(kept.substr(0, kept.find_first_of("\r\n")));
  }
  for (const std::string& p : {aPassword, std::string()})
    if (std::find(passwords.begin(), passwords.end(), p) == passwords.end()) passwords.push_back(p);
  return passwords;
}

CertificateStore::Entry CertificateStore::Open(const std::string& aFile, const std::string& aPassword) const {
  Entry entry{aFile, nullptr, {}};
  try {
    entry.Certificate = cache_.Load(aFile, PasswordsFor(aFile, aPassword));
  } catch (const EPkcs12WrongPassword&) {
    entry.Error = "senha desconhecida (guarde-a com \"moxnfe certificados importar\")";
  } catch (const EKivoException& e) {
    entry.Error = e.what();
  }
  return entry;
}

std::vector<CertificateStore::Entry> CertificateStore::List(const std::string& aPassword) const {
  std::vector<std::string> files;
  std::error_code ec;
  // A store not created yet is empty; one that cannot be read is an error, not an empty list.
  std::string bare = folder_;
  while (bare.size() > 1 && bare.back() == '/') bare.pop_back();
  if (!fs::exists(bare, ec) && !ec) return {};
  for (fs::directory_iterator it(folder_, ec), end; !ec && it != end; it.increment(ec))
    if (it->is_regular_file(ec) && IsPkcs12Name(it->path())) files.push_back(it->path().string());
  if (ec) throw EKivoException("Não foi possível ler o repositório de certificados " + folder_ + ": " + SystemErrorText(ec));
  std::sort(files.begin(), files.end());
  std::vector<Entry> entries;
  for (const auto& f : files) entries.push_back(Open(f, aPassword));
  return entries;
}

std::vector<CertificateStore::Entry> CertificateStore::Find(const std::string& aName,
                                                           const std::string& aPassword) const {
  std::vector<Entry> found;
  if (NormalizeCertificateName(aName).empty()) return found;
  for (auto& e : List(aPassword))
    if (Matches(e, aName)) found.push_back(std::move(e));
  return found;
}

std::shared_ptr<const LoadedCertificate> CertificateStore::Select(const std::string& aName,
                                                                 const std::string& aPassword) const {
  if (NormalizeCertificateName(aName).empty())
    throw EKivoException("Nenhum certificado selecionado: informe o nome do certificado.");
  std::vector<Entry> found = Find(aName, aPassword);
  if (found.empty())
    throw EKivoException("Certificado não encontrado no repositório " + folder_ + ": " +
                         NormalizeCertificateName(aName));
  std::vector<const CertificateInfo*> opened;
  std::vector<const Entry*> entries;
  for (const auto& e : found)
    if (e.Certificate) {
      opened.push_back(&e.Certificate->Info);
      entries.push_back(&e);
    }
  if (opened.empty())
    throw EKivoException("Não foi possível abrir o certificado " + found.front().File + ": " + found.front().Error);
  const Entry* best = entries[PreferredCertificate(opened)];
  return best->Certificate;
}

bool CertificateStore::Remove(const std::string& aName, const std::string& aPassword) {
  std::vector<Entry> found = Find(aName, aPassword);
  if (found.empty()) return false;
  if (found.size() > 1) {
    std::string files;
    for (const auto& e : found) files += (files.empty() ? "" : ", ") + fs::path(e.File).filename().string();
    throw EKivoException("O nome \"" + NormalizeCertificateName(aName) + "\" corresponde a " +
                         std::to_string(found.size()) + " certificados (" + files +
                         "); informe o número de série ou o nome do arquivo.");
  }
  const std::string& file = found.front().File;
  std::error_code ec;
  if (!fs::remove(file, ec) || ec)
    throw EKivoException("Não foi possível remover o certificado " + file + ": " + SystemErrorText(ec));
  fs::remove(file + kPasswordSuffix, ec);
  cache_.Forget(file);
  return true;
}

std::string CertificateStore::Import(const std::string& aFile, const std::string& aPassword) {
  std::string bytes = ReadFileBytes(aFile);
  CertificateCredential credential = ReadPkcs12(bytes, aPassword, aFile);
  CertificateInfo info = DescribeCertificate(credential);
  if (!CreateDirectories(folder_)) throw EKivoException("Não foi possível criar a pasta " + folder_);
  ::chmod(folder_.c_str(), 0700);
  std::string ext = LowerAscii(fs::path(aFile).extension().string());
  std::string target = folder_ + info.Thumbprint + (ext == ".p12" ? ".p12" : ".pfx");
  // The password first: a certificate listed without it would show as locked.
  std::error_code ec;
  if (!aPassword.empty())
    WriteFileAtomic(target + kPasswordSuffix, aPassword + "\n", 0600);
  else
    fs::remove(target + kPasswordSuffix, ec);
  WriteFileAtomic(target, bytes, 0600);
  cache_.Forget(target);
  return target;
}

}  // namespace mox
