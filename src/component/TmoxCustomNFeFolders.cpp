// Folders, templates and print parameters of the component.
#include "base/EmoxException.h"
#include "component/TmoxCustomNFe.h"
#include "base/moxEnumTexts.h"
#include "external/TmoxKivoUtils.h"
#include "external/moxPaths.h"
#include "utils/moxNFePaths.h"

namespace mox {

std::string TmoxCustomNFe::PastaCriada(const std::string& aPath) const {
  std::string p = WithTrailingSlash(aPath);
  if (!FSomenteLeitura) CreateDirectories(p);
  return p;
}

// Relative settings are taken from the folder of the configuration file in use, or from the
// current folder when there is none; an empty setting means the default place (docs/caminhos.md).
std::string TmoxCustomNFe::Caminho(const std::string& aValor) const { return AbsolutePath(aValor, FPastaConfiguracao); }

std::string TmoxCustomNFe::PastaGravavel(const std::string& aValor, const char* aPadrao) const {
  return WithTrailingSlash(aValor.empty() ? UserDataDir() + aPadrao : Caminho(aValor));
}

void TmoxCustomNFe::UpdatePathVersaoManual(std::string& aPath) {
  RemoveVersaoManualDoPath(aPath);
  aPath += PastaVersaoManual(fVersaoManual) + "/";
}

std::string TmoxCustomNFe::PastaDaVersao(const std::string& aField, const char* aDefault) {
  // The setting always names a folder, whether or not it exists yet: cutting a missing
  // "Templates" down to its parent would point every version at its parent folder.
  std::string path = WithTrailingSlash(aField.empty() ? FindDataFile(aDefault) : Caminho(aField));
  UpdatePathVersaoManual(path);
  return path;
}

std::string TmoxCustomNFe::DiretorioTemplates() { return PastaDaVersao(FDiretorioTemplates, "Templates/"); }

void TmoxCustomNFe::SetDiretorioTemplates(const std::string& aValue) { FDiretorioTemplates = aValue; }

std::string TmoxCustomNFe::DiretorioEsquemas() { return PastaDaVersao(FDiretorioEsquemas, "Esquemas/"); }

std::string TmoxCustomNFe::ArquivoDeDados(const std::string& aValor) const {
  if (aValor.empty()) return {};
  const std::string proprio = Caminho(aValor);
  if (IsAbsolutePath(NormalizeSeparators(aValor)) || FileExists(proprio)) return proprio;
  const std::string instalado = FindDataFile(aValor);
  return FileExists(instalado) ? instalado : proprio;
}

std::string TmoxCustomNFe::ArquivoServidoresHom() const { return ArquivoDeDados(FArquivoServidoresHom); }

std::string TmoxCustomNFe::ArquivoServidoresProd() const { return ArquivoDeDados(FArquivoServidoresProd); }

std::string TmoxCustomNFe::DiretorioLog() const { return PastaGravavel(FDiretorioLog, "Log/"); }

std::string TmoxCustomNFe::DiretorioLogErro() {
  if (FDiretorioLogErro.empty()) FDiretorioLogErro = PastaGravavel("", "LogErro/");
  return PastaCriada(FDiretorioLogErro);
}

void TmoxCustomNFe::SetDiretorioLogErro(const std::string& aValue) {
  FDiretorioLogErro = PastaCriada(PastaGravavel(aValue, "LogErro/"));
}

std::string TmoxCustomNFe::DiretorioTemporario() {
  return PastaCriada(fDirTemp.empty() ? GetKivoUtils().GetSpecialDirectories(1) : fDirTemp);
}

void TmoxCustomNFe::SetDiretorioTemporario(const std::string& aValue) {
  if (aValue.empty()) {
    fDirTemp.clear();
    return;
  }
  fDirTemp = PastaCriada(Caminho(aValue));
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
