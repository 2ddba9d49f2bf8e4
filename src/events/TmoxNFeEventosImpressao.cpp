// Printing a registered correction letter: the print parameters from the CC-e print settings,
// handed with the letter to the component's DANFE front.
#include "base/EmoxException.h"
#include "events/TmoxNFeEventos.h"
#include "external/TmoxKivoUtils.h"
#include "utils/moxNFePaths.h"

namespace mox {

namespace {

bool EndsWith(const std::string& aTexto, const std::string& aFim) {
  return aTexto.size() >= aFim.size() && aTexto.compare(aTexto.size() - aFim.size(), aFim.size(), aFim) == 0;
}

}  // namespace

void TmoxNFeEventos::CheckXmlImpressao(const std::string& aXml) {
  ValidarParams(!CheckXmlAutorizado(aXml), "A CCe não está Autorizada.");
}

std::string ArquivoModeloCCe(const std::string& aModeloRTM, const std::string& aDiretorioTemplates) {
  if (!Aparar(aModeloRTM).empty()) return aModeloRTM;
  std::string modelo = aDiretorioTemplates;
  RemoveVersaoManualDoPath(modelo);
  return modelo + "cce/Impressao/ModeloCCe.rtm";
}

void TmoxNFeEventos::LoadImpressaoCCeSettings() {
  const TmoxImpressaoCCeSettings& s = ImpressaoCCeSettings;
  const std::string modelo = ArquivoModeloCCe(s.ModeloRTM, DiretorioTemplates);
  FPrintSettings = {"QtdeCopias=" + std::to_string(s.QtdeCopias), "ArquivoRtm=" + modelo,
                    "LogotipoEmitente=" + s.LogotipoEmitente, "LineDelimiter=" + s.LineDelimiter};
}

void TmoxNFeEventos::ImprimeCCe(const std::string& aXmlCCe, void (TmoxFrenteImpressao::*aOperacao)()) {
  if (!DanfeNFe) throw EmoxCCeReportException("Frente de impressão da CCe não configurada.", DiretorioLogErro);
  std::string params;
  for (const std::string& linha : FPrintSettings) params += linha + "\r\n";
  DanfeNFe->SetXML(aXmlCCe);
  DanfeNFe->SetParams(params);
  (DanfeNFe->*aOperacao)();
}

void TmoxNFeEventos::ImprimirCCe(const std::string& aXmlCCe, const std::string& aImpressora) {
  CheckXmlImpressao(aXmlCCe);
  LoadImpressaoCCeSettings();
  FPrintSettings.push_back("Impressora=" + aImpressora);
  ImprimeCCe(aXmlCCe, &TmoxFrenteImpressao::Imprimir);
}

void TmoxNFeEventos::VisualizarCCe(const std::string& aXmlCCe) {
  CheckXmlImpressao(aXmlCCe);
  LoadImpressaoCCeSettings();
  ImprimeCCe(aXmlCCe, &TmoxFrenteImpressao::Visualizar);
}

void TmoxNFeEventos::EditarModeloCCe(const std::string& aXmlCCe) {
  CheckXmlImpressao(aXmlCCe);
  LoadImpressaoCCeSettings();
  ImprimeCCe(aXmlCCe, &TmoxFrenteImpressao::Editar);
}

void TmoxNFeEventos::ExportarCCe(const std::string& aXmlCCe, const std::string& aSalvarComo) {
  CheckXmlImpressao(aXmlCCe);
  LoadImpressaoCCeSettings();
  ImpressaoCCeSettings.SalvarComo = aSalvarComo;
  std::string arquivo = aSalvarComo;
  if (arquivo.empty()) {
    if (!OnSalvarComo)
      throw EmoxEventoCheckParams("Nome do arquivo de exportação não informado.", DiretorioLogErro);
    if (!OnSalvarComo(arquivo) || arquivo.empty()) return;
  }
  if (EndsWith(arquivo, ".htm") || EndsWith(arquivo, ".html")) FPrintSettings.push_back("FormatoExportacao=2");
  FPrintSettings.push_back("SalvarComo=" + arquivo);
  ImprimeCCe(aXmlCCe, &TmoxFrenteImpressao::Exportar);
}

}  // namespace mox
