#include "webservices/moxServicosSefaz.h"

#include "base/EmoxException.h"

namespace mox {

namespace {

using O = TOperacaoSefaz;
using V = TVersaoManual;

TServicoSefaz Servico(std::string aChave, const std::string& aServico, const std::string& aMetodo,
                      std::string aResultado) {
  std::string acao = kWsdlBase + aServico;
  if (!aMetodo.empty()) acao += "/" + aMetodo;
  return {std::move(aChave), aServico, acao, std::move(aResultado)};
}

// Manuals 2.0.2a and 3.0 (layout 1.10): the first generation of services, whose key in the
// servers file is the service itself and whose answer comes in "<method>Result".
TServicoSefaz ServicoLeiaute110(O aOperacao) {
  auto servico = [](const std::string& aChave, const std::string& aServico, const std::string& aMetodo) {
    return Servico(aChave, aServico, aMetodo, aMetodo + "Result");
  };
  switch (aOperacao) {
    case O::Status: return servico("NfeStatusServico", "NfeStatusServico", "nfeStatusServicoNF");
    case O::EnvioLote:
    case O::EnvioLoteCompactado: return servico("NfeRecepcao", "NfeRecepcao", "nfeRecepcaoLote");
    case O::EnvioSincrono:
    case O::EnvioSincronoCompactado:
      throw EmoxNFeException("Só é possível fazer o envio síncrono de NF-e com versão manual 5.0a ou superior.");
    case O::ConsultaRecibo: return servico("NfeRetRecepcao", "NfeRetRecepcao", "nfeRetRecepcao");
    case O::ConsultaNF: return servico("NfeConsulta", "NfeConsulta", "nfeConsultaNF");
    case O::Cancelamento: return servico("NfeCancelamento", "NfeCancelamento", "nfeCancelamentoNF");
    case O::Inutilizacao: return servico("NfeInutilizacao", "NfeInutilizacao", "nfeInutilizacaoNF");
    case O::ConsultaCadastro: return servico("CadConsulta", "CadConsultaCadastro", "consultaCadastro");
    default: break;
  }
  throw EmoxNFeException("Operação sem serviço SEFAZ definido.");
}

// Manuals 4.0 and 5.0 (layout 2.00).
TServicoSefaz Servico20(O aOperacao) {
  switch (aOperacao) {
    case O::Status:
      return Servico("NfeStatusServico2", "NfeStatusServico2", "nfeStatusServicoNF2",
                     "nfeStatusServicoNF2Result");
    case O::EnvioLote:
    case O::EnvioLoteCompactado:
      return Servico("NfeRecepcao2", "NfeRecepcao2", "nfeRecepcaoLote2", "nfeRecepcaoLote2Result");
    case O::EnvioSincrono:
    case O::EnvioSincronoCompactado:
      throw EmoxNFeException("Só é possível fazer o envio síncrono de NF-e com versão manual 5.0a ou superior.");
    case O::ConsultaRecibo:
      return Servico("NfeRetRecepcao2", "NfeRetRecepcao2", "nfeRetRecepcao2",
                     "nfeRetRecepcao2Result");
    case O::ConsultaNF:
      return Servico("NfeConsulta2", "NfeConsulta2", "nfeConsultaNF2", "nfeConsultaNF2Result");
    case O::Cancelamento:
      return Servico("NfeCancelamento2", "NfeCancelamento2", "nfeCancelamentoNF2",
                     "nfeCancelamentoNF2Result");
    case O::Inutilizacao:
      return Servico("NfeInutilizacao2", "NfeInutilizacao2", "nfeInutilizacaoNF2",
                     "nfeInutilizacaoNF2Result");
    case O::ConsultaCadastro:
      // The action of this service is its namespace, without a method.
      return Servico("CadConsulta2", "CadConsultaCadastro2", "", "CadConsultaCadastroNF2Result");
    default:
      break;
  }
  throw EmoxNFeException("Operação sem serviço SEFAZ definido.");
}

TServicoSefaz Servico50a(O aOperacao) {
  switch (aOperacao) {
    case O::Status:
      return Servico("NfeStatusServico3", "NfeStatusServico3", "nfeStatusServicoNF", "nfeStatusServicoNFResult");
    case O::EnvioLote:
    case O::EnvioSincrono:
      return Servico("NfeRecepcao3", "NfeAutorizacao", "NfeAutorizacaoLote", "nfeAutorizacaoLoteResult");
    case O::EnvioLoteCompactado:
      return Servico("NfeRecepcao3", "NfeAutorizacao", "nfeAutorizacaoLoteZip", "nfeAutorizacaoLoteZipResult");
    case O::EnvioSincronoCompactado:
      return Servico("NfeRecepcao3", "NfeAutorizacao", "NfeAutorizacaoLoteZip", "nfeAutorizacaoLoteZipResult");
    case O::ConsultaRecibo:
      return Servico("NfeRetRecepcao3", "NfeRetAutorizacao", "NfeRetAutorizacaoLote", "NfeRetAutorizacaoLoteResult");
    case O::ConsultaNF:
      return Servico("NfeConsulta3", "NfeConsulta3", "nfeConsultaNF", "nfeConsultaNFResult");
    case O::Cancelamento:
      return Servico("NfeCancelamento2", "NfeCancelamento2", "nfeCancelamentoNF2", "nfeCancelamentoNF2Result");
    case O::Inutilizacao:
      return Servico("NfeInutilizacao3", "NfeInutilizacao3", "nfeInutilizacaoNF", "nfeInutilizacaoNFResult");
    case O::ConsultaCadastro:
      return Servico("CadConsulta3", "CadConsultaCadastro2", "consultaCadastro2", "consultaCadastro2Result");
    default:
      break;
  }
  throw EmoxNFeException("Operação sem serviço SEFAZ definido.");
}

}  // namespace

TServicoSefaz ServicoSefaz(TOperacaoSefaz aOperacao, TVersaoManual aVersao) {
  // The event and DF-e services are the same under every manual version.
  switch (aOperacao) {
    case O::RecepcaoEvento:
      return Servico("nfeRecepcaoEvento", "RecepcaoEvento", "nfeRecepcaoEvento", "nfeRecepcaoEventoResult");
    case O::DistribuicaoDFe:
      return Servico("nfeConsultaDFe", "NFeDistribuicaoDFe", "", "nfeDistDFeInteresseResult");
    case O::ConsultaDestinadas:
      return Servico("nfeConsultaNFDest", "NfeConsultaDest", "nfeConsultaNFDest", "nfeConsultaNFDestResult");
    case O::DownloadNFe:
      return Servico("NFeDownloadNf", "NfeDownloadNF", "nfeDownloadNF", "nfeDownloadNFResult");
    default:
      break;
  }
  switch (aVersao) {
    case V::vm202a:
    case V::vm30: return ServicoLeiaute110(aOperacao);
    case V::vm40:
    case V::vm50: return Servico20(aOperacao);
    case V::vm50a: break;
  }
  return Servico50a(aOperacao);
}

std::vector<std::pair<std::string, std::string>> ChavesDosServidores() {
  std::vector<std::pair<std::string, std::string>> chaves;
  auto adiciona = [&](const TServicoSefaz& aServico) {
    for (const auto& [chave, servico] : chaves)
      if (chave == aServico.Chave) return;
    chaves.emplace_back(aServico.Chave, aServico.Servico);
  };
  for (O operacao : {O::Status, O::EnvioLote, O::ConsultaRecibo, O::ConsultaNF, O::Cancelamento, O::Inutilizacao,
                     O::ConsultaCadastro})
    for (V versao : {V::vm30, V::vm40, V::vm50a}) adiciona(ServicoSefaz(operacao, versao));
  adiciona(ServicoSefaz(O::RecepcaoEvento, V::vm50a));
  chaves.emplace_back(kChaveRecepcaoEvento3, "RecepcaoEvento");
  for (O operacao : {O::DistribuicaoDFe, O::ConsultaDestinadas, O::DownloadNFe}) adiciona(ServicoSefaz(operacao, V::vm50a));
  // The other key the DF-e distribution is read under.
  chaves.emplace_back("nfeDistDFeInteresse", "NFeDistribuicaoDFe");
  return chaves;
}

}  // namespace mox
