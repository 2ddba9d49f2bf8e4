#include "external/CertificateChoice.h"

#include <algorithm>

#include "external/AsciiCase.h"
#include "external/CertificateStore.h"

namespace mox {

std::vector<std::string> CertificateNameKeys(const CertificateInfo& aInfo, const std::string& aLine,
                                             std::vector<std::string> aExtra) {
  aExtra.insert(aExtra.end(), {aLine, aInfo.CommonName, aInfo.Serial, aInfo.Thumbprint, aInfo.Cnpj, aInfo.Cpf});
  return aExtra;
}

bool CertificateNameMatches(const std::vector<std::string>& aKeys, const std::string& aName) {
  const std::string wanted = LowerAscii(NormalizeCertificateName(aName));
  if (wanted.empty()) return false;
  return std::any_of(aKeys.begin(), aKeys.end(),
                     [&](const std::string& k) { return !k.empty() && LowerAscii(k) == wanted; });
}

size_t PreferredCertificate(const std::vector<const CertificateInfo*>& aInfos) {
  const auto now = std::chrono::system_clock::now();
  auto validNow = [&](const CertificateInfo* i) { return i->NotBefore <= now && now <= i->NotAfter; };
  size_t best = 0;
  for (size_t k = 1; k < aInfos.size(); ++k) {
    const bool valid = validNow(aInfos[k]), bestValid = validNow(aInfos[best]);
    if ((valid && !bestValid) || (valid == bestValid && aInfos[k]->NotAfter > aInfos[best]->NotAfter)) best = k;
  }
  return best;
}

}  // namespace mox
