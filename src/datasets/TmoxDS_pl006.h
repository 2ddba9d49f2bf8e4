#pragma once
// Layout converters of the 2.00 schema packages (pl_006e to pl_006v): producer notes, CT-e and
// fiscal coupons among the references, the Simples Nacional taxes, train and ferry transport,
// sugar cane; later packages add the approximate tax total and the import-content number.
#include "datasets/TmoxDS_pl005.h"

namespace mox {

class TmoxDS_pl006e : public TmoxDS_pl005d {
 public:
  explicit TmoxDS_pl006e(TVersaoEsquema aVersao = TVersaoEsquema::pl_006e) : TmoxDS_pl005d(aVersao) {}

  std::string ConvPartB() override;
  std::string ConvPartRef() override;
  std::string ConvPartC() override;
  std::string ConvPartE() override;
  std::string ConvPartItens() override;
  std::string ConvPartI() override;
  std::string ConvPartL1() override;
  std::string ConvPartN() override;
  std::string ConvPartO() override;
  std::string ConvPartX() override;
  std::string ConvPartZ() override;
  virtual std::string ConvPartZCCana();

 protected:
  void CreateListDataSets() override;
  // The 2.00 product; the FCI number exists from pl_006s on.
  std::string ProdutoLeiaute200(bool aComFCI);
};

class TmoxDS_pl006f : public TmoxDS_pl006e {
 public:
  explicit TmoxDS_pl006f(TVersaoEsquema aVersao = TVersaoEsquema::pl_006f) : TmoxDS_pl006e(aVersao) {}
};

class TmoxDS_pl006g : public TmoxDS_pl006f {
 public:
  explicit TmoxDS_pl006g(TVersaoEsquema aVersao = TVersaoEsquema::pl_006g) : TmoxDS_pl006f(aVersao) {}
  std::string ConvPartQ() override;
  std::string ConvPartS() override;
};

class TmoxDS_pl006i : public TmoxDS_pl006g {
 public:
  explicit TmoxDS_pl006i(TVersaoEsquema aVersao = TVersaoEsquema::pl_006i) : TmoxDS_pl006g(aVersao) {}
};

class TmoxDS_pl006j : public TmoxDS_pl006i {
 public:
  explicit TmoxDS_pl006j(TVersaoEsquema aVersao = TVersaoEsquema::pl_006j) : TmoxDS_pl006i(aVersao) {}
};

class TmoxDS_pl006m : public TmoxDS_pl006j {
 public:
  explicit TmoxDS_pl006m(TVersaoEsquema aVersao = TVersaoEsquema::pl_006m) : TmoxDS_pl006j(aVersao) {}
};

class TmoxDS_pl006n : public TmoxDS_pl006m {
 public:
  explicit TmoxDS_pl006n(TVersaoEsquema aVersao = TVersaoEsquema::pl_006n) : TmoxDS_pl006m(aVersao) {}
};

class TmoxDS_pl006p : public TmoxDS_pl006n {
 public:
  explicit TmoxDS_pl006p(TVersaoEsquema aVersao = TVersaoEsquema::pl_006p) : TmoxDS_pl006n(aVersao) {}
};

class TmoxDS_pl006q : public TmoxDS_pl006p {
 public:
  explicit TmoxDS_pl006q(TVersaoEsquema aVersao = TVersaoEsquema::pl_006q) : TmoxDS_pl006p(aVersao) {}
};

class TmoxDS_pl006r : public TmoxDS_pl006q {
 public:
  explicit TmoxDS_pl006r(TVersaoEsquema aVersao = TVersaoEsquema::pl_006r) : TmoxDS_pl006q(aVersao) {}
  std::string ConvPartItens() override;
  std::string ConvPartW() override;
  // The approximate total of the taxes of the item.
  virtual std::string ConvPartM();
};

class TmoxDS_pl006s : public TmoxDS_pl006r {
 public:
  explicit TmoxDS_pl006s(TVersaoEsquema aVersao = TVersaoEsquema::pl_006s) : TmoxDS_pl006r(aVersao) {}
  std::string ConvPartI() override;
};

class TmoxDS_pl006t : public TmoxDS_pl006s {
 public:
  explicit TmoxDS_pl006t(TVersaoEsquema aVersao = TVersaoEsquema::pl_006t) : TmoxDS_pl006s(aVersao) {}
};

class TmoxDS_pl006u : public TmoxDS_pl006t {
 public:
  explicit TmoxDS_pl006u(TVersaoEsquema aVersao = TVersaoEsquema::pl_006u) : TmoxDS_pl006t(aVersao) {}
};

class TmoxDS_pl006v : public TmoxDS_pl006u {
 public:
  explicit TmoxDS_pl006v(TVersaoEsquema aVersao = TVersaoEsquema::pl_006v) : TmoxDS_pl006u(aVersao) {}
};

}  // namespace mox
