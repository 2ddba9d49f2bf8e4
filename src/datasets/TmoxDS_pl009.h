#pragma once
// Layout converters of the 4.00 schema packages: pl_009 (payments with their detail and change,
// FCP in every ICMS group, single-phase ICMS, batch tracking, presumed credits, item
// observations, intermediary and technical responsible) and pl_010, which adds the tax-reform
// groups (IS, IBS and CBS per item and in the totals, government purchases, prepayments).
#include "datasets/TmoxDS_pl008.h"

namespace mox {

class TmoxDS_pl009 : public TmoxDS_pl008i1 {
 public:
  explicit TmoxDS_pl009(TVersaoEsquema aVersao = TVersaoEsquema::pl_009) : TmoxDS_pl008i1(aVersao) {}

  std::string ConvPartB() override;
  std::string ConvPartRef() override;
  std::string ConvPartI() override;
  std::string ConvPartL1() override;
  std::string ConvPartN() override;
  std::string ConvPartO() override;
  std::string ConvPartV() override;
  std::string ConvPartW() override;
  std::string ConvPartY() override;
  std::string ConvPartYA() override;
  std::string ConvPartZ() override;
  std::string convPartNA() override;
  // The intermediary of a sale made through a platform.
  virtual std::string ConvPartYB();
  // The technical responsible for the issuing software.
  virtual std::string ConvPartZD();

 protected:
  void AddDataSetsListaNFE() override;
  void AddDataSetsListaItemNFe() override;

  // The identification; aReforma adds the reform fields and the groups after the references.
  std::string Identificacao400(bool aReforma);
  // The product; aReforma adds the ZFM presumed-credit kind and the used-goods indicator.
  std::string Produto400(bool aReforma);
  // The item's additional information and observations, then what aDepois adds.
  std::string InformacoesDoItem400(const std::string& aDepois);
  // The ICMS totals and the service and retention totals, then what aDepois adds.
  std::string Totais400(const std::string& aDepois);
  // Every record of a detail data set wrapped in aTag, with the fields aCampos.
  std::string RegistrosComCampos(std::string_view aDataSet, std::string_view aTag,
                                 std::initializer_list<std::string_view> aCampos);
};

class TmoxDS_pl010 : public TmoxDS_pl009 {
 public:
  explicit TmoxDS_pl010(TVersaoEsquema aVersao = TVersaoEsquema::pl_010) : TmoxDS_pl009(aVersao) {}

  std::string ConvPartB() override;
  std::string ConvPartI() override;
  std::string ConvPartItens() override;
  std::string ConvPartV() override;
  std::string ConvPartW() override;
  std::string ConvPartZ() override;
  // The selective tax of the item.
  virtual std::string ConvPartIS();
  // The IBS and CBS of the item.
  virtual std::string ConvPartIBSCBS();
};

}  // namespace mox
