#pragma once
// DANFE print data: an NF-e text (one note, a lot, or authorized notes with their protocols)
// becomes twelve named data sets whose names and field names are the contract with the DANFE
// report models. One class per manual version; the DANFE front creates the one it needs.
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "datasets/TmoxDataSet.h"

namespace mox {

class TmoxKivoUtils;
class TmoxKivoX;

class TmoxNFeDanfeDados {
 public:
  TmoxNFeDanfeDados();
  virtual ~TmoxNFeDanfeDados();
  TmoxNFeDanfeDados(const TmoxNFeDanfeDados&) = delete;
  TmoxNFeDanfeDados& operator=(const TmoxNFeDanfeDados&) = delete;

  TmoxDataSource* DataSource() { return &fDataSource; }
  TmoxDataSource* DataSourceItens() { return &fDataSourceItens; }
  TmoxDataSource* DataSourceVolume() { return &fDataSourceVolume; }
  TmoxDataSource* DataSourceRefNFe() { return &fDataSourceRefNFe; }
  TmoxDataSource* DataSourceRefNF1A() { return &fDataSourceRefNF1A; }
  TmoxDataSource* DataSourceRefProdutor() { return &fDataSourceRefProdutor; }
  TmoxDataSource* DataSourceRefCupomFiscal() { return &fDataSourceRefCupomFiscal; }
  TmoxDataSource* DataSourceRefCTe() { return &fDataSourceRefCTe; }
  TmoxDataSource* DataSourceCobranca() { return &fDataSourceCobranca; }
  TmoxDataSource* DataSourceFatura() { return &fDataSourceFatura; }
  TmoxDataSource* DataSourceMed() { return &fDataSourceMed; }
  TmoxDataSource* DataSourceVeic() { return &fDataSourceVeic; }
  // Every data set, in the order the front empties them.
  std::vector<TmoxDataSet*> DataSets();

  const std::string& Xml() const { return fXml; }
  void SetXml(const std::string& v) { fXml = v; }
  const std::string& FraseContingencia() const { return fFraseContingencia; }
  void SetFraseContingencia(const std::string& v) { fFraseContingencia = v; }
  const std::string& FraseHomologacao() const { return fFraseHomologacao; }
  void SetFraseHomologacao(const std::string& v) { fFraseHomologacao = v; }
  const std::string& ProtocoloDPEC() const { return fProtocoloDPEC; }
  void SetProtocoloDPEC(const std::string& v) { fProtocoloDPEC = v; }
  const std::string& DataHoraDPEC() const { return fDataHoraDPEC; }
  void SetDataHoraDPEC(const std::string& v) { fDataHoraDPEC = v; }
  const std::string& ProtocoloEPEC() const { return FProtocoloEPEC; }
  void SetProtocoloEPEC(const std::string& v) { FProtocoloEPEC = v; }
  const std::string& DataHoraEPEC() const { return FDataHoraEPEC; }
  void SetDataHoraEPEC(const std::string& v) { FDataHoraEPEC = v; }
  const std::string& LineDelimiter() const { return fLineDelimiter; }
  void SetLineDelimiter(const std::string& v) { fLineDelimiter = v; }
  bool ValidarRegrasNegocio() const { return fValidarRegrasNegocio; }
  void SetValidarRegrasNegocio(bool v) { fValidarRegrasNegocio = v; }
  int InfCplMaxCol() const { return fInfCplMaxCol; }
  void SetInfCplMaxCol(int v) { fInfCplMaxCol = v; }
  int InfCplMaxRow() const { return fInfCplMaxRow; }
  void SetInfCplMaxRow(int v) { fInfCplMaxRow = v; }
  bool ImprimirVolume() const { return fImprimirVolume; }
  void SetImprimirVolume(bool v) { fImprimirVolume = v; }
  bool ImprimirDuplicata() const { return fImprimirDuplicata; }
  void SetImprimirDuplicata(bool v) { fImprimirDuplicata = v; }
  bool ImprimirUnidadeTributada() const { return fImprimirUnidadeTributada; }
  void SetImprimirUnidadeTributada(bool v) { fImprimirUnidadeTributada = v; }
  bool MensagemPartilhaAutomatica() const { return FMensagemPartilhaAutomatica; }
  void SetMensagemPartilhaAutomatica(bool v) { FMensagemPartilhaAutomatica = v; }
  const std::string& DiretorioLogErro() const { return fDiretorioLogErro; }
  void SetDiretorioLogErro(const std::string& v) { fDiretorioLogErro = v; }

  // Empties the data sets and fills them from Xml. Raises on input that cannot be printed.
  void PopulaDataSet();
  void LimparDataSets();
  virtual int GetNumNotas();

  // Brazilian notation: "1234567.89" is "1.234.567,89"; digits after the comma kept as they are.
  static std::string VirgulaDecimal(const std::string& aValue);
  // The element aTag of aXml rebuilt and unescaped; line delimiters become carriage returns
  // when aReplaceDelimiter is set.
  std::string GetValueTagTratado(const std::string& aTag, const std::string& aXml, bool aReplaceDelimiter);
  // The first aQtdeParte1 lines of at most aCaracterPorLinha characters, and the rest with its
  // heading (the additional-information box and its continuation).
  void SeparaObservacoes(std::string aObsCompleta, std::string& aParte1, std::string& aParte2, int aQtdeParte1,
                         int aCaracterPorLinha);
  std::string GetUFCode(const std::string& UF) const;

 protected:
  virtual void GetDadosItem(const std::string& aXmlItem, const std::string& aNumItem);
  virtual void GetDadosChaveNF();
  virtual void GetDadosTransp() = 0;
  virtual void GetDadosIdNF();
  virtual void ValidarXmlEntrada() = 0;
  virtual int GetTpEmis() = 0;

  TmoxKivoUtils& GetKivoUtils();
  // Text of group aGroup of the current note (read once per note) and a value inside it.
  const std::string& Grupo(const std::string& aGroup);
  std::string Valor(const std::string& aGroup, const std::string& aTag);
  // The first aTag of the current note.
  std::string Primeiro(const std::string& aTag) const;
  void Set(TmoxDataSet& aDataSet, const char* aField, const std::string& aValue);
  void SetDados(const char* aField, const std::string& aValue) { Set(fDataSet, aField, aValue); }
  std::string Dados(const char* aField) const;
  // The CNPJ of a group, or its CPF when it has none.
  std::string CnpjOuCpf(const std::string& aGroup);
  // The tpEmis number of a text (the platform's integer conversion).
  int TpEmisNumero(const std::string& aTexto) const;
  bool NotaVersao310OuMaior() const;

  bool fPossuiMed = false;
  TmoxDataSet fDataSetVolume, fDataSetCobranca, fDataSetFatura, fDataSetVeic, fDataSetItens, fDataSet, fDataSetMed,
      fDataSetRefNFe, fDataSetRefNF1A, fDataSetRefProdutor, fDataSetRefCupomFiscal, fDataSetRefCTe;
  TmoxDataSource fDataSourceVolume, fDataSourceRefNFe, fDataSourceRefNF1A, fDataSourceRefProdutor,
      fDataSourceRefCupomFiscal, fDataSourceRefCTe, fDataSource, fDataSourceItens, fDataSourceCobranca,
      fDataSourceFatura, fDataSourceMed, fDataSourceVeic;
  std::string fXmlNF;
  std::string fXml;
  std::string fFraseHomologacao, fFraseContingencia;
  std::vector<std::pair<std::string, std::string>> fUFList;
  std::string fProtocoloDPEC, fDataHoraDPEC;
  std::string fLineDelimiter;
  bool fValidarRegrasNegocio = true;
  int fInfCplMaxRow = 7;
  int fInfCplMaxCol = 68;
  bool fImprimirVolume = false, fImprimirDuplicata = false, fImprimirUnidadeTributada = false;
  std::string fDiretorioLogErro;
  std::string FProtocoloEPEC, FDataHoraEPEC;
  bool FMensagemPartilhaAutomatica = false;
  std::unique_ptr<TmoxKivoUtils> FUtils;

 private:
  void CriarDataSets();
  void PreencherNota(int aIndice);
  std::string SelecionarNota(int aIndice);
  // Name, state registration and address of a party ("Emit" or "Dest" fields of its group).
  void GetDadosParte(const std::string& aPrefixo, const std::string& aGrupo);
  void GetDadosEmitente();
  void GetDadosDestinatario();
  void GetDadosEntrega();
  void GetDadosTotais();
  void GetDadosTotaisReforma();
  void GetDadosVeiculo();
  void GetDadosVolumes();
  void GetDadosAdicionais();
  void GetDadosISSQN();
  void GetItens(int aIndice);
  void GetMedicamentos(const std::string& aXmlItem, const std::string& aNumItem);
  void GetVeiculoNovo(const std::string& aXmlItem, const std::string& aNumItem);
  void GetTributosReforma(const std::string& aXmlItem);
  void GetReferencias(int aIndice);
  void GetDuplicatas();
  void GetFatura();

  std::map<std::string, std::string> fGrupos;
  struct Volume {
    std::string qVol, esp, marca, nVol, pesoL, pesoB;
  };
  std::vector<Volume> fVolumes;
};

// Manual 2.0.2a.
class TmoxNFeDanfeDados202 : public TmoxNFeDanfeDados {
 protected:
  void GetDadosTransp() override;
  void GetDadosIdNF() override;
  void ValidarXmlEntrada() override;
  int GetTpEmis() override { return 1; }
};

// Manual 3.0: authorized notes with their protocols, the contingency data string.
class TmoxNFeDanfeDados30 : public TmoxNFeDanfeDados202 {
 protected:
  void GetDadosChaveNF() override;
  void GetDadosIdNF() override;
  void ValidarXmlEntrada() override;
  int GetTpEmis() override;
};

// Manual 4.0: exit time, contingency justification, freight description, CSOSN and ISSQN.
class TmoxNFeDanfeDados40 : public TmoxNFeDanfeDados30 {
 protected:
  void GetDadosItem(const std::string& aXmlItem, const std::string& aNumItem) override;
  void GetDadosTransp() override;
  void GetDadosIdNF() override;
};

// Manuals 5.0, 5.0a and 6.0 (layout 4.00 keeps the printed tags of 3.10).
class TmoxNFeDanfeDados50 : public TmoxNFeDanfeDados40 {};

}  // namespace mox
