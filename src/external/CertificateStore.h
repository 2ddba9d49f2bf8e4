#pragma once
// The certificate store: a folder of PKCS#12 files, one certificate (with its key) per file.
//
// A file opens with, in this order: the password kept beside it in "<file>.senha" (first line,
// written by Import with mode 0600), the password the caller offers, the empty password.
#include <memory>
#include <string>
#include <vector>

#include "external/CertificateCache.h"

namespace mox {

class CertificateStore {
 public:
  struct Entry {
    std::string File;                                     // full path
    std::shared_ptr<const LoadedCertificate> Certificate;  // null when the file did not open
    std::string Error;                                    // why it did not open
    // The line ListCertificates gives: the certificate's, or the file name and the error.
    std::string Line() const;
  };

  // aCache keeps opened files between calls; it must outlive the store object.
  CertificateStore(std::string aFolder, CertificateCache& aCache);

  // $MOXNFE_CERTIFICADOS, else $XDG_DATA_HOME/moxnfe/certificados, else
  // ~/.local/share/moxnfe/certificados.
  static std::string DefaultFolder();
  const std::string& Folder() const { return folder_; }

  // Every ".pfx" and ".p12" file of the folder, by file name; a missing folder is empty.
  std::vector<Entry> List(const std::string& aPassword) const;

  // The entries a name designates. A name matches the whole list line, the common name, the
  // file name (with or without extension), the serial, the SHA-1 thumbprint, the CNPJ or the
  // CPF; letter case and surrounding blanks are ignored, and only the first line counts.
  std::vector<Entry> Find(const std::string& aName, const std::string& aPassword) const;

  // The certificate to use for aName: among several matches the one valid now that expires
  // last. Raises EKivoException when none matches or the match does not open.
  std::shared_ptr<const LoadedCertificate> Select(const std::string& aName, const std::string& aPassword) const;

  // Deletes the one file aName designates, and its password file. False when nothing matches;
  // raises when the name is ambiguous or the file cannot be removed.
  bool Remove(const std::string& aName, const std::string& aPassword);

  // Copies a PKCS#12 file into the store (checking that aPassword opens it) and keeps a
  // non-empty password beside it. Returns the stored file's path.
  std::string Import(const std::string& aFile, const std::string& aPassword);

 private:
  std::vector<std::string> PasswordsFor(const std::string& aFile, const std::string& aPassword) const;
  Entry Open(const std::string& aFile, const std::string& aPassword) const;

  std::string folder_;
  CertificateCache& cache_;
};

// First line of a certificate name as the component passes it, without surrounding blanks.
std::string NormalizeCertificateName(const std::string& aName);

}  // namespace mox
