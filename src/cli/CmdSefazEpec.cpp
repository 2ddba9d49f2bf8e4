// moxnfe sefaz epec | prorrogacao: the EPEC contingency event of a lot of notes, sent to the
// national environment, and the ICMS-suspension extension requests and their cancellation.
#include <sstream>

#include "cli/CliSefaz.h"
#include "external/FileIO.h"

namespace moxcli {

namespace {

int Epec(const CliArgs& aArgs, CliIo& aIo) {
  if (aArgs.Positional().empty()) throw CliUsageError{"informe os arquivos XML das notas"};
  std::string notas;
  for (const auto& arquivo : aArgs.Positional()) notas += mox::ReadFileBytes(arquivo);
  ClienteSefaz cliente(aArgs);
  mox::TmoxNFe& nfe = cliente.NFe();
  cliente.EmitenteDoCertificado();
  const std::string dataHora = aArgs.OptionOr("data-hora", "");
  if (dataHora.size() != 19) throw CliUsageError{"--data-hora: AAAA-MM-DDThh:mm:ss (hora de Brasília)"};
  const std::string lote = nfe.MontarEPEC(aArgs.OptionOr("lote", "1"), "<lote>" + notas + "</lote>", dataHora,
                                          aArgs.OptionOr("fuso", "-03:00"));
  return MostraResposta(nfe.EnviarEPEC(nfe.AssinarEPEC(lote)), aArgs, aIo, {{"128"}});
}

int Prorrogacao(const CliArgs& aArgs, CliIo& aIo) {
  if (aArgs.Positional().size() != 1 || aArgs.Positional().front().size() != 44)
    throw CliUsageError{"informe a chave de acesso (44 dígitos)"};
  const std::string chave = aArgs.Positional().front();
  const std::string protocolo = aArgs.Required("protocolo");
  const bool segundo = aArgs.OptionOr("prazo", "1") == "2";
  const int sequencia = std::stoi(aArgs.OptionOr("sequencia", "1"));
  ClienteSefaz cliente(aArgs);
  mox::TmoxNFe& nfe = cliente.NFe();
  if (nfe.CNPJ().empty()) nfe.SetCNPJ(chave.substr(6, 14));
  const std::string lote = aArgs.OptionOr("lote", "1");
  if (aArgs.Flag("cancelar")) {
    using C = mox::TTipoCancelamentoPedidoProrrogacao;
    return MostraResposta(nfe.CancelarPedidoProrrogacao(lote, chave, protocolo, "", segundo ? C::tECPP2 : C::tECPP1,
                                                        sequencia, ""),
                          aArgs, aIo, {{"128"}});
  }
  // --itens "NUMERO:QUANTIDADE,NUMERO:QUANTIDADE".
  std::stringstream itens(aArgs.Required("itens"));
  for (std::string item; std::getline(itens, item, ',');) {
    const size_t dois = item.find(':');
    if (dois == std::string::npos) throw CliUsageError{"--itens: NUMERO:QUANTIDADE separados por vírgula, como 1:10.0000"};
    nfe.AdicionarItens(item.substr(0, dois), item.substr(dois + 1));
  }
  using P = mox::TTipoPedidoProrrogacao;
  return MostraResposta(nfe.EnviarPedidoProrrogacao(lote, chave, protocolo, "", chave.substr(0, 2),
                                                    segundo ? P::tEPP2 : P::tEPP1, sequencia, ""),
                        aArgs, aIo, {{"128"}});
}

CliRegistrar epec{{{"sefaz", "epec"},
                   "registra no ambiente nacional o EPEC das notas emitidas em contingência (evento 110140)",
                   "[opções] NOTA.xml... --data-hora AAAA-MM-DDThh:mm:ss",
                   "Um evento por nota (tpEmis 4), assinado e validado; sai com 0 quando cada um é registrado (136).",
                   OpcoesSefaz({{"data-hora", "DATA", "data e hora do evento (hora de Brasília)"},
                                {"fuso", "FUSO", "fuso horário do evento (padrão -03:00)"},
                                {"lote", "NUMERO", "número do lote de eventos (padrão 1)"}}),
                   Epec}};

CliRegistrar prorrogacao{{{"sefaz", "prorrogacao"},
                          "pedido de prorrogação da suspensão do ICMS (eventos 111500/111501) ou seu cancelamento",
                          "[opções] CHAVE --protocolo PROTOCOLO (--itens N:QTDE,... | --cancelar)",
                          "Com --cancelar envia o cancelamento do pedido (111502/111503) de mesma sequência.",
                          OpcoesSefaz({{"protocolo", "PROTOCOLO", "protocolo de autorização da nota"},
                                       {"itens", "N:QTDE,...", "itens da nota e quantidades, separados por vírgula"},
                                       {"prazo", "1|2", "primeiro (padrão) ou segundo prazo"},
                                       {"sequencia", "N", "sequência do pedido (padrão 1)"},
                                       {"cancelar", "", "cancela o pedido em vez de enviá-lo"},
                                       {"lote", "NUMERO", "número do lote de eventos (padrão 1)"}}),
                          Prorrogacao}};

}  // namespace

}  // namespace moxcli
