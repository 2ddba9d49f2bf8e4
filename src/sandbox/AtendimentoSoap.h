#pragma once
// One HTTP request of a client, whatever the server library: the address picks the authorizer
// and the service, the SOAP action and body must be the service's, and the service's answer
// goes back in a SOAP envelope. Requests that are not SOAP for the service get a SOAP fault;
// unknown addresses get 404.
#include <string>

#include "sandbox/ServicosSefaz.h"

namespace mox::sandbox {

struct TRequisicaoHttp {
  std::string Caminho, Corpo, TipoConteudo, SoapAction;
  std::string Transmissor;  // CNPJ or CPF of the client certificate
};

struct TRespostaHttp {
  int Status = 200;
  std::string Corpo, TipoConteudo;
  std::string Registro;  // one line for the sandbox's log
  bool LoteRecebido = false;  // a batch was recorded (103, or 104 when synchronous)
  bool ConsultaAtendida = false;  // a receipt or key query was answered
  bool DistribuicaoAtendida = false;  // a DF-e distribution query was answered
};

TRespostaHttp AtendeRequisicao(const TRequisicaoHttp& aRequisicao, TRecursos& aRecursos);

}  // namespace mox::sandbox
