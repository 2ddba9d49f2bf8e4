// Folders, templates and print parameters of the component.
#include "base/EmoxException.h"
#include "component/TmoxCustomNFe.h"
#include "base/moxEnumTexts.h"
#include "external/TmoxKivoUtils.h"
#include "external/moxPaths.h"
#include "utils/moxNFePaths.h"

namespace mox {

namespace {

// Expands and creates a folder; the folder is returned even when it cannot be created, so the
// operation that uses it reports the failure in its own words.
std::string PastaCriada(const std::string& aPath) {
  std::string p = WithTrailingSlash(ExpandPath(aPath));
  CreateDirectories(p);
  return p;
}

}  // namespace

void TmoxCustomNFe::UpdatePathVersaoManual(std::string& aPath) {
  RemoveVersaoManualDoPath(aPath);
  aPath += PastaVersaoManual(fVersaoManual) + "/";
}

std::string TmoxCustomNFe::PastaDaVersao(std::string& aField, const char* aDefault) {
  if (aField.empty()) aField = aDefault;
  // The setting always names a folder, whether or not it exists yet: cutting a missing
  // "Templates" down to its parent would point every version at the program folder.
  std::string path = WithTrailingSlash(ExpandPath(aField));
  UpdatePathVersaoManual(path);
  return path;
}

std::string TmoxCustomNFe::DiretorioTemplates() { return PastaDaVersao(FDiretorioTemplates, "Templates/"); }

void TmoxCustomNFe::SetDiretorioTemplates(const std::string& aValue) { FDiretorioTemplates = aValue; }

std::string TmoxCustomNFe::DiretorioEsquemas() { return PastaDaVersao(FDiretorioEsquemas, "Esquemas/"); }

std::string TmoxCustomNFe::ArquivoServidoresHom() const { return ExpandPath(FArquivoServidoresHom); }

std::string TmoxCustomNFe::ArquivoServidoresProd() const { return ExpandPath(FArquivoServidoresProd); }

std::string TmoxCustomNFe::DiretorioLog() const { return FDiretorioLog.empty() ? "Log/" : FDiretorioLog; }

std::string TmoxCustomNFe::DiretorioLogErro() {
  if (FDiretorioLogErro.empty()) FDiretorioLogErro = GetActualDir() + "LogErro/";
  FDiretorioLogErro = PastaCriada(FDiretorioLogErro);
  return FDiretorioLogErro;
}

void TmoxCustomNFe::SetDiretorioLogErro(const std::string& aValue) {
  FDiretorioLogErro = PastaCriada(aValue.empty() ? GetActualDir() + "LogErro/" : aValue);
}

std::string TmoxCustomNFe::DiretorioTemporario() {
  if (fDirTemp.empty()) return PastaCriada(GetKivoUtils().GetSpecialDirectories(1));
  return PastaCriada(fDirTemp);
}

void TmoxCustomNFe::SetDiretorioTemporario(const std::string& aValue) {
  if (aValue.empty()) {
    fDirTemp.clear();
    return;
  }
  fDirTemp = PastaCriada(aValue);
}

std::string TmoxCustomNFe::GetTemplateFolder() { return DiretorioTemplates() + FUF + (FUF.empty() ? "" : "/"); }

std::string TmoxCustomNFe::LoadTemplate(const std::string& aXMLFileName) {
  const std::string path = GetTemplateFolder() + aXMLFileName;
  if (!FileExists(path))
    throw EmoxTemplateNotFoundException::CreateFmt("Arquivo de template não encontrado: %s", {path},
                                                   DiretorioLogErro());
  return GetKivoUtils().LoadFromFileUTF8(path);
}

std::string TmoxCustomNFe::GetURIEsquema() { return TmoxKivoUtils::kNFeNamespace; }

void TmoxCustomNFe::LoadDanfeSettings() {
  TDanfeSettings& d = *FDanfeSettings;
  const std::string templates = DiretorioTemplates();
  const std::string versao = VersaoManualToStr(fVersaoManual);
  auto modelo = [&](const std::string& aModelo, const char* aPadrao) {
    return FileExists(aModelo) ? aModelo : templates + "Danfe/" + aPadrao;
  };
  FPrintSettings = {
      "QtdeCopias=" + std::to_string(d.QtdeCopias()),
      "Versao=" + versao,
      "ModeloRetrato=" + modelo(d.ModeloRetrato(), "retrato.rtm"),
      "ModeloPaisagem=" + modelo(d.ModeloPaisagem(), "paisagem.rtm"),
      "LogotipoEmitente=" + d.LogotipoEmitente(),
      "FraseContingencia=" + d.FraseContingencia(),
      "FraseHomologacao=" + d.FraseHomologacao(),
      "VersaoManual=" + versao,
      "LineDelimiter=" + d.LineDelimiter(),
      "InfCplMaxCol=" + std::to_string(d.InfCplMaxCol()),
      "InfCplMaxRow=" + std::to_string(d.InfCplMaxRow()),
      std::string("ImprimirVolume=") + BoolParam(d.ImprimirVolume()),
      std::string("ImprimirDuplicata=") + BoolParam(d.ImprimirDuplicata()),
      std::string("mensagemPartilhaAutomatica=") + BoolParam(d.MensagemPartilhaAutomatica()),
      std::string("ImprimirUnidadeTributada=") + BoolParam(d.ImprimirUnidadeTributada()),
      "ModeloRTMCCe=" + d.ModeloRTMCCe(),
  };
}

}  // namespace mox
