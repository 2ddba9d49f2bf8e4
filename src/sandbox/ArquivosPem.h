#pragma once
// Certificates and keys in PEM files, as the sandbox keeps its authority and server identity.
#include <string>

#include "external/CertificateCredential.h"

namespace mox::sandbox {

// The certificate of the file, with the key of aArquivoChave when given. Raises
// std::runtime_error naming the file that does not load.
CertificateCredential LeCredencialPem(const std::string& aArquivoCertificado, const std::string& aArquivoChave = {});

// The certificate (and its chain) to one file; the key, when there is one, to another that
// only the owner may read.
void GravaCredencialPem(const CertificateCredential& aCredencial, const std::string& aArquivoCertificado,
                        const std::string& aArquivoChave = {});

}  // namespace mox::sandbox
