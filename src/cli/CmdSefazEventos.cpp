// moxnfe sefaz cancelar | carta-correcao | manifestar: events of the issuer and of the
// recipient, signed with the certificate and sent to the event reception; before manual 5.0 a
// note is cancelled by request (cancNFe) instead.
#include "cli/CliSefaz.h"
#include "external/Utf8Text.h"
#include "utils/moxXmlLookup.h"

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

// Manuals 2.0.2a, 3.0 and 4.0 have no cancellation event: the request of their layout, signed,
// to the cancellation service; later manuals use it when asked (--pedido).
bool CancelaPorPedido(mox::TVersaoManual aVersao, const CliArgs& aArgs) {
  return aArgs.Flag("pedido") || aVersao == mox::TVersaoManual::vm202a || aVersao == mox::TVersaoManual::vm30 ||
         aVersao == mox::TVersaoManual::vm40;
}

// The component signs, validates, logs and posts the request and writes the recipient's
// "-can.xml" once SEFAZ accepts it.
int CancelarPorPedido(ClienteSefaz& aCliente, const std::string& aChave, const std::string& aProtocolo,
                      const std::string& aJustificativa, const CliArgs& aArgs, CliIo& aIo) {
  return MostraResposta(aCliente.NFe().CancelarNF(aChave, aProtocolo, aJustificativa), aArgs, aIo, {{"101", "151"}});
}

// The issuer's events are signed by the key's company unless the configuration names one.
void EmitenteDaChave(ClienteSefaz& aCliente, const std::string& aChave) {
  if (aCliente.NFe().CNPJ().empty()) aCliente.NFe().SetCNPJ(aChave.substr(6, 14));
}

// The cancellation event, registered 135 (or 155 out of time).
int CancelarPorEvento(ClienteSefaz& aCliente, const std::string& aChave, const std::string& aProtocolo,
                      const std::string& aJustificativa, const CliArgs& aArgs, CliIo& aIo) {
  EmitenteDaChave(aCliente, aChave);
  const std::string ret = aCliente.NFe().CancelarNFeEvento(aChave, aProtocolo, aJustificativa, "", 1, "",
                                                           aArgs.OptionOr("lote", "1"));
  return MostraResposta(ret, aArgs, aIo, {{"128"}});
}

int Cancelar(const CliArgs& aArgs, CliIo& aIo) {
  const std::string chave = Chave(aArgs);
  const std::string protocolo = aArgs.Required("protocolo");
  const std::string justificativa = TextoObrigatorio(aArgs, "justificativa", "A justificativa");
  ClienteSefaz cliente(aArgs);
  if (CancelaPorPedido(cliente.NFe().VersaoManual(), aArgs))
    return CancelarPorPedido(cliente, chave, protocolo, justificativa, aArgs, aIo);
  return CancelarPorEvento(cliente, chave, protocolo, justificativa, aArgs, aIo);
}

int CartaCorrecao(const CliArgs& aArgs, CliIo& aIo) {
  const std::string chave = Chave(aArgs);
  const std::string correcao = TextoObrigatorio(aArgs, "correcao", "A correção");
  const int sequencia = Sequencia(aArgs);
  ClienteSefaz cliente(aArgs);
  EmitenteDaChave(cliente, chave);
  // The letter's organ is the state of the key.
  const std::string ret = cliente.NFe().EnviarCCe(chave, correcao, "", chave.substr(0, 2), aArgs.OptionOr("lote", "1"),
                                                  sequencia, "");
  return MostraResposta(ret, aArgs, aIo, {{"128"}});
}

int Manifestar(const CliArgs& aArgs, CliIo& aIo) {
  const std::string chave = Chave(aArgs);
  const std::string tipo = aArgs.Required("tipo");
  const int codigo = tipo == "confirmacao"       ? 1
                     : tipo == "ciencia"         ? 2
                     : tipo == "desconhecimento" ? 3
                     : tipo == "nao-realizada"   ? 4
                                                 : 0;
  if (codigo == 0) throw CliUsageError{"--tipo: confirmacao, ciencia, desconhecimento ou nao-realizada"};
  const std::string justificativa =
      codigo == 4 ? TextoObrigatorio(aArgs, "justificativa", "A justificativa") : std::string{};
  ClienteSefaz cliente(aArgs);
  const std::string ret = cliente.NFe().EnviarManifestacaoDestinatario(
      codigo, chave, cliente.DocumentoDoCertificado(), justificativa, "", 1, "", "91");
  return MostraResposta(ret, aArgs, aIo, {{"128"}});
}

const CliOption kLote{"lote", "NUMERO", "número do lote de eventos (padrão 1)"};

CliRegistrar cancelar{{{"sefaz", "cancelar"},
                       "cancela uma NF-e autorizada (evento 110111)",
                       "[opções] CHAVE --protocolo PROTOCOLO --justificativa TEXTO",
                       "Nos Manuais 2.0.2a, 3.0 e 4.0, que não têm o evento, e com --pedido, envia o pedido de\n"
                       "cancelamento (cancNFe) e grava o CHAVE-can.xml do destinatário. Sai com 0 quando o\n"
                       "cancelamento é registrado (135 ou 155) ou homologado (101 ou 151), 3 quando é rejeitado.",
                       OpcoesSefaz({{"protocolo", "PROTOCOLO", "protocolo de autorização da nota"},
                                    {"justificativa", "TEXTO", "motivo do cancelamento (15 a 255 caracteres)"},
                                    {"pedido", "", "cancela pelo pedido de cancelamento (cancNFe) em vez do evento"},
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
