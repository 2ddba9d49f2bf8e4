// Batch submission (asynchronous and synchronous) and the receipt query: checks, logs, the
// pending-send markers and the recipient XML of what SEFAZ authorized.
#include "base/EmoxException.h"
#include "component/TmoxNFe.h"
#include "external/AsciiCase.h"
#include "external/TmoxKivoUtils.h"
#include "external/Utf8Text.h"
#include "utils/TmoxNFeXmlUtils.h"
#include "utils/moxChaveNFe.h"
#include "utils/moxXmlLookup.h"
#include "webservices/TmoxNFEInterface.h"

namespace mox {

namespace {

bool EmBranco(const std::string& aTexto) { return aTexto.find_first_not_of(" \t\r\n") == std::string::npos; }

bool Entre(const std::string& aCStat, std::initializer_list<const char*> aCodigos) {
  for (const char* c : aCodigos)
    if (aCStat == c) return true;
  return false;
}

// The first cStat inside infProt.
std::string CStatDoProtocolo(TmoxKivoUtils& aUtils, const std::string& aResposta) {
  std::string cStat;
  try {
    aUtils.XPathSelectSingleNode(aResposta, "//*[local-name()='infProt']/*[local-name()='cStat']", cStat);
  } catch (const std::exception&) {
    // An answer that is not XML carries no protocol.
  }
  return cStat;
}

}  // namespace

std::string TmoxNFe::Posta(const char* aPrefixo, const std::function<std::string(TmoxNFEInterface&)>& aPost) {
  try {
    GetKivo();
    UpdateNFeData();
    return aPost(GetNFE());
  } catch (const std::exception& e) {
    throw EmoxNFeException(aPrefixo + std::string(e.what()), DiretorioLogErro());
  }
}

std::string TmoxNFe::EnviarNF(const std::string& aNumLote, const std::string& aLoteNotas, bool aCompactado) {
  if (EmBranco(aLoteNotas)) throw EmoxNFeCheckParams("Favor preencher o parâmetro aLoteNotas", DiretorioLogErro());
  UpdateNFeData();
  const std::string lote = ValidarLoteParaEnvio(aNumLote, aLoteNotas);
  const std::string nomeLog = GetKivoUtils().GetLogFileName("env-lot", aNumLote);
  Log(lote, "env-lot", aNumLote, nomeLog);
  SaveFileChavesTemporario(nomeLog);
  const std::string resposta = Posta("Erro ao enviar NF-e: ", [&](TmoxNFEInterface& aConstrutor) {
    return aConstrutor.EnviarNF(aNumLote, lote, aCompactado);
  });
  Log(resposta, "rec", aNumLote);
  const std::string recibo = ObterNumRecibo(resposta);
  if (!recibo.empty() && SalvarLogsEmDisco()) SaveFileTemporario(recibo, nomeLog);
  return resposta;
}

std::string TmoxNFe::EnviarNFSincrono(const std::string& aNumLote, const std::string& aLoteNota, bool aCompactado) {
  if (VersaoManual() < TVersaoManual::vm50a)
    throw EmoxNFeException("Só é possível fazer o envio síncrono de NF-e com versão manual 5.0a ou superior.");
  if (EmBranco(aLoteNota)) throw EmoxNFeCheckParams("Favor preencher o parâmetro aLoteNota", DiretorioLogErro());
  if (TmoxNFeXmlUtils::GetNumNotas(aLoteNota) > 1)
    throw EmoxNFeCheckParams("O lote de notas para envio síncrono deve conter somente uma NF-e", DiretorioLogErro());
  UpdateNFeData();
  std::string lote = ValidarLoteParaEnvio(aNumLote, aLoteNota);
  if (const auto marca = LowerAscii(lote).find("<indsinc>0</indsinc>"); marca != std::string::npos)
    lote.replace(marca, 20, "<indSinc>1</indSinc>");
  const std::string chave = ObterNotaID(aLoteNota);
  const std::string nomeLog = GetKivoUtils().GetLogFileName("env-sinc-lot", chave);
  Log(lote, "env-sinc-lot", chave, nomeLog);
  SaveFileChavesTemporario(nomeLog);
  const std::string resposta = Posta("Erro ao enviar NF-e (síncrono): ", [&](TmoxNFEInterface& aConstrutor) {
    return aConstrutor.EnviarNFSincrono(aNumLote, lote, aCompactado);
  });
  const std::string nomeResposta = GetKivoUtils().GetLogFileName("env-sinc-ret", chave);
  Log(resposta, "rec-sinc", chave, nomeResposta);
  if (Entre(CStatDoProtocolo(GetKivoUtils(), resposta), {"100", "110", "301", "302", "150"}))
    GerarXMLDestinatario(chave, nomeResposta);
  return resposta;
}

std::string TmoxNFe::ConsultarRecibo(const std::string& aNumRecibo) {
  UpdateNFeData();
  CheckCertificate();
  if (CodePointCount(aNumRecibo) != 15)
    throw EmoxNFeCheckParams::CreateFmt("Número do Recibo deve ter exatamente 15 dígitos: %s", {aNumRecibo},
                                        DiretorioLogErro());
  if (GetKivoUtils().RemoveAccents(aNumRecibo) != aNumRecibo)
    throw EmoxNFeCheckParams::CreateFmt("Número do Recibo não pode conter acentos: %s", {aNumRecibo},
                                        DiretorioLogErro());
  GetKivo();
  UpdateNFeData();
  const std::string pedido = GetNFE().GetPedido_ConsultaRecibo(aNumRecibo);
  ValidarXMLNFe(pedido, "CONSULTARECIBO");
  Log(pedido, "ped-rec", aNumRecibo);
  const std::string resposta = Posta("Erro ao consultar recibo: ", [&](TmoxNFEInterface& aConstrutor) {
    return aConstrutor.ConsultarRecibo(aNumRecibo);
  });
  const std::string nomeLog = GetKivoUtils().GetLogFileName("pro-rec", aNumRecibo);
  Log(resposta, "pro-rec", aNumRecibo, nomeLog);
  if (SalvarLogsEmDisco() && Entre(GetValueTag("cStat", resposta), {"104", "110", "301", "302"}))
    GerarXmlDestinatarioNFsAprovadas(aNumRecibo, nomeLog);
  return resposta;
}

}  // namespace mox
