#pragma once
// Layout converters of the 1.10 schema packages (pl_005a to pl_005f). TmoxDS_pl005a holds the
// base group converters every later layout starts from; each later class overrides only the
// groups its package changed.
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "datasets/TmoxNFeCustomDataSet.h"
#include "datasets/moxImpostosNFe.h"

namespace mox {

class TmoxDS_pl005a : public TmoxNFeCustomDataSet {
 public:
  explicit TmoxDS_pl005a(TVersaoEsquema aVersao = TVersaoEsquema::pl_005a) : TmoxNFeCustomDataSet(aVersao) {}

  std::string ConvPartB() override;
  std::string ConvPartC() override;
  std::string ConvPartD() override;
  std::string ConvPartE() override;
  std::string ConvPartF() override;
  std::string ConvPartG() override;
  std::string ConvAutXML() override;
  std::string ConvPartItens() override;
  std::string ConvPartW() override;
  std::string ConvPartX() override;
  std::string ConvPartY() override;
  std::string ConvPartZ() override;

  // Groups inside the identification and the items.
  virtual std::string ConvPartRef();
  virtual std::string ConvPartI();
  virtual std::string ConvPartJ();
  virtual std::string ConvPartK();
  virtual std::string ConvPartL();
  virtual std::string ConvPartL1();
  virtual std::string ConvPartN();
  virtual std::string ConvPartO();
  virtual std::string ConvPartP();
  virtual std::string ConvPartQ();
  virtual std::string ConvPartR();
  virtual std::string ConvPartS();
  virtual std::string ConvPartT();
  virtual std::string ConvPartU();
  virtual std::string ConvPartV();
  // The ICMS of the fuel; its tag changed between packages.
  virtual std::string ICMSComb();
  virtual std::string ConvDI();
  virtual std::string ConvADI();
  virtual std::string ConvCompra();
  virtual std::string ConvExporta();
  virtual std::string ConvProcRef();
  virtual std::string ConvObsCont();
  virtual std::string ConvObsFisco();
  virtual std::string ConvDetExport();

 protected:
  // The current record of a data set wrapped in aTag (nothing when it has no visible value).
  std::string Registro(TXmlDataSetNFe& aDataSet, std::string_view aTag);
  // The texts aConverte gives for every record of a data set, first to last.
  static std::string CadaRegistro(TXmlDataSetNFe& aDataSet, const std::function<std::string()>& aConverte);
  // Every record of a data set wrapped in aTag, one element each.
  std::string Registros(TXmlDataSetNFe& aDataSet, std::string_view aTag);
  // Fields looked up by name across the data sets (the first data set holding each).
  std::string CamposGlobais(std::initializer_list<std::string_view> aCampos) const;

  // One det element per item, each with its product, the taxes aImpostos appends, the returned
  // tax aDevolucao appends (layouts that have it) and the additional information: every item is
  // written straight into the one text.
  using TAcrescenta = std::function<void(std::string&)>;
  // Appends the parts to aXml in their order (a braced list is built first to last).
  static void Acrescenta(std::string& aXml, std::initializer_list<std::string> aPartes);
  std::string ConverteItens(const TAcrescenta& aImpostos, const TAcrescenta& aDevolucao = {});

  // The total group: the ICMSTot template, the ISSQN totals of the layout and the retentions.
  std::string ConverteTotais(std::string_view aICMSTot, std::initializer_list<std::string_view> aISSQNtot) const;
  // The transport group; vagao and balsa exist from 2.00 on.
  std::string ConverteTransporte(bool aComVagaoEBalsa);
  // The referenced documents of the layouts that have more than NF-e and model 1 notes.
  struct TCamposReferencia {
    std::string_view refNFe;
    std::vector<std::string_view> refNF, refNFP;
    std::string_view refCTe;
    std::vector<std::string_view> refECF;
    std::string_view refNFeSig{};  // the key of a note signed by the recipient (4.00)
  };
  std::string ConverteReferencias(const TCamposReferencia& aCampos);
  // "<dest>", the identification fields, the address, the fields after it, "</dest>". Where the
  // layout makes the recipient and its address optional (aOpcional), each is left out when it
  // has no value; otherwise both are written even without values.
  std::string ConverteDestinatario(std::initializer_list<std::string_view> aIdentificacao,
                                   std::initializer_list<std::string_view> aDepoisDoEndereco, bool aOpcional = false);
  // "<ide>", the identification fields around the references, "</ide>".
  std::string ConverteIdentificacao(std::initializer_list<std::string_view> aAntes,
                                    std::initializer_list<std::string_view> aDepois, bool aReferenciasNoFim);
  // The fuel group of 2.00 and 3.10: fuel fields, CIDE, and what aFinal adds inside comb.
  std::string ConverteCombustivel(const TCamposXml& aCampos, const TCamposXml& aCIDE, const std::string& aFinal);
  std::string CamposICMSComb();
};

class TmoxDS_pl005b : public TmoxDS_pl005a {
 public:
  explicit TmoxDS_pl005b(TVersaoEsquema aVersao = TVersaoEsquema::pl_005b) : TmoxDS_pl005a(aVersao) {}
};

class TmoxDS_pl005c : public TmoxDS_pl005b {
 public:
  explicit TmoxDS_pl005c(TVersaoEsquema aVersao = TVersaoEsquema::pl_005c) : TmoxDS_pl005b(aVersao) {}
  std::string ConvPartN() override;
  std::string ICMSComb() override;
};

class TmoxDS_pl005d : public TmoxDS_pl005c {
 public:
  explicit TmoxDS_pl005d(TVersaoEsquema aVersao = TVersaoEsquema::pl_005d) : TmoxDS_pl005c(aVersao) {}
};

class TmoxDS_pl005f : public TmoxDS_pl005d {
 public:
  explicit TmoxDS_pl005f(TVersaoEsquema aVersao = TVersaoEsquema::pl_005f) : TmoxDS_pl005d(aVersao) {}
  std::string ConvPartQ() override;
  std::string ConvPartS() override;
};

}  // namespace mox
