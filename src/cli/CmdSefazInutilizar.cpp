// moxnfe sefaz inutilizar: voids a range of numbers never used.
#include <chrono>

#include "cli/CliSefaz.h"
#include "utils/moxXmlLookup.h"
#include "webservices/moxHoraSefaz.h"

namespace moxcli {

namespace {

std::string Zeros(const std::string& aNumero, size_t aTamanho) {
  return aNumero.size() >= aTamanho ? aNumero : std::string(aTamanho - aNumero.size(), '0') + aNumero;
}

int Inutilizar(const CliArgs& aArgs, CliIo& aIo) {
  ClienteSefaz cliente(aArgs);
  mox::TmoxNFe& nfe = cliente.NFe();
  const std::string ano = aArgs.OptionOr("ano", mox::Ano2(std::chrono::system_clock::now()));
  std::string cnpj = aArgs.OptionOr("cnpj", "");
  if (cnpj.empty()) cnpj = cliente.DocumentoDoCertificado();
  const std::string modelo = aArgs.OptionOr("modelo", "55"), serie = aArgs.Required("serie");
  const std::string inicio = aArgs.Required("inicio"), fim = aArgs.Required("fim");
  // The id carries the year from manual 4.0 on.
  const bool comAno = nfe.VersaoManual() != mox::TVersaoManual::vm202a && nfe.VersaoManual() != mox::TVersaoManual::vm30;
  const std::string id = "ID" + nfe.GetLocalCode() + (comAno ? ano : "") + cnpj + modelo + Zeros(serie, 3) +
                         Zeros(inicio, 9) + Zeros(fim, 9);
  const std::string grupo =
      cliente.Modelo("infinut_inutilizarnf.xml", {id, cliente.Ambiente(), nfe.GetLocalCode(), ano, cnpj, modelo, serie,
                                                  inicio, fim, mox::EscapeCaracteres(aArgs.Required("justificativa"))});
  const std::string assinado = cliente.AssinaPedido("assinar_inutilizacao.xml", grupo, "infInut");
  mox::TmoxNFEInterface& construtor = cliente.Construtor();
  cliente.Valida(construtor.GetPedido_InutilizarNF(assinado), "INUTILIZACAO");
  return MostraResposta(construtor.InutilizarNF(assinado), aArgs, aIo, {{"102"}});
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
