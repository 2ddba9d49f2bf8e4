// moxnfe sefaz cancelar | carta-correcao | manifestar: events of the issuer and of the
// recipient, signed with the certificate and sent to the event reception; before manual 5.0 a
// note is cancelled by request (cancNFe) instead.
#include <chrono>

#include "cli/CliSefaz.h"
#include "external/Utf8Text.h"
#include "utils/moxXmlLookup.h"
#include "webservices/moxHoraSefaz.h"

namespace moxcli {

namespace {

std::string Chave(const CliArgs& aArgs) {
  if (aArgs.Positional().size() != 1 || aArgs.Positional().front().size() != 44)
    throw CliUsageError{"informe a chave de acesso (44 dígitos)"};
  return aArgs.Positional().front();
}

int Sequencia(const CliArgs& aArgs) {
  const std::string texto = aArgs.OptionOr("sequencia", "1");
  int sequencia = 0;
  try {
    sequencia = std::stoi(texto);
  } catch (const std::exception&) {
  }
  if (sequencia < 1 || sequencia > 20) throw CliUsageError{"a sequência do evento vai de 1 a 20: " + texto};
  return sequencia;
}

std::string TextoObrigatorio(const CliArgs& aArgs, const std::string& aOpcao, const std::string& aNome) {
  const std::string texto = aArgs.Required(aOpcao);
  if (mox::CodePointCount(texto) < 15) throw CliUsageError{aNome + " deve ter no mínimo 15 caracteres"};
  return texto;
}

// One event of the national layout: the detail is the filled template of its type.
struct TEvento {
  std::string Orgao, Autor, Chave, Tipo, Detalhe;
  int Sequencia = 1;
};

std::string ComandoDoTipo(const std::string& aTipo) {
  if (aTipo == "110110") return "ENVIOCCE";
  if (aTipo == "110111") return "ENVIOCANCEVENTO";
  return "ENVIOMANDEST";
}

// Signs the event, sends it in a lot of its own and prints the answer.
int EnviaEvento(ClienteSefaz& aCliente, const TEvento& aEvento, const CliArgs& aArgs, CliIo& aIo,
                bool aNacional = false) {
  const std::string sequencia = std::to_string(aEvento.Sequencia);
  const std::string id = "ID" + aEvento.Tipo + aEvento.Chave + (aEvento.Sequencia < 10 ? "0" : "") + sequencia;
  const std::string evento = aCliente.Modelo(
      "evento.xml", {id, aEvento.Orgao, aCliente.Ambiente(), ElementoDocumento(aEvento.Autor), aEvento.Chave,
                     mox::DataHoraUTC(std::chrono::system_clock::now()), aEvento.Tipo, sequencia, aEvento.Detalhe});
  const std::string lote = aCliente.Modelo(
      "evento_lote.xml", {aArgs.OptionOr("lote", "1"), aCliente.NFe().AssinarDocumento(evento, "infEvento")});
  aCliente.Valida(lote, ComandoDoTipo(aEvento.Tipo));
  return MostraResposta(aCliente.EnviaEventos(lote, aNacional), aArgs, aIo, {{"128"}});
}

// The issuer's events: the author is the key's CNPJ and the organ the key's UF.
TEvento EventoDoEmitente(const std::string& aChave, const std::string& aTipo, const std::string& aDetalhe,
                         int aSequencia) {
  return {aChave.substr(0, 2), aChave.substr(6, 14), aChave, aTipo, aDetalhe, aSequencia};
}

// Manuals 2.0.2a, 3.0 and 4.0 have no cancellation event: the request of their layout, signed,
// to the cancellation service.
bool CancelaPorPedido(mox::TVersaoManual aVersao) {
  return aVersao == mox::TVersaoManual::vm202a || aVersao == mox::TVersaoManual::vm30 ||
         aVersao == mox::TVersaoManual::vm40;
}

int CancelarPorPedido(ClienteSefaz& aCliente, const std::string& aChave, const std::string& aProtocolo,
                      const std::string& aJustificativa, const CliArgs& aArgs, CliIo& aIo) {
  const std::string grupo =
      aCliente.Modelo("infcanc_cancelarnf.xml", {"ID" + aChave, aCliente.Ambiente(), aChave,
                                                 mox::EscapeCaracteres(aProtocolo), mox::EscapeCaracteres(aJustificativa)});
  const std::string assinado = aCliente.AssinaPedido("assinar_cancelamento.xml", grupo, "infCanc");
  mox::TmoxNFEInterface& construtor = aCliente.Construtor();
  aCliente.Valida(construtor.GetPedido_CancelarNF(assinado), "CANCELAMENTO");
  return MostraResposta(construtor.CancelarNF(assinado), aArgs, aIo, {{"101"}});
}

int Cancelar(const CliArgs& aArgs, CliIo& aIo) {
  const std::string chave = Chave(aArgs);
  const std::string protocolo = aArgs.Required("protocolo");
  const std::string justificativa = TextoObrigatorio(aArgs, "justificativa", "A justificativa");
  ClienteSefaz cliente(aArgs);
  if (CancelaPorPedido(cliente.NFe().VersaoManual()))
    return CancelarPorPedido(cliente, chave, protocolo, justificativa, aArgs, aIo);
  const std::string detalhe = cliente.Modelo(
      "evento_110111.xml", {mox::EscapeCaracteres(protocolo), mox::EscapeCaracteres(justificativa)});
  return EnviaEvento(cliente, EventoDoEmitente(chave, "110111", detalhe, 1), aArgs, aIo);
}

int CartaCorrecao(const CliArgs& aArgs, CliIo& aIo) {
  const std::string chave = Chave(aArgs);
  const std::string correcao = TextoObrigatorio(aArgs, "correcao", "A correção");
  const int sequencia = Sequencia(aArgs);
  ClienteSefaz cliente(aArgs);
  const std::string detalhe = cliente.Modelo("evento_110110.xml", {mox::EscapeCaracteres(correcao)});
  return EnviaEvento(cliente, EventoDoEmitente(chave, "110110", detalhe, sequencia), aArgs, aIo);
}

int Manifestar(const CliArgs& aArgs, CliIo& aIo) {
  const std::string chave = Chave(aArgs);
  const std::string tipo = aArgs.Required("tipo");
  const std::string codigo = tipo == "confirmacao"       ? "210200"
                             : tipo == "ciencia"         ? "210210"
                             : tipo == "desconhecimento" ? "210220"
                             : tipo == "nao-realizada"   ? "210240"
                                                         : "";
  if (codigo.empty()) throw CliUsageError{"--tipo: confirmacao, ciencia, desconhecimento ou nao-realizada"};
  const std::string justificativa =
      codigo == "210240" ? TextoObrigatorio(aArgs, "justificativa", "A justificativa") : std::string{};
  ClienteSefaz cliente(aArgs);
  // Only "not carried out" has a justification; the other templates take no argument.
  const std::string detalhe = cliente.Modelo("evento_" + codigo + ".xml", {mox::EscapeCaracteres(justificativa)});
  const TEvento evento{"91", cliente.DocumentoDoCertificado(), chave, codigo, detalhe, 1};
  return EnviaEvento(cliente, evento, aArgs, aIo, true);
}

const CliOption kLote{"lote", "NUMERO", "número do lote de eventos (padrão 1)"};

CliRegistrar cancelar{{{"sefaz", "cancelar"},
                       "cancela uma NF-e autorizada (evento 110111)",
                       "[opções] CHAVE --protocolo PROTOCOLO --justificativa TEXTO",
                       "Nos Manuais 2.0.2a, 3.0 e 4.0, que não têm o evento, envia o pedido de cancelamento\n"
                       "(cancNFe). Sai com 0 quando o cancelamento é registrado (135 ou 155) ou homologado (101),\n"
                       "3 quando é rejeitado.",
                       OpcoesSefaz({{"protocolo", "PROTOCOLO", "protocolo de autorização da nota"},
                                    {"justificativa", "TEXTO", "motivo do cancelamento (15 a 255 caracteres)"},
                                    kLote}),
                       Cancelar}};

CliRegistrar cce{{{"sefaz", "carta-correcao"},
                  "envia uma carta de correção (evento 110110)",
                  "[opções] CHAVE --correcao TEXTO [--sequencia N]",
                  "",
                  OpcoesSefaz({{"correcao", "TEXTO", "texto da correção (15 a 1000 caracteres)"},
                               {"sequencia", "N", "número da carta de correção da nota, de 1 a 20 (padrão 1)"},
                               kLote}),
                  CartaCorrecao}};

CliRegistrar manifestar{{{"sefaz", "manifestar"},
                         "manifestação do destinatário no ambiente nacional (eventos 2102x0)",
                         "[opções] CHAVE --tipo TIPO [--justificativa TEXTO]",
                         "O autor é o CNPJ (ou CPF) do certificado, que deve ser o destinatário da nota.",
                         OpcoesSefaz({{"tipo", "TIPO", "confirmacao, ciencia, desconhecimento ou nao-realizada"},
                                      {"justificativa", "TEXTO", "motivo, para nao-realizada (15 a 255 caracteres)"},
                                      kLote}),
                         Manifestar}};

}  // namespace

}  // namespace moxcli
