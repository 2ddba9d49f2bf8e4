#pragma once
// PKCS#12 files opened once: a file is read and decrypted again only when it changes on disk
// (size, modification time or inode) or when the password that opened it is no longer offered.
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "external/CertificateCredential.h"

namespace mox {

struct LoadedCertificate {
  CertificateCredential Credential;
  CertificateInfo Info;
};

class CertificateCache {
 public:
  // The file opened with the first password of aPasswords that fits. Raises EKivoException
  // for a missing or unreadable file, EPkcs12WrongPassword when no password fits.
  std::shared_ptr<const LoadedCertificate> Load(const std::string& aFile, const std::vector<std::string>& aPasswords);
  void Forget(const std::string& aFile);

 private:
  struct Stamp {
    long long size = -1, mtimeNs = 0, inode = 0;
    bool operator==(const Stamp&) const = default;
  };
  struct Entry {
    Stamp stamp;
    std::string password;
    std::shared_ptr<const LoadedCertificate> certificate;
  };
  static Stamp StampOf(const std::string& aFile);

  std::map<std::string, Entry> entries_;
};

}  // namespace mox
