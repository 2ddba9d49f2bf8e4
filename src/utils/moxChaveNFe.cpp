#include "utils/moxChaveNFe.h"

#include "base/EmoxException.h"
#include "external/TmoxKivoUtils.h"
#include "utils/moxTextoNFe.h"
#include "utils/moxXmlLookup.h"

namespace mox {

namespace {

constexpr const char* kMsgCnpjInteiro = "O campo CNPJ: %s deve ser um número Inteiro";

void CheckCnpjInteiro(const std::string& aCNPJ) {
  if (!TryStrToInt64(aCNPJ)) throw EmoxNFeCheckTXT::CreateFmt(kMsgCnpjInteiro, {aCNPJ});
}

bool DataEmissaoTemTamanhoValido(const std::string& aDtEmissao) {
  size_t n = CharCount(aDtEmissao);
  return n == 25 || n == 10;
}

// "YYMM" from a YYYY-MM-DD date or a YYYY-MM-DDThh:mm:ssTZD date-time.
std::string AnoMes(const std::string& aDtEmissao) { return CopyChars(aDtEmissao, 3, 2) + CopyChars(aDtEmissao, 6, 2); }

std::string ComDigito(const std::string& aCorpo) { return aCorpo + DigVerificador(aCorpo, 9, false); }

// The emission date a key stands for: the first day of its month.
std::string CompleteDataEmis(const std::string& aAAMM) {
  return moxFormat("%s-%s-%s", {"20" + CopyChars(aAAMM, 1, 2), CopyChars(aAAMM, 3, 2), "01"});
}

}  // namespace

bool ChaveTemTpEmis(TVersaoManual aVersaoManual) {
  return aVersaoManual == TVersaoManual::vm40 || aVersaoManual == TVersaoManual::vm50 ||
         aVersaoManual == TVersaoManual::vm50a || aVersaoManual == TVersaoManual::vm60;
}

std::string DigVerificador(const std::string& aValor, int aBase, bool aResto) {
  // Only the remainder matters, so the sum is kept reduced and cannot overflow.
  std::int64_t resto = 0, peso = 2;
  for (auto it = aValor.rbegin(); it != aValor.rend(); ++it) {
    resto = (resto + DigitValue(*it, aValor) * peso) % 11;
    peso = peso < aBase ? peso + 1 : 2;
  }
  if (aResto) return std::to_string(resto);
  return std::to_string(resto <= 1 ? 0 : 11 - resto);
}

std::string CalculaChave(const std::string& aDtEmissao, const std::string& aUF, const std::string& aCNPJ,
                         const std::string& aModelo, const std::string& aSerie, const std::string& aNRNota,
                         const std::string& aCodigo) {
  if (!DataEmissaoTemTamanhoValido(aDtEmissao))
    throw EmoxNFeCheckParams::CreateFmt(
        "%s Data de Emissão no Formato inválido. Utilizar YYYY-MM-DD para NF-e 2.0 ou YYYY-MM-DDTHH:mm:ssTZD para "
        "NF-e 3.10",
        {aDtEmissao});
  if (aUF.empty() || aCNPJ.empty() || aModelo.empty() || aNRNota.empty() || aCodigo.empty())
    throw EmoxNFeCheckParams::CreateFmt(
        "Os Campos: Código da UF Emitente =  %s\rCNPJ do Emitente = %s \rCódigo do Modelo do Documento Fiscal = %s "
        "\rNúmero da Nota Fiscal = %s\rCódigo (controle do sistema) Nota Fiscal = %s\rsão campos obrigatórios para o "
        "cálculo do dígito verificador.",
        {aUF, aCNPJ, aModelo, aNRNota, aCodigo});
  CheckCnpjInteiro(aCNPJ);
  TmoxKivoUtils utils;
  return ComDigito(utils.Czro(aUF, 2) + AnoMes(aDtEmissao) + aCNPJ + aModelo + utils.Czro(aSerie, 3) +
                   utils.Czro(aNRNota, 9) + utils.Czro(aCodigo, 9));
}

std::string CalculaChave(const std::string& aDtEmissao, const std::string& aUF, const std::string& aCNPJ,
                         const std::string& aModelo, const std::string& aSerie, const std::string& aNRNota,
                         const std::string& aTpEmis, const std::string& aCodigo) {
  CheckCnpjInteiro(aCNPJ);
  if (CharCount(aCodigo) > 8)
    throw EmoxCheckParams::CreateFmt("O Código da nota(cNF) \"%s\", excede o máximo de 8 dígitos (Manual 4.01)",
                                     {aCodigo});
  if (CharCount(aSerie) > 3) throw EmoxCheckParams("A série não pode ser maior que 999");
  if (CharCount(aTpEmis) != 1)
    throw EmoxCheckParams::CreateFmt("O valor do tipo de emissão(tpEmis) \"%s\" é inesperado.", {aTpEmis});
  if (!DataEmissaoTemTamanhoValido(aDtEmissao))
    throw EmoxNFeCheckParams::CreateFmt(
        "%s Data de Emissão no Formato inválido.Utilizar YYYY-MM-DD para NF-e 2.0 ou YYYY-MM-DDTHH:mm:ssTZD para "
        "NF-e 3.10",
        {aDtEmissao});
  if (aUF.empty() || aCNPJ.empty() || aModelo.empty() || aNRNota.empty() || aTpEmis.empty() || aCodigo.empty())
    throw EmoxNFeCheckParams::CreateFmt(
        "Os Campos: Código da UF Emitente =  %s\rCNPJ do Emitente = %s \rCódigo do Modelo do Documento Fiscal = %s "
        "\rNúmero da Nota Fiscal = %s\rTipo de emissão = %s\rCódigo (controle do sistema) Nota Fiscal = %s\rsão "
        "campos obrigatórios para o cálculo do dígito verificador.",
        {aUF, aCNPJ, aModelo, aNRNota, aTpEmis, aCodigo});
  TmoxKivoUtils utils;
  return ComDigito(utils.Czro(aUF, 2) + AnoMes(aDtEmissao) + aCNPJ + aModelo + utils.Czro(aSerie, 3) +
                   utils.Czro(aNRNota, 9) + aTpEmis + utils.Czro(aCodigo, 8));
}

std::string CalculaDadosDaNFe(const std::string& cUF, const std::string& tpEmis, const std::string& CNPJ,
                              const std::string& vNF, const std::string& ICMSp, const std::string& ICMSs,
                              const std::string& DD) {
  TmoxKivoUtils utils;
  return ComDigito(utils.Czro(cUF, 2) + tpEmis + CNPJ + utils.Czro(vNF, 14) + ICMSp + ICMSs + DD);
}

TmoxDecodeChaveNFe DecodeChave(const std::string& aChave, TVersaoManual aVersaoManual) {
  if (CharCount(aChave) != 44)
    throw EmoxCheckParams::CreateFmt("A Chave da NFe %s deve possuir exatamente 44 dígitos.", {aChave});
  TmoxDecodeChaveNFe d;
  d.cUF = CopyChars(aChave, 1, 2);
  d.AAMM = CopyChars(aChave, 3, 4);
  d.CNPJ = CopyChars(aChave, 7, 14);
  d.Modelo = CopyChars(aChave, 21, 2);
  d.Serie = CopyChars(aChave, 23, 3);
  d.nNF = CopyChars(aChave, 26, 9);
  d.cDV = CopyChars(aChave, 44, 1);
  switch (aVersaoManual) {
    case TVersaoManual::vm202a:
    case TVersaoManual::vm30:
      d.cNF = CopyChars(aChave, 35, 9);
      break;
    case TVersaoManual::vm40:
    case TVersaoManual::vm50:
    case TVersaoManual::vm50a:
    case TVersaoManual::vm60:
      d.tpEmis = CopyChars(aChave, 35, 1);
      d.cNF = CopyChars(aChave, 36, 8);
      break;
    default:
      throw EmoxChaveNFeException("Versão de Manual não suportada para decodificação.");
  }
  return d;
}

bool ValidaAutenticidadeDV(const std::string& aChave, TVersaoManual aVersaoManual) {
  const TmoxDecodeChaveNFe d = DecodeChave(aChave, aVersaoManual);
  const std::string data = CompleteDataEmis(d.AAMM);
  const std::string chave = ChaveTemTpEmis(aVersaoManual)
                                ? CalculaChave(data, d.cUF, d.CNPJ, d.Modelo, d.Serie, d.nNF, d.tpEmis, d.cNF)
                                : CalculaChave(data, d.cUF, d.CNPJ, d.Modelo, d.Serie, d.nNF, d.cNF);
  return CopyChars(chave, 44, 1) == d.cDV;
}

std::string ObterNotaID(const std::string& aXml) {
  static const std::string kMarca = "<infNFe Id=\"NFe";
  size_t p = aXml.find(kMarca);
  if (p == std::string::npos) return {};
  return CopyChars(std::string_view(aXml).substr(p + kMarca.size()), 1, 44);
}

std::string ObterNumRecibo(const std::string& aXml) { return GetValueTag("nRec", aXml); }

}  // namespace mox
