#include "external/CertificateCache.h"

#include <sys/stat.h>

#include <algorithm>

#include "external/FileIO.h"
#include "external/Pkcs12.h"

namespace mox {

CertificateCache::Stamp CertificateCache::StampOf(const std::string& aFile) {
  struct stat st {};
  if (::stat(aFile.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
    throw EKivoException("Arquivo do certificado não encontrado: " + aFile);
  return {static_cast<long long>(st.st_size),
          static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec,
          static_cast<long long>(st.st_ino)};
}

std::shared_ptr<const LoadedCertificate> CertificateCache::Load(const std::string& aFile,
                                                               const std::vector<std::string>& aPasswords) {
  Stamp stamp = StampOf(aFile);
  if (auto it = entries_.find(aFile); it != entries_.end()) {
    const Entry& e = it->second;
    if (e.stamp == stamp && std::find(aPasswords.begin(), aPasswords.end(), e.password) != aPasswords.end())
      return e.certificate;
    entries_.erase(it);
  }
  std::string bytes = ReadFileBytes(aFile);
  for (size_t i = 0; i < aPasswords.size(); ++i) {
    try {
      auto loaded = std::make_shared<LoadedCertificate>();
      loaded->Credential = ReadPkcs12(bytes, aPasswords[i], aFile);
      loaded->Info = DescribeCertificate(loaded->Credential);
      entries_[aFile] = Entry{stamp, aPasswords[i], loaded};
      return loaded;
    } catch (const EPkcs12WrongPassword&) {
      if (i + 1 == aPasswords.size()) throw;
    }
  }
  throw EPkcs12WrongPassword("Senha incorreta para o certificado: " + aFile);
}

void CertificateCache::Forget(const std::string& aFile) { entries_.erase(aFile); }

}  // namespace mox
