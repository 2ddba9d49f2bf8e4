// DF-e distribution (distDFeInt 1.00 and 1.01): the documents of interest of a CNPJ or CPF, by
// NSU, each gzip-compressed and in base64 as SEFAZ sends them.
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

constexpr size_t kDocumentosPorLote = 50;

std::string NSU(unsigned long long aNumero) {
  std::string texto = std::to_string(aNumero);
  return std::string(15 - texto.size(), '0') + texto;
}

unsigned long long Numero(const std::string& aNSU) { return aNSU.empty() ? 0 : std::stoull(aNSU); }

}  // namespace

TResposta AtendeDistribuicaoDFe(const TChamada& aChamada, TRecursos& aRecursos) {
  TRegrasDocumento regras{"distDFeInt", {"1.01", "1.00"}};
  regras.ExigeCabecalho = false;
  TResposta resposta = NovaResposta(aChamada, regras.Versoes.front());
  std::vector<TDocumentoDFe> entregues;
  unsigned long long ultimo = 0, maior = 0;
  std::string lote;
  Apura(resposta, [&] {
    TDocumentoPedido pedido = PreparaDocumento(aChamada.Soap, aRecursos.Esquemas, regras, aChamada.Secao);
    resposta.VersaoDados = pedido.Versao;
    xmlNodePtr raiz = pedido.Raiz();
    if (Valor(raiz, "tpAmb") != kAmbiente) throw ERejeicao(252);
    const std::string cnpj = Valor(raiz, "CNPJ"), cpf = Valor(raiz, "CPF");
    if (!cnpj.empty() && !IsValidCNPJ(cnpj)) throw ERejeicao(489, cnpj);
    if (!cpf.empty() && !IsValidCPF(cpf)) throw ERejeicao(490, cpf);
    const std::string interessado = cnpj.empty() ? cpf : cnpj;
    const bool mesmoDono = cnpj.empty() ? aChamada.Transmissor == cpf
                                        : aChamada.Transmissor.compare(0, 8, cnpj, 0, 8) == 0;
    if (!mesmoDono) throw ERejeicao(593, interessado);

    auto trava = aRecursos.Estado.Trava();
    const auto& documentos = aRecursos.Estado.DocumentosDFe(interessado);
    maior = documentos.empty() ? 0 : documentos.back().NSU;
    if (xmlNodePtr dist = Elemento(raiz, "distNSU")) {
      ultimo = Numero(Valor(dist, "ultNSU"));
      if (ultimo > maior) throw ERejeicao(589, Valor(dist, "ultNSU"));
      for (const auto& d : documentos)
        if (d.NSU > ultimo && entregues.size() < kDocumentosPorLote) entregues.push_back(d);
    } else if (xmlNodePtr cons = Elemento(raiz, "consNSU")) {
      const unsigned long long pedidoNSU = Numero(Valor(cons, "NSU"));
      if (pedidoNSU > maior) throw ERejeicao(589, Valor(cons, "NSU"));
      for (const auto& d : documentos)
        if (d.NSU == pedidoNSU) entregues.push_back(d);
    } else {
      const std::string chave = Valor(raiz, "consChNFe/chNFe");
      for (const auto& d : documentos)
        if (d.Chave == chave && entregues.size() < kDocumentosPorLote) entregues.push_back(d);
    }
    ultimo = entregues.empty() ? maior : std::max(ultimo, entregues.back().NSU);
    for (const auto& d : entregues) {
      const TDocumentoRenderizado doc = RenderizaDocumentoDFe(d, aRecursos.Estado, pedido.Versao);
      lote += "<docZip NSU=\"" + NSU(d.NSU) + "\" schema=\"" + doc.Esquema + "\">" +
              Base64Encode(GzipCompress(doc.Xml)) + "</docZip>";
    }
    return entregues.empty() ? 137 : 138;
  });
  std::string conteudo = ElementoXml("tpAmb", kAmbiente) + ElementoXml("verAplic", kVerAplic) +
                         ElementoXml("cStat", std::to_string(resposta.CStat)) +
                         ElementoXml("xMotivo", resposta.XMotivo) + ElementoXml("dhResp", DataHoraUTC(aChamada.Agora)) +
                         ElementoXml("ultNSU", NSU(ultimo)) + ElementoXml("maxNSU", NSU(maior));
  if (!lote.empty()) conteudo += "<loteDistDFeInt>" + lote + "</loteDistDFeInt>";
  resposta.Ret = DocumentoNFe("retDistDFeInt", resposta.VersaoDados, conteudo);
  return resposta;
}

}  // namespace mox::sandbox
