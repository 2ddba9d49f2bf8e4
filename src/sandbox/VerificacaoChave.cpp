#include "sandbox/VerificacaoChave.h"

#include "base/EmoxException.h"
#include "sandbox/LeituraXml.h"
#include "sandbox/Rejeicao.h"
#include "utils/moxChaveNFe.h"

namespace mox::sandbox {

namespace {

std::string ZerosAEsquerda(const std::string& aTexto, size_t aTamanho) {
  return aTexto.size() >= aTamanho ? aTexto : std::string(aTamanho - aTexto.size(), '0') + aTexto;
}

// "yymm" of a "yyyy-mm-dd..." date.
std::string AnoMes(const std::string& aData) {
  return aData.size() >= 7 ? aData.substr(2, 2) + aData.substr(5, 2) : std::string{};
}

}  // namespace

void ConfereDigitoChave(const std::string& aChave) {
  bool valida = false;
  try {
    valida = ValidaAutenticidadeDV(aChave, TVersaoManual::vm50a);
  } catch (const EmoxException&) {
  }
  if (!valida) throw ERejeicao(236, aChave);
}

std::string ConfereChaveDaNota(xmlNodePtr aInfNFe, const std::string& aLeiaute) {
  const std::string id = Atributo(aInfNFe, "Id");
  const std::string chave = id.substr(3);
  ConfereDigitoChave(chave);
  const bool formaAntiga = aLeiaute == "1.10";
  const TmoxDecodeChaveNFe c = DecodeChave(chave, formaAntiga ? TVersaoManual::vm30 : TVersaoManual::vm50a);
  xmlNodePtr ide = Elemento(aInfNFe, "ide");
  std::string emissao = Valor(ide, "dhEmi");
  if (emissao.empty()) emissao = Valor(ide, "dEmi");
  if (c.AAMM != AnoMes(emissao)) throw ERejeicao(561, chave);
  if (c.cNF != ZerosAEsquerda(Valor(ide, "cNF"), formaAntiga ? 9 : 8)) throw ERejeicao(562, chave, chave);
  std::string cnpj = Valor(aInfNFe, "emit/CNPJ");
  if (cnpj.empty()) cnpj = ZerosAEsquerda(Valor(aInfNFe, "emit/CPF"), 14);
  if (c.cUF != Valor(ide, "cUF") || c.CNPJ != cnpj || c.Modelo != Valor(ide, "mod") ||
      c.Serie != ZerosAEsquerda(Valor(ide, "serie"), 3) || c.nNF != ZerosAEsquerda(Valor(ide, "nNF"), 9) ||
      (!formaAntiga && c.tpEmis != Valor(ide, "tpEmis")) || c.cDV != Valor(ide, "cDV"))
    throw ERejeicao(502, chave);
  return chave;
}

}  // namespace mox::sandbox
