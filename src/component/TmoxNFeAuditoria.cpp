// The audit of an XML by the validator control the host assigns: the component fills the
// control's settings from its own folders and the auditor's configuration file, then asks.
#include <charconv>
#include <cstring>

#include "base/EmoxException.h"
#include "base/TmoxValidadorClientX.h"
#include "component/TmoxNFe.h"
#include "external/TmoxIniFile.h"
#include "external/Utf8Text.h"
#include "external/XmlDocument.h"
#include "external/XmlTreeWalk.h"
#include "external/moxPaths.h"
#include "utils/moxNFePaths.h"

namespace mox {

namespace {

using TValidador = TmoxValidadorClientX;

constexpr const char* kSecaoAuditor = "AUDITOR";
constexpr const char* kAssinaturaNs = "http://www.w3.org/2000/09/xmldsig#";

// An integer of "AUDITOR" in the auditor's configuration; 500 when the key is missing.
int TamanhoDoIni(const TmoxIniFile& aIni, const std::string& aArquivo, const char* aChave,
                 const std::string& aLogErro) {
  const std::string texto = aIni.ReadString(kSecaoAuditor, aChave, "500");
  int valor = 0;
  const char* fim = texto.data() + texto.size();
  const auto [resto, erro] = std::from_chars(texto.data(), fim, valor);
  if (texto.empty() || erro != std::errc() || resto != fim)
    throw EmoxNFeConfigException::CreateFmt("Valor inválido em %s: [%s] %s=%s (informe um número inteiro).",
                                            {aArquivo, kSecaoAuditor, aChave, texto}, aLogErro);
  return valor;
}

// aPasta + aSub when that folder exists, else the folder above aPasta's manual-version folder +
// aSub.
std::string PastaDoAuditor(const std::string& aPasta, const std::string& aSub) {
  const std::string propria = WithTrailingSlash(aPasta) + aSub;
  if (DirectoryExists(propria)) return propria;
  std::string acima = aPasta;
  RemoveVersaoManualDoPath(acima);
  return WithTrailingSlash(acima) + aSub;
}

// What step 7 reads from the note: whether it carries an XML signature, and its first CFOP.
// A text that is not XML is neither signed nor an export.
struct TNotaAuditada {
  bool Assinada = false;
  bool Exportacao = false;
};

TNotaAuditada LeNotaAuditada(const std::string& aXml) {
  TNotaAuditada nota;
  if (!XmlDocument::IsWellFormed(aXml)) return nota;
  const XmlDocument doc = XmlDocument::Parse(aXml);
  nota.Assinada = FindElement(doc.Root(), [](xmlNodePtr aNo) {
                    return std::strcmp(reinterpret_cast<const char*>(aNo->name), "Signature") == 0 && aNo->ns &&
                           std::strcmp(reinterpret_cast<const char*>(aNo->ns->href), kAssinaturaNs) == 0;
                  }) != nullptr;
  if (xmlNodePtr cfop = FindElement(doc.Root(), [](xmlNodePtr aNo) {
        return std::strcmp(reinterpret_cast<const char*>(aNo->name), "CFOP") == 0;
      })) {
    xmlChar* texto = xmlNodeGetContent(cfop);
    nota.Exportacao = texto && texto[0] == '7';
    xmlFree(texto);
  }
  return nota;
}

}  // namespace

void TmoxNFe::SetComponenteAuditor(TmoxValidadorClientX* aValue) {
  FComponenteAuditor = aValue;
  FAuditorTemplatesBase.clear();
  FAuditorTemplatesDefinida.clear();
}

std::string TmoxNFe::AuditarXml(const std::string& aXml, const std::string& aDelimitador, const std::string& aServidor,
                                bool aExibirRegra, bool aExibirHtml, const std::string& /*aParams*/) {
  // The auditor's files sit beside the version folders, under the templates folder itself.
  std::string templatesBase = DiretorioTemplates();
  RemoveVersaoManualDoPath(templatesBase);
  const std::string arquivoIni = WithTrailingSlash(templatesBase) + "Auditor/AuditorConfig.ini";
  const TmoxIniFile ini(arquivoIni);

  if (!FComponenteAuditor) throw EmoxNFeException("Componente Validador Client não instanciado", DiretorioLogErro());
  TValidador& validador = *FComponenteAuditor;

  if (validador.HeigthHtml() == 0 || validador.WidthHtml() == 0) {
    validador.SetHeigthHtml(TamanhoDoIni(ini, arquivoIni, "HeightHtml", DiretorioLogErro()));
    validador.SetWidthHtml(TamanhoDoIni(ini, arquivoIni, "WidthHtml", DiretorioLogErro()));
  }

  validador.SetModoOperacao(TValidador::TModoOperacao::moLocal);
  validador.SetEstagio(TValidador::TEstagio::esTeste);
  validador.SetServidor(aServidor);
  validador.SetTipoResposta(TValidador::TResposta::trJSON);
  validador.SetLinguagemResposta(TValidador::TLinguagem::tlJavaScript);
  validador.SetExibirRegrasValidacao(aExibirRegra);

  const std::string esquemas = DiretorioEsquemas();
  const std::string templates = DiretorioTemplates();
  if (validador.DiretorioEsquemas().empty()) validador.SetDiretorioEsquemas(PastaDoAuditor(esquemas, "Auditor/"));
  if (validador.DiretorioTemplates().empty()) validador.SetDiretorioTemplates(PastaDoAuditor(templates, "Auditor/"));
  if (validador.DiretorioRegras().empty()) validador.SetDiretorioRegras(PastaDoAuditor(templates, "Auditor/Regras/"));
  if (validador.DiretorioLogErro().empty()) validador.SetDiretorioLogErro(DiretorioLogErro());

  // The sub-folder of an unsigned note goes on the control's own templates folder, never on the
  // one a previous audit left there: two audits in a row would nest the sub-folders.
  if (FAuditorTemplatesDefinida.empty() || validador.DiretorioTemplates() != FAuditorTemplatesDefinida)
    FAuditorTemplatesBase = WithTrailingSlash(validador.DiretorioTemplates());
  const TNotaAuditada nota = LeNotaAuditada(RemoveUtf8Bom(aXml));
  std::string pastaTemplates = FAuditorTemplatesBase;
  if (!nota.Assinada) pastaTemplates += nota.Exportacao ? "TemplateExportacao/" : "Templates/";
  validador.SetDiretorioTemplates(pastaTemplates);
  FAuditorTemplatesDefinida = pastaTemplates;

  std::string resultado = validador.ValidarXml(aXml, aDelimitador);
  if (aExibirHtml) validador.ShowHtml(resultado);
  return resultado;
}

}  // namespace mox
