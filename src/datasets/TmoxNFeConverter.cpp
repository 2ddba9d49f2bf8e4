#include "datasets/TmoxNFeConverter.h"

#include "base/EmoxException.h"
#include "datasets/TmoxNFeConvDic.h"
#include "datasets/TmoxNFeConvTXTDataSet.h"
#include "datasets/TmoxNFeConvXmlToDataset.h"
#include "datasets/TmoxNFeRecToDs.h"
#include "external/TmoxKivoUtils.h"
#include "external/moxPaths.h"

namespace mox {

std::string VersaoLeiauteDoEsquema(TVersaoEsquema aVersao) {
  if (aVersao <= TVersaoEsquema::pl_005f) return "1.10";
  if (aVersao <= TVersaoEsquema::pl_006v) return "2.00";
  if (aVersao <= TVersaoEsquema::pl_008i1) return "3.10";
  return "4.00";
}

TmoxNFeConverter::TmoxNFeConverter() = default;
TmoxNFeConverter::~TmoxNFeConverter() = default;

TmoxKivoUtils& TmoxNFeConverter::Utils() {
  if (!FUtils) FUtils = std::make_unique<TmoxKivoUtils>();
  return *FUtils;
}

void TmoxNFeConverter::SetDiretorioTemplates(const std::string& aValue) {
  fDiretorioTemplates = aValue;
  if (!fDiretorioTemplates.empty() && fDiretorioTemplates.back() != '/' && fDiretorioTemplates.back() != '\\')
    fDiretorioTemplates += '/';
}

std::string TmoxNFeConverter::GetTemplateCompletePath(const std::string& aTemplate) {
  const std::string path = Utils().ExpandPath(fDiretorioTemplates + "Conversor/" + aTemplate);
  if (!FileExists(path))
    throw EmoxTemplateNotFoundException::CreateFmt("Arquivo de template do conversor não encontrado: %s", {path},
                                                   fDiretorioLogErro);
  return path;
}

std::string TmoxNFeConverter::Dicionario(bool aExportacao) {
  return GetTemplateCompletePath(aExportacao ? "NFeDataSets_Exportacao.xml" : "NFeDataSets.xml");
}

std::string TmoxNFeConverter::ConvertToXml(const std::string& aArqTxt, const std::string& Versao,
                                           TLayoutConvKind aLayotConv, TVersaoEsquema aVersaoEsquema,
                                           bool aExportacao) {
  switch (aLayotConv) {
    case TLayoutConvKind::lkTXTDic: {
      // The mapping files belong to the manual version, like the dictionaries beside them.
      TmoxNFeConvDic conversor;
      conversor.SetDiretorioTemplates(Utils().ExpandPath(fDiretorioTemplates));
      conversor.SetDiretorioLogErro(fDiretorioLogErro);
      conversor.SetArquivo(aArqTxt);
      try {
        return conversor.Converter(false, Versao);
      } catch (const EmoxNFeCheckTXT& e) {
        if (conversor.LinhaAtual() == 0) throw;
        throw EmoxNFeCheckTXT::CreateFmt("Linha %s: %s", {std::to_string(conversor.LinhaAtual()), e.what()},
                                         fDiretorioLogErro);
      }
    }
    case TLayoutConvKind::lkTXTDataSet: {
      TmoxNFeConvTXTDataSet conversor;
      conversor.SetDiretorioLogErro(fDiretorioLogErro);
      conversor.SetVersaoEsquema(aVersaoEsquema);
      conversor.SetXMLDicionario(Dicionario(aExportacao));
      conversor.SetTXT(aArqTxt);
      if (OnProgresso)
        conversor.OnProgresso = [this](size_t aLinha, size_t aTotal) { OnProgresso(aLinha + 1, aTotal); };
      return conversor.Converter();
    }
    case TLayoutConvKind::lkTXTRec: {
      TmoxNFeRecToDs conversor;
      conversor.SetVersaoEsquema(aVersaoEsquema);
      conversor.SetXMLDicionario(Dicionario(aExportacao));
      const bool arquivo = aArqTxt.find_first_of("\r\n") == std::string::npos && FileExists(aArqTxt);
      conversor.SetTXT(arquivo ? Utils().LoadFromFileUTF8(aArqTxt) : aArqTxt);
      conversor.OnProgresso = OnProgresso;
      std::string lote;
      try {
        lote = conversor.ConverterXML();
      } catch (const std::exception& e) {
        // A failure on a line names it; the save after the last line names where that note began.
        if (conversor.LinhaAtual() > 0)
          throw EmoxNFeCheckTXT::CreateFmt("Linha %s: %s", {std::to_string(conversor.LinhaAtual()), e.what()},
                                           fDiretorioLogErro);
        if (conversor.LinhaDaNota() == 0) throw;
        throw EmoxNFeCheckTXT::CreateFmt("Nota iniciada na linha %s: %s",
                                         {std::to_string(conversor.LinhaDaNota()), e.what()}, fDiretorioLogErro);
      }
      // A value that went nowhere is a value the user typed and would not see in the note.
      if (!conversor.ErrorList().empty()) {
        std::string erros = "Valores do arquivo não convertidos:";
        for (const auto& linha : conversor.ErrorList()) erros += "\r" + linha;
        throw EmoxNFeCheckTXT(erros, fDiretorioLogErro);
      }
      return lote;
    }
  }
  throw EmoxNFEConvertDateException("Layout de Conversão Inválido.", fDiretorioLogErro);
}

std::unique_ptr<TmoxNFeDataSets> TmoxNFeConverter::ConvertXmlToDataSet(const std::string& aXML,
                                                                       const std::string& /*Versao*/,
                                                                       TVersaoEsquema aVersaoEsquema, bool aExportacao,
                                                                       std::vector<std::string>* aTX2,
                                                                       std::vector<std::string>* aDadosAutorizacao) {
  TmoxNFeConvXmlToDataset conversor(Utils());
  conversor.SetDiretorioLogErro(fDiretorioLogErro);
  conversor.SetVersaoEsquema(aVersaoEsquema);
  conversor.SetXmlDicionario(Dicionario(aExportacao));
  conversor.SetXml(aXML);
  conversor.SetTX2(aTX2);
  auto ds = conversor.ConvertDataset();
  if (aDadosAutorizacao) *aDadosAutorizacao = conversor.DadosAutorizacao();
  return ds;
}

std::string TmoxNFeConverter::GeraNFs_Random(int Qtde, const std::string& UF, const std::string& CNPJ,
                                             const std::string& Versao) {
  TmoxNFeConvDic conversor;
  conversor.SetDiretorioTemplates(Utils().ExpandPath(fDiretorioTemplates));
  conversor.SetDiretorioLogErro(fDiretorioLogErro);
  return conversor.GeraNFs_Random(Qtde, UF, CNPJ, Versao);
}

}  // namespace mox
