// The engine's roads to SEFAZ: endpoints from the servers file, envelopes, posts, the logged
// send of a lot and the recipient's event file.
#include <filesystem>
#include <memory>

#include "base/EmoxException.h"
#include "base/moxFormat.h"
#include "events/TmoxEventos.h"
#include "events/TmoxEventosXMLLogs.h"
#include "events/TmoxEventosXMLUtils.h"
#include "events/TmoxEventosXmlDestinatario.h"
#include "external/TmoxIniFile.h"
#include "external/TmoxKivoUtils.h"
#include "external/TmoxKivoX.h"
#include "external/moxPaths.h"
#include "webservices/moxServicosSefaz.h"

namespace mox {

namespace {

std::string Aparado(const std::string& aTexto) {
  const size_t inicio = aTexto.find_first_not_of(" \t\r\n");
  if (inicio == std::string::npos) return {};
  return aTexto.substr(inicio, aTexto.find_last_not_of(" \t\r\n") - inicio + 1);
}
}  // namespace

TmoxIniFile& TmoxEventos::GetServersIni() {
  const std::string arquivo = Ambiente == TAmbienteKind::akProducao ? ArquivoServidoresProd : ArquivoServidoresHom;
  const std::filesystem::path p(arquivo);
  const std::string caminho =
      p.has_parent_path() ? WithTrailingSlash(FUtils.ExpandPath(p.parent_path().string())) + p.filename().string()
                          : FUtils.ExpandPath(arquivo);
  if (!FileExists(caminho))
    throw EmoxFileNotFoundException::CreateFmt("O arquivo de servidores informado não existe: %s", {caminho},
                                               DiretorioLogErro);
  if (!FServersIni || FServersPath != caminho) {
    FServersIni = std::make_unique<TmoxIniFile>(caminho);
    FServersPath = caminho;
  }
  return *FServersIni;
}

std::string TmoxEventos::SecaoDoModo() const {
  switch (ModoOperacao) {
    case TModoOperacao::moSVCAN: return "SVCAN";
    case TModoOperacao::moSVCRS: return "SVCRS";
    default: return UFWS;
  }
}

std::string TmoxEventos::ObterEnderecoWS(const std::string& aNomeWS) {
  TmoxIniFile& ini = GetServersIni();
  const std::string endereco = ini.ReadString(SecaoDoModo(), aNomeWS, "");
  if (endereco.empty())
    throw EmoxEventosAddressException::CreateFmt("Servidor para %s não definido no arquivo: %s",
                                                 {aNomeWS, ini.FileName()}, DiretorioLogErro);
  return endereco;
}

bool TmoxEventos::ChecarEnderecoWs(const std::string& aNomeWS) {
  if (ModoOperacao == TModoOperacao::moEPEC) return false;
  return !GetServersIni().ReadString(SecaoDoModo(), aNomeWS, "").empty();
}

std::string TmoxEventos::EnveloparSoapEnvio(const std::string& aXml) {
  return moxFormat(LoadTemplate("envio.soap"), {CodigoLocal(UF), aXml});
}

std::string TmoxEventos::EnveloparConsultaSoap(const std::string& aXml) {
  return moxFormat(LoadTemplate("pedido_consultanf.soap"), {FUtils.GetValueTag("chNFe", aXml).substr(0, 2), aXml});
}

std::string TmoxEventos::EnveloparConsultaDestSoap(const std::string& aXml) {
  return moxFormat(LoadTemplate("consulta_dest.soap"), {CodigoLocal(UF), aXml});
}

std::string TmoxEventos::EnveloparConsultaDFeSoap(const std::string& aXml) {
  return moxFormat(LoadTemplate("consulta_dfe.soap"), {aXml});
}

std::string TmoxEventos::EnveloparDownloadSoap(const std::string& aXml) {
  return moxFormat(LoadTemplate("evento_downloadNFe.soap"), {CodigoLocal(UF), aXml});
}

std::string TmoxEventos::Posta(const std::string& aChave, const std::string& aEnvelope, const std::string& aServico,
                               const std::string& aMetodo, const std::string& aResultado) {
  const std::string ns = kWsdlBase + aServico;
  return FKivo.PostSOAP(ObterEnderecoWS(aChave), aEnvelope, aMetodo.empty() ? ns : ns + "/" + aMetodo, aResultado, ns);
}

std::string TmoxEventos::EnviarPorSoap(const std::string& aXmlEvento) {
  return EnviarPorSoap(aXmlEvento, ServicoSefaz(TOperacaoSefaz::RecepcaoEvento, VersaoManual).Chave);
}

std::string TmoxEventos::EnviarPorSoap(const std::string& aXmlEvento, const std::string& aNomeWS) {
  const std::string envelope = EnveloparSoapEnvio(aXmlEvento);
  // The service of the manual version (layout 4.00 has an event reception of its own); the older
  // reception is read first from the newer key, as the request builder does.
  const TServicoSefaz servico = ServicoSefaz(TOperacaoSefaz::RecepcaoEvento, VersaoManual);
  const bool recepcao3 = aNomeWS == "nfeRecepcaoEvento" && ChecarEnderecoWs(kChaveRecepcaoEvento3);
  auto posta = [&] {
    const std::string endereco = ObterEnderecoWS(recepcao3 ? std::string(kChaveRecepcaoEvento3) : aNomeWS);
    const std::string ns = GetServersIni().ReadString(UFWS, "TargetNamespaceCCe", servico.Namespace());
    return FKivo.PostSOAP(endereco, envelope, servico.Acao, servico.Resultado, ns);
  };
  try {
    return posta();
  } catch (const std::exception& e) {
    if (std::string(e.what()).find("Not Found (404)") == std::string::npos) throw;
  }
  return posta();
}

std::string TmoxEventos::EnviarConsultaSoap(const std::string& aXml) {
  return Posta("NfeConsulta2", EnveloparConsultaSoap(aXml), "NfeConsulta2", "nfeConsultaNF2", "nfeConsultaNF2Result");
}

std::string TmoxEventos::ConsultarPorSoap(const std::string& aXml) {
  return Posta("nfeConsultaNFDest", EnveloparConsultaDestSoap(aXml), "NfeConsultaDest", "nfeConsultaNFDest",
               "nfeConsultaNFDestResult");
}

std::string TmoxEventos::ConsultarDFePorSoap(const std::string& aXml) {
  return Posta("nfeConsultaDFe", EnveloparConsultaDFeSoap(aXml), "NFeDistribuicaoDFe", "",
               "nfeDistDFeInteresseResult");
}

std::string TmoxEventos::DistribuicaoDFePorSoap(const std::string& aXml) {
  return Posta("nfeDistDFeInteresse", EnveloparConsultaDestSoap(aXml), "NFeDistribuicaoDFe", "nfeDistDFeInteresse",
               "nfeDistDFeInteresseResult");
}

std::string TmoxEventos::DownloadNFeSoap(const std::string& aXml) {
  return Posta("NFeDownloadNf", EnveloparDownloadSoap(Aparado(aXml)), "NfeDownloadNF", "nfeDownloadNF",
               "nfeDownloadNFResult");
}

std::string TmoxEventos::EnviarEvento(const std::string& aIdLote, const std::string& aTemplateEnvio,
                                      const std::string& aCampoMapping, const std::string& aLoteEvento,
                                      const std::string& aLogEnv, const std::string& aLogRet) {
  if (FUtils.RemoveAccents(aIdLote) != aIdLote)
    throw EmoxEventoCheckParams::CreateFmt("Numero do Lote não pode conter acento: %s", {aIdLote}, DiretorioLogErro);
  const std::string sufixoEnv = aLogEnv.empty() ? "env-lot" : aLogEnv;
  const std::string sufixoRet = aLogRet.empty() ? "rec" : aLogRet;
  const std::string lote =
      TmoxEventosXMLUtils::RemoveHeaderXml(moxFormat(LoadTemplate(aTemplateEnvio), {aIdLote, aLoteEvento}));
  ValidarLoteParaEnvio(lote, aCampoMapping);
  FUtils.Log(lote, sufixoEnv, aIdLote, FUtils.GetLogFileName(sufixoEnv, aIdLote), DiretorioLog);
  const std::string resposta = EnviarPorSoap(FUtils.Escape(lote));
  FUtils.Log(resposta, sufixoRet, aIdLote, "", DiretorioLog);
  return resposta;
}

std::string TmoxEventos::CancelarEvento(const std::string& aIdLote, const std::string& aIdNota,
                                        const std::string& aLoteEvento, const std::string& aLogEnv,
                                        const std::string& aLogRet) {
  if (FUtils.RemoveAccents(aIdLote) != aIdLote)
    throw EmoxEventoCheckParams::CreateFmt("Numero do Lote não pode conter acento: %s", {aIdLote}, DiretorioLogErro);
  const std::string sufixoEnv = aLogEnv.empty() ? "caneve-env" : aLogEnv;
  const std::string sufixoRet = aLogRet.empty() ? "caneve-ret" : aLogRet;
  try {
    const std::string lote = TmoxEventosXMLUtils::RemoveHeaderXml(
        moxFormat(LoadTemplate("evento_enviocancelar.xml"), {aIdLote, aLoteEvento}));
    ValidarLoteParaEnvio(lote, "ENVIOCANCEVENTO");
    FUtils.Log(lote, sufixoEnv, aIdNota, FUtils.GetLogFileName(sufixoEnv, aIdNota), DiretorioLog);
    const std::string resposta = EnviarPorSoap(FUtils.Escape(lote));
    FUtils.Log(resposta, sufixoRet, aIdNota, "", DiretorioLog);
    return resposta;
  } catch (const std::exception& e) {
    throw EmoxNFeException(std::string("Erro ao cancelar NF-e por evento: ") + e.what(), DiretorioLogErro);
  }
}

std::string TmoxEventos::ConsultarNFe(const std::string& aChaveNFe) {
  if (FUtils.RemoveAccents(aChaveNFe) != aChaveNFe)
    throw EmoxEventoCheckParams::CreateFmt("ID da Nota não pode conter acentos: %s", {aChaveNFe}, DiretorioLogErro);
  if (Aparado(aChaveNFe).empty()) throw EmoxEventoCheckParams("Favor Informar Chave da NFe.", DiretorioLogErro);
  const std::string pedido = TmoxEventosXMLUtils::RemoveHeaderXml(
      moxFormat(LoadTemplate("pedido_consultanf.xml"), {CodigoAmbiente(), aChaveNFe}));
  ValidarXmlEvento(pedido, "CONSULTANF");
  FUtils.Log(pedido, "ped-sit", aChaveNFe, "", DiretorioLog);
  const std::string nome = FUtils.GetLogFileName("sit", aChaveNFe);
  const std::string resposta = EnviarConsultaSoap(pedido);
  FUtils.Log(resposta, "sit", aChaveNFe, nome, DiretorioLog);
  return resposta;
}

std::string TmoxEventos::ConsultaComLogs(const std::string& aXML, const std::string& aSufixoEnv,
                                         const std::string& aSufixoRet,
                                         void (TmoxEventos::*aValida)(const std::string&),
                                         std::string (TmoxEventos::*aPosta)(const std::string&)) {
  FUtils.Log(aXML, aSufixoEnv, "1", FUtils.GetLogFileName(aSufixoEnv, "1"), DiretorioLog);
  (this->*aValida)(aXML);
  const std::string resposta = (this->*aPosta)(aXML);
  FUtils.Log(resposta, aSufixoRet, "", "", DiretorioLog);
  return resposta;
}

std::string TmoxEventos::ConsultarEvento(const std::string& aXML, const std::string& aLogCons,
                                         const std::string& aLogRet) {
  return ConsultaComLogs(aXML, aLogCons.empty() ? "cons-env" : aLogCons, aLogRet.empty() ? "cons-ret" : aLogRet,
                         &TmoxEventos::ValidarLoteParaConsultaDestinadas, &TmoxEventos::ConsultarPorSoap);
}

std::string TmoxEventos::ConsultarDFe(const std::string& aXML, const std::string& aLogCons, const std::string& aLogRet) {
  return ConsultaComLogs(aXML, aLogCons.empty() ? "env-dfe" : aLogCons, aLogRet.empty() ? "ret-dfe" : aLogRet,
                         &TmoxEventos::ValidarLoteParaDFe, &TmoxEventos::ConsultarDFePorSoap);
}

std::string TmoxEventos::DownloadNFeEvento(const std::string& aXML, const std::string& aLogDown,
                                           const std::string& aLogRet) {
  return ConsultaComLogs(aXML, aLogDown.empty() ? "down-env" : aLogDown, aLogRet.empty() ? "down-ret" : aLogRet,
                         &TmoxEventos::ValidarLoteParaDownloadNFe, &TmoxEventos::DownloadNFeSoap);
}

std::string TmoxEventos::GerarXMLEventoDestinatario(const std::string& aIDEvento, const std::string& aLogEvento,
                                                    const std::string& aLogRetEvento, const std::string& aSalvarComo,
                                                    const std::string& aTemplate) {
  if (aLogRetEvento.empty()) throw EmoxEventoCheckParams("Log de consulta não informado", DiretorioLogErro);
  if (aLogEvento.empty()) throw EmoxEventoCheckParams("Log de envio do evento não informado", DiretorioLogErro);
  TmoxEventosXmlDestinatario destinatario;
  destinatario.Template = LoadTemplate(aTemplate.empty() ? "envioxml_dest.xml" : aTemplate);
  destinatario.IdEvento = aIDEvento;
  destinatario.DiretorioXmlDestinatario = FUtils.ExpandPath(DiretorioXmlDestinatario);
  destinatario.DiretorioLog = FUtils.ExpandPath(DiretorioLog);
  const std::string envio = TmoxEventosXMLLogs::LoadLog(aLogEvento, destinatario.DiretorioLog);
  const std::string retorno = TmoxEventosXMLLogs::LoadLog(aLogRetEvento, destinatario.DiretorioLog);
  if (!FUtils.IsValidXml(envio))
    throw EmoxEventoRetException("O log de envio do evento está inválido ou não foi possível encontrá-lo");
  destinatario.LogEnvio = envio;
  destinatario.LogConsRec = retorno;
  destinatario.SalvarComo = aSalvarComo;
  return destinatario.GerarXmlDestinatario();
}

}  // namespace mox
