// Event reception (envEvento 1.00): correction letter, cancellation, EPEC, recipient
// manifestation, ICMS-suspension extension requests and their cancellations, and the tax
// authority's answers to them. Each event of the
// lot gets its own answer; the lot is answered 128 once its form is right.
#include <algorithm>
#include <chrono>

#include "external/EKivoException.h"
#include "sandbox/DocumentoPedido.h"
#include "sandbox/EscritaXml.h"
#include "sandbox/LeituraXml.h"
#include "sandbox/ServicosSefaz.h"
#include "sandbox/VerificacaoChave.h"

namespace mox::sandbox {

namespace {

enum class TAutor { Emitente, Destinatario, Fisco };

struct TTipoEvento {
  const char* Codigo;
  const char* Registro;  // xEvento of the answer
  TAutor Autor;
  bool NoAmbienteNacional;  // received at AN rather than at the state (manifestation: both)
  bool NaUF;
  int MaiorSequencia;
};

const TTipoEvento kTipos[] = {
    {"110110", "Carta de Correcao registrada", TAutor::Emitente, false, true, 20},
    {"110111", "Cancelamento registrado", TAutor::Emitente, false, true, 1},
    {"110140", "EPEC autorizado", TAutor::Emitente, true, false, 1},
    {"210200", "Confirmacao da Operacao registrada", TAutor::Destinatario, true, true, 1},
    {"210210", "Ciencia da Operacao registrada", TAutor::Destinatario, true, true, 1},
    {"210220", "Desconhecimento da Operacao registrado", TAutor::Destinatario, true, true, 1},
    {"210240", "Operacao nao Realizada registrada", TAutor::Destinatario, true, true, 1},
    {"111500", "Pedido de Prorrogacao registrado", TAutor::Emitente, false, true, 20},
    {"111501", "Pedido de Prorrogacao registrado", TAutor::Emitente, false, true, 20},
    {"111502", "Cancelamento de Pedido de Prorrogacao registrado", TAutor::Emitente, false, true, 20},
    {"111503", "Cancelamento de Pedido de Prorrogacao registrado", TAutor::Emitente, false, true, 20},
    {"411500", "Resposta do Fisco ao Pedido de Prorrogacao registrada", TAutor::Fisco, false, true, 20},
    {"411501", "Resposta do Fisco ao Pedido de Prorrogacao registrada", TAutor::Fisco, false, true, 20},
    {"411502", "Resposta do Fisco ao Cancelamento de Pedido de Prorrogacao registrada", TAutor::Fisco, false, true, 20},
    {"411503", "Resposta do Fisco ao Cancelamento de Pedido de Prorrogacao registrada", TAutor::Fisco, false, true, 20},
};

constexpr auto kToleranciaRelogio = std::chrono::minutes(5);

const TTipoEvento* TipoEvento(const std::string& aCodigo) {
  for (const auto& t : kTipos)
    if (aCodigo == t.Codigo) return &t;
  return nullptr;
}

bool Manifestacao(const std::string& aTipo) { return aTipo.compare(0, 4, "2102") == 0; }
bool ManifestacaoFinal(const std::string& aTipo) { return aTipo == "210200" || aTipo == "210220" || aTipo == "210240"; }

bool AceitoNaSecao(const TTipoEvento& aTipo, const TSecao& aSecao) {
  switch (aSecao.Tipo) {
    case TTipoSecao::AN: return aTipo.NoAmbienteNacional;
    case TTipoSecao::UF: return aTipo.NaUF;
    case TTipoSecao::SVC: return std::string(aTipo.Codigo) == "110111";
  }
  return false;
}

// The event as read from the lot.
struct TEventoRecebido {
  xmlNodePtr Evento = nullptr, Info = nullptr;
  std::string Id, Orgao, Autor, Chave, DhEvento, Tipo, Sequencia, Versao;
};

TEventoRecebido LeEvento(xmlNodePtr aEvento) {
  TEventoRecebido e;
  e.Evento = aEvento;
  e.Info = Elemento(aEvento, "infEvento");
  e.Id = Atributo(e.Info, "Id");
  e.Orgao = Valor(e.Info, "cOrgao");
  e.Autor = Valor(e.Info, "CNPJ");
  if (e.Autor.empty()) e.Autor = Valor(e.Info, "CPF");
  e.Chave = Valor(e.Info, "chNFe");
  e.DhEvento = Valor(e.Info, "dhEvento");
  e.Tipo = Valor(e.Info, "tpEvento");
  e.Sequencia = Valor(e.Info, "nSeqEvento");
  e.Versao = Valor(e.Info, "verEvento");
  return e;
}

// The event's own detail against the schema of its kind.
void ConfereDetalhe(const TEventoRecebido& aEvento, const CatalogoEsquemas& aEsquemas) {
  const std::string texto = NodeXml(Elemento(aEvento.Info, "detEvento"));
  try {
    aEsquemas.Valida(XmlDocument::Parse(texto), "e" + aEvento.Tipo + "_v" + aEvento.Versao + ".xsd", 493);
  } catch (const EKivoException& e) {
    throw ERejeicao(493, e.what());
  }
}

// The checks that need nothing but the event itself.
void ConfereForma(const TEventoRecebido& aEvento, const TTipoEvento* aTipo, const TChamada& aChamada,
                  const std::map<std::string, TXmlSignatureCheck>& aAssinaturas, const TRecursos& aRecursos) {
  if (!aTipo || !AceitoNaSecao(*aTipo, aChamada.Secao)) throw ERejeicao(491, aEvento.Tipo);
  if (aEvento.Versao != "1.00" || Atributo(aEvento.Evento, "versao") != aEvento.Versao) throw ERejeicao(492);
  ConfereDetalhe(aEvento, aRecursos.Esquemas);
  if (aEvento.Id != IdEvento(aEvento.Tipo, aEvento.Chave, std::stoi(aEvento.Sequencia))) throw ERejeicao(572, aEvento.Id);
  aRecursos.Assinaturas.Confere(aEvento.Info, aAssinaturas, aEvento.Autor, aChamada.Agora);
  if (Valor(aEvento.Info, "tpAmb") != kAmbiente) throw ERejeicao(252);
  const bool orgaoCerto = aChamada.Secao.Tipo == TTipoSecao::SVC ? aChamada.Secao.AtendeUF(aEvento.Orgao)
                                                                  : aEvento.Orgao == aChamada.Secao.CodigoOrgao;
  if (!orgaoCerto) throw ERejeicao(657, "cOrgao " + aEvento.Orgao);
  ConfereDigitoChave(aEvento.Chave);
  if (std::stoi(aEvento.Sequencia) > aTipo->MaiorSequencia) throw ERejeicao(594);
  const auto quando = LeDataHora(aEvento.DhEvento);
  if (quando && *quando > aChamada.Agora + kToleranciaRelogio) throw ERejeicao(578, aEvento.DhEvento);
}

bool Registrado(const EstadoSandbox& aEstado, const TNotaRegistrada& aNota, bool (*aFiltro)(const std::string&)) {
  return std::any_of(aNota.Eventos.begin(), aNota.Eventos.end(),
                     [&](const std::string& id) { return aFiltro(aEstado.Evento(id)->TpEvento); });
}

// The checks against the note and what was registered before. Runs under the state's lock.
void ConfereSituacao(const TEventoRecebido& aEvento, const TTipoEvento& aTipo, const EstadoSandbox& aEstado) {
  if (aEstado.Evento(aEvento.Id)) throw ERejeicao(573, aEvento.Id);
  const TNotaRegistrada* nota = aEstado.Nota(aEvento.Chave);
  if (aEvento.Tipo == "110140") {
    if (aEvento.Chave[34] != '4') throw ERejeicao(484, aEvento.Chave);
    // Model, CNPJ, series and number: positions 7 to 34 of the key.
    for (const auto& [id, e] : aEstado.Eventos())
      if (e.TpEvento == "110140" && e.Chave.compare(6, 28, aEvento.Chave, 6, 28) == 0) throw ERejeicao(485, e.Chave);
    return;
  }
  if (!nota) throw ERejeicao(494, aEvento.Chave);
  if (aTipo.Autor == TAutor::Emitente && aEvento.Autor.compare(0, 8, nota->CnpjEmitente, 0, 8) != 0)
    throw ERejeicao(574, aEvento.Autor);
  if (aTipo.Autor == TAutor::Destinatario && aEvento.Autor != nota->DocDestinatario) throw ERejeicao(575, aEvento.Autor);
  // The tax authority answers; neither party of the note may.
  if (aTipo.Autor == TAutor::Fisco && (aEvento.Autor.compare(0, 8, nota->CnpjEmitente, 0, 8) == 0 ||
                                       aEvento.Autor == nota->DocDestinatario))
    throw ERejeicao(576, aEvento.Autor);
  if (const auto emissao = LeDataHora(nota->DhEmi); emissao && LeDataHora(aEvento.DhEvento) < emissao)
    throw ERejeicao(577, aEvento.DhEvento);
  if (Manifestacao(aEvento.Tipo)) {
    if (aEvento.Tipo == "210210" && Registrado(aEstado, *nota, ManifestacaoFinal)) throw ERejeicao(655);
    return;
  }
  if (nota->Situacao == "cancelada") throw ERejeicao(aEvento.Tipo == "110111" ? 420 : 580, aEvento.Chave);
  if (aEvento.Tipo == "110111" && Valor(aEvento.Info, "detEvento/nProt") != nota->NProt)
    throw ERejeicao(222, Valor(aEvento.Info, "detEvento/nProt"));
}

std::string RetEvento(const TEventoRecebido& aEvento, const TTipoEvento* aTipo, const TResposta& aDesfecho,
                      const std::string& aRegistro, const std::string& aNProt, const std::string& aDestinatario) {
  const std::string id = aNProt.empty() ? "" : " Id=\"ID" + aNProt + "\"";
  std::string info = ElementoXml("tpAmb", kAmbiente) + ElementoXml("verAplic", kVerAplic) +
                     ElementoXml("cOrgao", aEvento.Orgao) + ElementoXml("cStat", std::to_string(aDesfecho.CStat)) +
                     ElementoXml("xMotivo", aDesfecho.XMotivo) + ElementoXml("chNFe", aEvento.Chave) +
                     ElementoXml("tpEvento", aEvento.Tipo);
  if (aTipo) info += ElementoXml("xEvento", aTipo->Registro);
  info += ElementoXml("nSeqEvento", aEvento.Sequencia);
  if (!aDestinatario.empty()) info += ElementoCNPJCPF(aDestinatario, "Dest");
  // The EPEC answer names the issuer's state, as its layout requires.
  if (const std::string autor = Valor(aEvento.Info, "detEvento/cOrgaoAutor"); aEvento.Tipo == "110140" && !autor.empty())
    info += ElementoXml("cOrgaoAutor", autor);
  info += ElementoXml("dhRegEvento", aRegistro);
  if (!aNProt.empty()) info += ElementoXml("nProt", aNProt);
  return DocumentoNFe("retEvento", "1.00", "<infEvento" + id + ">" + info + "</infEvento>");
}

// What registering the event changes: the note's situation and events, and the documents the
// parties receive through the DF-e distribution.
void Vincula(const TEventoRegistrado& aEvento, EstadoSandbox& aEstado) {
  const TNotaRegistrada* registrada = aEstado.Nota(aEvento.Chave);
  if (!registrada) return;
  TNotaRegistrada nota = *registrada;
  nota.Eventos.push_back(aEvento.Id);
  if (aEvento.TpEvento == "110111") nota.Situacao = "cancelada";
  aEstado.GravaNota(nota);
  if (Manifestacao(aEvento.TpEvento)) {
    // Once the recipient has manifested itself, it may have the whole note.
    if (aEvento.TpEvento == "210200" || aEvento.TpEvento == "210210")
      aEstado.NovoDocumentoDFe(nota.DocDestinatario, TDocumentoDFe{0, "procNFe", nota.Chave, ""});
    aEstado.NovoDocumentoDFe(nota.CnpjEmitente, TDocumentoDFe{0, "resEvento", nota.Chave, aEvento.Id});
  } else if (!nota.DocDestinatario.empty()) {
    aEstado.NovoDocumentoDFe(nota.DocDestinatario, TDocumentoDFe{0, "procEventoNFe", nota.Chave, aEvento.Id});
  }
}

std::string AtendeEventoDoLote(const TEventoRecebido& aEvento, const TChamada& aChamada,
                               const std::map<std::string, TXmlSignatureCheck>& aAssinaturas, TRecursos& aRecursos,
                               std::string& aDetalhe) {
  const TTipoEvento* tipo = TipoEvento(aEvento.Tipo);
  const std::string registro = DataHoraUTC(aChamada.Agora);
  TResposta desfecho;
  TEventoRegistrado registrado;
  Apura(desfecho, [&] {
    ConfereForma(aEvento, tipo, aChamada, aAssinaturas, aRecursos);
    auto trava = aRecursos.Estado.Trava();
    ConfereSituacao(aEvento, *tipo, aRecursos.Estado);
    const TNotaRegistrada* nota = aRecursos.Estado.Nota(aEvento.Chave);
    const int codigo = nota ? 135 : 136;
    registrado = TEventoRegistrado{aEvento.Id, aEvento.Chave, aEvento.Tipo, aEvento.Sequencia, aEvento.Orgao,
                                   aEvento.Autor, aEvento.DhEvento, registro,
                                   aRecursos.Estado.NovoProtocolo(aEvento.Orgao, Ano2(aChamada.Agora)),
                                   tipo->Registro, NodeXml(aEvento.Evento), ""};
    TResposta registrada;
    registrada.CStat = codigo;
    registrada.XMotivo = Motivo(codigo);
    const std::string destinatario = nota && tipo->Autor == TAutor::Emitente ? nota->DocDestinatario : "";
    registrado.RetEvento = RetEvento(aEvento, tipo, registrada, registro, registrado.NProt, destinatario);
    aRecursos.Estado.GravaEvento(registrado);
    Vincula(registrado, aRecursos.Estado);
    return codigo;
  });
  if (!desfecho.Detalhe.empty()) aDetalhe += (aDetalhe.empty() ? "" : "; ") + aEvento.Id + ": " + desfecho.Detalhe;
  if (!registrado.RetEvento.empty()) return registrado.RetEvento;
  return RetEvento(aEvento, tipo, desfecho, registro, "", "");
}

}  // namespace

TResposta AtendeEvento(const TChamada& aChamada, TRecursos& aRecursos) {
  const TRegrasDocumento regras{"envEvento", {"1.00"}};
  TResposta resposta = NovaResposta(aChamada, VersaoDaResposta(aChamada.Soap, regras));
  std::string idLote = "0", retornos;
  Apura(resposta, [&] {
    TDocumentoPedido pedido = PreparaDocumento(aChamada.Soap, aRecursos.Esquemas, regras, aChamada.Secao);
    idLote = Valor(pedido.Raiz(), "idLote");
    const auto assinaturas = aRecursos.Assinaturas.VerificaTodas(pedido.Texto);
    for (xmlNodePtr evento : Filhos(pedido.Raiz(), "evento"))
      retornos += AtendeEventoDoLote(LeEvento(evento), aChamada, assinaturas, aRecursos, resposta.Detalhe);
    return 128;
  });
  const std::string orgao = aChamada.Secao.CodigoOrgao.empty() ? resposta.CUF : aChamada.Secao.CodigoOrgao;
  resposta.Ret = DocumentoNFe("retEnvEvento", "1.00",
                              ElementoXml("idLote", idLote) + ElementoXml("tpAmb", kAmbiente) +
                                  ElementoXml("verAplic", kVerAplic) + ElementoXml("cOrgao", orgao) +
                                  ElementoXml("cStat", std::to_string(resposta.CStat)) +
                                  ElementoXml("xMotivo", resposta.XMotivo) + retornos);
  return resposta;
}

}  // namespace mox::sandbox
