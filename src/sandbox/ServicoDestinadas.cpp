// The recipient's services of the national environment before the DF-e distribution: the
// query of the notes addressed to a CNPJ (consNFeDest 1.01) and their download (downloadNFe
// 1.00), both answered from the state.
#include "external/Base64.h"
#include "external/Gzip.h"
#include "external/TaxIdCheck.h"
#include "sandbox/DocumentoPedido.h"
#include "sandbox/DocumentosDFe.h"
#include "sandbox/EscritaXml.h"
#include "sandbox/LeituraXml.h"
#include "sandbox/ServicosSefaz.h"

namespace mox::sandbox {

namespace {

constexpr size_t kPorConsulta = 50;

std::string Zip(const std::string& aXml) { return Base64Encode(GzipCompress(aXml)); }

// The recipient's manifestation: 0 none, 1 confirmed, 2 unknown operation, 3 not carried
// out, 4 aware of it.
std::string SituacaoManifestacao(const TNotaRegistrada& aNota, const EstadoSandbox& aEstado) {
  char situacao = '0';
  for (const auto& id : aNota.Eventos) {
    const std::string& tipo = aEstado.Evento(id)->TpEvento;
    if (tipo == "210200") situacao = '1';
    if (tipo == "210220") situacao = '2';
    if (tipo == "210240") situacao = '3';
    if (tipo == "210210" && situacao == '0') situacao = '4';
  }
  return std::string(1, situacao);
}

// The query's CNPJ, checked: 489 when invalid, 593 when not the certificate's company.
std::string CnpjDoPedido(xmlNodePtr aRaiz, const TChamada& aChamada) {
  const std::string cnpj = Valor(aRaiz, "CNPJ");
  if (!IsValidCNPJ(cnpj)) throw ERejeicao(489, cnpj);
  if (aChamada.Transmissor.compare(0, 8, cnpj, 0, 8) != 0) throw ERejeicao(593, cnpj);
  return cnpj;
}

// resNFe or resCanc of consNFeDest.
std::string Resumo(const TNotaRegistrada& n, unsigned long long aNSU, const EstadoSandbox& aEstado) {
  const bool cancelada = n.Situacao == "cancelada";
  const std::string nome = cancelada ? "resCanc" : "resNFe";
  return "<" + nome + " NSU=\"" + std::to_string(aNSU) + "\">" + ElementoXml("chNFe", n.Chave) +
         ElementoCNPJCPF(n.CnpjEmitente) + ElementoXml("xNome", n.NomeEmitente) + ElementoXml("IE", n.IEEmitente) +
         ElementoXml("dEmi", n.DhEmi.substr(0, 10)) + ElementoXml("tpNF", n.TpNF) + ElementoXml("vNF", n.VNF) +
         ElementoXml("digVal", n.DigVal) + ElementoXml("dhRecbto", ComFuso(n.DhRecbto).substr(0, 19)) +
         ElementoXml("cSitNFe", cancelada ? "3" : "1") + ElementoXml("cSitConf", SituacaoManifestacao(n, aEstado)) +
         "</" + nome + ">";
}

std::string ResumoCCe(const TEventoRegistrado& e, const TNotaRegistrada& n, unsigned long long aNSU) {
  const auto inicio = e.Evento.find("<xCorrecao>"), fim = e.Evento.find("</xCorrecao>");
  const std::string correcao = inicio == std::string::npos || fim == std::string::npos
                                   ? std::string{}
                                   : e.Evento.substr(inicio + 11, fim - inicio - 11);
  return "<resCCe NSU=\"" + std::to_string(aNSU) + "\">" + ElementoXml("chNFe", e.Chave) +
         ElementoXml("dhEvento", e.DhEvento) + ElementoXml("tpEvento", e.TpEvento) + ElementoXml("nSeqEvento", e.NSeq) +
         ElementoXml("descEvento", "Carta de Correcao") + "<xCorrecao>" + correcao + "</xCorrecao>" +
         ElementoXml("tpNF", n.TpNF) + ElementoXml("dhRecbto", e.DhRegEvento.substr(0, 19)) + "</resCCe>";
}

// Whether the note passes the query's filters: indNFe 1 leaves out confirmed notes, 2 every
// note with a manifestation; indEmi 1 leaves out notes of the same company.
bool Passa(const TNotaRegistrada& aNota, const std::string& aIndNFe, const std::string& aIndEmi,
           const std::string& aCnpj, const EstadoSandbox& aEstado) {
  const std::string manifestacao = SituacaoManifestacao(aNota, aEstado);
  if (aIndNFe == "1" && manifestacao == "1") return false;
  if (aIndNFe == "2" && manifestacao != "0") return false;
  return aIndEmi != "1" || aNota.CnpjEmitente.compare(0, 8, aCnpj, 0, 8) != 0;
}

}  // namespace

TResposta AtendeConsultaDestinadas(const TChamada& aChamada, TRecursos& aRecursos) {
  const TRegrasDocumento regras{"consNFeDest", {"1.01"}};
  TResposta resposta = NovaResposta(aChamada, regras.Versoes.front());
  std::string retornos, indCont = "0";
  unsigned long long ultimo = 0;
  Apura(resposta, [&] {
    TDocumentoPedido pedido = PreparaDocumento(aChamada.Soap, aRecursos.Esquemas, regras, aChamada.Secao);
    xmlNodePtr raiz = pedido.Raiz();
    if (Valor(raiz, "tpAmb") != kAmbiente) throw ERejeicao(252);
    const std::string cnpj = CnpjDoPedido(raiz, aChamada);
    const std::string indNFe = Valor(raiz, "indNFe"), indEmi = Valor(raiz, "indEmi");
    ultimo = std::stoull(Valor(raiz, "ultNSU"));
    auto trava = aRecursos.Estado.Trava();
    size_t quantos = 0;
    for (const auto& d : aRecursos.Estado.DocumentosDFe(cnpj)) {
      if (d.NSU <= ultimo) continue;
      if (quantos == kPorConsulta) {
        indCont = "1";
        break;
      }
      ultimo = d.NSU;
      const TNotaRegistrada* nota = aRecursos.Estado.Nota(d.Chave);
      if (d.Tipo == "resNFe" && Passa(*nota, indNFe, indEmi, cnpj, aRecursos.Estado)) {
        retornos += "<ret>" + Resumo(*nota, d.NSU, aRecursos.Estado) + "</ret>";
        ++quantos;
      } else if (d.Tipo == "procEventoNFe" && aRecursos.Estado.Evento(d.IdEvento)->TpEvento == "110110") {
        retornos += "<ret>" + ResumoCCe(*aRecursos.Estado.Evento(d.IdEvento), *nota, d.NSU) + "</ret>";
        ++quantos;
      }
    }
    return quantos ? 138 : 137;
  });
  resposta.Ret = DocumentoNFe("retConsNFeDest", "1.01",
                              ElementoXml("tpAmb", kAmbiente) + ElementoXml("verAplic", kVerAplic) +
                                  ElementoXml("cStat", std::to_string(resposta.CStat)) +
                                  ElementoXml("xMotivo", resposta.XMotivo) +
                                  ElementoXml("dhResp", DataHoraLocal(aChamada.Agora)) +
                                  (resposta.CStat == 137 || resposta.CStat == 138
                                       ? ElementoXml("indCont", indCont) + ElementoXml("ultNSU", std::to_string(ultimo))
                                       : std::string{}) +
                                  retornos);
  return resposta;
}

TResposta AtendeDownloadNFe(const TChamada& aChamada, TRecursos& aRecursos) {
  const TRegrasDocumento regras{"downloadNFe", {"1.00"}};
  TResposta resposta = NovaResposta(aChamada, regras.Versoes.front());
  std::string retornos;
  Apura(resposta, [&] {
    TDocumentoPedido pedido = PreparaDocumento(aChamada.Soap, aRecursos.Esquemas, regras, aChamada.Secao);
    xmlNodePtr raiz = pedido.Raiz();
    if (Valor(raiz, "tpAmb") != kAmbiente) throw ERejeicao(252);
    const std::string cnpj = CnpjDoPedido(raiz, aChamada);
    auto trava = aRecursos.Estado.Trava();
    for (xmlNodePtr elemento : Filhos(raiz, "chNFe")) {
      const std::string chave = NodeText(elemento);
      TResposta item;
      std::string arquivos;
      Apura(item, [&] {
        const TNotaRegistrada* nota = aRecursos.Estado.Nota(chave);
        if (!nota) throw ERejeicao(217, chave);
        if (nota->DocDestinatario.compare(0, 8, cnpj, 0, 8) != 0) throw ERejeicao(634, chave);
        if (nota->Situacao == "cancelada") throw ERejeicao(653, chave);
        const std::string manifestacao = SituacaoManifestacao(*nota, aRecursos.Estado);
        if (manifestacao != "1" && manifestacao != "4") throw ERejeicao(633, chave);
        arquivos = "<procNFeGrupoZip>" + ElementoXml("NFeZip", Zip(nota->NFe)) +
                   ElementoXml("protNFeZip", Zip(nota->ProtNFe)) + "</procNFeGrupoZip>";
        return 140;
      });
      retornos += "<retNFe>" + ElementoXml("chNFe", chave) + ElementoXml("cStat", std::to_string(item.CStat)) +
                  ElementoXml("xMotivo", item.XMotivo) + arquivos + "</retNFe>";
    }
    return 139;
  });
  resposta.Ret = DocumentoNFe("retDownloadNFe", "1.00",
                              ElementoXml("tpAmb", kAmbiente) + ElementoXml("verAplic", kVerAplic) +
                                  ElementoXml("cStat", std::to_string(resposta.CStat)) +
                                  ElementoXml("xMotivo", resposta.XMotivo) +
                                  ElementoXml("dhResp", DataHoraLocal(aChamada.Agora)) + retornos);
  return resposta;
}

}  // namespace mox::sandbox
