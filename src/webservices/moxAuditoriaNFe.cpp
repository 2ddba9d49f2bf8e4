#include "webservices/moxAuditoriaNFe.h"

#include <chrono>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <set>
#include <sstream>

#include "base/EmoxException.h"
#include "base/moxEnumTexts.h"
#include "datasets/TmoxNFeConvXmlToDataset.h"
#include "external/EKivoException.h"
#include "external/FileIO.h"
#include "external/SchemaCache.h"
#include "external/TmoxKivoUtils.h"
#include "external/Utf8Text.h"
#include "external/XmlDocument.h"
#include "external/XmlSignatureVerifier.h"
#include "external/XmlTreeWalk.h"
#include "external/moxPaths.h"
#include "rules/moxConjuntosRegras.h"
#include "rules/moxNFeRules.h"
#include "webservices/moxValidacaoEsquema.h"

namespace mox {

namespace {

using json = nlohmann::ordered_json;
using V = TVersaoEsquema;

// SEFAZ's answer to a note that breaks the schema.
constexpr const char* kCodigoEsquema = "225";
// SEFAZ's answer to a signature that does not match the signed text.
constexpr const char* kCodigoAssinatura = "297";
constexpr const char* kAssinaturaNs = "http://www.w3.org/2000/09/xmldsig#";

// The layouts an audit knows: the manual version whose rules apply and the newest package of
// the layout, whose classes the rule set is built with.
struct TLeiaute {
  const char* Versao;
  TVersaoManual Manual;
  TVersaoEsquema Pacote;
};
constexpr TLeiaute kLeiautes[] = {{"1.10", TVersaoManual::vm30, V::pl_005f},
                                  {"2.00", TVersaoManual::vm50, V::pl_006v},
                                  {"3.10", TVersaoManual::vm50a, V::pl_008i1},
                                  {"4.00", TVersaoManual::vm60, V::pl_009}};

// What the audit reads from the document itself.
struct TNotaLida {
  std::string Raiz, Versao, Chave, Cfop, Recebimento;
  bool Assinada = false;
  bool Reforma = false;  // carries the tax-reform groups (IBS/CBS)
};

xmlNodePtr Elemento(xmlNodePtr aRaiz, std::string_view aNome) {
  return FindElement(aRaiz, [&](xmlNodePtr aNo) { return LocalName(aNo) == aNome; });
}

std::string Atributo(xmlNodePtr aNo, const char* aNome) {
  xmlChar* valor = xmlGetProp(aNo, reinterpret_cast<const xmlChar*>(aNome));
  if (!valor) return {};
  std::string texto = reinterpret_cast<const char*>(valor);
  xmlFree(valor);
  return texto;
}

std::string TextoDe(xmlNodePtr aRaiz, std::string_view aNome) {
  xmlNodePtr no = Elemento(aRaiz, aNome);
  return no ? NodeText(no) : std::string();
}

TNotaLida LeNota(const XmlDocument& aDoc, const std::string& aLogErro) {
  TNotaLida nota;
  xmlNodePtr raiz = aDoc.Root();
  nota.Raiz = std::string(LocalName(raiz));
  if (nota.Raiz != "NFe" && nota.Raiz != "nfeProc")
    throw EmoxNFeValidadorClientOCXException::CreateFmt(
        "O XML não é uma NF-e: o elemento raiz é <%s>. Audite uma nota (NFe) ou uma nota autorizada (nfeProc).",
        {nota.Raiz}, aLogErro);
  xmlNodePtr infNFe = Elemento(raiz, "infNFe");
  if (!infNFe) throw EmoxNFeValidadorClientOCXException("O XML não tem o elemento infNFe da nota.", aLogErro);
  nota.Versao = Atributo(infNFe, "versao");
  nota.Chave = Atributo(infNFe, "Id");
  if (nota.Chave.rfind("NFe", 0) == 0) nota.Chave.erase(0, 3);
  nota.Cfop = TextoDe(infNFe, "CFOP");
  if (xmlNodePtr prot = Elemento(raiz, "protNFe")) nota.Recebimento = TextoDe(prot, "dhRecbto");
  nota.Assinada = FindElement(raiz, [](xmlNodePtr aNo) {
                    return LocalName(aNo) == "Signature" && aNo->ns && aNo->ns->href &&
                           std::strcmp(reinterpret_cast<const char*>(aNo->ns->href), kAssinaturaNs) == 0;
                  }) != nullptr;
  nota.Reforma = Elemento(infNFe, "IBSCBS") != nullptr;
  return nota;
}

const TLeiaute& LeiauteDa(const TNotaLida& aNota, const std::string& aLogErro) {
  for (const TLeiaute& leiaute : kLeiautes)
    if (aNota.Versao == leiaute.Versao) return leiaute;
  throw EmoxNFeValidadorClientOCXException::CreateFmt(
      "A versão \"%s\" do leiaute da NF-e não é conhecida: a auditoria confere os leiautes 1.10, 2.00, 3.10 e 4.00.",
      {aNota.Versao}, aLogErro);
}

// The package the note is read with: the tax-reform package for a 4.00 note with its groups.
TVersaoEsquema PacoteDa(const TNotaLida& aNota, const TLeiaute& aLeiaute) {
  return aNota.Reforma && aLeiaute.Pacote == V::pl_009 ? V::pl_010 : aLeiaute.Pacote;
}

// aRelativo in aPasta or in one of the three folders above it (the auditor's folders sit beside
// or inside the version folders, with a sub-folder per kind of note); empty when in none.
std::string ProcuraAcima(const std::string& aPasta, const std::string& aRelativo) {
  std::string texto = NormalizeSeparators(aPasta);
  while (texto.size() > 1 && texto.back() == '/') texto.pop_back();
  std::filesystem::path pasta = std::filesystem::path(texto);
  for (int nivel = 0; nivel < 4 && !pasta.empty(); ++nivel, pasta = pasta.parent_path()) {
    const std::filesystem::path candidato = pasta / aRelativo;
    if (FileExists(candidato.string())) return candidato.string();
    if (pasta == pasta.parent_path()) break;
  }
  return {};
}

std::string PastaOuInstalada(const std::string& aPasta, const char* aInstalada) {
  return aPasta.empty() ? FindDataFile(aInstalada) : aPasta;
}

// "linha 12: Element '{ns}xNome': ..." as a failure with its line and element.
json FalhaDeEsquema(const std::string& aErro) {
  int linha = 0;
  std::string mensagem = aErro;
  if (mensagem.rfind("linha ", 0) == 0) {
    const size_t dois = mensagem.find(": ");
    if (dois != std::string::npos) {
      linha = std::atoi(mensagem.c_str() + 6);
      mensagem.erase(0, dois + 2);
    }
  }
  std::string campo;
  if (const size_t inicio = mensagem.find("Element '"); inicio != std::string::npos) {
    const size_t fim = mensagem.find('\'', inicio + 9);
    campo = mensagem.substr(inicio + 9, fim == std::string::npos ? std::string::npos : fim - inicio - 9);
    if (const size_t chave = campo.rfind('}'); chave != std::string::npos) campo.erase(0, chave + 1);
  }
  return {{"origem", "esquema"}, {"codigo", kCodigoEsquema}, {"campo", campo}, {"linha", linha},
          {"mensagem", mensagem}};
}

// The schema's complaint that an element lacks only its signature: a note audited before it is
// signed is checked for everything else.
bool SoFaltaAssinatura(const std::string& aErro) {
  const size_t esperado = aErro.find("Expected is");
  return aErro.find("Missing child element(s)") != std::string::npos && esperado != std::string::npos &&
         aErro.find(std::string("{") + kAssinaturaNs + "}Signature", esperado) != std::string::npos;
}

// The official schema of the layout; the note's faults as failures.
json ConfereEsquema(const std::string& aXml, const TNotaLida& aNota, const TLeiaute& aLeiaute,
                    const TPastasAuditoria& aPastas, std::string& aXsd) {
  const std::string base = PastaOuInstalada(aPastas.Esquemas, "Esquemas/");
  const std::string pastaVersao = PastaVersaoManual(aLeiaute.Manual);
  const std::string mapeamento = ProcuraAcima(base, pastaVersao + "/Mapping.txt");
  if (mapeamento.empty())
    throw EmoxNFeSchemaNotFoundException::CreateFmt(
        "A pasta de esquemas %s não tem a subpasta %s com o Mapping.txt e o pacote oficial da versão %s do Manual.",
        {base, pastaVersao, VersaoManualToStr(aLeiaute.Manual)}, aPastas.LogErro);
  const std::string pasta = mapeamento.substr(0, mapeamento.size() - std::strlen("Mapping.txt"));
  aXsd = GetXSDFileName(pasta, aNota.Raiz == "nfeProc" ? "XMLDESTINATARIO" : "NFE", aPastas.LogErro);
  try {
    GetCompiledSchema(aXsd);
  } catch (const EKivoException& e) {
    throw EmoxNFeSchemaNotFoundException::CreateFmt(
        "%s. Instale em %s o pacote de esquemas oficial da versão %s do Manual.",
        {e.what(), pasta, VersaoManualToStr(aLeiaute.Manual)}, aPastas.LogErro);
  }
  json falhas = json::array();
  TmoxKivoUtils utils;
  try {
    utils.ValidateSchema(aXml, "", aXsd);
  } catch (const EKivoException&) {
    for (const std::string& erro : utils.ValidatorErrors())
      if (aNota.Assinada || !SoFaltaAssinatura(erro)) falhas.push_back(FalhaDeEsquema(erro));
  }
  return falhas;
}

// A signed note's signature as SEFAZ checks it: over the note's own infNFe, with the digest and
// the signature value matching the text (any change after signing breaks them).
void ConfereAssinatura(const std::string& aXml, const TNotaLida& aNota, json& aFalhas) {
  const std::string id = "NFe" + aNota.Chave;
  for (const TXmlSignatureCheck& assinatura : XmlSignatureVerifier().VerifyAll(aXml)) {
    std::string erro;
    if (!assinatura.Valid)
      erro = assinatura.Error;
    else if (assinatura.ElementName != "infNFe" || assinatura.ReferenceId != id)
      erro = "a assinatura não é a do infNFe " + id;
    if (!erro.empty())
      aFalhas.push_back({{"origem", "assinatura"}, {"codigo", kCodigoAssinatura}, {"campo", "Signature"},
                         {"mensagem", "Rejeição: Assinatura difere do calculado: " + erro}});
  }
}

// Rule names the rules folder leaves out, one a line ("#" starts a comment). Names match whole:
// leaving out "GB09.1" keeps "GB09".
std::set<std::string> RegrasIgnoradas(const std::string& aPastaRegras) {
  std::set<std::string> nomes;
  if (aPastaRegras.empty()) return nomes;
  const std::string arquivo = WithTrailingSlash(aPastaRegras) + "RegrasIgnoradas.txt";
  if (!FileExists(arquivo)) return nomes;
  std::istringstream linhas(RemoveUtf8Bom(ReadFileBytes(arquivo)));
  std::string linha;
  while (std::getline(linhas, linha)) {
    linha = linha.substr(0, linha.find('#'));
    const size_t inicio = linha.find_first_not_of(" \t\r");
    if (inicio == std::string::npos) continue;
    nomes.insert(linha.substr(inicio, linha.find_last_not_of(" \t\r") - inicio + 1));
  }
  return nomes;
}

// The dictionary the note is read with: the export one for a folder named for exports, or,
// under any other folder, for a note whose first CFOP is an export (7xxx).
std::string Dicionario(const TNotaLida& aNota, const TLeiaute& aLeiaute, const TPastasAuditoria& aPastas) {
  const std::string base = PastaOuInstalada(aPastas.Templates, "Templates/");
  std::string nome = NormalizeSeparators(base);
  while (!nome.empty() && nome.back() == '/') nome.pop_back();
  const bool pastaExportacao = std::filesystem::path(nome).filename() == "TemplateExportacao";
  const bool exportacao = pastaExportacao || (!aNota.Cfop.empty() && aNota.Cfop[0] == '7');
  const std::string relativo = PastaVersaoManual(aLeiaute.Manual) + "/Conversor/" +
                               (exportacao ? "NFeDataSets_Exportacao.xml" : "NFeDataSets.xml");
  const std::string arquivo = ProcuraAcima(base, relativo);
  if (arquivo.empty())
    throw EmoxTemplateNotFoundException::CreateFmt("Dicionário %s não encontrado a partir da pasta %s", {relativo, base},
                                                   aPastas.LogErro);
  return arquivo;
}

// "YYYY-MM-DDThh:mm:ss-hh:mm" (a protocol's receipt) as a date-time of Brasília (UTC-3), the
// time the rules read; none for a text that is not one.
std::optional<TDateTime> InstanteEmBrasilia(const std::string& aTexto) {
  if (aTexto.size() < 25 || aTexto[10] != 'T' || (aTexto[19] != '-' && aTexto[19] != '+') || aTexto[22] != ':')
    return std::nullopt;
  try {
    DateTimeParts p;
    p.year = std::stoi(aTexto.substr(0, 4));
    p.month = std::stoi(aTexto.substr(5, 2));
    p.day = std::stoi(aTexto.substr(8, 2));
    p.hour = std::stoi(aTexto.substr(11, 2));
    p.minute = std::stoi(aTexto.substr(14, 2));
    p.second = std::stoi(aTexto.substr(17, 2));
    const std::chrono::minutes fuso(
        (aTexto[19] == '-' ? -1 : 1) * (std::stoi(aTexto.substr(20, 2)) * 60 + std::stoi(aTexto.substr(23, 2))));
    return EncodeDateTime(p) - fuso - std::chrono::hours(3);
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

// Every rule of the note's set, each on its own, so that all the broken ones are reported.
void ConfereRegras(const std::string& aXml, const TNotaLida& aNota, const TLeiaute& aLeiaute, TVersaoEsquema aPacote,
                   const TPastasAuditoria& aPastas, const TOpcoesAuditoria& aOpcoes, json& aFalhas, json& aRegras) {
  TmoxKivoUtils utils;
  std::unique_ptr<TmoxNFeDataSets> dados;
  try {
    TmoxNFeConvXmlToDataset leitor(utils);
    leitor.SetVersaoEsquema(aPacote);
    leitor.SetXmlDicionario(Dicionario(aNota, aLeiaute, aPastas));
    leitor.SetDiretorioLogErro(aPastas.LogErro);
    leitor.SetXml(aXml);
    dados = leitor.ConvertDataset();
  } catch (const EmoxTemplateNotFoundException&) {
    throw;
  } catch (const std::exception& e) {
    aFalhas.push_back({{"origem", "regra"}, {"regra", ""}, {"codigo", ""}, {"campo", ""},
                       {"mensagem", std::string("A nota não pôde ser lida para conferir as regras: ") + e.what()}});
    return;
  }
  const std::set<std::string> ignoradas = RegrasIgnoradas(aPastas.Regras);
  // Unset, each rule reads the clock in Brasília time itself.
  const std::optional<TDateTime> agora =
      aOpcoes.Relogio ? std::optional(aOpcoes.Relogio()) : InstanteEmBrasilia(aNota.Recebimento);
  for (const TRegraDoConjunto& item : RegrasDoConjunto(ConjuntoDoEsquema(aPacote), aPacote)) {
    const std::string nome(item.dados.nome);
    std::string resultado = "aprovada";
    if (ignoradas.count(nome)) {
      resultado = "ignorada";
    } else {
      std::unique_ptr<TmoxNFeRule> regra = item.classe->cria(item.dados);
      if (agora) regra->SetAgora([instante = *agora] { return instante; });
      regra->SetDataSet(&dados->ActiveDSVersao());
      try {
        regra->execute();
      } catch (const EmoxNFeRegraException& e) {
        resultado = "rejeitada";
        aFalhas.push_back({{"origem", "regra"}, {"regra", e.Regra()}, {"codigo", e.Codigo()}, {"campo", e.Campo()},
                           {"mensagem", e.MensagemRegra()}});
      } catch (const std::exception& e) {
        resultado = "rejeitada";
        aFalhas.push_back({{"origem", "regra"}, {"regra", nome}, {"codigo", std::string(item.dados.codigo)},
                           {"campo", std::string(item.dados.campo)},
                           {"mensagem", std::string("A regra não pôde ser conferida: ") + e.what()}});
      }
    }
    if (aOpcoes.ExibirRegras)
      aRegras.push_back({{"regra", nome}, {"codigo", std::string(item.dados.codigo)},
                         {"campo", std::string(item.dados.campo)}, {"resultado", resultado}});
  }
}

// The overall outcome from the failures found.
void Conclui(json& aResposta) {
  const size_t total = aResposta["falhas"].size();
  aResposta["situacao"] = total ? "rejeitada" : "aprovada";
  aResposta["totalRejeicao"] = total;
}

}  // namespace

json AuditarNFe(const std::string& aXmlInformado, const TPastasAuditoria& aPastas, const TOpcoesAuditoria& aOpcoes) {
  const std::string xml = RemoveUtf8Bom(aXmlInformado);
  if (xml.find_first_not_of(" \t\r\n") == std::string::npos)
    throw EmoxNFeValidadorClientOCXException("XML informado está vazio.", aPastas.LogErro);
  std::unique_ptr<XmlDocument> doc;
  try {
    doc = std::make_unique<XmlDocument>(XmlDocument::Parse(xml));
  } catch (const EKivoException& e) {
    // Nothing else can be read from text that is not XML: the failure is the text itself.
    json resposta{{"situacao", ""}, {"totalRejeicao", 0}, {"falhas", json::array()}};
    resposta["falhas"].push_back(FalhaDeEsquema(std::string("O texto não é um XML bem formado: ") + e.what()));
    Conclui(resposta);
    return resposta;
  }
  const TNotaLida nota = LeNota(*doc, aPastas.LogErro);
  const TLeiaute& leiaute = LeiauteDa(nota, aPastas.LogErro);
  const TVersaoEsquema pacote = PacoteDa(nota, leiaute);
  std::string xsd;
  json falhas = ConfereEsquema(xml, nota, leiaute, aPastas, xsd);
  if (nota.Assinada) ConfereAssinatura(xml, nota, falhas);
  json regras = json::array();
  ConfereRegras(xml, nota, leiaute, pacote, aPastas, aOpcoes, falhas, regras);
  json resposta{{"situacao", ""},
                {"documento", nota.Raiz},
                {"chave", nota.Chave},
                {"assinada", nota.Assinada},
                {"versaoLeiaute", nota.Versao},
                {"versaoManual", VersaoManualToStr(leiaute.Manual)},
                {"pacote", VersaoEsquemaToStr(pacote)},
                {"esquema", xsd},
                {"totalRejeicao", 0},
                {"falhas", std::move(falhas)}};
  if (aOpcoes.ExibirRegras) resposta["regras"] = std::move(regras);
  Conclui(resposta);
  return resposta;
}

}  // namespace mox
