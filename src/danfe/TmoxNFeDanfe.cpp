#include "danfe/TmoxNFeDanfe.h"

#include "base/EmoxException.h"
#include "base/moxEnumTexts.h"
#include "danfe/TmoxDadosImpressaoEvento.h"
#include "danfe/TmoxNFeDanfeDados.h"
#include "datasets/moxSerializer5.h"
#include "external/TmoxKivoUtils.h"
#include "external/TmoxKivoX.h"
#include "external/moxPaths.h"
#include "utils/moxXmlLookup.h"

namespace mox {

namespace {

// "0" false, any other number true, or "True"/"False".
bool TextoBooleano(const std::string& aTexto) {
  if (aTexto == "True" || aTexto == "true") return true;
  if (aTexto == "False" || aTexto == "false") return false;
  size_t usados = 0;
  long n = std::stol(aTexto, &usados);
  if (usados != aTexto.size()) throw std::invalid_argument(aTexto);
  return n != 0;
}

int TextoInteiro(const std::string& aTexto) {
  size_t usados = 0;
  int n = std::stoi(aTexto, &usados);
  if (usados != aTexto.size()) throw std::invalid_argument(aTexto);
  return n;
}

}  // namespace

TmoxNFeDanfe::TmoxNFeDanfe() = default;
TmoxNFeDanfe::~TmoxNFeDanfe() = default;

TmoxKivoX& TmoxNFeDanfe::GetKivo() {
  if (!FKivo) {
    FKivo = std::make_unique<TmoxKivoX>();
    FKivo->PrintSettings.Copies = 1;
  }
  return *FKivo;
}

TmoxKivoUtils& TmoxNFeDanfe::GetKivoUtils() {
  if (!FUtils) {
    FUtils = std::make_unique<TmoxKivoUtils>();
    fDadosCCe = std::make_unique<TmoxCCeDadosImpressao>(FUtils.get());
    fDadosCanc = std::make_unique<TmoxCancDadosImpressao>(FUtils.get());
  }
  return *FUtils;
}

void TmoxNFeDanfe::SetVersao(TVersaoManual aValue) {
  fVersaoManual = aValue;
  switch (aValue) {
    case TVersaoManual::vm202a: fDados = std::make_unique<TmoxNFeDanfeDados202>(); break;
    case TVersaoManual::vm30: fDados = std::make_unique<TmoxNFeDanfeDados30>(); break;
    case TVersaoManual::vm40: fDados = std::make_unique<TmoxNFeDanfeDados40>(); break;
    case TVersaoManual::vm50:
    case TVersaoManual::vm50a:
    case TVersaoManual::vm60: fDados = std::make_unique<TmoxNFeDanfeDados50>(); break;
  }
  fDados->SetFraseContingencia("DANFE em Contingência - impresso em decorrência de problemas técnicos");
  fDados->SetFraseHomologacao("SEM VALOR FISCAL");
}

void TmoxNFeDanfe::SetParams(const std::string& aValue) { GetKivo().PrintSettings.Params = aValue; }
std::string TmoxNFeDanfe::GetParams() { return GetKivo().PrintSettings.Params; }
void TmoxNFeDanfe::SetXML(const std::string& aValue) { GetKivo().PrintSettings.XML = aValue; }
std::string TmoxNFeDanfe::GetXML() { return GetKivo().PrintSettings.XML; }

void TmoxNFeDanfe::LoadParams() {
  TKivoPrintSettings& print = GetKivo().PrintSettings;
  TmoxKivoUtils& utils = GetKivoUtils();
  const std::string params = print.Params;
  auto p = [&](const char* aChave) { return utils.GetValueParam(params, aChave); };
  try {
    if (std::string versao = p("VersaoManual"); !versao.empty()) SetVersao(StrToVersaoManual(versao));
    if (!fDados) SetVersao(fVersaoManual);
    fModeloRetrato = p("ModeloRetrato");
    fModeloPaisagem = p("ModeloPaisagem");
    print.Logo = p("LogotipoEmitente");
    fDados->SetFraseContingencia(p("FraseContingencia"));
    fDados->SetFraseHomologacao(p("FraseHomologacao"));
    fDados->SetProtocoloDPEC(p("ProtocoloDPEC"));
    fDados->SetDataHoraDPEC(p("DataHoraDPEC"));
    fDados->SetProtocoloEPEC(p("ProtocoloEPEC"));
    fDados->SetDataHoraEPEC(p("DataHoraEPEC"));
    std::string delimitador = p("LineDelimiter");
    fDados->SetLineDelimiter(delimitador);
    fDadosCCe->SetLineDelimiter(delimitador);
    fDadosCanc->SetLineDelimiter(delimitador);
    if (auto v = p("ImprimirVolume"); !v.empty()) fDados->SetImprimirVolume(TextoBooleano(v));
    if (auto v = p("ImprimirDuplicata"); !v.empty()) fDados->SetImprimirDuplicata(TextoBooleano(v));
    if (auto v = p("ImprimirUnidadeTributada"); !v.empty()) fDados->SetImprimirUnidadeTributada(TextoBooleano(v));
    if (auto v = p("MensagemPartilhaAutomatica"); !v.empty()) fDados->SetMensagemPartilhaAutomatica(TextoBooleano(v));
    if (auto v = p("QtdeCopias"); !v.empty()) print.Copies = TextoInteiro(v);
    if (auto v = p("InfCplMaxCol"); !v.empty()) fDados->SetInfCplMaxCol(TextoInteiro(v));
    if (auto v = p("InfCplMaxRow"); !v.empty()) fDados->SetInfCplMaxRow(TextoInteiro(v));
    if (auto v = p("ValidarRegrasNegocio"); !v.empty()) fDados->SetValidarRegrasNegocio(TextoBooleano(v));
    // The format belongs to one export and does not stick to the next: 2 HTML, else PDF (or by
    // the output file's extension).
    print.ReportFormat = p("FormatoExportacao") == "2" ? 2 : 1;
  } catch (const EmoxException&) {
    throw;
  } catch (const std::exception&) {
    throw EmoxNFeCheckParams("Erro ao ler parâmetros de impressão", fDiretorioLogErro);
  }
  print.RTMFile = GetFileModelo();
  if (auto v = p("Impressora"); !v.empty()) print.PrinterName = v;
  if (auto v = p("SalvarComo"); !v.empty()) print.SaveAs = v;
  if (!print.Logo.empty() && !FileExists(utils.ExpandPath(print.Logo))) print.Logo.clear();
  if (!print.Logo.empty()) print.Logo = utils.ExpandPath(print.Logo);
  if (!FileExists(print.RTMFile))
    throw EmoxNFeReportException("Arquivo \"" + print.RTMFile + "\" não encontrado.", fDiretorioLogErro);
}

std::string TmoxNFeDanfe::GetFileModelo() {
  TmoxKivoUtils& utils = GetKivoUtils();
  std::string modelo;
  if (IsCCe()) modelo = utils.GetValueParam(GetKivo().PrintSettings.Params, "ArquivoRtm");
  else if (GetValueTag("tpImp", GetKivo().PrintSettings.XML) == "2") modelo = fModeloPaisagem;
  else modelo = fModeloRetrato;
  return modelo.empty() ? modelo : utils.ExpandPath(modelo);
}

std::string TmoxNFeDanfe::TipoEvento(const char* aErro) {
  try {
    TmoxKivoUtils& utils = GetKivoUtils();
    std::string xml = GetKivo().PrintSettings.XML;
    if (xml.size() < 4096 && xml.find('<') == std::string::npos && FileExists(xml)) xml = utils.LoadFromFileUTF8(xml);
    if (xml.find("tpEvento") == std::string::npos) return {};
    return utils.GetValueTag("tpEvento", xml, "evento");
  } catch (const std::exception&) {
    throw EmoxNFeReportException(aErro, fDiretorioLogErro);
  }
}

bool TmoxNFeDanfe::IsCCe() { return TipoEvento("Foi encontrado um erro ao verificar se o XML é uma CCe") == "110110"; }

bool TmoxNFeDanfe::IsCanc() {
  return TipoEvento("Foi encontrado um erro ao verificar se o XML é um Cancelamento") == "110111";
}

void TmoxNFeDanfe::PopulaDataSet() {
  TKivoPrintSettings& print = GetKivo().PrintSettings;
  std::vector<TmoxDataSource*> fontes;
  if (IsCCe()) {
    if (print.XML.empty()) throw EmoxCCeReportException("XML para impressão da CCe está vazio.", fDiretorioLogErro);
    fDadosCCe->SetXml(print.XML);
    fDadosCCe->PopulaDataSet();
    fontes = {fDadosCCe->DataSource()};
  } else if (IsCanc()) {
    if (print.XML.empty())
      throw EmoxNFeReportNotFoundException("XML para impressão da Canc está vazio.", fDiretorioLogErro);
    fDadosCanc->SetXml(print.XML);
    fDadosCanc->PopulaDataSet();
    fontes = {fDadosCanc->DataSource()};
  } else {
    if (print.XML.empty()) throw EmoxNFeReportException("XML para impressão da Danfe está vazio.", fDiretorioLogErro);
    fDados->SetDiretorioLogErro(fDiretorioLogErro);
    fDados->SetXml(print.XML);
    fDados->PopulaDataSet();
    TmoxNFeDanfeDados& d = *fDados;
    fontes = {d.DataSource(),          d.DataSourceItens(),         d.DataSourceCobranca(),
              d.DataSourceFatura(),    d.DataSourceMed(),           d.DataSourceVeic(),
              d.DataSourceRefNFe(),    d.DataSourceRefNF1A(),       d.DataSourceRefProdutor(),
              d.DataSourceRefCupomFiscal(), d.DataSourceRefCTe()};
  }
  print.DataSources = SerializeTDataSourceList(&fontes);
}

void TmoxNFeDanfe::ClearDataSet() {
  if (fDados)
    for (TmoxDataSet* ds : fDados->DataSets()) {
      ds->EmptyDataSet();
      ds->Close();
      ds->Open();
    }
  for (TmoxDadosImpressaoEvento* evento : {static_cast<TmoxDadosImpressaoEvento*>(fDadosCCe.get()),
                                          static_cast<TmoxDadosImpressaoEvento*>(fDadosCanc.get())})
    if (evento) {
      evento->LimparDataSet();
      evento->DataSet().Close();
      evento->DataSet().Open();
    }
}

template <typename F>
void TmoxNFeDanfe::Operacao(F&& aReport) {
  try {
    LoadParams();
    PopulaDataSet();
    aReport(GetKivo());
    ClearDataSet();
  } catch (const std::exception& e) {
    ClearDataSet();
    throw EmoxException(e.what(), fDiretorioLogErro);
  }
}

void TmoxNFeDanfe::Imprimir() {
  Operacao([](TmoxKivoX& aKivo) { aKivo.PrintReport(); });
}
void TmoxNFeDanfe::Visualizar() {
  Operacao([](TmoxKivoX& aKivo) { aKivo.PreviewReport(); });
}
void TmoxNFeDanfe::Exportar() {
  Operacao([](TmoxKivoX& aKivo) { aKivo.ExportReport(); });
}
void TmoxNFeDanfe::Editar() {
  Operacao([](TmoxKivoX& aKivo) { aKivo.EditReport(); });
}

}  // namespace mox
