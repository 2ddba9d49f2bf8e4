#pragma once
// The 44-digit access key of an invoice, its modulo-11 check digit and the contingency data
// string.
#include <string>

#include "base/moxTypes.h"

namespace mox {

// The fields of an access key, as texts.
struct TmoxDecodeChaveNFe {
  std::string cUF;     // 2
  std::string AAMM;    // 4: year and month of emission
  std::string CNPJ;    // 14
  std::string Modelo;  // 2
  std::string Serie;   // 3
  std::string nNF;     // 9
  std::string tpEmis;  // 1; empty in the old layout
  std::string cNF;     // 8; 9 in the old layout
  std::string cDV;     // 1
};

// True for the manual versions whose key carries the emission type (4.0 on).
bool ChaveTemTpEmis(TVersaoManual aVersaoManual);

// Modulo-11 check digit with weights 2..aBase from the right. With aResto the bare remainder
// (sum mod 11) is returned instead. A non-digit raises EmoxNFeCheckParams.
std::string DigVerificador(const std::string& aValor, int aBase, bool aResto);

// Old layout (manual 2.0.2a and 3.0): cNF with 9 digits, no emission type.
std::string CalculaChave(const std::string& aDtEmissao, const std::string& aUF, const std::string& aCNPJ,
                         const std::string& aModelo, const std::string& aSerie, const std::string& aNRNota,
                         const std::string& aCodigo);

// Current layout (manual 4.0 on): emission type at position 35, cNF with 8 digits.
std::string CalculaChave(const std::string& aDtEmissao, const std::string& aUF, const std::string& aCNPJ,
                         const std::string& aModelo, const std::string& aSerie, const std::string& aNRNota,
                         const std::string& aTpEmis, const std::string& aCodigo);

// The contingency data string with its check digit.
std::string CalculaDadosDaNFe(const std::string& cUF, const std::string& tpEmis, const std::string& CNPJ,
                              const std::string& vNF, const std::string& ICMSp, const std::string& ICMSs,
                              const std::string& DD);

// Splits a key into its fields; the check digit is not verified here.
TmoxDecodeChaveNFe DecodeChave(const std::string& aChave, TVersaoManual aVersaoManual);

// True when the key's last digit is the one computed from its own fields.
bool ValidaAutenticidadeDV(const std::string& aChave, TVersaoManual aVersaoManual);

// The 44 characters after the first "<infNFe Id=\"NFe"; empty when there is none.
std::string ObterNotaID(const std::string& aXml);

// Text of the first nRec element.
std::string ObterNumRecibo(const std::string& aXml);

}  // namespace mox
