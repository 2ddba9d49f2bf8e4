#pragma once
// Print data of the two printed events: the correction letter (CC-e) and the cancellation.
// Each fills one record of a data set named "Dados" from the event XML (or the file it names).
#include <string>

#include "datasets/TmoxDataSet.h"

namespace mox {

class TmoxKivoUtils;

class TmoxDadosImpressaoEvento {
 public:
  explicit TmoxDadosImpressaoEvento(TmoxKivoUtils* aUtils);
  virtual ~TmoxDadosImpressaoEvento() = default;
  TmoxDadosImpressaoEvento(const TmoxDadosImpressaoEvento&) = delete;
  TmoxDadosImpressaoEvento& operator=(const TmoxDadosImpressaoEvento&) = delete;

  TmoxDataSource* DataSource() { return &FDataSource; }
  TmoxDataSet& DataSet() { return FDataSet; }
  const std::string& Xml() const { return FXml; }
  void SetXml(const std::string& v) { FXml = v; }
  const std::string& LineDelimiter() const { return fLineDelimiter; }
  void SetLineDelimiter(const std::string& v) { fLineDelimiter = v; }

  // Empties the data set, appends one record, fills it and posts it.
  void PopulaDataSet();
  virtual void LimparDataSet();

 protected:
  virtual void ObterDados() = 0;
  virtual void DatasetCreateFields() = 0;
  // The event text: Xml, or the contents of the file it names, unescaped.
  std::string TextoDoEvento() const;
  void Set(const char* aField, const std::string& aValue);
  void CriarCampos(const std::vector<std::pair<const char*, int>>& aCampos);

  TmoxKivoUtils* FUtils;
  TmoxDataSet FDataSet{"Dados"};
  TmoxDataSource FDataSource{&FDataSet};
  std::string FXml;
  std::string fLineDelimiter;
};

class TmoxCCeDadosImpressao : public TmoxDadosImpressaoEvento {
 public:
  explicit TmoxCCeDadosImpressao(TmoxKivoUtils* aUtils);

 protected:
  void ObterDados() override;
  void DatasetCreateFields() override;
};

class TmoxCancDadosImpressao : public TmoxDadosImpressaoEvento {
 public:
  explicit TmoxCancDadosImpressao(TmoxKivoUtils* aUtils);

 protected:
  void ObterDados() override;
  void DatasetCreateFields() override;
};

}  // namespace mox
