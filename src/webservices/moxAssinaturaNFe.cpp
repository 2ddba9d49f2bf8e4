#include "webservices/moxAssinaturaNFe.h"

#include <algorithm>
#include <optional>
#include <string_view>
#include <vector>

#include "base/EmoxException.h"
#include "base/moxFormat.h"
#include "external/AsciiCase.h"
#include "external/EKivoException.h"
#include "external/TmoxKivoUtils.h"
#include "external/TmoxKivoX.h"
#include "external/Utf8Text.h"
#include "external/XmlDocument.h"
#include "external/XmlTreeWalk.h"
#include "utils/TmoxNFeXmlUtils.h"
#include "utils/moxXmlLookup.h"
#include "webservices/TmoxNFEInterface.h"

namespace mox {

namespace {

void ReplaceAll(std::string& aTexto, const std::string& aDe, const std::string& aPara) {
  for (auto p = aTexto.find(aDe); p != std::string::npos; p = aTexto.find(aDe, p + aPara.size()))
    aTexto.replace(p, aDe.size(), aPara);
}

// Case-insensitive replacement of every occurrence (ASCII letters).
void ReplaceAllIgnoreCase(std::string& aTexto, const std::string& aDe, const std::string& aPara) {
  const std::string de = LowerAscii(aDe);
  std::string minusculo = LowerAscii(aTexto);
  for (auto p = minusculo.find(de); p != std::string::npos; p = minusculo.find(de, p + aPara.size())) {
    aTexto.replace(p, aDe.size(), aPara);
    minusculo.replace(p, de.size(), LowerAscii(aPara));
  }
}

bool Contem(const std::string& aTexto, const char* aParte) { return aTexto.find(aParte) != std::string::npos; }

// LimparXMLAssinado of a text the signature service just wrote, so well-formed: without two
// blanks in a row anywhere there is no pair of blanks to take out, and no need to read the
// elements' texts.
void LimparAssinado(std::string& aAssinado) {
  if (Contem(aAssinado, "  ")) RemoveEspacosAssinatura(aAssinado);
  aAssinado = TmoxNFEInterface::LimparXML(aAssinado);
}

// The text of the first Id attribute without namespace in document order, on an element named
// aElemento (any when empty): what ".//*[local-name()="infNFe"]/@Id" and "//@Id" select, read
// with one walk of the tree instead of an XPath evaluation.
std::optional<std::string> PrimeiroId(const XmlDocument& aDoc, std::string_view aElemento) {
  std::optional<std::string> id;
  FindElement(aDoc.Root(), [&](xmlNodePtr aNo) {
    if (!aElemento.empty() && LocalName(aNo) != aElemento) return false;
    const xmlAttrPtr atributo = xmlHasNsProp(aNo, reinterpret_cast<const xmlChar*>("Id"), nullptr);
    if (atributo) id = NodeText(reinterpret_cast<xmlNodePtr>(atributo));
    return atributo != nullptr;
  });
  return id;
}

void ConfereChave(const std::optional<std::string>& aId, const TContextoAssinatura& aContexto) {
  const std::string id = aId.value_or("");
  if (id.size() <= 3) return;
  const bool digitos =
      id.size() == 47 && std::all_of(id.begin() + 3, id.end(), [](char c) { return c >= '0' && c <= '9'; });
  if (!digitos)
    throw EmoxSignatureException("Chave inválida, a chave deve conter apenas números, e conter 44 caracteres",
                                 aContexto.DiretorioLogErro);
}

// A note of the batch, checked and, when possible, already read as it will be signed.
struct NotaDoLote {
  std::string preparada;
  std::optional<XmlDocument> documento;
};

// True when the signing template wraps the note and adds no infNFe and no Id of its own: then
// every infNFe of the prepared document, with its Id, comes from the note.
bool ModeloSoEnvolve(const TContextoAssinatura& aContexto) {
  try {
    const std::string modelo = aContexto.LoadTemplate("assinar_nota.xml");
    return !Contem(modelo, "infNFe") && !Contem(modelo, "Id");
  } catch (const std::exception&) {
    return false;  // the signing loop raises it in its turn
  }
}

// The prepared document of aNota, read in place of the note alone when both readings are bound
// to agree: the preparation leaves the note's text as it is (no "º"), and the note became one
// element and nothing beside it. Otherwise nothing, and the note is read alone.
std::optional<XmlDocument> LerPreparada(const std::string& aNota, std::string& aPreparada, XmlReusableParser& aLeitor,
                                        const TContextoAssinatura& aContexto) {
  if (aNota.empty() || Contem(aNota, "º")) return std::nullopt;
  try {
    aPreparada = PrepararXMLAssinar(aNota, aContexto);
    XmlDocument documento = XmlDocument::Parse(aPreparada, aLeitor);
    const xmlNodePtr nota =
        FindElement(documento.Root(), [](xmlNodePtr aNo) { return LocalName(aNo) == "infNFe"; });
    if (!nota || nota->prev || nota->next) return std::nullopt;
    return documento;
  } catch (const std::exception&) {
    return std::nullopt;  // reading the note alone gives the failure its own words
  }
}

// The key check of every note, before anything is signed. The first notes a batch may hold are
// kept read for signing, so each is read once.
std::vector<NotaDoLote> ConfereChaves(const std::vector<std::string>& aNotas, XmlReusableParser& aLeitor,
                                      const TContextoAssinatura& aContexto) {
  constexpr size_t kNotasPorLote = 50;
  const bool envolve = ModeloSoEnvolve(aContexto);
  std::vector<NotaDoLote> lidas(std::min(aNotas.size(), kNotasPorLote));
  for (size_t i = 0; i < aNotas.size(); ++i) {
    std::string preparada;
    std::optional<XmlDocument> documento;
    if (envolve && i < lidas.size()) documento = LerPreparada(aNotas[i], preparada, aLeitor, aContexto);
    if (documento) {
      ConfereChave(PrimeiroId(*documento, "infNFe"), aContexto);
      lidas[i] = {std::move(preparada), std::move(documento)};
    } else {
      ConfereChave(PrimeiroId(XmlDocument::Parse(aNotas[i], aLeitor), "infNFe"), aContexto);
    }
  }
  return lidas;
}

}  // namespace

std::string PrepararXMLAssinar(const std::string& aNota, const TContextoAssinatura& aContexto) {
  std::string nota = aNota;
  ReplaceAll(nota, "º", "o");
  return moxFormat(aContexto.LoadTemplate("assinar_nota.xml"), {nota, ""});
}

void ValidarRegraDeNegocioNFe(const std::string& aXML, TVersaoManual aVersaoManual, TModoOperacao aModoOperacao,
                              const std::string& aDiretorioLogErro) {
  const std::string tpEmis = GetValueTag("tpEmis", aXML);
  if (aVersaoManual == TVersaoManual::vm40 || aVersaoManual == TVersaoManual::vm50 ||
      aVersaoManual == TVersaoManual::vm50a || aVersaoManual == TVersaoManual::vm60) {
    const bool contingencia = Contem(aXML, "xJust") || Contem(aXML, "dhCon");
    static const char* const kTipos[] = {"1", "2", "3", "4", "5", "6", "7"};
    const bool listado = std::any_of(std::begin(kTipos), std::end(kTipos),
                                     [&](const char* t) { return EqualsIgnoreCase(tpEmis, t); });
    if (tpEmis == "1") {
      if (contingencia)
        throw EmoxNFeException(
            "556 - Rejeição: Justificativa de entrada em contingência não deve ser informada para tipo de emissão "
            "normal",
            aDiretorioLogErro);
    } else if (!listado) {
      throw EmoxNFeException::CreateFmt("Tipo de Emissão %s é válido. Utilize (1,2,3,4 ou 5)", {tpEmis},
                                        aDiretorioLogErro);
    } else {
      if (!contingencia)
        throw EmoxNFeException("557 - Rejeição: A Justificativa de entrada em contingência deve ser informada",
                               aDiretorioLogErro);
      if (CodePointCount(GetValueTag("xJust", aXML)) < 15)
        throw EmoxNFeException("A justificativa para entrada em contingência deve ter no mínimo 15 dígitos.",
                               aDiretorioLogErro);
    }
  }
  switch (aModoOperacao) {
    case TModoOperacao::moSVCAN:
      if (tpEmis != "6")
        throw EmoxNFeModoOperacaoException(
            "No Modo Operação SVCAN (SVC-AN), o tipo emissão (tpEmis) deve ser igual a 6.");
      break;
    case TModoOperacao::moSVCRS:
      if (tpEmis != "7")
        throw EmoxNFeModoOperacaoException(
            "No Modo Operação SVCRS (SVC-RS), o tipo emissão (tpEmis) deve ser igual a 7.");
      break;
    case TModoOperacao::moEPEC:
      if (tpEmis != "4")
        throw EmoxNFeModoOperacaoException("No Modo Operação EPEC, o tipo emissão (tpEmis) deve ser igual a 4.");
      break;
    case TModoOperacao::moNormal: break;
  }
}

void RemoveEspacosAssinatura(std::string& aXmlAssinado) {
  const TmoxKivoUtils utils;
  for (const char* tag : {"KeyInfo", "SignatureValue"}) {
    const std::string original = utils.GetValueTag(tag, aXmlAssinado);
    if (original.empty()) continue;
    std::string limpo = original;
    while (limpo.find("  ") != std::string::npos) ReplaceAll(limpo, "  ", "");
    if (limpo != original) ReplaceAllIgnoreCase(aXmlAssinado, original, limpo);
  }
}

void LimparXMLAssinado(std::string& aXmlSujo) {
  RemoveEspacosAssinatura(aXmlSujo);
  aXmlSujo = TmoxNFEInterface::LimparXML(aXmlSujo);
}

std::string AssinarElementos(const std::string& aXML, const std::string& aElemento, const std::string& aId,
                             const TContextoAssinatura& aContexto) {
  std::vector<std::string> ids;
  if (!aId.empty())
    ids.push_back(aId);
  else
    aContexto.Utils.XPathSelectNodes(aXML, "//*[local-name()=\"" + aElemento + "\"]/@Id", ids, "", true);
  if (ids.empty())
    throw EmoxSignatureException::CreateFmt("Nenhum elemento %s com atributo Id no XML.", {aElemento},
                                            aContexto.DiretorioLogErro);
  aContexto.CheckCertificate();
  aContexto.Kivo.SignerSettings.XmlElement = aElemento;
  std::string assinado;
  try {
    assinado = aContexto.Kivo.SignXmlByIds(aXML, ids);
  } catch (const EKivoException& e) {
    throw EmoxSignatureException(e.what(), aContexto.DiretorioLogErro);
  }
  LimparAssinado(assinado);
  return assinado;
}

std::string AssinarNotas(const std::string& aXML, const TContextoAssinatura& aContexto) {
  if (aXML.empty())
    throw EmoxSignatureException("XML informado está vazio ou inválido", aContexto.DiretorioLogErro);
  const std::string xml =
      aContexto.Utils.Escape(aContexto.Utils.DynamicRemoveAccents(aXML, aContexto.CaracteresRemoverAcentos));
  const std::vector<std::string> notas = TmoxNFeXmlUtils::GetNotas(xml, false);
  const auto quantidade = notas.size();
  // The batch's documents are read, signed and dropped here, one after the other.
  XmlReusableParser leitor;
  std::vector<NotaDoLote> lidas = ConfereChaves(notas, leitor, aContexto);
  aContexto.CheckCertificate();
  if (quantidade > 50)
    throw EmoxNFeMaxSizeException("O Lote não pode possuir mais de 50 notas.", aContexto.DiretorioLogErro);
  if (quantidade == 0)
    throw EmoxNFeException("Não foi possível encontrar notas fiscais no arquivo", aContexto.DiretorioLogErro);

  std::string resultado;
  for (size_t i = 0; i < quantidade; ++i) {
    const std::string& nota = notas[i];
    if (nota.empty()) continue;
    // Prepared and read once: the document of the key check when there is one, else now; the
    // Id is looked up in the document that is then signed.
    NotaDoLote& lida = lidas[i];
    const std::string preparada = lida.documento ? std::move(lida.preparada) : PrepararXMLAssinar(nota, aContexto);
    ValidarRegraDeNegocioNFe(preparada, aContexto.VersaoManual, aContexto.ModoOperacao, aContexto.DiretorioLogErro);
    aContexto.Kivo.SignerSettings.XmlElement = "infNFe";
    XmlDocument documento = lida.documento ? std::move(*lida.documento) : XmlDocument::Parse(preparada, leitor);
    lida.documento.reset();
    const std::optional<std::string> id = PrimeiroId(documento, "");
    if (!id) throw EmoxNFeException("Campo Id não encontrado para nota fiscal", aContexto.DiretorioLogErro);
    std::string assinada;
    try {
      assinada = aContexto.Kivo.SignXmlDocumentById(documento, *id, preparada);
    } catch (const EKivoException& e) {
      throw EmoxSignatureException(e.what(), aContexto.DiretorioLogErro);
    }
    LimparAssinado(assinada);
    resultado += assinada;
  }
  return resultado;
}

}  // namespace mox
