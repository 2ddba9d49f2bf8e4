#include "sandbox/FalhasSandbox.h"

namespace mox::sandbox {

TFalhaLote FalhasSandbox::ProximoLote() {
  std::lock_guard trava(mutex_);
  auto& c = configuracao_;
  if (c.LotesSemResposta > 0) return --c.LotesSemResposta, TFalhaLote::SemResposta;
  if (c.LotesComErroHttp > 0) return --c.LotesComErroHttp, TFalhaLote::ErroHttp;
  if (c.LotesAtrasados > 0) return --c.LotesAtrasados, TFalhaLote::Atraso;
  return TFalhaLote::Nenhuma;
}

bool FalhasSandbox::EmProcessamento(const std::string& aRecibo) {
  std::lock_guard trava(mutex_);
  return ++consultas_[aRecibo] <= configuracao_.ConsultasEmProcessamento;
}

bool FalhasSandbox::LoteNaoRecebido() {
  std::lock_guard trava(mutex_);
  return configuracao_.LotesNaoRecebidos > 0 && configuracao_.LotesNaoRecebidos-- > 0;
}

bool FalhasSandbox::ConsultaSemResposta() {
  std::lock_guard trava(mutex_);
  return configuracao_.ConsultasSemResposta > 0 && configuracao_.ConsultasSemResposta-- > 0;
}

bool FalhasSandbox::Responde404() {
  std::lock_guard trava(mutex_);
  return configuracao_.Respostas404 > 0 && configuracao_.Respostas404-- > 0;
}

bool FalhasSandbox::DistribuicaoSemResposta() {
  std::lock_guard trava(mutex_);
  return configuracao_.DistribuicoesAntesDaQueda > 0 && ++distribuicoes_ > configuracao_.DistribuicoesAntesDaQueda;
}

}  // namespace mox::sandbox
