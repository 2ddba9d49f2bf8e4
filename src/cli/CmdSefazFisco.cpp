// moxnfe sefaz resposta-prorrogacao: the tax authority's answer to an ICMS-suspension extension
// request (411500/411501) or to the cancellation of one (411502/411503), signed with the
// authority's certificate.
#include <sstream>

#include "cli/CliSefaz.h"

namespace moxcli {

namespace {

// "A:B:C[:TEXTO]": the fields, the text being everything after the third colon.
std::vector<std::string> Campos(const std::string& aTexto, size_t aMinimo, const std::string& aOpcao) {
  std::vector<std::string> campos;
  size_t inicio = 0;
  while (campos.size() < aMinimo) {
    const size_t dois = aTexto.find(':', inicio);
    if (dois == std::string::npos) break;
    campos.push_back(aTexto.substr(inicio, dois - inicio));
    inicio = dois + 1;
  }
  campos.push_back(aTexto.substr(inicio));
  if (campos.size() < aMinimo) throw CliUsageError{"--" + aOpcao + ": formato inválido: " + aTexto};
  return campos;
}

int RespostaProrrogacao(const CliArgs& aArgs, CliIo& aIo) {
  if (aArgs.Positional().size() != 1 || aArgs.Positional().front().size() != 44)
    throw CliUsageError{"informe a chave de acesso (44 dígitos)"};
  const std::string chave = aArgs.Positional().front();
  const std::string pedido = aArgs.Required("pedido");
  // The answer's type follows the request's: 1115xx is answered by 4115xx.
  if (pedido.size() != 54 || pedido.compare(0, 6, "ID1115") != 0)
    throw CliUsageError{"--pedido: o Id do pedido respondido (ID111500..., ID111501..., ID111502... ou ID111503...)"};
  std::string tipo = pedido.substr(2, 6);
  tipo[0] = '4';
  mox::TRespostaFisco resposta;
  if (auto cancelamento = aArgs.Option("cancelamento")) {
    const auto campos = Campos(*cancelamento, 2, "cancelamento");
    resposta.StatCancPedido = campos[0];
    resposta.JustStatusResp = campos[1];
    if (campos.size() > 2) resposta.JustOutra = campos[2];
  } else {
    resposta.StatPrazo = aArgs.OptionOr("prazo", "1");
    std::stringstream itens(aArgs.Required("itens"));
    for (std::string item; std::getline(itens, item, ',');) {
      const auto campos = Campos(item, 3, "itens");
      resposta.NumItens.push_back(campos[0]);
      resposta.StatPedido.push_back(campos[1]);
      resposta.JustStatus.push_back(campos[2]);
      resposta.JustStaOutra.push_back(campos.size() > 3 ? campos[3] : std::string());
    }
  }
  const std::string texto = aArgs.OptionOr("sequencia", "1");
  if (texto.empty() || texto.size() > 2 || texto.find_first_not_of("0123456789") != std::string::npos)
    throw CliUsageError{"--sequencia: informe um número de 1 a 20: " + texto};
  ClienteSefaz cliente(aArgs);
  cliente.EmitenteDoCertificado();
  mox::TmoxNFe& nfe = cliente.NFe();
  return MostraResposta(nfe.EnviarEventoFisco(aArgs.OptionOr("lote", "1"), chave, pedido, resposta, "",
                                              aArgs.OptionOr("orgao", chave.substr(0, 2)), tipo, std::stoi(texto), ""),
                        aArgs, aIo, {{"128"}});
}

CliRegistrar resposta{{{"sefaz", "resposta-prorrogacao"},
                       "resposta do Fisco a um pedido de prorrogação do ICMS ou ao seu cancelamento (4115xx)",
                       "[opções] CHAVE --pedido ID (--itens N:SITUACAO:MOTIVO[:TEXTO],... | --cancelamento SITUACAO:MOTIVO[:TEXTO])",
                       "Evento do Fisco, assinado com o certificado do órgão (o CNPJ é o do certificado, ou o da\n"
                       "configuração). O tipo vem do pedido respondido: ID111500 e ID111501 (pedidos, respondidos\n"
                       "item a item com --itens) levam 411500 e 411501; ID111502 e ID111503 (cancelamentos, com\n"
                       "--cancelamento) levam 411502 e 411503. SITUACAO é 1 (deferido) ou 2 (indeferido); MOTIVO\n"
                       "é o código da justificativa (1 a 10 nos itens, 1 a 5 no cancelamento); TEXTO, opcional, é\n"
                       "uma justificativa própria (sem vírgulas). Sai com 0 quando o evento é registrado (135).",
                       OpcoesSefaz({{"pedido", "ID", "Id do evento de pedido (ou de cancelamento) respondido"},
                                    {"itens", "N:SITUACAO:MOTIVO[:TEXTO],...", "resposta a cada item do pedido"},
                                    {"prazo", "0|1", "pedido feito após (0) ou dentro (1, padrão) do prazo"},
                                    {"cancelamento", "SITUACAO:MOTIVO[:TEXTO]", "resposta ao cancelamento do pedido"},
                                    {"orgao", "CODIGO", "órgão do evento (padrão: a UF da chave)"},
                                    {"sequencia", "N", "sequência da resposta (padrão 1)"},
                                    {"lote", "NUMERO", "número do lote de eventos (padrão 1)"}}),
                       RespostaProrrogacao}};

}  // namespace

}  // namespace moxcli
