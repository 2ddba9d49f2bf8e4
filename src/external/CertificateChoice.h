#pragma once
// How a user's name designates a certificate, and which of several matches is used: shared by
// the store of files and the tokens.
#include <string>
#include <vector>

#include "external/CertificateCredential.h"

namespace mox {

// The keys a name may equal: the list line, the common name, the serial, the SHA-1
// thumbprint, the CNPJ and the CPF, then aExtra (file names, token labels).
std::vector<std::string> CertificateNameKeys(const CertificateInfo& aInfo, const std::string& aLine,
                                             std::vector<std::string> aExtra = {});

// True when the first line of aName, without surrounding blanks and ignoring letter case,
// equals one of aKeys.
bool CertificateNameMatches(const std::vector<std::string>& aKeys, const std::string& aName);

// The position of the certificate to use among several matches: one valid now before one that
// is not, then the one that expires last. aInfos must not be empty.
size_t PreferredCertificate(const std::vector<const CertificateInfo*>& aInfos);

}  // namespace mox
