#pragma once
// Reference outputs kept under tests/fixtures/referencia: what the converters and the signature
// wrote when the reference was recorded, compared byte for byte. Setting
// MOXNFE_GRAVAR_REFERENCIAS=1 records them again (only after a change of output that is meant).
#include <string>

namespace moxtest {

// The signed text with what changes from key to key (SignatureValue, X509Certificate) replaced
// by "...": everything else of a signature (digests, SignedInfo, placement) is fixed by the
// signed content.
std::string SemPartesDaChave(std::string aAssinado);

// Compares aAtual with the reference file (relative to tests/fixtures/referencia), or records it
// when MOXNFE_GRAVAR_REFERENCIAS is set. Empty when equal; else what differs, starting where.
std::string ComparaComReferencia(const std::string& aArquivo, const std::string& aAtual);

}  // namespace moxtest
