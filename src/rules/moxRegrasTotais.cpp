// Rules of the totals of the note (group W): each total against the sum of its item values, and
// the payments of the 4.00 group "pag" against the note's total.
#include <cmath>
#include <cstdint>

#include "datasets/TXmlDataSetNFe.h"
#include "rules/moxCatalogoRegras.h"
#include "rules/moxRegrasComuns.h"

namespace mox {

namespace {

// The 2012 forms of the totals rules: the same sum with half the tolerance.
template <class TRegra>
struct TmoxNFeSomaNT003_2012 final : TRegra {
  using TRegra::TRegra;
  long double Tolerancia() const override { return 0.5; }
};

struct TmoxNFeGW03 : TmoxNFeRegraSoma {
  using TmoxNFeRegraSoma::TmoxNFeRegraSoma;
  TSoma Soma() const override { return {"N", "vBC_N15", "vBC_W03"}; }
  // From 4.00 on the deferred items (CST 51) count as well, as SEFAZ sums every ICMS group.
  bool Entra() override { return Leiaute400() || C("CST_N12") != "51"; }
};

struct TmoxNFeGW04 : TmoxNFeRegraSoma {
  using TmoxNFeRegraSoma::TmoxNFeRegraSoma;
  TSoma Soma() const override { return {"N", "vICMS_N17", "vICMS_W04"}; }
  // From 4.00 on every item counts: the deferred ones (CST 51) carry their remaining ICMS.
  bool Entra() override { return Leiaute400() || !Um(C("CST_N12"), {"40", "41", "50", "51"}); }
};

struct TmoxNFeGW04a final : TmoxNFeRegraSoma {
  using TmoxNFeRegraSoma::TmoxNFeRegraSoma;
  TSoma Soma() const override { return {"N", "vICMSDeson_N27a", "vICMSDeson_W04a"}; }
  long double Tolerancia() const override { return 0.5; }
  bool Entra() override { return Um(C("CST_N12"), {"20", "30", "40", "70", "90"}); }
};

// The destination-UF totals sum the items that carry the group "NA".
struct TmoxNFeSomaUFDestino : TmoxNFeRegraSoma {
  using TmoxNFeRegraSoma::TmoxNFeRegraSoma;
  bool Entra() override { return PossuiCampoPreenchido("NA"); }
};

struct TmoxNFeW04c_10_NT003_2015 final : TmoxNFeSomaUFDestino {
  using TmoxNFeSomaUFDestino::TmoxNFeSomaUFDestino;
  TSoma Soma() const override { return {"NA", "vFCPUFDest_NA13", "vFCPUFDest_W04c"}; }
  long double Valor() override {
    const std::string valor = C("vFCPUFDest_NA13");
    return NuloOuVazio(valor) ? 0 : GetExtend(valor);
  }
};

// The empty-tag marker "NULL" in the summed field becomes "0.00" for good.
struct TmoxNFeSomaUFDestinoSemNulo : TmoxNFeSomaUFDestino {
  using TmoxNFeSomaUFDestino::TmoxNFeSomaUFDestino;
  bool Isolada() const override { return true; }
  long double Valor() override {
    if (C(Soma().campo) == "NULL") Grava(Soma().campo, "0.00");
    return TmoxNFeSomaUFDestino::Valor();
  }
};
struct TmoxNFeW04e_10_NT003_2015 final : TmoxNFeSomaUFDestinoSemNulo {
  using TmoxNFeSomaUFDestinoSemNulo::TmoxNFeSomaUFDestinoSemNulo;
  TSoma Soma() const override { return {"NA", "vICMSUFDest_NA15", "vICMSUFDest_W04e"}; }
};
struct TmoxNFeW04g_10_NT003_2015 final : TmoxNFeSomaUFDestinoSemNulo {
  using TmoxNFeSomaUFDestinoSemNulo::TmoxNFeSomaUFDestinoSemNulo;
  TSoma Soma() const override { return {"NA", "vICMSUFRemet_NA17", "vICMSUFRemet_W04g"}; }
};

// A sum of the shape Base over an item field and its total.
#define MOX_REGRA_SOMA_DE(Classe, Base, DataSet, Campo, Total)      \
  struct Classe : Base {                                            \
    using Base::Base;                                               \
    TSoma Soma() const override { return {DataSet, Campo, Total}; } \
  };
// A plain sum over every item.
#define MOX_REGRA_SOMA(Classe, DataSet, Campo, Total) MOX_REGRA_SOMA_DE(Classe, TmoxNFeRegraSoma, DataSet, Campo, Total)

MOX_REGRA_SOMA(TmoxNFeGW05, "N", "vBCST_N21", "vBCST_W05")
MOX_REGRA_SOMA(TmoxNFeGW06, "N", "vICMSST_N23", "vST_W06")
MOX_REGRA_SOMA(TmoxNFeGW08, "I", "vFrete_I15", "vFrete_W08")
MOX_REGRA_SOMA(TmoxNFeGW09, "I", "vSeg_I16", "vSeg_W09")
MOX_REGRA_SOMA(TmoxNFeGW10, "I", "vDesc_I17", "vDesc_W10")
MOX_REGRA_SOMA(TmoxNFeGW11, "P", "vII_P04", "vII_W11")
MOX_REGRA_SOMA(TmoxNFeGW12, "O", "vIPI_O14", "vIPI_W12")
MOX_REGRA_SOMA(TmoxNFeGW15, "I", "vOutro_I17a", "vOutro_W15")
MOX_REGRA_SOMA(TmoxNFeGW19, "U", "vBC_U02", "vBC_W19")
MOX_REGRA_SOMA(TmoxNFeGW20, "U", "vISSQN_U04", "vISS_W20")

// The freight total admits no difference at all in its 2012 form.
struct TmoxNFeGW08_NT003_2012 final : TmoxNFeGW08 {
  using TmoxNFeGW08::TmoxNFeGW08;
  long double Tolerancia() const override { return 0; }
};

struct TmoxNFeGW07 : TmoxNFeRegraSoma {
  using TmoxNFeRegraSoma::TmoxNFeRegraSoma;
  TSoma Soma() const override { return {"I", "vProd_I11", "vProd_W07"}; }
  bool Entra() override { return C("indTot_I17b") == "1" && Preenchido("Orig_N11"); }
};

// Sums over the items subject to ICMS (an origin given) or to ISSQN.
struct TmoxNFeSomaSujeitaICMS : TmoxNFeRegraSoma {
  using TmoxNFeRegraSoma::TmoxNFeRegraSoma;
  bool Entra() override { return Preenchido("Orig_N11"); }
};
struct TmoxNFeSomaSujeitaISSQN : TmoxNFeRegraSoma {
  using TmoxNFeRegraSoma::TmoxNFeRegraSoma;
  bool Entra() override { return Preenchido("vISSQN_U04"); }
};

MOX_REGRA_SOMA_DE(TmoxNFeGW13, TmoxNFeSomaSujeitaICMS, "Q", "vPIS_Q09", "vPIS_W13")
MOX_REGRA_SOMA_DE(TmoxNFeGW14, TmoxNFeSomaSujeitaICMS, "S", "vCOFINS_S11", "vCOFINS_W14")
MOX_REGRA_SOMA_DE(TmoxNFeGW18, TmoxNFeSomaSujeitaISSQN, "I", "vProd_I11", "vServ_W18")
MOX_REGRA_SOMA_DE(TmoxNFeGW21, TmoxNFeSomaSujeitaISSQN, "Q", "vPIS_Q09", "vPIS_W21")
MOX_REGRA_SOMA_DE(TmoxNFeGW22, TmoxNFeSomaSujeitaISSQN, "S", "vCOFINS_S11", "vCOFINS_W22")

using TmoxNFeGW03_NT003_2012 = TmoxNFeSomaNT003_2012<TmoxNFeGW03>;
using TmoxNFeGW04_NT003_2012 = TmoxNFeSomaNT003_2012<TmoxNFeGW04>;
using TmoxNFeGW05_NT003_2012 = TmoxNFeSomaNT003_2012<TmoxNFeGW05>;
using TmoxNFeGW06_NT003_2012 = TmoxNFeSomaNT003_2012<TmoxNFeGW06>;
using TmoxNFeGW07_NT003_2012 = TmoxNFeSomaNT003_2012<TmoxNFeGW07>;
using TmoxNFeGW09_NT003_2012 = TmoxNFeSomaNT003_2012<TmoxNFeGW09>;
using TmoxNFeGW10_NT003_2012 = TmoxNFeSomaNT003_2012<TmoxNFeGW10>;
using TmoxNFeGW11_NT003_2012 = TmoxNFeSomaNT003_2012<TmoxNFeGW11>;
using TmoxNFeGW12_NT003_2012 = TmoxNFeSomaNT003_2012<TmoxNFeGW12>;
using TmoxNFeGW13_NT003_2012 = TmoxNFeSomaNT003_2012<TmoxNFeGW13>;
using TmoxNFeGW14_NT003_2012 = TmoxNFeSomaNT003_2012<TmoxNFeGW14>;
using TmoxNFeGW15_NT003_2012 = TmoxNFeSomaNT003_2012<TmoxNFeGW15>;
using TmoxNFeGW18_NT003_2012 = TmoxNFeSomaNT003_2012<TmoxNFeGW18>;
using TmoxNFeGW19_NT003_2012 = TmoxNFeSomaNT003_2012<TmoxNFeGW19>;
using TmoxNFeGW20_NT003_2012 = TmoxNFeSomaNT003_2012<TmoxNFeGW20>;
using TmoxNFeGW21_NT003_2012 = TmoxNFeSomaNT003_2012<TmoxNFeGW21>;
using TmoxNFeGW22_NT003_2012 = TmoxNFeSomaNT003_2012<TmoxNFeGW22>;

// Totals of optional groups: a zero sum or an empty total is not compared.
struct TmoxNFeSomaOpcional : TmoxNFeRegraSoma {
  using TmoxNFeRegraSoma::TmoxNFeRegraSoma;
  bool Falhou() override {
    const long double soma = Somatorio();
    const std::string total = Total();
    return soma != 0 && !total.empty() && !Proximos(soma, GetExtend(total), Tolerancia());
  }
};

#define MOX_REGRA_SOMA_OPCIONAL(Classe, DataSet, Campo, Total) \
  MOX_REGRA_SOMA_DE(Classe, TmoxNFeSomaOpcional, DataSet, Campo, Total)

MOX_REGRA_SOMA_OPCIONAL(TmoxNFeGW16a, "M", "vTotTrib_M02", "vTotTrib_W16a")
MOX_REGRA_SOMA_OPCIONAL(TmoxNFeGW22b, "U", "vDeducao_U07", "vDeducao_W22b")
MOX_REGRA_SOMA_OPCIONAL(TmoxNFeGW22c, "U", "vOutro_U08", "vOutro_W22c")
MOX_REGRA_SOMA_OPCIONAL(TmoxNFeGW22d, "U", "vDescIncond_U09", "vDescIncond_W22d")
MOX_REGRA_SOMA_OPCIONAL(TmoxNFeGW22e, "U", "vDescCond_U10", "vDescCond_W22e")
MOX_REGRA_SOMA_OPCIONAL(TmoxNFeGW22f, "U", "vISSRet_U11", "vISSRet_W22f")

// The approximate tax total: a filled total must match; an empty one only a zero sum.
struct TmoxNFeGW16b_NT003_2013 final : TmoxNFeRegraSoma {
  using TmoxNFeRegraSoma::TmoxNFeRegraSoma;
  TSoma Soma() const override { return {"M", "vTotTrib_M02", "vTotTrib_W16a"}; }
  bool Entra() override { return DS("M").FindField("vTotTrib_M02") != nullptr; }
  bool Falhou() override {
    const long double soma = Somatorio();
    return AlgumRegistro("W", [&](TXmlDataSetNFe& aTotais) {
      const std::string total = F(aTotais, "vTotTrib_W16a");
      return total.empty() ? soma > 0 : !Proximos(soma, GetExtend(total), Tolerancia());
    });
  }
};

// The note's total against the sum of its parts.
struct TmoxNFeTotalDaNota : TmoxNFeRule {
  using TmoxNFeRule::TmoxNFeRule;
  long double Partes() const {
    const TXmlDataSetNFe& w = DS("W");
    auto v = [&w](const char* aCampo) { return GetExtend(F(w, aCampo)); };
    long double soma = v("vProd_W07") + v("vFrete_W08") + v("vSeg_W09") + v("vOutro_W15") + v("vII_W11") +
                       v("vIPI_W12") + v("vServ_W18") - v("vDesc_W10");
    if (C("tpOp_J02") != "2") soma += v("vST_W06") + (Leiaute400() ? v("vFCPST_W06a") : 0);
    // The 4.00 total adds the IPI of returned goods.
    if (Leiaute400()) soma += v("vIPIDevol_W12a");
    return soma;
  }
  long double TotalDaNota() const { return GetExtend(F(DS("W"), "vNF_W16")); }
};

struct TmoxNFeGW16_NT003_2012 final : TmoxNFeTotalDaNota {
  using TmoxNFeTotalDaNota::TmoxNFeTotalDaNota;
  void execute() override {
    TmoxNFeRule::execute();
    if (C("tpNF_B11") == "1" && !Proximos(Partes(), TotalDaNota(), 0.5)) FalharValidacao();
  }
};

struct TmoxNFeGW16_NT005_2013 final : TmoxNFeTotalDaNota {
  using TmoxNFeTotalDaNota::TmoxNFeTotalDaNota;
  void execute() override {
    TmoxNFeRule::execute();
    if (C("tpNF_B11") != "1" || Comeca(C("CFOP_I08"), "3")) return;
    const long double desonerado = GetExtend(F(DS("W"), "vICMSDeson_W04a"));
    const long double semDesonerado = Partes() - desonerado;
    const long double total = TotalDaNota();
    if (Proximos(semDesonerado + desonerado, total, 0)) return;
    if (!Proximos(semDesonerado, total, 1)) FalharValidacao();
  }
};

std::int64_t Centavos(long double aValor) { return std::llround(aValor * 100); }

// The payments against the note's total, in cents. A payment "90" (sem pagamento) exempts the
// note; adjustment and return notes may be paid less than their total.
struct TmoxNFePagamentos : TmoxNFeRegraNota {
  using TmoxNFeRegraNota::TmoxNFeRegraNota;
  bool Falha() override {
    long double pago = 0;
    const bool semPagamento = AlgumRegistro("YA", [&pago](TXmlDataSetNFe& aPagamento) {
      pago += GetExtend(F(aPagamento, "vPag_YA03"));
      return F(aPagamento, "tPag_YA02") == "90";
    });
    if (semPagamento || DS("YA").IsEmpty()) return false;
    return FalhaPagamento(Centavos(pago), Centavos(GetExtend(F(DS("W"), "vNF_W16"))), C("vTroco_YA09"));
  }
  virtual bool FalhaPagamento(std::int64_t aPago, std::int64_t aTotal, const std::string& aTroco) const = 0;
};

struct TmoxNFeYA03_10 final : TmoxNFePagamentos {
  using TmoxNFePagamentos::TmoxNFePagamentos;
  bool FalhaPagamento(std::int64_t aPago, std::int64_t aTotal, const std::string&) const override {
    return aPago < aTotal && !Um(C("finNFe_B25"), {"3", "4"});
  }
};

struct TmoxNFeYA09_10 final : TmoxNFePagamentos {
  using TmoxNFePagamentos::TmoxNFePagamentos;
  bool FalhaPagamento(std::int64_t aPago, std::int64_t aTotal, const std::string& aTroco) const override {
    return aPago > aTotal && aTroco.empty();
  }
};

struct TmoxNFeYA09_20 final : TmoxNFePagamentos {
  using TmoxNFePagamentos::TmoxNFePagamentos;
  bool FalhaPagamento(std::int64_t aPago, std::int64_t aTotal, const std::string& aTroco) const override {
    return !aTroco.empty() && aPago - Centavos(GetExtend(aTroco)) != aTotal;
  }
};

constexpr TClasseRegra kClasses[] = {
    MOX_CLASSE_REGRA(TmoxNFeGW03),  MOX_CLASSE_REGRA(TmoxNFeGW03_NT003_2012),
    MOX_CLASSE_REGRA(TmoxNFeGW04),  MOX_CLASSE_REGRA(TmoxNFeGW04_NT003_2012),
    MOX_CLASSE_REGRA(TmoxNFeGW04a), MOX_CLASSE_REGRA(TmoxNFeW04c_10_NT003_2015),
    MOX_CLASSE_REGRA(TmoxNFeW04e_10_NT003_2015), MOX_CLASSE_REGRA(TmoxNFeW04g_10_NT003_2015),
    MOX_CLASSE_REGRA(TmoxNFeGW05),  MOX_CLASSE_REGRA(TmoxNFeGW05_NT003_2012),
    MOX_CLASSE_REGRA(TmoxNFeGW06),  MOX_CLASSE_REGRA(TmoxNFeGW06_NT003_2012),
    MOX_CLASSE_REGRA(TmoxNFeGW07),  MOX_CLASSE_REGRA(TmoxNFeGW07_NT003_2012),
    MOX_CLASSE_REGRA(TmoxNFeGW08),  MOX_CLASSE_REGRA(TmoxNFeGW08_NT003_2012),
    MOX_CLASSE_REGRA(TmoxNFeGW09),  MOX_CLASSE_REGRA(TmoxNFeGW09_NT003_2012),
    MOX_CLASSE_REGRA(TmoxNFeGW10),  MOX_CLASSE_REGRA(TmoxNFeGW10_NT003_2012),
    MOX_CLASSE_REGRA(TmoxNFeGW11),  MOX_CLASSE_REGRA(TmoxNFeGW11_NT003_2012),
    MOX_CLASSE_REGRA(TmoxNFeGW12),  MOX_CLASSE_REGRA(TmoxNFeGW12_NT003_2012),
    MOX_CLASSE_REGRA(TmoxNFeGW13),  MOX_CLASSE_REGRA(TmoxNFeGW13_NT003_2012),
    MOX_CLASSE_REGRA(TmoxNFeGW14),  MOX_CLASSE_REGRA(TmoxNFeGW14_NT003_2012),
    MOX_CLASSE_REGRA(TmoxNFeGW15),  MOX_CLASSE_REGRA(TmoxNFeGW15_NT003_2012),
    MOX_CLASSE_REGRA(TmoxNFeGW16_NT003_2012), MOX_CLASSE_REGRA(TmoxNFeGW16_NT005_2013),
    MOX_CLASSE_REGRA(TmoxNFeGW16a), MOX_CLASSE_REGRA(TmoxNFeGW16b_NT003_2013),
    MOX_CLASSE_REGRA(TmoxNFeGW18),  MOX_CLASSE_REGRA(TmoxNFeGW18_NT003_2012),
    MOX_CLASSE_REGRA(TmoxNFeGW19),  MOX_CLASSE_REGRA(TmoxNFeGW19_NT003_2012),
    MOX_CLASSE_REGRA(TmoxNFeGW20),  MOX_CLASSE_REGRA(TmoxNFeGW20_NT003_2012),
    MOX_CLASSE_REGRA(TmoxNFeGW21),  MOX_CLASSE_REGRA(TmoxNFeGW21_NT003_2012),
    MOX_CLASSE_REGRA(TmoxNFeGW22),  MOX_CLASSE_REGRA(TmoxNFeGW22_NT003_2012),
    MOX_CLASSE_REGRA(TmoxNFeGW22b), MOX_CLASSE_REGRA(TmoxNFeGW22c),
    MOX_CLASSE_REGRA(TmoxNFeGW22d), MOX_CLASSE_REGRA(TmoxNFeGW22e),
    MOX_CLASSE_REGRA(TmoxNFeGW22f),
    MOX_CLASSE_REGRA(TmoxNFeYA03_10), MOX_CLASSE_REGRA(TmoxNFeYA09_10), MOX_CLASSE_REGRA(TmoxNFeYA09_20),
};

}  // namespace

std::span<const TClasseRegra> ClassesRegrasTotais() { return kClasses; }

}  // namespace mox
