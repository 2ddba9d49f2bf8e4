// moxnfe sefaz cancelar | carta-correcao | manifestar: events of the issuer and of the
// recipient, signed with the certificate and sent to the event reception.
#include <chrono>

#include "cli/CliSefaz.h"
#include "external/Utf8Text.h"
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

// Signs the event, sends it in a lot of its own and prints the answer.
int EnviaEvento(ClienteSefaz& aCliente, mox::TEventoNFe aEvento, const CliArgs& aArgs, CliIo& aIo,
                const std::string& aSecao = {}, const std::string& aCUF = {}) {
  const std::string versao = aCliente.Leiautes().Evento;
  aEvento.Ambiente = aCliente.Ambiente();
  aEvento.DataHora = mox::DataHoraUTC(std::chrono::system_clock::now());
  const std::string assinado = aCliente.Assina(mox::EventoNFe(aEvento, versao), "infEvento");
  const std::string ret = aCliente.Envia(mox::TOperacaoSefaz::RecepcaoEvento,
                                         mox::LoteEventos(aArgs.OptionOr("lote", "1"), {assinado}, versao), versao,
                                         aSecao, aCUF);
  return MostraResposta(ret, aArgs, aIo, {{"128"}});
}

// The issuer's events: the author is the key's CNPJ and the organ the key's UF.
mox::TEventoNFe EventoDoEmitente(const std::string& aChave, const std::string& aTipo, const std::string& aDetalhe,
                                 int aSequencia) {
  mox::TEventoNFe e;
  e.CodigoOrgao = aChave.substr(0, 2);
  e.Autor = aChave.substr(6, 14);
  e.Chave = aChave;
  e.TipoEvento = aTipo;
  e.Detalhe = aDetalhe;
  e.Sequencia = aSequencia;
  return e;
}

int Cancelar(const CliArgs& aArgs, CliIo& aIo) {
  const std::string chave = Chave(aArgs);
  const std::string detalhe = mox::DetalheCancelamento(aArgs.Required("protocolo"),
                                                       TextoObrigatorio(aArgs, "justificativa", "A justificativa"));
  ClienteSefaz cliente(aArgs);
  return EnviaEvento(cliente, EventoDoEmitente(chave, "110111", detalhe, 1), aArgs, aIo);
}

int CartaCorrecao(const CliArgs& aArgs, CliIo& aIo) {
  const std::string chave = Chave(aArgs);
  const std::string detalhe = mox::DetalheCartaCorrecao(TextoObrigatorio(aArgs, "correcao", "A correção"));
  ClienteSefaz cliente(aArgs);
  return EnviaEvento(cliente, EventoDoEmitente(chave, "110110", detalhe, Sequencia(aArgs)), aArgs, aIo);
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
  mox::TEventoNFe e;
  e.CodigoOrgao = "91";
  e.Autor = cliente.DocumentoDoCertificado();
  e.Chave = chave;
  e.TipoEvento = codigo;
  e.Detalhe = mox::DetalheManifestacao(codigo, justificativa);
  return EnviaEvento(cliente, e, aArgs, aIo, "AN", "91");
}

const CliOption kLote{"lote", "NUMERO", "número do lote de eventos (padrão 1)"};

CliRegistrar cancelar{{{"sefaz", "cancelar"},
                       "cancela uma NF-e autorizada (evento 110111)",
                       "[opções] CHAVE --protocolo PROTOCOLO --justificativa TEXTO",
                       "Sai com 0 quando o cancelamento é registrado (135 ou 155), 3 quando é rejeitado.",
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
