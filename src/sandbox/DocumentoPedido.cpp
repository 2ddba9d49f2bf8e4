#include "sandbox/DocumentoPedido.h"

#include <algorithm>

#include "external/Base64.h"
#include "external/EKivoException.h"
#include "external/Gzip.h"
#include "external/TmoxKivoUtils.h"
#include "external/XmlTreeWalk.h"
#include "sandbox/LeituraXml.h"
#include "sandbox/Rejeicao.h"

namespace mox::sandbox {

namespace {

constexpr size_t kMaiorDescompactado = 8u << 20;

bool SoBrancos(const xmlChar* aTexto) {
  if (!aTexto || !*aTexto) return false;
  for (const xmlChar* p = aTexto; *p; ++p)
    if (*p != ' ' && *p != '\t' && *p != '\r' && *p != '\n') return false;
  return true;
}

bool BrancoNasPontas(const std::string& aTexto) {
  auto branco = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  return !aTexto.empty() && (branco(aTexto.front()) || branco(aTexto.back()));
}

// Blanks and line breaks between tags, which SEFAZ refuses (588).
bool TemBrancosEntreTags(xmlNodePtr aRaiz) {
  bool achou = false;
  ForEachElement(aRaiz, [&](xmlNodePtr aElemento) {
    for (xmlNodePtr c = aElemento->children; c && !achou; c = c->next)
      achou = c->type == XML_TEXT_NODE && SoBrancos(c->content);
  });
  return achou;
}

bool UsaPrefixoNFe(xmlNodePtr aRaiz) {
  return FindElement(aRaiz, [](xmlNodePtr e) {
           return e->ns && e->ns->prefix && e->ns->href &&
                  std::string_view(reinterpret_cast<const char*>(e->ns->href)) == TmoxKivoUtils::kNFeNamespace;
         }) != nullptr;
}

std::string Descompacta(const std::string& aBase64) {
  try {
    return GzipDecompress(Base64Decode(aBase64), kMaiorDescompactado);
  } catch (const EKivoException& e) {
    throw ERejeicao(416, e.what());
  }
}

XmlDocument Analisa(const std::string& aTexto) {
  try {
    return XmlDocument::Parse(aTexto);
  } catch (const EKivoException& e) {
    throw ERejeicao(243, e.what());
  }
}

// The first generation's header: a cabecMsg document valid against its schema (242).
void ConfereCabecMsg(const TPedidoSoap& aSoap, const CatalogoEsquemas& aEsquemas) {
  if (!aSoap.TemCabecalho) throw ERejeicao(242, "nfeCabecMsg ausente");
  XmlDocument cabecalho = [&] {
    try {
      return XmlDocument::Parse(aSoap.CabecMsg);
    } catch (const EKivoException& e) {
      throw ERejeicao(242, e.what());
    }
  }();
  aEsquemas.Valida(cabecalho, "cabecMsg_v1.02.xsd", 242);
}

}  // namespace

std::string VersaoDaResposta(const TPedidoSoap& aSoap, const TRegrasDocumento& aRegras) {
  const auto& v = aRegras.Versoes;
  return std::find(v.begin(), v.end(), aSoap.VersaoDados) != v.end() ? aSoap.VersaoDados : v.front();
}

TDocumentoPedido PreparaDocumento(const TPedidoSoap& aSoap, const CatalogoEsquemas& aEsquemas,
                                  const TRegrasDocumento& aRegras, const TSecao& aSecao) {
  if (aSoap.PrimeiraGeracao) {
    ConfereCabecMsg(aSoap, aEsquemas);
  } else if (aRegras.ExigeCabecalho) {
    if (!aSoap.TemCUF) throw ERejeicao(409);
    if (!aSecao.AtendeUF(aSoap.CUF)) throw ERejeicao(410, "cUF " + aSoap.CUF);
    if (!aSoap.TemVersaoDados) throw ERejeicao(411);
  }

  std::string texto = aSoap.Compactado ? Descompacta(aSoap.Dados) : aSoap.Dados;
  if (BrancoNasPontas(texto)) throw ERejeicao(588, "brancos no início ou no fim da mensagem");
  XmlDocument documento = Analisa(texto);
  xmlNodePtr raiz = documento.Root();
  if (TemBrancosEntreTags(raiz)) throw ERejeicao(588, "brancos ou quebras de linha entre as tags");
  if (UsaPrefixoNFe(raiz)) throw ERejeicao(404);

  if (LocalName(raiz) != aRegras.Raiz) throw ERejeicao(aRegras.Lote ? 565 : 516, "raiz " + std::string(LocalName(raiz)));
  const std::string versao = Atributo(raiz, "versao");
  if (versao.empty()) throw ERejeicao(aRegras.Lote ? 568 : 517);
  const auto& aceitas = aRegras.Versoes;
  if (std::find(aceitas.begin(), aceitas.end(), versao) == aceitas.end())
    throw ERejeicao(versao > *std::max_element(aceitas.begin(), aceitas.end()) ? 238 : 239, "versão " + versao);
  if (aRegras.ExigeCabecalho && aSoap.VersaoDados != versao)
    throw ERejeicao(aRegras.Lote ? 567 : 545, "versaoDados " + aSoap.VersaoDados + ", versão " + versao);

  const std::string esquema = (aRegras.Esquema.empty() ? aRegras.Raiz : aRegras.Esquema) + "_v" + versao + ".xsd";
  aEsquemas.Valida(documento, esquema, aRegras.Lote ? 225 : 215);
  return {std::move(documento), std::move(texto), versao};
}

}  // namespace mox::sandbox
