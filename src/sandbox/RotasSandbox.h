#pragma once
// Where each service lives: addresses "/ws/<section>/<service>", the SOAP actions each service
// takes and the result element each answers in, and which authorizers offer it.
#include <string>
#include <utility>
#include <vector>

#include "sandbox/SecaoSandbox.h"
#include "sandbox/ServicosSefaz.h"

namespace mox::sandbox {

struct TRota {
  std::string Servico;  // WSDL service and last part of the address
  // Method of the action (empty: the action is the namespace itself) and its result element.
  std::vector<std::pair<std::string, std::string>> Acoes;
  TResposta (*Atende)(const TChamada&, TRecursos&);
  bool NaUF, NaSVC, NoAN;
  bool Distribuicao = false;  // no SOAP header; the result goes inside "nfeDistDFeInteresseResponse"
  // Layout 1.10: the body is the operation's element with texts; the ret document goes back as
  // text in the result element inside "<operation>Response", without a SOAP header.
  bool PrimeiraGeracao = false;
  bool Leiaute400 = false;  // no SOAP header either way: UF and version travel in the document

  std::string Namespace() const;
  bool OferecidaEm(const TSecao& aSecao) const;
  // The result element of the action, empty when the service has no such action. An empty
  // action takes the service's first one.
  std::string ElementoResultado(const std::string& aAcao) const;
};

const std::vector<TRota>& Rotas();
const TRota* RotaDoServico(const std::string& aServico);
// The service of an address "/ws/<section>/<service>"; null for any other address.
const TRota* RotaDoCaminho(const std::string& aCaminho);

// "/ws/<section>/<service>" below the base address.
std::string CaminhoDoServico(const std::string& aSecao, const std::string& aServico);

}  // namespace mox::sandbox
