#pragma once
// The SEFAZ web services the component calls: the key that names each one in the servers file,
// per manual version, and the WSDL service, SOAP action and result element it is posted with.
#include <string>
#include <utility>
#include <vector>

#include "base/moxTypes.h"

namespace mox {

enum class TOperacaoSefaz {
  Status,
  EnvioLote,
  EnvioLoteCompactado,
  EnvioSincrono,
  EnvioSincronoCompactado,
  ConsultaRecibo,
  ConsultaNF,
  Cancelamento,
  Inutilizacao,
  ConsultaCadastro,
  RecepcaoEvento,
  DistribuicaoDFe,
  ConsultaDestinadas,
  DownloadNFe,
};

// The WSDL namespaces are this text followed by the service name.
inline constexpr const char* kWsdlBase = "http://www.portalfiscal.inf.br/nfe/wsdl/";

struct TServicoSefaz {
  std::string Chave;      // key of the address in the servers file
  std::string Servico;    // WSDL service, e.g. "NfeStatusServico2"
  std::string Acao;       // the whole SOAP action
  std::string Resultado;  // element of the answer that holds the ret document
  std::string Namespace() const { return kWsdlBase + Servico; }
};

// Raises EmoxNFeException for what the manual version does not offer: the synchronous batch
// before 5.0a. Before 5.0a a compressed batch is sent plain, as the component does.
TServicoSefaz ServicoSefaz(TOperacaoSefaz aOperacao, TVersaoManual aVersao);

// Every key a servers file holds, for every manual version, with the WSDL service it
// addresses; in the order a servers file lists them.
std::vector<std::pair<std::string, std::string>> ChavesDosServidores();

// The event services read this key first and fall back to the one of RecepcaoEvento.
inline constexpr const char* kChaveRecepcaoEvento3 = "nfeRecepcaoEvento3";

}  // namespace mox
