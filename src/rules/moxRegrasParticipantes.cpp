// Rules of the parties and places of the note: emitter (C), tax-authority issue (D), recipient
// (E), pickup and delivery (F, G), transport (X), billing (Y), export and purchase (Z), and the
// component's fix-up rules.
#include "datasets/TXmlDataSetNFe.h"
#include "external/AsciiCase.h"
#include "external/TmoxKivoUtils.h"
#include "rules/moxCatalogoRegras.h"
#include "rules/moxListasNFe.h"
#include "rules/moxRegrasComuns.h"
#include "utils/moxCodigoUF.h"
#include "utils/moxTextoNFe.h"

namespace mox {

namespace {

// A CNPJ or CPF field: filled (and, for the parties that may carry the empty-tag marker, not
// "NULL") and failing its check digits.
struct TmoxNFeDocumentoInvalido : TmoxNFeRegraNota {
  using TmoxNFeRegraNota::TmoxNFeRegraNota;
  bool Falha() override {
    const std::string valor = C(FieldName());
    if (valor.empty() || (AceitaNulo() && NuloOuVazio(valor))) return false;
    return Cpf() ? !Utils().ValidateCPF(valor) : !Utils().ValidateCNPJ(valor);
  }
  virtual bool Cpf() const { return false; }
  virtual bool AceitaNulo() const { return true; }
};

// Sibling classes of the catalogue that share one check.
#define MOX_REGRA_CNPJ(Classe, NuloAceito)                                 \
  struct Classe final : TmoxNFeDocumentoInvalido {                         \
    using TmoxNFeDocumentoInvalido::TmoxNFeDocumentoInvalido;              \
    bool AceitaNulo() const override { return NuloAceito; }                \
  };
#define MOX_REGRA_CPF(Classe, NuloAceito)                                  \
  struct Classe final : TmoxNFeDocumentoInvalido {                         \
    using TmoxNFeDocumentoInvalido::TmoxNFeDocumentoInvalido;              \
    bool Cpf() const override { return true; }                             \
    bool AceitaNulo() const override { return NuloAceito; }                \
  };

MOX_REGRA_CNPJ(TmoxNFeGC02, false)
MOX_REGRA_CPF(TmoxNFeGC02_a1, false)
MOX_REGRA_CNPJ(TmoxNFeGE02_2, true)
MOX_REGRA_CPF(TmoxNFeGE03, true)
MOX_REGRA_CNPJ(TmoxNFeGF02, true)
MOX_REGRA_CPF(TmoxNFeGF02_a, true)
MOX_REGRA_CNPJ(TmoxNFeGG02, true)
MOX_REGRA_CPF(TmoxNFeGG02_a, true)
MOX_REGRA_CNPJ(TmoxNFeGX04, false)
MOX_REGRA_CPF(TmoxNFeGX05, false)

// A municipality code field with a wrong check digit; the rule's own condition decides whether
// it is checked at all.
struct TmoxNFeMunicipioInvalido : TmoxNFeRegraNota {
  using TmoxNFeRegraNota::TmoxNFeRegraNota;
  bool Falha() override { return Aplica() && !ValidaCodigoMunicipio(C(FieldName())); }
  virtual bool Aplica() { return true; }
};

struct TmoxNFeGC10 final : TmoxNFeMunicipioInvalido {
  using TmoxNFeMunicipioInvalido::TmoxNFeMunicipioInvalido;
};

struct TmoxNFeGX17 final : TmoxNFeMunicipioInvalido {
  using TmoxNFeMunicipioInvalido::TmoxNFeMunicipioInvalido;
  bool Aplica() override { return Preenchido(FieldName()); }
};

struct TmoxNFeGE10 final : TmoxNFeMunicipioInvalido {
  using TmoxNFeMunicipioInvalido::TmoxNFeMunicipioInvalido;
  bool Aplica() override { return UpperAscii(C("UF_E12")) != "EX"; }
};

// Pickup and delivery places: checked when their UF is filled and not "EX".
struct TmoxNFeMunicipioDoLocal : TmoxNFeMunicipioInvalido {
  using TmoxNFeMunicipioInvalido::TmoxNFeMunicipioInvalido;
  bool Aplica() override {
    const std::string uf = UpperAscii(C(CampoUF()));
    return !uf.empty() && uf != "EX";
  }
  virtual const char* CampoUF() const = 0;
};
struct TmoxNFeGF07_1 final : TmoxNFeMunicipioDoLocal {
  using TmoxNFeMunicipioDoLocal::TmoxNFeMunicipioDoLocal;
  const char* CampoUF() const override { return "UF_F09"; }
};
struct TmoxNFeGG07_1 final : TmoxNFeMunicipioDoLocal {
  using TmoxNFeMunicipioDoLocal::TmoxNFeMunicipioDoLocal;
  const char* CampoUF() const override { return "UF_G09"; }
};

struct TmoxNFeGC10_1 final : TmoxNFeRegraNota {
  using TmoxNFeRegraNota::TmoxNFeRegraNota;
  bool Falha() override { return CopyChars(C("cMun_C10"), 1, 2) != C("cUF_B02"); }
};

struct TmoxNFeGC02_a final : TmoxNFeRegraNota {
  using TmoxNFeRegraNota::TmoxNFeRegraNota;
  bool Falha() override { return Preenchido("CPF_C02a") && !PossuiCampoPreenchido("D"); }
};

struct TmoxNFeGC17 final : TmoxNFeRegraNota {
  using TmoxNFeRegraNota::TmoxNFeRegraNota;
  bool Falha() override { return !Preenchido("IE_C17"); }
};

struct TmoxNFeGC18_14 final : TmoxNFeRegraNota {
  using TmoxNFeRegraNota::TmoxNFeRegraNota;
  bool Falha() override { return Preenchido("IEST_C18") && C("idDest_B11a") == "3"; }
};

struct TmoxNFeGC18_40 final : TmoxNFeRegraNota {
  using TmoxNFeRegraNota::TmoxNFeRegraNota;
  bool Falha() override {
    const std::string iest = C("IEST_C18");
    return !iest.empty() && (iest == C("IE_C17") || iest == C("IE_E17"));
  }
};

struct TmoxNFeGD01 final : TmoxNFeRegraNota {
  using TmoxNFeRegraNota::TmoxNFeRegraNota;
  bool Falha() override { return PossuiCampoPreenchido("D"); }
};

// Issue by the tax authority (procEmi 1 or 2) without the group that identifies it.
struct TmoxNFeGD01_2 final : TmoxNFeRegraNota {
  using TmoxNFeRegraNota::TmoxNFeRegraNota;
  bool Falha() override { return Um(C("procEmi_B26"), {"1", "2"}) && !PossuiCampoPreenchido("D"); }
};

struct TmoxNFeGE01 final : TmoxNFeRegraNota {
  using TmoxNFeRegraNota::TmoxNFeRegraNota;
  bool Falha() override { return DS("E").IsEmpty(); }
};

struct TmoxNFeGE02 final : TmoxNFeRegraNota {
  using TmoxNFeRegraNota::TmoxNFeRegraNota;
  bool Falha() override { return C("UF_E12") == "EX" && Preenchido("CNPJ_E02"); }
};

struct TmoxNFeGE02_1 final : TmoxNFeRegraNota {
  using TmoxNFeRegraNota::TmoxNFeRegraNota;
  bool Falha() override { return C("UF_E12") != "EX" && !Preenchido("CNPJ_E02") && !Preenchido("CPF_E03"); }
};

struct TmoxNFeGE03a final : TmoxNFeRegraNota {
  using TmoxNFeRegraNota::TmoxNFeRegraNota;
  bool Falha() override { return C("idDest_B11a") == "3" && !Preenchido("idEstrangeiro_E03a"); }
};

struct TmoxNFeRegraComProdutos : TmoxNFeRegraNota {
  using TmoxNFeRegraNota::TmoxNFeRegraNota;
  // Walks the items; the product data set follows each one.
  bool AlgumProduto(const std::function<bool(const TXmlDataSetNFe&)>& aTeste) const {
    const TXmlDataSetNFe& produto = DS("I");
    return AlgumItem([&] { return aTeste(produto); });
  }
  // Some product sells fuel to a buyer of another state (CFOP 6667).
  bool TemCFOP6667() const {
    return AlgumProduto([](const TXmlDataSetNFe& aProduto) { return F(aProduto, "CFOP_I08") == "6667"; });
  }
};

struct TmoxNFeGE03a_1 final : TmoxNFeRegraComProdutos {
  using TmoxNFeRegraComProdutos::TmoxNFeRegraComProdutos;
  bool Falha() override {
    return C("idDest_B11a") == "2" && Preenchido("idEstrangeiro_E03a") && !TemCFOP6667();
  }
};

// An internal operation with a foreign buyer must be made in person.
struct TmoxNFeGE03a_2 final : TmoxNFeRegraNota {
  using TmoxNFeRegraNota::TmoxNFeRegraNota;
  bool Falha() override {
    return C("idDest_B11a") == "1" && Preenchido("idEstrangeiro_E03a") && C("indPres_B25b") != "1";
  }
};

struct TmoxNFeGE03a_3 final : TmoxNFeRegraNota {
  using TmoxNFeRegraNota::TmoxNFeRegraNota;
  bool Falha() override {
    return C("idDest_B11a") == "1" && Preenchido("idEstrangeiro_E03a") && C("indFinal_B25a") != "1";
  }
};

struct TmoxNFeGE04 final : TmoxNFeRegraNota {
  using TmoxNFeRegraNota::TmoxNFeRegraNota;
  bool Falha() override { return !Preenchido("xNome_E04"); }
};

// A model-55 recipient without any field of the address group.
struct TmoxNFeGE05 final : TmoxNFeRegraNota {
  using TmoxNFeRegraNota::TmoxNFeRegraNota;
  bool Falha() override {
    if (C("mod_B06") != "55" || DS("E").IsEmpty()) return false;
    for (const char* campo : {"xLgr_E06", "nro_E07", "xBairro_E09", "cMun_E10", "xMun_E11", "UF_E12"})
      if (Preenchido(campo)) return false;
    return true;
  }
};

struct TmoxNFeGE10_1 final : TmoxNFeRegraNota {
  using TmoxNFeRegraNota::TmoxNFeRegraNota;
  bool Falha() override {
    const std::string uf = C("UF_E12");
    return uf != "EX" && CopyChars(C("cMun_E10"), 1, 2) != GetCodeUF(uf);
  }
};

struct TmoxNFeGE10_2 final : TmoxNFeRegraNota {
  using TmoxNFeRegraNota::TmoxNFeRegraNota;
  bool Falha() override { return C("UF_E12") == "EX" && C("cMun_E10") != "9999999"; }
};

struct TmoxNFeGE10_2_NT005_2013 final : TmoxNFeRegraNota {
  using TmoxNFeRegraNota::TmoxNFeRegraNota;
  bool Falha() override { return C("idDest_B11a") == "3" && C("cMun_E10") != "9999999"; }
};

struct TmoxNFeGE12 final : TmoxNFeRegraNota {
  using TmoxNFeRegraNota::TmoxNFeRegraNota;
  bool Falha() override { return C("idDest_B11a") == "3" && C("UF_E12") != "EX"; }
};

struct TmoxNFeGE12_1 final : TmoxNFeRegraComProdutos {
  using TmoxNFeRegraComProdutos::TmoxNFeRegraComProdutos;
  bool Falha() override { return C("idDest_B11a") == "2" && C("UF_E12") == "EX" && !TemCFOP6667(); }
};

// The consumption UF of some product compared with the emitter's UF, for the recipients whose
// UF contradicts the operation's destination.
struct TmoxNFeUFConsumo : TmoxNFeRegraComProdutos {
  using TmoxNFeRegraComProdutos::TmoxNFeRegraComProdutos;
  bool ConsumoExplica(bool aIgualAoEmitente) const {
    const std::string ufEmitente = C("UF_C12");
    return Preenchido("UFCons_LA06") && AlgumProduto([&](const TXmlDataSetNFe&) {
             return (C("UFCons_LA06") == ufEmitente) == aIgualAoEmitente;
           });
  }
};

struct TmoxNFeGE12_2 final : TmoxNFeUFConsumo {
  using TmoxNFeUFConsumo::TmoxNFeUFConsumo;
  bool Falha() override {
    return C("idDest_B11a") == "2" && EqualsIgnoreCase(C("UF_E12"), C("UF_C12")) &&
           C("CNPJ_E02") != C("CNPJ_BA06") && !ConsumoExplica(false);
  }
};

struct TmoxNFeGE12_3 final : TmoxNFeUFConsumo {
  using TmoxNFeUFConsumo::TmoxNFeUFConsumo;
  bool Falha() override {
    return C("idDest_B11a") == "1" && C("indFinal_B25a") == "0" && !EqualsIgnoreCase(C("UF_E12"), C("UF_C12")) &&
           !ConsumoExplica(true);
  }
};

struct TmoxNFeGE14 final : TmoxNFeRegraNota {
  using TmoxNFeRegraNota::TmoxNFeRegraNota;
  bool Falha() override { return C("UF_E12") == "EX" && Um(C("cPais_E14"), {"1058", ""}); }
};

struct TmoxNFeGE14_NT005_2013 final : TmoxNFeRegraNota {
  using TmoxNFeRegraNota::TmoxNFeRegraNota;
  bool Falha() override { return C("idDest_B11a") == "3" && Um(C("cPais_E14"), {"1058", ""}); }
};

struct TmoxNFeGE14_1 final : TmoxNFeRegraNota {
  using TmoxNFeRegraNota::TmoxNFeRegraNota;
  bool Falha() override { return C("UF_E12") != "EX" && C("cPais_E14") != "1058"; }
};

struct TmoxNFeGE14_1_NT005_2013 final : TmoxNFeRegraComProdutos {
  using TmoxNFeRegraComProdutos::TmoxNFeRegraComProdutos;
  bool Falha() override {
    const std::string destino = C("idDest_B11a");
    if (destino == "3" || C("cPais_E14") == "1058") return false;
    if (destino == "1" && Preenchido("idEstrangeiro_E03a")) return false;
    return !(destino == "2" && TemCFOP6667());
  }
};

struct TmoxNFeGE16a final : TmoxNFeRegraNota {
  using TmoxNFeRegraNota::TmoxNFeRegraNota;
  bool Falha() override { return C("idDest_B11a") == "3" && C("indIEDest_E16a") != "9"; }
};

struct TmoxNFeE16a_30_NT003_2015 final : TmoxNFeRegraDeItens {
  using TmoxNFeRegraDeItens::TmoxNFeRegraDeItens;
  void Inicia() override {
    FAplica = Desde("2016-07-01T00:01:00-03:00") && C("indIEDest_E16a") == "2" &&
              Um(C("UF_E12"), {"AM", "BA", "CE", "GO", "MG", "MS", "MT", "PE", "RN", "SE", "SP"});
    FST = FRetido = 0;
  }
  bool Decidida() const override { return !FAplica; }
  void Visita() override {
    FST += N("vICMSST_N23");
    FRetido += N("vICMSSTRet_N27");
  }
  bool Falhou() override { return FAplica && FST <= 0 && FRetido <= 0; }
  bool FAplica = false;
  long double FST = 0, FRetido = 0;
};

struct TmoxNFeGE17 final : TmoxNFeRegraNota {
  using TmoxNFeRegraNota::TmoxNFeRegraNota;
  bool Falha() override {
    const std::string ie = C("IE_E17");
    return C("UF_E12") == "EX" && !ie.empty() && ie != "ISENTO";
  }
};

struct TmoxNFeGE17_1 final : TmoxNFeRegraNota {
  using TmoxNFeRegraNota::TmoxNFeRegraNota;
  bool Falha() override { return C("indIEDest_E16a") == "1" && !Preenchido("IE_E17"); }
};

struct TmoxNFeGE17_2 final : TmoxNFeRegraNota {
  using TmoxNFeRegraNota::TmoxNFeRegraNota;
  bool Falha() override { return C("indIEDest_E16a") == "2" && Preenchido("IE_E17"); }
};

struct TmoxNFeGE17_3 final : TmoxNFeRegraNota {
  using TmoxNFeRegraNota::TmoxNFeRegraNota;
  bool Falha() override { return Preenchido("IE_E17") && C("UF_E12") == "EX"; }
};

// A place abroad must carry the municipality code 9999999.
struct TmoxNFeLocalNoExterior : TmoxNFeRegraNota {
  using TmoxNFeRegraNota::TmoxNFeRegraNota;
  bool Falha() override { return C(CampoUF()) == "EX" && C(FieldName()) != "9999999"; }
  virtual const char* CampoUF() const = 0;
};
struct TmoxNFeGF07 final : TmoxNFeLocalNoExterior {
  using TmoxNFeLocalNoExterior::TmoxNFeLocalNoExterior;
  const char* CampoUF() const override { return "UF_F09"; }
};
struct TmoxNFeGG07 final : TmoxNFeLocalNoExterior {
  using TmoxNFeLocalNoExterior::TmoxNFeLocalNoExterior;
  const char* CampoUF() const override { return "UF_G09"; }
};

// A place's municipality code must start with its UF's code.
struct TmoxNFeMunicipioForaDaUF : TmoxNFeRegraNota {
  using TmoxNFeRegraNota::TmoxNFeRegraNota;
  bool Falha() override {
    const std::string municipio = C(FieldName());
    return !municipio.empty() && CopyChars(municipio, 1, 2) != GetCodeUF(C(CampoUF()));
  }
  virtual const char* CampoUF() const = 0;
};
struct TmoxNFeGF07_2 final : TmoxNFeMunicipioForaDaUF {
  using TmoxNFeMunicipioForaDaUF::TmoxNFeMunicipioForaDaUF;
  const char* CampoUF() const override { return "UF_F09"; }
};
struct TmoxNFeGG07_2 final : TmoxNFeMunicipioForaDaUF {
  using TmoxNFeMunicipioForaDaUF::TmoxNFeMunicipioForaDaUF;
  const char* CampoUF() const override { return "UF_G09"; }
};

struct TmoxNFeGX04_1 final : TmoxNFeRegraAlgumItem {
  using TmoxNFeRegraAlgumItem::TmoxNFeRegraAlgumItem;
  bool Aplica() override { return C("finNFe_B25") == "1" && C("UF_X10") != "EX"; }
  bool ItemFalha() override {
    if (!NaLista(TListaNFe::VendaCombustivel, C("CFOP_I08"))) return false;
    const std::string cnpj = C("CNPJ_X04");
    const std::string cpf = C("CPF_X05");
    return (cnpj.empty() && cpf.empty()) || (!cnpj.empty() && !Utils().ValidateCNPJ(cnpj)) ||
           (!cpf.empty() && !Utils().ValidateCPF(cpf));
  }
};

struct TmoxNFeGX07 final : TmoxNFeRegraNota {
  using TmoxNFeRegraNota::TmoxNFeRegraNota;
  bool Falha() override { return Preenchido("IE_X07") && !Preenchido("UF_X10"); }
};

struct TmoxNFeGY01 final : TmoxNFeTemplateItem {
  using TmoxNFeTemplateItem::TmoxNFeTemplateItem;
  bool ExpressaoDeValidacao() override { return DS("DUP").RecordCount() < 121; }
};

struct TmoxNFeZelto1 final : TmoxNFeRegraAjuste {
  using TmoxNFeRegraAjuste::TmoxNFeRegraAjuste;
  void Ajusta() override {
    if (C("UF_E12") != "EX") return;
    Grava("CNPJ_E02", "");
    Grava("CPF_E03", "NULL");
  }
};

struct TmoxNFeZelto2 final : TmoxNFeRegraAjuste {
  using TmoxNFeRegraAjuste::TmoxNFeRegraAjuste;
  void Ajusta() override {
    if (!NuloOuVazio(C("CPF_E03"))) Grava("CNPJ_E02", "NULL");
  }
};

struct TmoxNFeZelto3 final : TmoxNFeRegraAjuste {
  using TmoxNFeRegraAjuste::TmoxNFeRegraAjuste;
  void Ajusta() override {
    if (Um(C("cNF_B03"), {"", "0"})) Grava("cNF_B03", C("nNF_B08"));
  }
};

struct TmoxNFeZelto4 final : TmoxNFeRegraAjuste {
  using TmoxNFeRegraAjuste::TmoxNFeRegraAjuste;
  void Ajusta() override {
    if (!Preenchido("verProc_B27")) Grava("verProc_B27", "1.0");
  }
};

struct TmoxNFeGZA01 final : TmoxNFeRegraNota {
  using TmoxNFeRegraNota::TmoxNFeRegraNota;
  bool Falha() override {
    return C("tpNF_B11") == "1" && C("idDest_B11a") == "3" && !Preenchido("UFSaidaPais_ZA02") &&
           !Preenchido("xLocExporta_ZA03") && !Preenchido("xLocDespacho_ZA04");
  }
};

struct TmoxNFeGZA01_1 final : TmoxNFeRegraNota {
  using TmoxNFeRegraNota::TmoxNFeRegraNota;
  bool Falha() override {
    if (C("tpNF_B11") != "0" && C("idDest_B11a") == "3") return false;
    return Preenchido("UFSaidaPais_ZA02") || Preenchido("xLocExporta_ZA03") || Preenchido("xLocDespacho_ZA04");
  }
};

struct TmoxNFeGZB02 final : TmoxNFeRegraNota {
  using TmoxNFeRegraNota::TmoxNFeRegraNota;
  bool Falha() override { return C("motDesICMS_N28") == "8" && !Preenchido("xNEmp_ZB02"); }
};

constexpr TClasseRegra kClasses[] = {
    MOX_CLASSE_REGRA(TmoxNFeGC02),      MOX_CLASSE_REGRA(TmoxNFeGC02_a),
    MOX_CLASSE_REGRA(TmoxNFeGC02_a1),   MOX_CLASSE_REGRA(TmoxNFeGC10),
    MOX_CLASSE_REGRA(TmoxNFeGC10_1),    MOX_CLASSE_REGRA(TmoxNFeGC17),
    MOX_CLASSE_REGRA(TmoxNFeGC18_14),   MOX_CLASSE_REGRA(TmoxNFeGC18_40),
    MOX_CLASSE_REGRA(TmoxNFeGD01),      MOX_CLASSE_REGRA(TmoxNFeGD01_2),
    MOX_CLASSE_REGRA(TmoxNFeGE01),      MOX_CLASSE_REGRA(TmoxNFeGE02),
    MOX_CLASSE_REGRA(TmoxNFeGE02_1),    MOX_CLASSE_REGRA(TmoxNFeGE02_2),
    MOX_CLASSE_REGRA(TmoxNFeGE03),      MOX_CLASSE_REGRA(TmoxNFeGE03a),
    MOX_CLASSE_REGRA(TmoxNFeGE03a_1),   MOX_CLASSE_REGRA(TmoxNFeGE03a_2),
    MOX_CLASSE_REGRA(TmoxNFeGE03a_3),   MOX_CLASSE_REGRA(TmoxNFeGE04),
    MOX_CLASSE_REGRA(TmoxNFeGE05),      MOX_CLASSE_REGRA(TmoxNFeGE10),
    MOX_CLASSE_REGRA(TmoxNFeGE10_1),    MOX_CLASSE_REGRA(TmoxNFeGE10_2),
    MOX_CLASSE_REGRA(TmoxNFeGE10_2_NT005_2013), MOX_CLASSE_REGRA(TmoxNFeGE12),
    MOX_CLASSE_REGRA(TmoxNFeGE12_1),    MOX_CLASSE_REGRA(TmoxNFeGE12_2),
    MOX_CLASSE_REGRA(TmoxNFeGE12_3),    MOX_CLASSE_REGRA(TmoxNFeGE14),
    MOX_CLASSE_REGRA(TmoxNFeGE14_NT005_2013), MOX_CLASSE_REGRA(TmoxNFeGE14_1),
    MOX_CLASSE_REGRA(TmoxNFeGE14_1_NT005_2013), MOX_CLASSE_REGRA(TmoxNFeGE16a),
    MOX_CLASSE_REGRA(TmoxNFeE16a_30_NT003_2015), MOX_CLASSE_REGRA(TmoxNFeGE17),
    MOX_CLASSE_REGRA(TmoxNFeGE17_1),    MOX_CLASSE_REGRA(TmoxNFeGE17_2),
    MOX_CLASSE_REGRA(TmoxNFeGE17_3),    MOX_CLASSE_REGRA(TmoxNFeGF02),
    MOX_CLASSE_REGRA(TmoxNFeGF02_a),    MOX_CLASSE_REGRA(TmoxNFeGF07),
    MOX_CLASSE_REGRA(TmoxNFeGF07_1),    MOX_CLASSE_REGRA(TmoxNFeGF07_2),
    MOX_CLASSE_REGRA(TmoxNFeGG02),      MOX_CLASSE_REGRA(TmoxNFeGG02_a),
    MOX_CLASSE_REGRA(TmoxNFeGG07),      MOX_CLASSE_REGRA(TmoxNFeGG07_1),
    MOX_CLASSE_REGRA(TmoxNFeGG07_2),    MOX_CLASSE_REGRA(TmoxNFeGX04),
    MOX_CLASSE_REGRA(TmoxNFeGX04_1),    MOX_CLASSE_REGRA(TmoxNFeGX05),
    MOX_CLASSE_REGRA(TmoxNFeGX07),      MOX_CLASSE_REGRA(TmoxNFeGX17),
    MOX_CLASSE_REGRA(TmoxNFeGY01),      MOX_CLASSE_REGRA(TmoxNFeZelto1),
    MOX_CLASSE_REGRA(TmoxNFeZelto2),    MOX_CLASSE_REGRA(TmoxNFeZelto3),
    MOX_CLASSE_REGRA(TmoxNFeZelto4),    MOX_CLASSE_REGRA(TmoxNFeGZA01),
    MOX_CLASSE_REGRA(TmoxNFeGZA01_1),   MOX_CLASSE_REGRA(TmoxNFeGZB02),
};

}  // namespace

std::span<const TClasseRegra> ClassesRegrasParticipantes() { return kClasses; }

}  // namespace mox
