#include "webservices/TmoxNFEInterface.h"

#include "base/EmoxException.h"
#include "base/moxFormat.h"
#include "external/FileIO.h"
#include "external/TmoxIniFile.h"
#include "external/TmoxKivoUtils.h"
#include "external/TmoxKivoX.h"
#include "external/moxPaths.h"

namespace mox {

TmoxNFEInterface::TmoxNFEInterface(TNFeData& aNFeData, TmoxKivoX& aKivo, TmoxKivoUtils& aUtils)
    : FNFeData(&aNFeData), FKivo(&aKivo), FUtils(&aUtils) {}

std::string TmoxNFEInterface::GetWSAddress(const std::string& aWSName) const {
  const TNFeData& d = *FNFeData;
  std::string secao;
  switch (d.ModoOperacao) {
    case TModoOperacao::moNormal: secao = d.UF; break;
    case TModoOperacao::moSVCAN: secao = "SVCAN"; break;
    case TModoOperacao::moSVCRS: secao = "SVCRS"; break;
    case TModoOperacao::moEPEC: break;  // EPEC events go through the event services only
  }
  std::string endereco;
  if (!secao.empty() && d.ServersIni) endereco = d.ServersIni->ReadString(secao, aWSName, "");
  if (endereco.empty()) {
    const std::string arquivo =
        d.ServersIni ? d.ServersIni->FileName()
                     : (d.Ambiente == TAmbienteKind::akProducao ? d.ArquivoServidoresProd : d.ArquivoServidoresHom);
    throw EmoxNFeAddressException::CreateFmt("Servidor para %s não definido no arquivo: %s", {aWSName, arquivo},
                                             DiretorioLogErro);
  }
  return endereco;
}

std::string TmoxNFEInterface::LoadTemplate(const std::string& aFileName) const {
  const std::string path = WithTrailingSlash(FUtils->ExpandPath(FNFeData->DiretorioTemplates + FNFeData->UF)) + aFileName;
  if (!FileExists(path))
    throw EmoxTemplateNotFoundException::CreateFmt("Arquivo de template não encontrado: %s", {path}, DiretorioLogErro);
  return FUtils->RemoveAccents(FUtils->LoadFromFileUTF8(path));
}

std::string TmoxNFEInterface::LimparXML(const std::string& aXMLSujo) {
  std::string xml = aXMLSujo;
  static const std::string kDeclaracao = "<?xml version=\"1.0\"?>";
  if (const auto p = xml.find(kDeclaracao); p != std::string::npos) xml.erase(p, kDeclaracao.size());
  for (auto p = xml.find("\r\n"); p != std::string::npos; p = xml.find("\r\n", p)) xml.erase(p, 2);
  return xml;
}

std::string TmoxNFEInterface::Escape(const std::string& aLote) const { return FUtils->Escape(aLote); }

std::string TmoxNFEInterface::GetPedido_Status() {
  return moxFormat(LoadTemplate("pedido_status.xml"), {FNFeData->AmbienteStr, FNFeData->LocalCode});
}

std::string TmoxNFEInterface::GetPedido_CancelarNF(const std::string& aCancelamentoAssinado) {
  return LimparXML(moxFormat(LoadTemplate("pedido_cancelarnf.xml"), {aCancelamentoAssinado}));
}

std::string TmoxNFEInterface::GetPedido_ConsultarNF(const std::string& aNotaID) {
  return moxFormat(LoadTemplate("pedido_consultanf.xml"), {FNFeData->AmbienteStr, aNotaID});
}

std::string TmoxNFEInterface::GetPedido_ConsultaRecibo(const std::string& aNumRecibo) {
  return moxFormat(LoadTemplate("pedido_consultarecibo.xml"), {FNFeData->AmbienteStr, aNumRecibo});
}

std::string TmoxNFEInterface::GetPedido_InutilizarNF(const std::string& aInutilizacaoAssinado) {
  return LimparXML(moxFormat(LoadTemplate("pedido_inutilizarnf.xml"), {aInutilizacaoAssinado}));
}

std::string TmoxNFEInterface::GetPedido_ConsultaCadastro(const std::string& aUF, const std::string& aXmlDocumento) {
  return moxFormat(LoadTemplate("pedido_consultacadastro.xml"), {aUF, aXmlDocumento});
}

std::string TmoxNFEInterface::StatusDoServico() { return Postar(TOperacaoSefaz::Status, GetPedido_Status()); }

std::string TmoxNFEInterface::CancelarNF(const std::string& aCancelamentoAssinado) {
  return Postar(TOperacaoSefaz::Cancelamento, GetPedido_CancelarNF(aCancelamentoAssinado));
}

std::string TmoxNFEInterface::ConsultarNF(const std::string& aNotaID) {
  return Postar(TOperacaoSefaz::ConsultaNF, GetPedido_ConsultarNF(aNotaID));
}

std::string TmoxNFEInterface::InutilizarNF(const std::string& aInutilizacaoAssinada) {
  return Postar(TOperacaoSefaz::Inutilizacao, GetPedido_InutilizarNF(aInutilizacaoAssinada));
}

std::string TmoxNFEInterface::EnviarNF(const std::string&, const std::string& aLoteNotas, bool) {
  return Postar(TOperacaoSefaz::EnvioLote, aLoteNotas);
}

std::string TmoxNFEInterface::ConsultarRecibo(const std::string& aNumRecibo) {
  return Postar(TOperacaoSefaz::ConsultaRecibo, GetPedido_ConsultaRecibo(aNumRecibo));
}

std::string TmoxNFEInterface::ConsultarCadastro(const std::string& aUF, const std::string& aXmlDocumento) {
  return Postar(TOperacaoSefaz::ConsultaCadastro, GetPedido_ConsultaCadastro(aUF, aXmlDocumento));
}

std::string TmoxNFEInterface::EnviarEvento(const std::string& aLoteEventos) {
  return Postar(TOperacaoSefaz::RecepcaoEvento, aLoteEventos);
}

std::string TmoxNFEInterface::ConsultarDFe(const std::string& aPedido) {
  const TServicoSefaz servico = ServicoSefaz(TOperacaoSefaz::DistribuicaoDFe, FNFeData->VersaoManual);
  const std::string endereco = GetWSAddress(servico.Chave);
  const std::string envelope = moxFormat(LoadTemplate("consulta_dfe.soap"), {aPedido});
  return FKivo->PostSOAP(endereco, envelope, servico.Acao, servico.Resultado, servico.Namespace());
}

std::string TmoxNFEInterface::EnviarNFSincrono(const std::string&, const std::string&, bool) {
  throw EmoxNFeException("Só é possível fazer o envio síncrono de NF-e com versão manual 5.0a ou superior.",
                         DiretorioLogErro);
}

std::string TmoxNFEInterface::NomeEnvelope(TOperacaoSefaz aOperacao) const {
  using O = TOperacaoSefaz;
  switch (aOperacao) {
    case O::Status: return "pedido_status.soap";
    case O::EnvioLote:
    case O::EnvioSincrono: return "pedido_enviarnfe.soap";
    case O::EnvioLoteCompactado:
    case O::EnvioSincronoCompactado: return "pedido_enviarnfezip.soap";
    case O::ConsultaRecibo: return "pedido_consultarecibo.soap";
    case O::ConsultaNF: return "pedido_consultanf.soap";
    case O::Cancelamento: return "pedido_cancelarnf.soap";
    case O::Inutilizacao: return "pedido_inutilizarnf.soap";
    case O::ConsultaCadastro: return "pedido_consultacadastro.soap";
    case O::RecepcaoEvento: return "envio.soap";
    default: break;
  }
  throw EmoxNFeException("Operação sem envelope SOAP definido.", DiretorioLogErro);
}

std::string TmoxNFEInterface::ChaveDoEndereco(TOperacaoSefaz aOperacao, const TServicoSefaz& aServico) const {
  // The event reception of the newer services is read first, as the event component does.
  if (aOperacao == TOperacaoSefaz::RecepcaoEvento && aServico.Chave == "nfeRecepcaoEvento" && FNFeData->ServersIni &&
      FNFeData->ModoOperacao == TModoOperacao::moNormal &&
      !FNFeData->ServersIni->ReadString(FNFeData->UF, kChaveRecepcaoEvento3, "").empty())
    return kChaveRecepcaoEvento3;
  return aServico.Chave;
}

bool TmoxNFEInterface::PedidoEscapado(TOperacaoSefaz aOperacao) const { return aOperacao != TOperacaoSefaz::Status; }

std::string TmoxNFEInterface::Postar(TOperacaoSefaz aOperacao, const std::string& aPedido) {
  return PostarSemEscape(aOperacao, PedidoEscapado(aOperacao) ? Escape(aPedido) : aPedido);
}

std::string TmoxNFEInterface::PostarSemEscape(TOperacaoSefaz aOperacao, const std::string& aPedido) {
  const TServicoSefaz servico = ServicoSefaz(aOperacao, FNFeData->VersaoManual);
  // The address comes first, so a missing address is reported before a missing template.
  const std::string endereco = GetWSAddress(ChaveDoEndereco(aOperacao, servico));
  // Every envelope template takes the UF code of the header, then the request; a form without
  // that header skips the code ("%.0s").
  const std::string envelope = moxFormat(LoadTemplate(NomeEnvelope(aOperacao)), {FNFeData->LocalCode, aPedido});
  return FKivo->PostSOAP(endereco, envelope, servico.Acao, servico.Resultado, servico.Namespace());
}

}  // namespace mox
