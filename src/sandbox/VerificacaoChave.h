#pragma once
// The access key: its check digit, and in a note its agreement with the fields it is made of.
#include <libxml/tree.h>

#include <string>

namespace mox::sandbox {

// 236 when the key's check digit is wrong.
void ConfereDigitoChave(const std::string& aChave);

// The key in infNFe's Id against ide and emit: 236 check digit, 561 month of emission,
// 562 numeric code, 502 any other field (UF, CNPJ, model, series, number, emission type,
// check digit field). Layout 1.10 (aLeiaute "1.10") has the older form: a numeric code of nine
// digits and no emission type. Returns the key.
std::string ConfereChaveDaNota(xmlNodePtr aInfNFe, const std::string& aLeiaute);

}  // namespace mox::sandbox
