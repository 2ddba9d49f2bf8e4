#include "events/TmoxEventos.h"

#include <cstdio>

#include "base/EmoxException.h"
#include "base/moxEnumTexts.h"
#include "base/moxFormat.h"
#include "events/TmoxEventosXMLUtils.h"
#include "external/EKivoException.h"
#include "external/TmoxIniFile.h"
#include "external/TmoxKivoUtils.h"
#include "external/TmoxKivoX.h"
#include "external/moxPaths.h"
#include "utils/moxXmlLookup.h"

namespace mox {

namespace {

constexpr const char* kLocais[][2] = {{"AC", "12"}, {"AL", "27"}, {"AP", "16"}, {"AM", "13"}, {"BA", "29"},
                                      {"CE", "23"}, {"DF", "53"}, {"ES", "32"}, {"GO", "52"}, {"MA", "21"},
                                      {"MT", "51"}, {"MS", "50"}, {"MG", "31"}, {"PA", "15"}, {"PB", "25"},
                                      {"PR", "41"}, {"PE", "26"}, {"PI", "22"}, {"RJ", "33"}, {"RN", "24"},
                                      {"RS", "43"}, {"RO", "11"}, {"RR", "14"}, {"SC", "42"}, {"SP", "35"},
                                      {"SE", "28"}, {"TO", "17"}, {"AN", "91"}};

// Every occurrence of aDe in aTexto, letter case ignored, becomes aPara.
std::string TrocaTodosSemCaixa(const std::string& aTexto, const std::string& aDe, const std::string& aPara) {
  if (aDe.empty()) return aTexto;
  auto minusculo = [](std::string s) {
    for (char& c : s) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    return s;
  };
  const std::string texto = minusculo(aTexto), de = minusculo(aDe);
  std::string resultado;
  size_t inicio = 0;
  for (size_t pos = texto.find(de); pos != std::string::npos; pos = texto.find(de, inicio)) {
    resultado.append(aTexto, inicio, pos - inicio).append(aPara);
    inicio = pos + aDe.size();
  }
  return resultado.append(aTexto, inicio, std::string::npos);
}

}  // namespace

TmoxEventos::TmoxEventos(TmoxKivoX& aKivo, TmoxKivoUtils& aUtils, TmoxEmailSettings* aEmailSettings)
    : FKivo(aKivo), FUtils(aUtils), FEmailSettings(aEmailSettings) {
  for (const auto& local : kLocais) FLocalList[local[0]] = local[1];
}

TmoxEventos::~TmoxEventos() = default;

std::string TmoxEventos::CodigoLocal(const std::string& aUF) const {
  const auto it = FLocalList.find(aUF);
  return it == FLocalList.end() ? std::string{} : it->second;
}

std::string TmoxEventos::CodigoAmbiente() const { return GetTipoAmbiente(Ambiente); }

std::string TmoxEventos::GerarIdEvento(const std::string& aChaveNFe, int aSeqEvento) {
  char sequencia[16];
  std::snprintf(sequencia, sizeof sequencia, "%02d", aSeqEvento);
  std::string id = "ID";
  id.append(ObterTpEvento()).append(aChaveNFe).append(sequencia);
  return id;
}

std::string TmoxEventos::ObterPastaTemplate() { return DiretorioTemplates + UF + "/"; }

std::string TmoxEventos::LoadTemplate(const std::string& aXMLFileName) {
  if (FileExists(aXMLFileName)) return TmoxEventosXMLUtils::LoadTemplate(aXMLFileName);
  return TmoxEventosXMLUtils::LoadTemplate(PastaExpandida(ObterPastaTemplate()) + aXMLFileName);
}

void TmoxEventos::CheckCertificate() {
  try {
    FKivo.CheckCertificate();
  } catch (const EKivoException& e) {
    throw EmoxCertStoreException(e.what(), DiretorioLogErro);
  }
}

std::string TmoxEventos::AssinarEvento(const std::string& aXML) {
  CheckCertificate();
  if (aXML.empty())
    throw EmoxEventoCheckParams("Não foi possível Assinar o evento, o arquivo informado está vazio", DiretorioLogErro);
  if (!FUtils.IsValidXml(aXML))
    throw EmoxEventoCheckParams("Não foi possível Assinar o evento, o arquivo ou seu conteúdo está inválido.");
  std::string resultado;
  const int quantidade = ObterNumEventos(aXML);
  for (int i = 0; i < quantidade; ++i) {
    const std::string evento = ObterEvento(i, aXML);
    if (evento.empty()) continue;
    const std::string preparado = PrepararXMLAssinar(FUtils.Escape(evento));
    FKivo.SignerSettings.XmlElement = "infEvento";
    const std::string id = GetReferenceInfo(preparado);
    std::string assinado;
    try {
      assinado = FKivo.SignXmlById(preparado, id);
    } catch (const EKivoException& e) {
      throw EmoxSignatureException(e.what(), DiretorioLogErro);
    }
    resultado += LimparXMLAssinado(assinado);
  }
  return resultado;
}

std::string TmoxEventos::PrepararXMLAssinar(const std::string& aNota) {
  const std::string nota = TrocaTodos(aNota, "\xC2\xBA", "o");  // "º"
  return moxFormat(LoadTemplate("assinarEvento.xml"), {nota, ""});
}

std::string TmoxEventos::LimparXMLAssinado(const std::string& aXmlSujo) {
  std::string xml = RemoveEspacosAssinatura(aXmlSujo);
  const std::string declaracao = "<?xml version=\"1.0\"?>";
  if (const size_t pos = xml.find(declaracao); pos != std::string::npos)
    xml = xml.substr(0, pos) + xml.substr(pos + declaracao.size());
  return TrocaTodos(xml, "\r\n", "");
}

std::string TmoxEventos::RemoveEspacosAssinatura(const std::string& aXmlAssinado) {
  std::string xml = aXmlAssinado;
  for (const char* tag : {"KeyInfo", "SignatureValue"}) {
    const std::string antigo = TmoxEventosXMLUtils::GetValueTag(tag, xml);
    std::string novo = antigo;
    while (novo.find("  ") != std::string::npos) novo = TrocaTodos(novo, "  ", "");
    if (novo != antigo) xml = TrocaTodosSemCaixa(xml, antigo, novo);
  }
  return xml;
}

int TmoxEventos::ObterNumEventos(const std::string& aLote) { return TmoxEventosXMLUtils::ObterNumEventos(aLote); }

std::string TmoxEventos::ObterEvento(int aIndex, const std::string& aLote) {
  return TmoxEventosXMLUtils::ObterEvento(aIndex, aLote);
}

std::string TmoxEventos::ObterValorIdEvento(const std::string& aNota) {
  // The signed text may carry the namespace before the Id: look inside the opening tag.
  const size_t tag = aNota.find("<infEvento ");
  const size_t fimTag = tag == std::string::npos ? std::string::npos : aNota.find('>', tag);
  const size_t pos = fimTag == std::string::npos ? std::string::npos : aNota.find(" Id=\"", tag);
  if (pos == std::string::npos || pos > fimTag)
    throw EmoxEventosException("Campo \"Id\" não encontrado para nota fiscal", DiretorioLogErro);
  std::string valor = "#";
  valor.append(aNota, pos + 5, 54);
  return valor;
}

bool TmoxEventos::ValidarTamanhoArquivoEnvio(const std::string& aLoteEvento, int aTamanho) {
  const double tamanho = static_cast<double>(aLoteEvento.size()) / 1000.0;
  char texto[32];
  std::snprintf(texto, sizeof texto, "%.15g", tamanho);  // general form: 500.001, not 5e+02
  if (tamanho > aTamanho)
    throw EmoxEventoMaxSizeException::CreateFmt("O Lote do Evento possui %s KB ultrapassando o limite de %s KB.",
                                                {texto, std::to_string(aTamanho)},
                                                DiretorioLogErro);
  return true;
}

std::string TmoxEventos::GetURIEsquema() { return "http://www.portalfiscal.inf.br/nfe"; }

std::string TmoxEventos::GetXSDFileName(const std::string& aMethodName) {
  const std::string mapeamento = DiretorioEsquemas + "Mapping.txt";
  if (!FileExists(mapeamento))
    throw EmoxEventoFileNotFoundException::CreateFmt(
        "Arquivo %s utilizado na validação de esquema, não foi encontrado", {mapeamento}, DiretorioLogErro);
  const std::string valor = TmoxIniFile(mapeamento).ReadString("ValidarXML", aMethodName, "");
  if (valor.empty())
    throw EmoxEventoCheckParams::CreateFmt("Não foi encontrado mapeamento de XSD para o comando %s ", {aMethodName},
                                           DiretorioLogErro);
  return DiretorioEsquemas + valor;
}

void TmoxEventos::ValidarXmlEvento(const std::string& aXML, const std::string& aMethodName) {
  try {
    FUtils.ValidateSchema(aXML, GetURIEsquema(), GetXSDFileName(aMethodName));
  } catch (const std::exception& e) {
    throw EmoxSchemaValidationException(e.what(), DiretorioLogErro);
  }
}

void TmoxEventos::ValidarLoteParaEnvio(const std::string& aXmlEvento, const std::string& aCampoMapping) {
  CheckCertificate();
  if (!ValidaAssinatura(aXmlEvento)) throw EmoxEventoInvalidSigner("A nota não possui assinatura", DiretorioLogErro);
  ValidarXmlEvento(aXmlEvento, aCampoMapping);
}

void TmoxEventos::ValidarLoteParaConsultaDestinadas(const std::string& aXml) {
  CheckCertificate();
  ValidarXmlEvento(aXml, "CONSULTADESTINADAS");
}

void TmoxEventos::ValidarLoteParaDFe(const std::string& aXml) {
  CheckCertificate();
  ValidarXmlEvento(aXml, "DISTRIBUICAODFE");
}

void TmoxEventos::ValidarLoteParaDownloadNFe(const std::string& aXml) {
  CheckCertificate();
  ValidarXmlEvento(aXml, "DOWNLOADNFE");
}

}  // namespace mox
