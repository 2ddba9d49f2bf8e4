// The component's DANFE operations: the print parameters rebuilt from the DANFE settings, the
// report model chosen for the note, and the DANFE front doing the print, preview, export or
// design.
#include <filesystem>

#include "base/EmoxException.h"
#include "component/TmoxCustomNFe.h"
#include "danfe/TmoxNFeDanfe.h"
#include "events/TmoxNFeEventos.h"
#include "external/TmoxKivoUtils.h"
#include "external/moxPaths.h"
#include "utils/moxNFePaths.h"

namespace mox {

TmoxNFeDanfe* TmoxCustomNFe::GetDanfeNFe() {
  if (!FDanfeNFe) {
    FDanfeNFe = std::make_unique<TmoxNFeDanfe>();
    FDanfeNFe->SetVersao(VersaoManual());
  }
  FDanfeNFe->SetDiretorioLogErro(DiretorioLogErro());
  return FDanfeNFe.get();
}

std::string TmoxCustomNFe::PrintParams() const {
  std::string params;
  for (const std::string& linha : FPrintSettings) params += linha + "\r\n";
  return params;
}

void TmoxCustomNFe::SetPrintParam(const std::string& aChave, const std::string& aValor) {
  const std::string prefixo = aChave + "=";
  for (std::string& linha : FPrintSettings)
    if (linha.compare(0, prefixo.size(), prefixo) == 0) {
      linha = prefixo + aValor;
      return;
    }
  FPrintSettings.push_back(prefixo + aValor);
}

std::string TmoxCustomNFe::TipoEvento(const std::string& aXml) {
  if (aXml.find("tpEvento") == std::string::npos) return {};
  try {
    return GetKivoUtils().GetValueTag("tpEvento", aXml, "evento");
  } catch (const std::exception&) {
    return {};  // not an event the lookup can read: printed as a note
  }
}

bool TmoxCustomNFe::isXMLCancelamento(const std::string& aXml) { return TipoEvento(aXml) == "110111"; }

void TmoxCustomNFe::GetParametroArquivoModeloRTM(const std::string& aArquivoModelo, const std::string& aXml) {
  if (!aArquivoModelo.empty()) {
    SetPrintParam("ModeloRetrato", aArquivoModelo);
    SetPrintParam("ModeloPaisagem", aArquivoModelo);
  }
  if (DanfeSimplificado()) {
    std::string tpEmis;
    try {
      tpEmis = GetKivoUtils().GetValueTag("tpEmis", aXml);
    } catch (const std::exception&) {
      // No readable tpEmis: the note is not a normal or SCAN emission.
    }
    if (tpEmis != "1" && tpEmis != "3")
      throw EmoxNFeException("Uso do Modelo RTM Danfe Simplificado apenas para NFe em modo Normal ou Scan.",
                             DiretorioLogErro());
    if (aArquivoModelo.empty()) {
      std::string simplificado = DanfeSettings().ModeloDanfeSimplificado();
      if (simplificado.empty()) simplificado = DiretorioTemplates() + "Danfe/DanfeSimplificado.rtm";
      SetPrintParam("ModeloRetrato", simplificado);
      SetPrintParam("ModeloPaisagem", simplificado);
    }
  }
  if (isXMLCancelamento(aXml)) SetPrintParam("ModeloRetrato", DiretorioTemplates() + "Danfe/RetratoCanc.rtm");
  // A correction letter met among the notes (a recipient folder holds them) prints with its model.
  if (TipoEvento(aXml) == "110110")
    SetPrintParam("ArquivoRtm", ArquivoModeloCCe(DanfeSettings().ModeloRTMCCe(), DiretorioTemplates()));
}

std::string TmoxCustomNFe::ArquivoExportacao(const std::string& aArquivo) {
  if (!aArquivo.empty()) return aArquivo;
  if (!OnSalvarComo)
    throw EmoxCheckParams("Nome do arquivo de exportação não informado.", DiretorioLogErro());
  std::string escolhido;
  if (!OnSalvarComo(escolhido)) return {};
  return escolhido;  // empty when the host gave no name
}

void TmoxCustomNFe::CheckFormato(int aFormato) {
  if (aFormato != 1 && aFormato != 2)
    throw EmoxCheckParams::CreateFmt("Formato de exportação inválido: %s. Use 1 (PDF) ou 2 (HTML).",
                                     {std::to_string(aFormato)}, DiretorioLogErro());
}

std::string TmoxCustomNFe::PreparaDanfe(const std::string& aLoteNotas, const std::string& aArquivoModelo) {
  LoadDanfeSettings();
  std::string xml = GetKivoUtils().RemoveBOM(aLoteNotas);
  GetParametroArquivoModeloRTM(aArquivoModelo, xml);
  return xml;
}

void TmoxCustomNFe::ExecutaDanfe(const std::string& aXml, void (TmoxNFeDanfe::*aOperacao)()) {
  TmoxNFeDanfe& danfe = *GetDanfeNFe();
  danfe.SetParams(PrintParams());
  danfe.SetXML(aXml);
  (danfe.*aOperacao)();
}

void TmoxCustomNFe::ImprimirDanfe(const std::string& /*aNumLote*/, const std::string& aLoteNotas,
                                  const std::string& aArquivoModelo, const std::string& aImpressora) {
  const std::string xml = PreparaDanfe(aLoteNotas, aArquivoModelo);
  SetPrintParam("Impressora", aImpressora);
  ExecutaDanfe(xml, &TmoxNFeDanfe::Imprimir);
}

void TmoxCustomNFe::VisualizarDanfe(const std::string& /*aNumLote*/, const std::string& aLoteNotas,
                                    const std::string& aArquivoModelo) {
  const std::string xml = PreparaDanfe(aLoteNotas, aArquivoModelo);
  ExecutaDanfe(xml, &TmoxNFeDanfe::Visualizar);
}

void TmoxCustomNFe::EditarModeloDanfe(const std::string& /*aNumLote*/, const std::string& aLoteNotas,
                                      const std::string& aArquivoModelo) {
  const std::string xml = PreparaDanfe(aLoteNotas, aArquivoModelo);
  ExecutaDanfe(xml, &TmoxNFeDanfe::Editar);
}

void TmoxCustomNFe::ExportarDanfe(const std::string& /*aNumLote*/, const std::string& aLoteNotas,
                                  const std::string& aArquivoModelo, int aFormato,
                                  const std::string& aExportarParaArquivo) {
  CheckFormato(aFormato);
  const std::string xml = PreparaDanfe(aLoteNotas, aArquivoModelo);
  SetPrintParam("FormatoExportacao", std::to_string(aFormato));
  const std::string arquivo = ArquivoExportacao(aExportarParaArquivo);
  if (arquivo.empty()) return;
  SetPrintParam("SalvarComo", arquivo);
  ExecutaDanfe(xml, &TmoxNFeDanfe::Exportar);
}

std::string TmoxCustomNFe::TextoPrevia(const std::string& aLoteNotas) {
  TmoxKivoUtils& utils = GetKivoUtils();
  const std::string lote = utils.DynamicRemoveAccents(aLoteNotas, CaracteresRemoverAcentos());
  return utils.RemoveBOM(utils.Escape("<root xmlns=\"http://www.portalfiscal.inf.br/nfe\">" + lote + "</root>"));
}

void TmoxCustomNFe::PreverDanfe(const std::string& aLoteNotas, const std::string& aArquivoModelo) {
  const std::string xml = TextoPrevia(aLoteNotas);
  LoadDanfeSettings();
  SetPrintParam("ValidarRegrasNegocio", "0");
  GetParametroArquivoModeloRTM(aArquivoModelo, xml);
  ExecutaDanfe(xml, &TmoxNFeDanfe::Visualizar);
}

void TmoxCustomNFe::ExportarPreverDanfe(const std::string& aLoteNotas, const std::string& aArquivoModelo,
                                        const std::string& aLocalNomeArquivo) {
  try {
    // The export shows what the preview shows: the same accent-free text.
    const std::string xml = TextoPrevia(aLoteNotas);
    LoadDanfeSettings();
    SetPrintParam("ValidarRegrasNegocio", "0");
    GetParametroArquivoModeloRTM(aArquivoModelo, xml);
    const std::string arquivo = ArquivoExportacao(aLocalNomeArquivo);
    if (arquivo.empty()) return;
    SetPrintParam("SalvarComo", arquivo);
    ExecutaDanfe(xml, &TmoxNFeDanfe::Exportar);
  } catch (const std::exception& e) {
    throw EmoxNFeExportarPreverDanfeException("Falha ao Exportar o PDF de previsão: " + std::string(e.what()));
  }
}

std::vector<std::string> TmoxCustomNFe::ImprimirDanfeXmlDiretorio(const std::string& aDiretorioXml,
                                                                  const std::string& aArquivoModelo,
                                                                  const std::string& aExportarArquivoPara,
                                                                  const std::string& aImpressora) {
  const bool exportar = !aExportarArquivoPara.empty();
  if (exportar && !DirectoryExists(aExportarArquivoPara))
    throw EmoxNFeException("Diretório inválido ou inexistente.", DiretorioLogErro());
  std::vector<std::string> arquivos, problemas;
  PercorrerArquivos(aDiretorioXml, "*.xml", true, arquivos);
  for (const std::string& arquivo : arquivos) {
    try {
      if (!FileExists(arquivo)) throw EmoxNFeException("Arquivo inválido ou inexistente.", DiretorioLogErro());
      const std::string xml = GetKivoUtils().RemoveBOM(GetKivoUtils().LoadFromFileUTF8(arquivo));
      // Rebuilt for every file, so one file's model (a cancellation's) does not reach the next.
      LoadDanfeSettings();
      if (exportar) {
        std::string nome = std::filesystem::path(arquivo).filename().string();
        nome.replace(nome.find(".xml") == std::string::npos ? nome.size() - 4 : nome.find(".xml"), 4, ".pdf");
        SetPrintParam("SalvarComo", WithTrailingSlash(aExportarArquivoPara) + nome);
        SetPrintParam("FormatoExportacao", "1");
      } else {
        SetPrintParam("Impressora", aImpressora);
      }
      GetParametroArquivoModeloRTM(aArquivoModelo, xml);
      ExecutaDanfe(xml, exportar ? &TmoxNFeDanfe::Exportar : &TmoxNFeDanfe::Imprimir);
    } catch (const std::exception& e) {
      // Recorded in the error log; the next file follows.
      problemas.push_back(
          EmoxNFeException("Arquivo " + arquivo + " com problema(s): " + e.what(), DiretorioLogErro()).what());
    }
  }
  return problemas;
}

void TmoxCustomNFe::CheckParamsPrint(const std::string& aProtEPEC, const std::string& aDataHoraEPEC) {
  if (aProtEPEC.empty()) throw EmoxCheckParams("Número de Protocolo do EPEC não foi informado");
  if (aDataHoraEPEC.empty()) throw EmoxCheckParams("Data Hora do EPEC não foi informado");
}

std::string TmoxCustomNFe::PreparaEPEC(const std::string& aLoteNotas, const std::string& aProtEPEC,
                                       const std::string& aDataHoraEPEC, const std::string& aArquivoModelo) {
  CheckParamsPrint(aProtEPEC, aDataHoraEPEC);
  const std::string xml = PreparaDanfe(aLoteNotas, aArquivoModelo);
  SetPrintParam("ProtocoloEPEC", aProtEPEC);
  SetPrintParam("DataHoraEPEC", aDataHoraEPEC);
  return xml;
}

void TmoxCustomNFe::ImprimirEPEC(const std::string& aLoteNotas, const std::string& aProtEPEC,
                                 const std::string& aDataHoraEPEC, const std::string& aArquivoModelo,
                                 const std::string& aImpressora) {
  CheckParamsPrint(aProtEPEC, aDataHoraEPEC);
  LoadDanfeSettings();
  const std::string xml = GetKivoUtils().RemoveBOM(aLoteNotas);
  SetPrintParam("Impressora", aImpressora);
  SetPrintParam("ProtocoloEPEC", aProtEPEC);
  SetPrintParam("DataHoraEPEC", aDataHoraEPEC);
  if (!aArquivoModelo.empty()) {
    SetPrintParam("ModeloRetrato", aArquivoModelo);
    SetPrintParam("ModeloPaisagem", aArquivoModelo);
  }
  ExecutaDanfe(xml, &TmoxNFeDanfe::Imprimir);
}

void TmoxCustomNFe::VisualizarEPEC(const std::string& aLoteNotas, const std::string& aProtEPEC,
                                   const std::string& aDataHoraEPEC, const std::string& aArquivoModelo) {
  const std::string xml = PreparaEPEC(aLoteNotas, aProtEPEC, aDataHoraEPEC, aArquivoModelo);
  ExecutaDanfe(xml, &TmoxNFeDanfe::Visualizar);
}

void TmoxCustomNFe::ExportarEPEC(const std::string& aLoteNotas, const std::string& aProtEPEC,
                                 const std::string& aDataHoraEPEC, const std::string& aArquivoModelo, int aFormato,
                                 const std::string& aExportarParaArquivo) {
  CheckFormato(aFormato);
  const std::string xml = PreparaEPEC(aLoteNotas, aProtEPEC, aDataHoraEPEC, aArquivoModelo);
  SetPrintParam("FormatoExportacao", std::to_string(aFormato));
  const std::string arquivo = ArquivoExportacao(aExportarParaArquivo);
  if (arquivo.empty()) return;
  SetPrintParam("SalvarComo", arquivo);
  ExecutaDanfe(xml, &TmoxNFeDanfe::Exportar);
}

void TmoxCustomNFe::EmailDanfe() {
  throw EmoxNFeException("Este método está obsoleto. Utilize: EnviarNotaDestinatario ou EnviarNotaDestinatarioAnexos",
                         DiretorioLogErro());
}

}  // namespace mox
