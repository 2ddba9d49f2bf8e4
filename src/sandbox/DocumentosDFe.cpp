#include "sandbox/DocumentosDFe.h"

#include <stdexcept>

#include "sandbox/EscritaXml.h"

namespace mox::sandbox {

namespace {

std::string SituacaoNFe(const TNotaRegistrada& aNota, const std::string& aVersao) {
  // Layout 1.00 of the summary knows no cancelled situation; the cancellation comes as an event.
  return aNota.Situacao == "cancelada" && aVersao != "1.00" ? "3" : "1";
}

TDocumentoRenderizado ResumoNFe(const TNotaRegistrada& n, const std::string& aVersao) {
  return {DocumentoNFe("resNFe", aVersao,
                       ElementoXml("chNFe", n.Chave) + ElementoCNPJCPF(n.CnpjEmitente) +
                           ElementoXml("xNome", n.NomeEmitente) + ElementoXml("IE", n.IEEmitente) +
                           ElementoXml("dhEmi", ComFuso(n.DhEmi)) + ElementoXml("tpNF", n.TpNF) +
                           ElementoXml("vNF", n.VNF) + ElementoXml("digVal", n.DigVal) +
                           ElementoXml("dhRecbto", ComFuso(n.DhRecbto)) + ElementoXml("nProt", n.NProt) +
                           ElementoXml("cSitNFe", SituacaoNFe(n, aVersao))),
          "resNFe_v" + aVersao + ".xsd"};
}

TDocumentoRenderizado ResumoEvento(const TEventoRegistrado& e, const std::string& aVersao) {
  return {DocumentoNFe("resEvento", aVersao,
                       ElementoXml("cOrgao", e.Orgao) + ElementoCNPJCPF(e.Autor) + ElementoXml("chNFe", e.Chave) +
                           ElementoXml("dhEvento", e.DhEvento) + ElementoXml("tpEvento", e.TpEvento) +
                           ElementoXml("nSeqEvento", e.NSeq) + ElementoXml("xEvento", e.XEvento) +
                           ElementoXml("dhRecbto", e.DhRegEvento) + ElementoXml("nProt", e.NProt)),
          "resEvento_v" + aVersao + ".xsd"};
}

}  // namespace

std::string ComFuso(const std::string& aDataHora) {
  if (aDataHora.size() == 10) return aDataHora + "T00:00:00-03:00";
  if (aDataHora.size() == 19) return aDataHora + "-03:00";
  return aDataHora;
}

TDocumentoRenderizado RenderizaDocumentoDFe(const TDocumentoDFe& aDocumento, const EstadoSandbox& aEstado,
                                            const std::string& aVersaoDistribuicao) {
  const TNotaRegistrada* nota = aEstado.Nota(aDocumento.Chave);
  const TEventoRegistrado* evento = aDocumento.IdEvento.empty() ? nullptr : aEstado.Evento(aDocumento.IdEvento);
  if (!nota || (!aDocumento.IdEvento.empty() && !evento))
    throw std::logic_error("documento de distribuição sem registro: " + aDocumento.Chave);
  if (aDocumento.Tipo == "resNFe") return ResumoNFe(*nota, aVersaoDistribuicao);
  if (aDocumento.Tipo == "procNFe")
    return {DocumentoNFe("nfeProc", nota->Versao, nota->NFe + nota->ProtNFe), "procNFe_v" + nota->Versao + ".xsd"};
  if (aDocumento.Tipo == "resEvento") return ResumoEvento(*evento, aVersaoDistribuicao);
  return {DocumentoNFe("procEventoNFe", "1.00", evento->Evento + evento->RetEvento), "procEventoNFe_v1.00.xsd"};
}

}  // namespace mox::sandbox
