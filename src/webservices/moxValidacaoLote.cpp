#include "webservices/moxValidacaoLote.h"

#include <cstdio>

#include "base/EmoxException.h"
#include "base/moxFormat.h"
#include "external/EKivoException.h"
#include "external/TmoxKivoUtils.h"
#include "external/Utf8Text.h"
#include "utils/TmoxNFeXmlUtils.h"
#include "utils/moxXmlLookup.h"
#include "webservices/moxValidacaoEsquema.h"

namespace mox {

namespace {

// One det element of a note's text: where it is and its number (the first attribute).
struct ItemDaNota {
  size_t Inicio = 0, Fim = 0;
  std::string Texto, Numero;
};

std::string PrimeiroAtributo(const std::string& aElemento) {
  const auto fimTag = aElemento.find('>');
  const auto aspas = aElemento.find("=\"");
  if (aspas == std::string::npos || aspas > fimTag) return {};
  const auto fim = aElemento.find('"', aspas + 2);
  return fim == std::string::npos ? std::string() : aElemento.substr(aspas + 2, fim - aspas - 2);
}

// The det elements by text, so each comes out exactly as it was signed. "<detExport" and the
// like are other elements.
std::vector<ItemDaNota> ItensDaNota(const std::string& aNota) {
  std::vector<ItemDaNota> itens;
  for (size_t p = aNota.find("<det"); p != std::string::npos; p = aNota.find("<det", p + 4)) {
    const char seguinte = p + 4 < aNota.size() ? aNota[p + 4] : '\0';
    if (seguinte != ' ' && seguinte != '>') continue;
    const auto fim = aNota.find("</det>", p);
    if (fim == std::string::npos) break;
    ItemDaNota item;
    item.Inicio = p;
    item.Fim = fim + 6;
    item.Texto = aNota.substr(p, item.Fim - p);
    const std::string declaracao = std::string(" xmlns=\"") + TmoxKivoUtils::kNFeNamespace + "\"";
    if (const auto d = item.Texto.find(declaracao); d != std::string::npos && d < item.Texto.find('>'))
      item.Texto.erase(d, declaracao.size());
    item.Numero = PrimeiroAtributo(item.Texto);
    itens.push_back(std::move(item));
    p = fim;
  }
  return itens;
}

// The note without its items, the model item where the first one was.
std::string CabecalhoComItemModelo(const std::string& aNota, const std::vector<ItemDaNota>& aItens,
                                   const std::string& aItemModelo) {
  if (aItens.empty()) return aNota;
  std::string texto;
  size_t de = 0;
  for (const auto& item : aItens) {
    texto.append(aNota, de, item.Inicio - de);
    if (&item == &aItens.front()) texto += aItemModelo;
    de = item.Fim;
  }
  return texto.append(aNota, de, std::string::npos);
}

std::string SemBrancosNasPontas(const std::string& aTexto) {
  const auto inicio = aTexto.find_first_not_of(" \t\r\n");
  if (inicio == std::string::npos) return {};
  return aTexto.substr(inicio, aTexto.find_last_not_of(" \t\r\n") - inicio + 1);
}

// The validator's errors of a document of the batch schema; empty when it is valid. A missing
// mapping or schema is no validation error: it leaves the checks.
std::vector<std::string> ErrosDoDocumento(const std::string& aXml, const TContextoValidacao& aContexto) {
  const bool porLocalizacao = aXml.find("schemaLocation") != std::string::npos;
  const std::string xsd =
      porLocalizacao ? std::string() : GetXSDFileName(aContexto.DiretorioEsquemas, "ENVIO", aContexto.DiretorioLogErro);
  try {
    if (porLocalizacao)
      aContexto.Utils.ValidateSchemaByDirectory(aXml, aContexto.DiretorioEsquemas);
    else
      aContexto.Utils.ValidateSchema(aXml, TmoxKivoUtils::kNFeNamespace, xsd);
  } catch (const EKivoException& e) {
    std::vector<std::string> erros = aContexto.Utils.ValidatorErrors();
    if (erros.empty()) erros.push_back(e.what());
    return erros;
  }
  return {};
}

void ValidaNota(int aIndice, const std::string& aNota, const TContextoValidacao& aContexto,
                std::vector<std::string>& aErros) {
  const std::string lote = std::to_string(aIndice);
  const std::vector<ItemDaNota> itens = ItensDaNota(aNota);
  const std::string cabecalho = moxFormat(
      aContexto.LoadTemplate("valida_itemcabec.xml"),
      {CabecalhoComItemModelo(aNota, itens, SemBrancosNasPontas(aContexto.LoadTemplate("valida_item.xml")))});
  for (const auto& erro : ErrosDoDocumento(cabecalho, aContexto)) aErros.push_back("Lote: " + lote + " - " + erro);

  const std::string modelo = aContexto.LoadTemplate("valida_cabecalho.xml");
  for (const auto& item : itens) {
    // An item without its number is still reported, under its note.
    const std::string prefixo = "Lote: " + lote + (item.Numero.empty() ? "" : " - Item: " + item.Numero) + " - ";
    for (const auto& erro : ErrosDoDocumento(moxFormat(modelo, {item.Texto}), aContexto)) aErros.push_back(prefixo + erro);
  }
}

void ConfereNumeroDoLote(const std::string& aNumLote, const TContextoValidacao& aContexto) {
  if (aContexto.Utils.RemoveAccents(aNumLote) != aNumLote)
    throw EmoxNFeCheckParams::CreateFmt("Numero do Lote não pode conter acento: %s", {aNumLote},
                                        aContexto.DiretorioLogErro);
}

void ConfereAssinatura(const std::string& aLoteNotas, const TContextoValidacao& aContexto) {
  if (!ValidaAssinatura(aLoteNotas))
    throw EmoxSignatureException("A nota não possui assinatura", aContexto.DiretorioLogErro);
}

}  // namespace

void ValidarTamanhoArquivoEnvio(const std::string& aLoteNotas, int aMaxSizeLoteEnvio) {
  if (aLoteNotas.empty()) throw EmoxNFeMaxSizeException("O Lote de NFes informado está vazio");
  const double kb = static_cast<double>(CodePointCount(aLoteNotas)) / 1000.0;
  if (kb <= aMaxSizeLoteEnvio) return;
  char texto[64];
  std::snprintf(texto, sizeof texto, "%.15g", kb);
  std::string decimal = texto;
  for (char& c : decimal)
    if (c == '.') c = ',';
  throw EmoxNFeMaxSizeException::CreateFmt("O Lote de NFes possui %s KB ultrapassando o limite de %s KB.",
                                           {decimal, std::to_string(aMaxSizeLoteEnvio)});
}

std::string ValidarLoteParaEnvio(const std::string& aNumLote, const std::string& aLoteNotas,
                                 const TContextoValidacao& aContexto, std::vector<std::string>& aErros) {
  std::string notas = aLoteNotas;
  std::erase_if(notas, [](char c) { return c == '\r' || c == '\n'; });
  const std::string lote = moxFormat(aContexto.LoadTemplate("pedido_enviarnota.xml"), {aNumLote, notas, ""});
  aContexto.CheckCertificate();
  ConfereNumeroDoLote(aNumLote, aContexto);
  ValidarTamanhoArquivoEnvio(aLoteNotas, aContexto.MaxSizeLoteEnvio);
  ConfereAssinatura(aLoteNotas, aContexto);
  if (aContexto.ValidarEsquemaAntesEnvio)
    ValidarXMLNFe(aContexto.Utils, lote, "ENVIO", aContexto.DiretorioEsquemas, aErros, aContexto.DiretorioLogErro);
  return lote;
}

void ValidarLoteItem(const std::string& aNumLote, const std::string& aLoteNotas, const TContextoValidacao& aContexto,
                     std::vector<std::string>& aErros) {
  aErros.clear();
  aContexto.CheckCertificate();
  ConfereNumeroDoLote(aNumLote, aContexto);
  const std::string lote = aContexto.Utils.DynamicRemoveAccents(aLoteNotas, aContexto.CaracteresRemoverAcentos);
  ValidarTamanhoArquivoEnvio(lote, aContexto.MaxSizeLoteEnvio);
  ConfereAssinatura(lote, aContexto);

  const auto falhou = [&] {
    return EmoxSchemaValidationException("O arquivo contém 1 ou mais erros no de validação de esquema.",
                                         aContexto.DiretorioLogErro);
  };
  try {
    const int quantidade = TmoxNFeXmlUtils::GetNumNotas(lote);
    for (int i = 0; i < quantidade && aContexto.ValidarEsquemaAntesEnvio; ++i)
      ValidaNota(i + 1, TmoxNFeXmlUtils::GetNota(i, lote, false), aContexto, aErros);
  } catch (...) {
    if (!aErros.empty()) throw falhou();
    throw;
  }
  if (!aErros.empty()) throw falhou();
}

std::vector<std::string> ErrosXmlDestinatario(const std::string& aXml, TmoxKivoUtils& aUtils,
                                              const std::string& aDiretorioEsquemas,
                                              const std::string& aDiretorioLogErro) {
  std::vector<std::string> erros;
  // The marker test raises nothing; an unsigned file is worth a message of its own.
  if (!ValidaAssinatura(aXml)) erros.emplace_back("A nota não possui assinatura");
  try {
    aUtils.ValidateSchema(aXml, TmoxKivoUtils::kNFeNamespace,
                          GetXSDFileName(aDiretorioEsquemas, "XMLDESTINATARIO", aDiretorioLogErro));
  } catch (const std::exception& e) {
    erros.emplace_back(e.what());
  }
  const std::string nota = TmoxNFeXmlUtils::GetNota(0, aXml, true);
  if (GetValueTag("DigestValue", nota) != GetValueTag("digVal", aXml))
    erros.emplace_back("O DigestValue da nota assinada, difere do digVal do protocolo processado");
  return erros;
}

}  // namespace mox
