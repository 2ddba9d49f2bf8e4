#pragma once
// The converter front: finds the converter templates and runs the reader of the requested input
// layout (blocked text, TX2, record layout) or of NF-e XML.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/moxTypes.h"
#include "datasets/TmoxNFeDataSets.h"

namespace mox {

class TmoxKivoUtils;

enum class TLayoutConvKind { lkTXTDic = 0, lkTXTDataSet = 1, lkTXTRec = 2 };

// The "versao" of the infNFe of a schema package: "1.10", "2.00" or "3.10".
std::string VersaoLeiauteDoEsquema(TVersaoEsquema aVersao);

class TmoxNFeConverter {
 public:
  // Reports the 1-based line being converted and the number of lines of the text readers.
  using TOnProgresso = std::function<void(size_t aLinha, size_t aTotal)>;

  TmoxNFeConverter();
  ~TmoxNFeConverter();
  TmoxNFeConverter(const TmoxNFeConverter&) = delete;
  TmoxNFeConverter& operator=(const TmoxNFeConverter&) = delete;

  // The templates folder of the manual version; stored with a trailing separator.
  const std::string& DiretorioTemplates() const { return fDiretorioTemplates; }
  void SetDiretorioTemplates(const std::string& aValue);
  const std::string& DiretorioLogErro() const { return fDiretorioLogErro; }
  void SetDiretorioLogErro(const std::string& aValue) { fDiretorioLogErro = aValue; }

  TOnProgresso OnProgresso;

  // The expanded path of DiretorioTemplates + "Conversor/" + aTemplate; raises
  // EmoxTemplateNotFoundException when it does not exist.
  std::string GetTemplateCompletePath(const std::string& aTemplate);
  // The batch of infNFe texts of a text file (or, for TX2 and the record layout, of the text
  // itself), each followed by CR LF for the data-set layouts. A record-layout value that could
  // not be stored fails the conversion with every such line listed.
  std::string ConvertToXml(const std::string& aArqTxt, const std::string& Versao, TLayoutConvKind aLayotConv,
                           TVersaoEsquema aVersaoEsquema, bool aExportacao);
  // The notes of an NF-e XML in new data sets owned by the caller. aTX2 receives the equivalent
  // TX2 lines and aDadosAutorizacao the protocol's data when given. Versao is not used.
  std::unique_ptr<TmoxNFeDataSets> ConvertXmlToDataSet(const std::string& aXML, const std::string& Versao,
                                                       TVersaoEsquema aVersaoEsquema, bool aExportacao,
                                                       std::vector<std::string>* aTX2 = nullptr,
                                                       std::vector<std::string>* aDadosAutorizacao = nullptr);
  // Random test notes of the blocked layout from "template.txt".
  std::string GeraNFs_Random(int Qtde, const std::string& UF, const std::string& CNPJ, const std::string& Versao);

 private:
  TmoxKivoUtils& Utils();
  std::string Dicionario(bool aExportacao);

  std::unique_ptr<TmoxKivoUtils> FUtils;
  std::string fDiretorioTemplates;
  std::string fDiretorioLogErro;
};

}  // namespace mox
