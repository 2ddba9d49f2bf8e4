#pragma once
// Layout converters of the 3.10 schema packages (pl_008a to pl_008i1): date and time with zone,
// destination and final-consumer indicators, foreign recipients, authorized XML readers, NVE,
// export details, RECOPI, ICMS relief and deferral, returned tax; from pl_008g on the CEST, the
// fuel pump readings and the ICMS shared with the destination state.
#include "datasets/TmoxDS_pl006.h"

namespace mox {

class TmoxDS_pl008a : public TmoxDS_pl006s {
 public:
  explicit TmoxDS_pl008a(TVersaoEsquema aVersao = TVersaoEsquema::pl_008a) : TmoxDS_pl006s(aVersao) {}

  std::string ConverterAuto() override;
  std::string ConvPartB() override;
  std::string ConvPartRef() override;
  std::string ConvPartE() override;
  std::string ConvExporta() override;
  std::string ConvPartItens() override;
  std::string ConvPartI() override;
  std::string ConvPartL1() override;
  std::string ConvPartN() override;
  std::string ConvPartQ() override;
  std::string ConvPartS() override;
  std::string ConvPartW() override;
  // Billing followed by the payments.
  std::string ConvPartY() override;
  // The payments ("pag", data set "YA"), one group per record, each with its card.
  virtual std::string ConvPartYA();
  // The RECOPI number of paper for printing.
  virtual std::string ConvPartL2();
  // The tax returned with goods sent back.
  virtual std::string ConvPartUB();
  // The NVE codes of the product.
  virtual std::string ConvPartNVE();

 protected:
  void AddDataSetsListaNFE() override;
  void AddDataSetsListaItemNFe() override;
  // The 3.10 product; the CEST exists from pl_008g on.
  std::string ProdutoLeiaute310(bool aComCEST);
  // The 3.10 fuel fields and CIDE, with what aFinal adds inside comb.
  std::string CombustivelLeiaute310(const std::string& aFinal);
  // The fields of each kind of referenced document, numbered as in 3.10.
  static const TCamposReferencia& CamposReferencia310();
  // The payment groups with the card fields of the package.
  std::string Pagamentos(std::initializer_list<std::string_view> aCartao);
};

class TmoxDS_pl008b : public TmoxDS_pl008a {
 public:
  explicit TmoxDS_pl008b(TVersaoEsquema aVersao = TVersaoEsquema::pl_008b) : TmoxDS_pl008a(aVersao) {}
};

class TmoxDS_pl008c : public TmoxDS_pl008b {
 public:
  explicit TmoxDS_pl008c(TVersaoEsquema aVersao = TVersaoEsquema::pl_008c) : TmoxDS_pl008b(aVersao) {}
};

class TmoxDS_pl008d : public TmoxDS_pl008c {
 public:
  explicit TmoxDS_pl008d(TVersaoEsquema aVersao = TVersaoEsquema::pl_008d) : TmoxDS_pl008c(aVersao) {}
};

class TmoxDS_pl008e : public TmoxDS_pl008d {
 public:
  explicit TmoxDS_pl008e(TVersaoEsquema aVersao = TVersaoEsquema::pl_008e) : TmoxDS_pl008d(aVersao) {}
};

class TmoxDS_pl008f : public TmoxDS_pl008e {
 public:
  explicit TmoxDS_pl008f(TVersaoEsquema aVersao = TVersaoEsquema::pl_008f) : TmoxDS_pl008e(aVersao) {}
};

class TmoxDS_pl008g : public TmoxDS_pl008f {
 public:
  explicit TmoxDS_pl008g(TVersaoEsquema aVersao = TVersaoEsquema::pl_008g) : TmoxDS_pl008f(aVersao) {}

  std::string ConvPartW() override;
  std::string ConvPartI() override;
  std::string ConvPartL1() override;
  std::string ConvPartItens() override;
  // The card also tells how the payment was integrated with the sale.
  std::string ConvPartYA() override;
  // The ICMS shared with the state of a final consumer who pays no ICMS.
  virtual std::string convPartNA();

 protected:
  void AddDataSetsListaItemNFe() override;
};

class TmoxDS_pl008h : public TmoxDS_pl008g {
 public:
  explicit TmoxDS_pl008h(TVersaoEsquema aVersao = TVersaoEsquema::pl_008h) : TmoxDS_pl008g(aVersao) {}
};

class TmoxDS_pl008i : public TmoxDS_pl008h {
 public:
  explicit TmoxDS_pl008i(TVersaoEsquema aVersao = TVersaoEsquema::pl_008i) : TmoxDS_pl008h(aVersao) {}
};

class TmoxDS_pl008i1 : public TmoxDS_pl008i {
 public:
  explicit TmoxDS_pl008i1(TVersaoEsquema aVersao = TVersaoEsquema::pl_008i1) : TmoxDS_pl008i(aVersao) {}
};

}  // namespace mox
