// moxnfe sefaz inutilizar: voids a range of numbers never used.
#include <chrono>

#include "cli/CliSefaz.h"
#include "webservices/moxHoraSefaz.h"

namespace moxcli {

namespace {

int Inutilizar(const CliArgs& aArgs, CliIo& aIo) {
  ClienteSefaz cliente(aArgs);
  mox::TFaixaInutilizacao faixa;
  faixa.CodigoUF = cliente.CodigoUF();
  faixa.Ano = aArgs.OptionOr("ano", mox::Ano2(std::chrono::system_clock::now()));
  faixa.CNPJ = aArgs.OptionOr("cnpj", "");
  if (faixa.CNPJ.empty()) faixa.CNPJ = cliente.DocumentoDoCertificado();
  faixa.Modelo = aArgs.OptionOr("modelo", "55");
  faixa.Serie = aArgs.Required("serie");
  faixa.NumeroInicial = aArgs.Required("inicio");
  faixa.NumeroFinal = aArgs.Required("fim");
  faixa.Justificativa = aArgs.Required("justificativa");
  const std::string versao = cliente.Leiautes().Inutilizacao;
  const std::string pedido = cliente.Assina(mox::PedidoInutilizacao(cliente.Ambiente(), faixa, versao), "infInut");
  return MostraResposta(cliente.Envia(mox::TOperacaoSefaz::Inutilizacao, pedido, versao), aArgs, aIo, {{"102"}});
}

CliRegistrar inutilizar{{{"sefaz", "inutilizar"},
                         "inutiliza uma faixa de números de NF-e nunca usados",
                         "[opções] --serie SERIE --inicio N --fim N --justificativa TEXTO",
                         "Sai com 0 quando a inutilização é homologada (102), 3 quando é rejeitada.",
                         OpcoesSefaz({{"serie", "SERIE", "série das notas"},
                                      {"inicio", "N", "primeiro número da faixa"},
                                      {"fim", "N", "último número da faixa"},
                                      {"justificativa", "TEXTO", "motivo (15 a 255 caracteres)"},
                                      {"ano", "AA", "ano, dois dígitos (padrão: o atual)"},
                                      {"cnpj", "CNPJ", "CNPJ do emitente (padrão: o do certificado)"},
                                      {"modelo", "MODELO", "modelo (padrão 55)"}}),
                         Inutilizar}};

}  // namespace

}  // namespace moxcli
