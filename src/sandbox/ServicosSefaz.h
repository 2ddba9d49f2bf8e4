#pragma once
// The services of the sandbox. Each takes one call and gives the ret document of its service;
// SEFAZ's checks end in that document with their rejection code, never in an HTTP error.
#include <string>

#include "sandbox/CatalogoEsquemas.h"
#include "sandbox/EstadoSandbox.h"
#include "sandbox/FalhasSandbox.h"
#include "webservices/moxHoraSefaz.h"
#include "sandbox/MensagemSoap.h"
#include "sandbox/Rejeicao.h"
#include "sandbox/SecaoSandbox.h"
#include "sandbox/VerificacaoAssinatura.h"

namespace mox::sandbox {

// What every service works with.
struct TRecursos {
  EstadoSandbox& Estado;
  const CatalogoEsquemas& Esquemas;
  const VerificadorAssinaturas& Assinaturas;
  FalhasSandbox* Falhas = nullptr;  // the faults chosen at start, if any
};

struct TChamada {
  TSecao Secao;
  std::string Servico;  // the WSDL service addressed, e.g. "NfeAutorizacao"
  TPedidoSoap Soap;
  std::string Transmissor;  // CNPJ (or CPF) of the client certificate
  TInstante Agora;
};

struct TResposta {
  std::string Ret;          // the ret document
  std::string CUF;          // for the answer's header
  std::string VersaoDados;  // idem
  int CStat = 0;
  std::string XMotivo;
  std::string Detalhe;      // why it was rejected, for the log line
};

// The versions a service accepts: "4.00" alone at the services of layout 4.00 (their names end
// in "4"), aAntigas at the older ones.
inline std::vector<std::string> VersoesDoServico(const TChamada& aChamada, std::vector<std::string> aAntigas) {
  if (!aChamada.Servico.empty() && aChamada.Servico.back() == '4') return {"4.00"};
  return aAntigas;
}

// Whether the layout writes dates with time and zone (dhEmi, dhRecbto in UTC): 3.10 and 4.00.
inline bool DataHoraComFuso(const std::string& aVersao) { return aVersao == "3.10" || aVersao == "4.00"; }

// An answer to the call in that version, its header's cUF the authorizer's (or the request's).
inline TResposta NovaResposta(const TChamada& aChamada, const std::string& aVersao) {
  TResposta r;
  r.CUF = aChamada.Secao.CodigoResposta(aChamada.Soap.CUF);
  r.VersaoDados = aVersao;
  return r;
}

// Runs a service's checks, which return the code of success; a rejection gives its own code
// and text.
template <typename Verificacoes>
void Apura(TResposta& aResposta, Verificacoes aVerificacoes) {
  try {
    aResposta.CStat = aVerificacoes();
    aResposta.XMotivo = Motivo(aResposta.CStat);
  } catch (const ERejeicao& e) {
    aResposta.CStat = e.Codigo();
    aResposta.XMotivo = e.what();
    aResposta.Detalhe = e.Detalhe();
  }
}

// The homologation environment and this program's name in verAplic.
inline constexpr const char* kAmbiente = "2";
inline constexpr const char* kVerAplic = "moxnfe-sandbox";

TResposta AtendeStatus(const TChamada& aChamada, TRecursos& aRecursos);
TResposta AtendeEnvioLote(const TChamada& aChamada, TRecursos& aRecursos);  // NfeRecepcao2 and NfeAutorizacao
TResposta AtendeConsultaRecibo(const TChamada& aChamada, TRecursos& aRecursos);
TResposta AtendeConsultaNF(const TChamada& aChamada, TRecursos& aRecursos);
TResposta AtendeCancelamento(const TChamada& aChamada, TRecursos& aRecursos);
TResposta AtendeInutilizacao(const TChamada& aChamada, TRecursos& aRecursos);
TResposta AtendeConsultaCadastro(const TChamada& aChamada, TRecursos& aRecursos);
TResposta AtendeEvento(const TChamada& aChamada, TRecursos& aRecursos);
TResposta AtendeDistribuicaoDFe(const TChamada& aChamada, TRecursos& aRecursos);
TResposta AtendeConsultaDestinadas(const TChamada& aChamada, TRecursos& aRecursos);
TResposta AtendeDownloadNFe(const TChamada& aChamada, TRecursos& aRecursos);

}  // namespace mox::sandbox
