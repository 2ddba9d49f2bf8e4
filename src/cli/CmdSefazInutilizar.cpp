// moxnfe sefaz inutilizar: voids a range of numbers never used.
#include <chrono>

#include "cli/CliSefaz.h"
#include "webservices/moxHoraSefaz.h"

namespace moxcli {

namespace {

int Inutilizar(const CliArgs& aArgs, CliIo& aIo) {
  ClienteSefaz cliente(aArgs);
  mox::TmoxNFe& nfe = cliente.NFe();
  const std::string ano = aArgs.OptionOr("ano", mox::Ano2(std::chrono::system_clock::now()));
  std::string cnpj = aArgs.OptionOr("cnpj", "");
  if (cnpj.empty()) cnpj = cliente.DocumentoDoCertificado();
  const std::string modelo = aArgs.OptionOr("modelo", "55"), serie = aArgs.Required("serie");
  const std::string inicio = aArgs.Required("inicio"), fim = aArgs.Required("fim");
  // The component forms the voiding id of the manual version and escapes the justification.
  return MostraResposta(nfe.InutilizarNF("", ano, cnpj, modelo, serie, inicio, fim, aArgs.Required("justificativa")),
                        aArgs, aIo, {{"102"}});
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
