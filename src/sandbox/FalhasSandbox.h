#pragma once
// Faults the sandbox injects when told at start, so clients can be tested against what SEFAZ
// and networks really do: a batch accepted whose answer never comes, an answer slower than the
// client waits, an HTTP error with a body that is not SOAP, a receipt still "in processing", a
// batch lost on its way (never recorded), a query answered but its answer lost, an address not
// found (404), a DF-e walk cut off after some answers.
// Each batch fault takes the next batches received, one each, in the order of the options.
#include <map>
#include <mutex>
#include <string>

namespace mox::sandbox {

struct TConfiguracaoFalhas {
  int LotesSemResposta = 0;   // recorded, then the connection is closed without an answer
  int LotesComErroHttp = 0;   // recorded, then HTTP 500 with a body that is not XML
  int LotesAtrasados = 0;     // recorded, then answered AtrasoMs later
  int AtrasoMs = 0;
  int ConsultasEmProcessamento = 0;  // each receipt answers 105 to its first N queries
  int LotesNaoRecebidos = 0;  // the connection is closed before the batch is read: nothing recorded
  int ConsultasSemResposta = 0;  // receipt or key queries answered, then the connection closed
  int Respostas404 = 0;  // the first N requests, whatever the service, answered HTTP 404
  int DistribuicoesAntesDaQueda = 0;  // after N DF-e distribution answers, the next ones are lost
};

enum class TFalhaLote { Nenhuma, SemResposta, ErroHttp, Atraso };

class FalhasSandbox {
 public:
  explicit FalhasSandbox(TConfiguracaoFalhas aConfiguracao = {}) : configuracao_(aConfiguracao) {}

  // The fault of the batch just recorded (consumes it).
  TFalhaLote ProximoLote();
  int AtrasoMs() const { return configuracao_.AtrasoMs; }
  // True while the receipt is still to be answered "in processing" (counts its queries).
  bool EmProcessamento(const std::string& aRecibo);
  // True when the batch arriving is to be lost before it is recorded (consumes it).
  bool LoteNaoRecebido();
  // True when the answer of the query just made is to be lost (consumes it).
  bool ConsultaSemResposta();
  // True when the request arriving is to be answered 404 (consumes it).
  bool Responde404();
  // True when the DF-e distribution answer just made is to be lost (counts the answers).
  bool DistribuicaoSemResposta();

 private:
  std::mutex mutex_;
  TConfiguracaoFalhas configuracao_;
  std::map<std::string, int> consultas_;
  int distribuicoes_ = 0;
};

}  // namespace mox::sandbox
