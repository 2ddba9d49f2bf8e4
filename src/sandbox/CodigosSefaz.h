#pragma once
// SEFAZ return codes (cStat) and their texts (xMotivo).
#include <string>

namespace mox::sandbox {

// The text of a code this sandbox answers; an unknown code is a programming error.
const std::string& Motivo(int aCodigo);

// The text with its placeholders filled: the 44 nines of an access key with aChave, the 15
// nines of a receipt with aRecibo (an empty value leaves its placeholder).
std::string Motivo(int aCodigo, const std::string& aChave, const std::string& aRecibo);

}  // namespace mox::sandbox
