// Batch submission (enviNFe 1.10 at the first generation's NfeRecepcao, 2.00 at NfeRecepcao2,
// 3.10 at NfeAutorizacao, plain, compressed, asynchronous or synchronous) and the receipt query
// (consReciNFe).
#include <chrono>

#include "external/XmlDocument.h"
#include "sandbox/DocumentoPedido.h"
#include "sandbox/EscritaXml.h"
#include "sandbox/LeituraXml.h"
#include "sandbox/Rejeicao.h"
#include "sandbox/ServicosSefaz.h"
#include "sandbox/VerificacaoChave.h"

namespace mox::sandbox {

namespace {

constexpr size_t kMaiorMensagem = 500 * 1024;
constexpr auto kToleranciaRelogio = std::chrono::minutes(5);
constexpr auto kAtrasoMaximo = std::chrono::days(30);
const char* kNomeHomologacao = "NF-E EMITIDA EM AMBIENTE DE HOMOLOGACAO - SEM VALOR FISCAL";

// Layout 3.10 writes date-times with their UTC offset; 1.10 and 2.00 in local time.
std::string DataHoraDaVersao(const std::string& aVersao, TInstante aInstante) {
  return aVersao == "3.10" ? DataHoraUTC(aInstante) : DataHoraLocal(aInstante);
}

// The date of emission: a date-time from layout 3.10 on, a date before.
const char* CampoEmissao(const std::string& aVersao) { return aVersao == "3.10" ? "dhEmi" : "dEmi"; }

std::string ProtocoloNFe(const std::string& aVersao, const std::string& aChave, const std::string& aDhRecbto,
                         const std::string& aNProt, const std::string& aDigVal, int aCStat,
                         const std::string& aMotivo) {
  std::string info = ElementoXml("tpAmb", kAmbiente) + ElementoXml("verAplic", kVerAplic) +
                     ElementoXml("chNFe", aChave) + ElementoXml("dhRecbto", aDhRecbto);
  if (!aNProt.empty()) info += ElementoXml("nProt", aNProt);
  if (!aDigVal.empty()) info += ElementoXml("digVal", aDigVal);
  info += ElementoXml("cStat", std::to_string(aCStat)) + ElementoXml("xMotivo", aMotivo);
  const std::string id = aNProt.empty() ? "" : " Id=\"ID" + aNProt + "\"";
  return DocumentoNFe("protNFe", aVersao, "<infProt" + id + ">" + info + "</infProt>");
}

// What a note says about itself, for the state.
TNotaRegistrada DadosDaNota(xmlNodePtr aNFe, const std::string& aChave, const std::string& aVersao) {
  xmlNodePtr inf = Elemento(aNFe, "infNFe");
  xmlNodePtr ide = Elemento(inf, "ide");
  TNotaRegistrada n;
  n.Chave = aChave;
  n.Versao = aVersao;
  n.Situacao = "autorizada";
  n.CnpjEmitente = Valor(inf, "emit/CNPJ");
  if (n.CnpjEmitente.empty()) n.CnpjEmitente = Valor(inf, "emit/CPF");
  n.NomeEmitente = Valor(inf, "emit/xNome");
  n.IEEmitente = Valor(inf, "emit/IE");
  n.UFEmitente = Valor(inf, "emit/enderEmit/UF");
  n.DocDestinatario = Valor(inf, "dest/CNPJ");
  if (n.DocDestinatario.empty()) n.DocDestinatario = Valor(inf, "dest/CPF");
  n.NomeDestinatario = Valor(inf, "dest/xNome");
  n.IEDestinatario = Valor(inf, "dest/IE");
  n.UFDestinatario = Valor(inf, "dest/enderDest/UF");
  n.Modelo = Valor(ide, "mod");
  n.Serie = Valor(ide, "serie");
  n.Numero = Valor(ide, "nNF");
  n.TpNF = Valor(ide, "tpNF");
  n.TpEmis = Valor(ide, "tpEmis");
  n.DhEmi = Valor(ide, CampoEmissao(aVersao));
  n.VNF = Valor(inf, "total/ICMSTot/vNF");
  n.NFe = NodeXml(aNFe);
  return n;
}

// The checks on one note that need nothing but the note: signature, environment, UF and
// emission type of the authorizer, access key, date of emission, homologation rules.
void ConfereNota(xmlNodePtr aInfNFe, const std::string& aVersao, const TChamada& aChamada,
                 const std::map<std::string, TXmlSignatureCheck>& aAssinaturas, const TRecursos& aRecursos,
                 std::string& aDigVal) {
  xmlNodePtr ide = Elemento(aInfNFe, "ide");
  std::string emitente = Valor(aInfNFe, "emit/CNPJ");
  if (emitente.empty()) emitente = Valor(aInfNFe, "emit/CPF");
  aDigVal = aRecursos.Assinaturas.Confere(aInfNFe, aAssinaturas, emitente, aChamada.Agora);
  if (Valor(ide, "tpAmb") != kAmbiente) throw ERejeicao(252);
  if (!aChamada.Secao.AtendeUF(Valor(ide, "cUF"))) throw ERejeicao(226, "cUF " + Valor(ide, "cUF"));
  const std::string tpEmis = Valor(ide, "tpEmis");
  const std::string exigido = aChamada.Secao.TipoEmissaoExigido();
  if (!exigido.empty() && tpEmis != exigido) throw ERejeicao(713, "tpEmis " + tpEmis);
  if (exigido.empty() && (tpEmis == "3" || tpEmis == "6" || tpEmis == "7")) throw ERejeicao(570, "tpEmis " + tpEmis);
  ConfereChaveDaNota(aInfNFe, aVersao);

  const std::string textoEmissao = Valor(ide, CampoEmissao(aVersao));
  const auto emissao = LeDataHora(textoEmissao);
  if (emissao && *emissao > aChamada.Agora + kToleranciaRelogio)
    throw ERejeicao(aVersao == "3.10" ? 703 : 212, textoEmissao);
  if (emissao && *emissao < aChamada.Agora - kAtrasoMaximo) throw ERejeicao(228, textoEmissao);

  // The recipient's name in homologation is a rule of the layouts after 1.10.
  xmlNodePtr destinatario = Elemento(aInfNFe, "dest");
  if (aVersao != "1.10" && destinatario && Valor(destinatario, "xNome") != kNomeHomologacao) throw ERejeicao(598);
}

// The checks against what was authorized before, and the authorization itself. Runs under
// the state's lock.
std::string Autoriza(xmlNodePtr aNFe, const std::string& aChave, const std::string& aVersao, const std::string& aNRec,
                     const std::string& aDigVal, const std::string& aRecebimento, const TChamada& aChamada,
                     EstadoSandbox& aEstado) {
  TNotaRegistrada nota = DadosDaNota(aNFe, aChave, aVersao);
  if (const TNotaRegistrada* anterior = aEstado.Nota(aChave)) throw ERejeicao(204, aChave, "", anterior->NRec);
  if (const TNotaRegistrada* mesmoNumero = aEstado.NotaPorNumero(nota.CnpjEmitente, nota.Modelo, nota.Serie, nota.Numero))
    throw ERejeicao(539, aChave, mesmoNumero->Chave, mesmoNumero->NRec);
  if (aEstado.InutilizacaoDe(nota.CnpjEmitente, nota.Modelo, nota.Serie, std::stoll(nota.Numero)))
    throw ERejeicao(206, aChave);
  if (nota.TpEmis == "4" && !aEstado.Evento(IdEvento("110140", aChave, 1))) throw ERejeicao(468, aChave);

  const std::string cUF = aChave.substr(0, 2);
  nota.NRec = aNRec;
  nota.NProt = aEstado.NovoProtocolo(cUF, Ano2(aChamada.Agora));
  nota.DigVal = aDigVal;
  nota.DhRecbto = aRecebimento;
  nota.ProtNFe = ProtocoloNFe(aVersao, aChave, aRecebimento, nota.NProt, aDigVal, 100, Motivo(100));
  aEstado.GravaNota(nota);
  if (!nota.DocDestinatario.empty())
    aEstado.NovoDocumentoDFe(nota.DocDestinatario, TDocumentoDFe{0, "resNFe", aChave, ""});
  return nota.ProtNFe;
}

// Layout 1.10 gives the time of receipt only with the receipt, inside infRec.
std::string RetEnviNFe(const TResposta& aResposta, const std::string& aRecebimento, const std::string& aNRec,
                       const std::string& aProtocolo) {
  const bool v110 = aResposta.VersaoDados == "1.10";
  std::string conteudo = ElementoXml("tpAmb", kAmbiente) + ElementoXml("verAplic", kVerAplic) +
                         ElementoXml("cStat", std::to_string(aResposta.CStat)) +
                         ElementoXml("xMotivo", aResposta.XMotivo) + ElementoXml("cUF", aResposta.CUF);
  if (!v110) conteudo += ElementoXml("dhRecbto", aRecebimento);
  if (!aNRec.empty())
    conteudo += "<infRec>" + ElementoXml("nRec", aNRec) + (v110 ? ElementoXml("dhRecbto", aRecebimento) : "") +
                ElementoXml("tMed", "1") + "</infRec>";
  conteudo += aProtocolo;
  return DocumentoNFe("retEnviNFe", aResposta.VersaoDados, conteudo);
}

}  // namespace

TResposta AtendeEnvioLote(const TChamada& aChamada, TRecursos& aRecursos) {
  TRegrasDocumento regras{"enviNFe", {"3.10", "2.00"}};
  regras.Lote = true;
  if (aChamada.Servico == "NfeRecepcao2") regras.Versoes = {"2.00", "3.10"};
  if (aChamada.Soap.PrimeiraGeracao) regras.Versoes = {"1.10"};
  TResposta resposta = NovaResposta(aChamada, VersaoDaResposta(aChamada.Soap, regras));
  std::string recibo, protocoloSincrono;
  Apura(resposta, [&] {
    if (aChamada.Soap.Dados.size() > kMaiorMensagem) throw ERejeicao(214);
    TDocumentoPedido pedido = PreparaDocumento(aChamada.Soap, aRecursos.Esquemas, regras, aChamada.Secao);
    resposta.VersaoDados = pedido.Versao;
    if (aChamada.Servico == "NfeRecepcao2" && pedido.Versao != "2.00") throw ERejeicao(700);
    if (aChamada.Servico == "NfeAutorizacao" && pedido.Versao == "2.00") throw ERejeicao(239, "lote 2.00");
    const std::vector<xmlNodePtr> notas = Filhos(pedido.Raiz(), "NFe");
    const bool sincrono = Valor(pedido.Raiz(), "indSinc") == "1";
    if (sincrono && notas.size() > 1) throw ERejeicao(764);

    const auto assinaturas = aRecursos.Assinaturas.VerificaTodas(pedido.Texto);
    const std::string recebimento = DataHoraDaVersao(pedido.Versao, aChamada.Agora);
    // The notes are checked one by one; a rejected note does not stop the others.
    std::vector<std::string> protocolos;
    auto trava = aRecursos.Estado.Trava();
    recibo = aRecursos.Estado.NovoRecibo(resposta.CUF);
    for (xmlNodePtr nfe : notas) {
      xmlNodePtr inf = Elemento(nfe, "infNFe");
      const std::string chave = Atributo(inf, "Id").substr(3);
      std::string digVal;
      try {
        ConfereNota(inf, pedido.Versao, aChamada, assinaturas, aRecursos, digVal);
        protocolos.push_back(Autoriza(nfe, chave, pedido.Versao, recibo, digVal, recebimento, aChamada, aRecursos.Estado));
      } catch (const ERejeicao& e) {
        protocolos.push_back(ProtocoloNFe(pedido.Versao, chave, recebimento, "", digVal, e.Codigo(), e.what()));
        resposta.Detalhe += (resposta.Detalhe.empty() ? "" : "; ") + chave + ": " + std::to_string(e.Codigo()) + " " +
                            e.Detalhe();
      }
    }
    aRecursos.Estado.GravaRecibo(
        TReciboLote{recibo, resposta.CUF, pedido.Versao, recebimento, aChamada.Transmissor, protocolos});
    if (!sincrono) return 103;
    protocoloSincrono = protocolos.front();
    return 104;
  });
  if (resposta.CStat != 103) recibo.clear();
  resposta.Ret = RetEnviNFe(resposta, DataHoraDaVersao(resposta.VersaoDados, aChamada.Agora), recibo, protocoloSincrono);
  return resposta;
}

TResposta AtendeConsultaRecibo(const TChamada& aChamada, TRecursos& aRecursos) {
  const TRegrasDocumento regras{"consReciNFe", aChamada.Soap.PrimeiraGeracao ? std::vector<std::string>{"1.10"}
                                               : aChamada.Servico == "NfeRetRecepcao2"
                                                   ? std::vector<std::string>{"2.00", "3.10"}
                                                   : std::vector<std::string>{"3.10", "2.00"}};
  TResposta resposta = NovaResposta(aChamada, VersaoDaResposta(aChamada.Soap, regras));
  std::string nRec = std::string(15, '0');
  std::vector<std::string> protocolos;
  Apura(resposta, [&] {
    TDocumentoPedido pedido = PreparaDocumento(aChamada.Soap, aRecursos.Esquemas, regras, aChamada.Secao);
    resposta.VersaoDados = pedido.Versao;
    nRec = Valor(pedido.Raiz(), "nRec");
    if (Valor(pedido.Raiz(), "tpAmb") != kAmbiente) throw ERejeicao(252);
    auto trava = aRecursos.Estado.Trava();
    const TReciboLote* lote = aRecursos.Estado.Recibo(nRec);
    // The lots of layout 1.10 are known to the first generation's service only, and the others
    // to the newer services.
    if (!lote || (lote->Versao == "1.10") != (pedido.Versao == "1.10")) throw ERejeicao(106, nRec);
    if (!aChamada.Secao.AtendeUF(lote->CUF)) throw ERejeicao(248, nRec);
    if (lote->CnpjTransmissor.compare(0, 8, aChamada.Transmissor, 0, 8) != 0)
      throw ERejeicao(223, "lote de " + lote->CnpjTransmissor + ", consulta de " + aChamada.Transmissor);
    if (aRecursos.Falhas && aRecursos.Falhas->EmProcessamento(nRec)) return 105;
    protocolos = lote->Protocolos;
    return 104;
  });
  std::string conteudo = ElementoXml("tpAmb", kAmbiente) + ElementoXml("verAplic", kVerAplic) +
                         ElementoXml("nRec", nRec) + ElementoXml("cStat", std::to_string(resposta.CStat)) +
                         ElementoXml("xMotivo", resposta.XMotivo) + ElementoXml("cUF", resposta.CUF);
  if (resposta.VersaoDados == "3.10") conteudo += ElementoXml("dhRecbto", DataHoraUTC(aChamada.Agora));
  for (const auto& p : protocolos) conteudo += p;
  resposta.Ret = DocumentoNFe("retConsReciNFe", resposta.VersaoDados, conteudo);
  return resposta;
}

}  // namespace mox::sandbox
