// The recipient side's queries: DF-e distribution by NSU, invoices addressed to the CNPJ, and
// the download of authorized invoices, each unpacked into a file of its own.
#include <filesystem>
#include <vector>

#include "base/EmoxException.h"
#include "base/moxFormat.h"
#include "events/TmoxEventosXMLUtils.h"
#include "events/TmoxEventosXmlDestinatario.h"
#include "events/TmoxNFeEventos.h"
#include "external/TmoxKivoUtils.h"
#include "external/moxPaths.h"

namespace mox {

namespace {

// The keys split at commas and blanks; a quoted key keeps its blanks.
std::vector<std::string> SeparaChaves(const std::string& aTexto) {
  std::vector<std::string> chaves;
  std::string atual;
  bool aspas = false;
  for (char c : aTexto) {
    if (c == '"') {
      aspas = !aspas;
    } else if (!aspas && (c == ',' || c == ' ' || c == '\t' || c == '\r' || c == '\n')) {
      if (!atual.empty()) chaves.push_back(atual);
      atual.clear();
    } else {
      atual += c;
    }
  }
  if (!atual.empty()) chaves.push_back(atual);
  return chaves;
}

}  // namespace

std::string TmoxNFeEventos::ConsultarDistribuicaoDFe(const std::string& aCodigoUF, const std::string& aCNPJCPF,
                                                     const std::string& aNSU, TNSUKind aTipoNSU) {
  if (Aparar(aCodigoUF).size() != 2)
    throw EmoxNFeDFeUFInvalidaException("Código da UF deve ter dois digitos.", DiretorioLogErro);
  if (!SomenteNumero(aCodigoUF))
    throw EmoxNFeDFeUFInvalidaException("Código da UF deve conter somente números.", DiretorioLogErro);
  if (aNSU != "0") {
    if (aNSU.size() != 15) throw EmoxNFeDFeNSUInvalidaException("NSU deve conter 15 dígitos.", DiretorioLogErro);
    if (!SomenteNumero(aNSU)) throw EmoxNFeDFeNSUInvalidaException("NSU deve conter somente números.", DiretorioLogErro);
  }
  if (aCNPJCPF.size() != 11 && aCNPJCPF.size() != 14)
    throw EmoxNFeDFeCNPJInvalidoException("Para CNPJ utilize 14 dígitos, para CPF utilize 11 dígitos.",
                                          DiretorioLogErro);
  if (aCNPJCPF.size() == 11 && !Utils().ValidateCPF(aCNPJCPF))
    throw EmoxNFeDFeCPFInvalidoException("CPF é inválido.", DiretorioLogErro);
  if (aCNPJCPF.size() == 14 && !Utils().ValidateCNPJ(aCNPJCPF))
    throw EmoxNFeDFeCNPJInvalidoException("CNPJ é inválido.", DiretorioLogErro);
  try {
    const std::string documento = aCNPJCPF.size() == 11 ? "<CPF>" + aCNPJCPF + "</CPF>" : "<CNPJ>" + aCNPJCPF + "</CNPJ>";
    // "0" (from the start) is written with the 15 digits the layout requires.
    const std::string numero = aNSU == "0" ? std::string(15, '0') : aNSU;
    const std::string nsu = aTipoNSU == TNSUKind::nkUltimo ? "<distNSU><ultNSU>" + numero + "</ultNSU></distNSU>"
                                                           : "<consNSU><NSU>" + numero + "</NSU></consNSU>";
    const std::string pedido =
        moxFormat(LoadTemplate("consulta_distribuicaodfe.xml"), {CodigoAmbiente(), aCodigoUF, documento, nsu});
    return ConsultarDFe(Aparar(pedido), "", "");
  } catch (const std::exception& e) {
    throw EmoxNFeEventosException::CreateFmt("Um problema foi encontrado durante a Consulta de Distribuição DF-e: \"%s\"",
                                             {e.what()}, DiretorioLogErro);
  }
}

std::string TmoxNFeEventos::ConsultarNFeDestinadas(int aIndNFe, int aIndEmi, const std::string& aUltNSU) {
  const std::string ultNSU = Aparar(aUltNSU).empty() ? "0" : aUltNSU;
  if (!Utils().ValidateCNPJ(CNPJ)) throw EmoxNFeEventosCNPJInvalidException("CNPJ é inválido.", DiretorioLogErro);
  if (static_cast<unsigned>(aIndNFe) > 2)
    throw EmoxNFeEventosIndNFeInvalidException("Indicador de NF-e (indNFe) da Consulta é inválido.", DiretorioLogErro);
  if (static_cast<unsigned>(aIndEmi) > 1)
    throw EmoxNFeEventosIndEmiInvalidException("Indicador do Emissor (indEmi) da NF-e é inválido.", DiretorioLogErro);
  if (!SomenteNumero(ultNSU))
    throw EmoxNFeEventosUltNSUInvalidException("Último NSU (ultNSU) deve conter apenas números.", DiretorioLogErro);
  if (ultNSU.size() > 15)
    throw EmoxNFeEventosUltNSUInvalidException("Último NSU (ultNSU) deve conter apenas no máximo 15 dígitos.",
                                               DiretorioLogErro);
  try {
    const std::string pedido =
        moxFormat(LoadTemplate("consulta_nfdestinadas.xml"), {CodigoAmbiente(), CNPJ, aIndNFe, aIndEmi, ultNSU});
    return ConsultarEvento(pedido, "", "");
  } catch (const std::exception& e) {
    throw EmoxNFeEventosException::CreateFmt("Um problema foi encontrado durante a Consulta de NF Destinadas: \"%s\"",
                                             {e.what()}, DiretorioLogErro);
  }
}

std::string TmoxNFeEventos::DownloadNFe(const std::string& aChavesNFe) {
  if (!Utils().ValidateCNPJ(CNPJ)) throw EmoxNFeEventosCNPJInvalidException("CNPJ é inválido.", DiretorioLogErro);
  if (Aparar(aChavesNFe).empty())
    throw EmoxNFeEventosChaveInvalidException("Nenhuma Chave de NF-e foi informada.", DiretorioLogErro);
  const std::vector<std::string> chaves = SeparaChaves(aChavesNFe);
  if (chaves.size() > 10)
    throw EmoxNFeEventoDownloadLimitNotasException("São permitidas no máximo 10 notas por solicitação de download.",
                                                   DiretorioLogErro);
  std::string textoChaves;
  for (const std::string& chave : chaves) {
    if (chave.size() != 44)
      throw EmoxNFeEventosChaveInvalidException("A Chave \"" + chave + "\" é inválida. Deve conter exatamente 44 dígitos",
                                                DiretorioLogErro);
    if (!SomenteNumero(chave))
      throw EmoxNFeEventosChaveInvalidException("A Chave \"" + chave + "\" é inválida. Deve conter apenas números",
                                                DiretorioLogErro);
    textoChaves += "<chNFe>" + chave + "</chNFe>";
  }
  std::string resposta;
  try {
    const std::string pedido = moxFormat(LoadTemplate("evento_downloadNFe.xml"), {CodigoAmbiente(), CNPJ, textoChaves});
    resposta = DownloadNFeEvento(pedido, "", "");
  } catch (const std::exception& e) {
    throw EmoxNFeEventoDownloadNFeException::CreateFmt(
        "Um problema foi encontrado durante o Download da NFe: \"%s\"", {e.what()}, DiretorioLogErro);
  }
  if (Utils().GetValueTag("cStat", resposta) == "139") GravaNotasBaixadas(resposta);
  return resposta;
}

void TmoxNFeEventos::GravaNotasBaixadas(const std::string& aResposta) {
  try {
    const std::string pasta = PastaExpandida(DiretorioDownloads);
    std::filesystem::create_directories(pasta);
    const std::string modelo = LoadTemplate("resposta_eventoDownloadNFe.xml");
    std::vector<std::string> retornos;
    Utils().XPathSelectNodes(aResposta, "//*[local-name()=\"retNFe\"]", retornos);
    for (const std::string& ret : retornos) {
      if (Utils().GetValueTag("cStat", ret) != "140") continue;
      std::string nota, protocolo;
      if (ret.find("NFeZip") != std::string::npos) {
        nota = Utils().DecompressBase64Gz(Utils().GetValueTag("NFeZip", ret), true, "");
        protocolo = Utils().DecompressBase64Gz(Utils().GetValueTag("protNFeZip", ret), true, "");
        if (const size_t fim = protocolo.find("?>"); fim != std::string::npos) protocolo.erase(0, fim + 2);
      } else if (ret.find("procNFe") != std::string::npos) {
        Utils().XPathSelectSingleNode(ret, "//*[local-name()=\"NFe\"]", nota, {}, false);
        Utils().XPathSelectSingleNode(ret, "//*[local-name()=\"protNFe\"]", protocolo, {}, false);
      } else {
        continue;
      }
      const std::string arquivo = pasta + Utils().GetValueTag("chNFe", ret) + "-NFe.xml";
      GravaXmlComBom(arquivo, moxFormat(modelo, {nota, protocolo}));
      if (OnDownloadNFe) OnDownloadNFe(arquivo);
    }
  } catch (const std::exception& e) {
    throw EmoxNFeEventoDownloadNFeException::CreateFmt(
        "Um problema foi encontrado durante da descompactação das NFe: \"%s\"", {e.what()}, DiretorioLogErro);
  }
}

}  // namespace mox
