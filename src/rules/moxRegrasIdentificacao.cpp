// Rules of the identification of the note and its access key (groups A, B, J) and of the
// referenced documents (data set "NREF").
#include <chrono>
#include <algorithm>
#include <cstdlib>
#include <span>

#include "datasets/TXmlDataSetNFe.h"
#include "external/TmoxKivoUtils.h"
#include "rules/moxCatalogoRegras.h"
#include "rules/moxRegrasComuns.h"
#include "utils/moxChaveNFe.h"
#include "utils/moxTextoNFe.h"

namespace mox {

namespace {

// The 44 digits of the key in ID_A03 ("NFe" + key).
std::string ChaveDoId(const std::string& aId) { return CopyChars(aId, 4, 44); }

struct TmoxNFeGA03 final : TmoxNFeRegraNota {
  using TmoxNFeRegraNota::TmoxNFeRegraNota;
  bool Falha() override { return DecodeChave(ChaveDoId(C("ID_A03")), VersaoManual()).cDV != C("cDV_B23"); }
};

struct TmoxNFeGB06 final : TmoxNFeRegraNota {
  using TmoxNFeRegraNota::TmoxNFeRegraNota;
  bool Falha() override { return !Um(C("mod_B06"), {"55", "65"}); }
};

struct TmoxNFeGB06_1 final : TmoxNFeRegraNota {
  using TmoxNFeRegraNota::TmoxNFeRegraNota;
  bool Falha() override { return C("mod_B06") != "55"; }
};

struct TmoxNFeGB07 final : TmoxNFeRegraNota {
  using TmoxNFeRegraNota::TmoxNFeRegraNota;
  bool Falha() override {
    const std::int64_t serie = StrToInt64(C("serie_B07"));
    return serie >= 890 && serie <= 899;
  }
};

struct TmoxNFeGB09 : TmoxNFeRegraNota {
  using TmoxNFeRegraNota::TmoxNFeRegraNota;
  bool Falha() override { return std::abs(DiasAteHoje(*this, C(FieldName()))) > 30; }
};

struct TmoxNFeGB09_1_NT003_2012 final : TmoxNFeGB09 {
  using TmoxNFeGB09::TmoxNFeGB09;
  bool Falha() override { return Um(F(DS("B"), "tpEmis_B22"), {"1", "3", "6", "7"}) && TmoxNFeGB09::Falha(); }
};

struct TmoxNFeGB09_2 final : TmoxNFeRegraNota {
  using TmoxNFeRegraNota::TmoxNFeRegraNota;
  bool Falha() override { return MinutosAFrente(*this, C(FieldName())) > 5; }
};

struct TmoxNFeB09_30_NT015_002 final : TmoxNFeRegraNota {
  using TmoxNFeRegraNota::TmoxNFeRegraNota;
  bool Falha() override { return VerificaDataAnterior(C("dhEmi_B09"), "2006-09-14"); }
};

// Exit date before the emission date, on outgoing notes.
struct TmoxNFeSaidaAntesDaEmissao : TmoxNFeRegraNota {
  using TmoxNFeRegraNota::TmoxNFeRegraNota;
  bool Falha() override {
    const std::string saida = C(FieldName());
    return C("tpNF_B11") == "1" && !saida.empty() && VerificaDataAnterior(saida, C(Emissao()));
  }
  virtual const char* Emissao() const = 0;
};

struct TmoxNFeGB10_2 final : TmoxNFeSaidaAntesDaEmissao {
  using TmoxNFeSaidaAntesDaEmissao::TmoxNFeSaidaAntesDaEmissao;
  const char* Emissao() const override { return "dEmi_B09"; }
};

struct TmoxNFeGB10_3 final : TmoxNFeSaidaAntesDaEmissao {
  using TmoxNFeSaidaAntesDaEmissao::TmoxNFeSaidaAntesDaEmissao;
  const char* Emissao() const override { return "dhEmi_B09"; }
};

struct TmoxNFeGB10a final : TmoxNFeRegraNota {
  using TmoxNFeRegraNota::TmoxNFeRegraNota;
  bool Falha() override { return Preenchido("hSaiEnt_B10a") && !Preenchido("dSaiEnt_B10"); }
};

struct TmoxNFeGB12 final : TmoxNFeRegraNota {
  using TmoxNFeRegraNota::TmoxNFeRegraNota;
  bool Falha() override { return !ValidaCodigoMunicipio(C("cMunFG_B12")); }
};

struct TmoxNFeGB12_1 final : TmoxNFeRegraNota {
  using TmoxNFeRegraNota::TmoxNFeRegraNota;
  bool Falha() override { return CopyChars(C("cMunFG_B12"), 1, 2) != C("cUF_B02"); }
};

// A check over every referenced document; the first that fails ends the rule.
struct TmoxNFeRegraReferencia : TmoxNFeRegraNota {
  using TmoxNFeRegraNota::TmoxNFeRegraNota;
  bool Falha() override {
    return AlgumRegistro("NREF", [this](TXmlDataSetNFe& aRef) { return FalhaReferencia(aRef); });
  }
  virtual bool FalhaReferencia(const TXmlDataSetNFe& aRef) = 0;
  // The field of the layouts from 3.10 on in that set, the older one elsewhere.
  const char* Leiaute(const char* aAntigo, const char* aNovo) const { return Leiaute310EmDiante() ? aNovo : aAntigo; }
};

struct TmoxNFeGB13 final : TmoxNFeRegraReferencia {
  using TmoxNFeRegraReferencia::TmoxNFeRegraReferencia;
  bool FalhaReferencia(const TXmlDataSetNFe& aRef) override {
    const std::string chave = F(aRef, FieldName());
    return !chave.empty() && !ValidaAutenticidadeDV(chave, VersaoManual());
  }
};

// The model decoded from a referenced key differs from the expected one.
struct TmoxNFeModeloReferenciado : TmoxNFeRegraReferencia {
  using TmoxNFeRegraReferencia::TmoxNFeRegraReferencia;
  bool FalhaReferencia(const TXmlDataSetNFe& aRef) override {
    const std::string chave = F(aRef, FieldName());
    return !chave.empty() && DecodeChave(chave, VersaoManual()).Modelo != Modelo();
  }
  virtual const char* Modelo() const = 0;
};

struct TmoxNFeGB13a_NT003_2013 final : TmoxNFeModeloReferenciado {
  using TmoxNFeModeloReferenciado::TmoxNFeModeloReferenciado;
  const char* Modelo() const override { return "55"; }
};

struct TmoxNFeGB20ia_NT003_2013 final : TmoxNFeModeloReferenciado {
  using TmoxNFeModeloReferenciado::TmoxNFeModeloReferenciado;
  const char* Modelo() const override { return "57"; }
};

// The same referenced document twice: composites of the record's fields joined by "#".
struct TmoxNFeDuplicidadeReferencia : TmoxNFeRegraNota {
  using TmoxNFeRegraNota::TmoxNFeRegraNota;
  bool Falha() override {
    std::string vistos;
    return AlgumRegistro("NREF", [&](TXmlDataSetNFe& aRef) {
      const std::span<const char* const> campos = Campos();
      if (F(aRef, campos.front()).empty()) return false;
      std::string composto;
      for (const char* campo : campos) {
        if (campo != campos.front()) composto.append("#");
        composto.append(F(aRef, campo));
      }
      if (vistos.find(composto) != std::string::npos) return true;
      vistos.append(composto).append("#");
      return false;
    });
  }
  // The leading field first: records without it are not compared.
  virtual std::span<const char* const> Campos() const = 0;
};

struct TmoxNFeGB13b_NT003_2013 final : TmoxNFeDuplicidadeReferencia {
  using TmoxNFeDuplicidadeReferencia::TmoxNFeDuplicidadeReferencia;
  std::span<const char* const> Campos() const override {
    static constexpr const char* kCampos[] = {"refNFe_B13"};
    return kCampos;
  }
};

struct TmoxNFeGB20_NT003_2013 final : TmoxNFeDuplicidadeReferencia {
  using TmoxNFeDuplicidadeReferencia::TmoxNFeDuplicidadeReferencia;
  std::span<const char* const> Campos() const override {
    static constexpr const char* kCampos[] = {"CNPJ_B17", "mod_B18", "serie_B19", "nNF_B20"};
    return kCampos;
  }
};

struct TmoxNFeGB20ha_NT003_2013 final : TmoxNFeDuplicidadeReferencia {
  using TmoxNFeDuplicidadeReferencia::TmoxNFeDuplicidadeReferencia;
  std::span<const char* const> Campos() const override {
    static constexpr const char* kCampos[] = {"IE_B20f", "mod_B20g", "serie_B20h", "nNF_B20ha"};
    return kCampos;
  }
};

struct TmoxNFeGB20m_NT003_2013 final : TmoxNFeDuplicidadeReferencia {
  using TmoxNFeDuplicidadeReferencia::TmoxNFeDuplicidadeReferencia;
  std::span<const char* const> Campos() const override {
    static constexpr const char* kCampos[] = {"mod_B20k", "nECF_B20l", "nCOO_B20m"};
    return kCampos;
  }
};

struct TmoxNFeGB17 final : TmoxNFeRegraReferencia {
  using TmoxNFeRegraReferencia::TmoxNFeRegraReferencia;
  bool FalhaReferencia(const TXmlDataSetNFe& aRef) override {
    const std::string cnpj = F(aRef, FieldName());
    return !cnpj.empty() && !Utils().ValidateCNPJ(cnpj);
  }
};

struct TmoxNFeGB20d final : TmoxNFeRegraReferencia {
  using TmoxNFeRegraReferencia::TmoxNFeRegraReferencia;
  bool FalhaReferencia(const TXmlDataSetNFe& aRef) override {
    const std::string cnpj = F(aRef, Leiaute("CNPJ_B20d", "CNPJ_BA13"));
    return !cnpj.empty() && !Utils().ValidateCNPJ(cnpj);
  }
};

struct TmoxNFeGB20e final : TmoxNFeRegraReferencia {
  using TmoxNFeRegraReferencia::TmoxNFeRegraReferencia;
  bool FalhaReferencia(const TXmlDataSetNFe& aRef) override {
    const std::string cpf = F(aRef, Leiaute("CPF_B20e", "CPF_BA14"));
    return !cpf.empty() && !Utils().ValidateCPF(cpf);
  }
};

struct TmoxNFeGB20i final : TmoxNFeRegraReferencia {
  using TmoxNFeRegraReferencia::TmoxNFeRegraReferencia;
  bool FalhaReferencia(const TXmlDataSetNFe& aRef) override {
    const std::string chave = F(aRef, Leiaute("refCTe_B20i", "refCTe_BA19"));
    return !chave.empty() && !ValidaAutenticidadeDV(chave, VersaoManual());
  }
};

struct TmoxNFeGB21_2 final : TmoxNFeRegraNota {
  using TmoxNFeRegraNota::TmoxNFeRegraNota;
  bool Falha() override { return Um(C("tpImp_B21"), {"4", "5"}); }
};

struct TmoxNFeGB22 final : TmoxNFeRegraNota {
  using TmoxNFeRegraNota::TmoxNFeRegraNota;
  bool Falha() override {
    return C("tpEmis_B22") == "1" && (Preenchido("dhCont_B28") || Preenchido("xJust_B29"));
  }
};

struct TmoxNFeGB22_1 final : TmoxNFeRegraNota {
  using TmoxNFeRegraNota::TmoxNFeRegraNota;
  bool Falha() override { return C("tpEmis_B22") == "9"; }
};

struct TmoxNFeGB22_3 final : TmoxNFeRegraNota {
  using TmoxNFeRegraNota::TmoxNFeRegraNota;
  bool Falha() override { return Um(C("tpEmis_B22"), {"3", "6", "7"}) && !Preenchido("xJust_B29"); }
};

struct TmoxNFeGB23 final : TmoxNFeRegraNota {
  using TmoxNFeRegraNota::TmoxNFeRegraNota;
  bool Falha() override { return !ValidaAutenticidadeDV(ChaveDoId(C("ID_A03")), VersaoManual()); }
};

// Complementary notes (finNFe 2) and their referenced documents.
struct TmoxNFeComplementar : TmoxNFeRegraNota {
  using TmoxNFeRegraNota::TmoxNFeRegraNota;
  bool Falha() override { return C("finNFe_B25") == "2" && FalhaReferencias(DS("NREF").RecordCount()); }
  virtual bool FalhaReferencias(size_t aQuantidade) = 0;
};

// GB25 and GB25.3 of the 5.0a set: no referenced document.
struct TmoxNFeSemReferencia : TmoxNFeComplementar {
  using TmoxNFeComplementar::TmoxNFeComplementar;
  bool FalhaReferencias(size_t aQuantidade) override { return aQuantidade == 0; }
};
struct TmoxNFeGB25 final : TmoxNFeSemReferencia {
  using TmoxNFeSemReferencia::TmoxNFeSemReferencia;
};
struct TmoxNFeGB25_3 final : TmoxNFeSemReferencia {
  using TmoxNFeSemReferencia::TmoxNFeSemReferencia;
};

// GB25.1 and GB25.4: more than one referenced document.
struct TmoxNFeMaisDeUmaReferencia : TmoxNFeComplementar {
  using TmoxNFeComplementar::TmoxNFeComplementar;
  bool FalhaReferencias(size_t aQuantidade) override { return aQuantidade > 1; }
};
struct TmoxNFeGB25_1 final : TmoxNFeMaisDeUmaReferencia {
  using TmoxNFeMaisDeUmaReferencia::TmoxNFeMaisDeUmaReferencia;
};
struct TmoxNFeGB25_4 final : TmoxNFeMaisDeUmaReferencia {
  using TmoxNFeMaisDeUmaReferencia::TmoxNFeMaisDeUmaReferencia;
};

struct TmoxNFeGB25_2 final : TmoxNFeRegraReferencia {
  using TmoxNFeRegraReferencia::TmoxNFeRegraReferencia;
  bool FalhaReferencia(const TXmlDataSetNFe& aRef) override {
    if (C("finNFe_B25") != "2") return false;
    const std::string emitente = C("CNPJ_C02");
    // The 5.0a layout keeps the referenced documents in the BA fields.
    const std::string chave = F(aRef, Leiaute("refNFe_B13", "refNFe_BA02"));
    const std::string cnpj = F(aRef, Leiaute("CNPJ_B17", "CNPJ_BA06"));
    return (!chave.empty() && DecodeChave(CopyChars(chave, 1, 44), VersaoManual()).CNPJ != emitente) ||
           (!cnpj.empty() && cnpj != emitente);
  }
};

struct TmoxNFeGB25_3_NT003_2013 final : TmoxNFeRegraReferencia {
  using TmoxNFeRegraReferencia::TmoxNFeRegraReferencia;
  bool FalhaReferencia(const TXmlDataSetNFe& aRef) override {
    if (C("finNFe_B25") != "2") return false;
    const std::string uf = C("cUF_B02");
    const std::string chave = F(aRef, "refNFe_B13");
    if (!chave.empty()) return DecodeChave(chave, VersaoManual()).cUF != uf;
    const std::string ufRef = F(aRef, "cUF_B15");
    return !ufRef.empty() && ufRef != uf;
  }
};

struct TmoxNFeGB25_7 final : TmoxNFeRegraNota {
  using TmoxNFeRegraNota::TmoxNFeRegraNota;
  bool Falha() override {
    return C("finNFe_B25") == "4" && DS("NREF").IsEmpty() &&
           !Um(C("CFOP_I08"), {"1201", "1202", "1410", "1411", "5921", "6921"});
  }
};

struct TmoxNFeGB25b final : TmoxNFeRegraNota {
  using TmoxNFeRegraNota::TmoxNFeRegraNota;
  bool Falha() override { return C("indPres_B25b") == "4"; }
};

struct TmoxNFeGB26 final : TmoxNFeRegraNota {
  using TmoxNFeRegraNota::TmoxNFeRegraNota;
  bool Falha() override { return !Um(C("procEmi_B26"), {"0", "3"}); }
};

struct TmoxNFeGB26_1 final : TmoxNFeRegraNota {
  using TmoxNFeRegraNota::TmoxNFeRegraNota;
  bool Falha() override { return Um(C("procEmi_B26"), {"1", "2"}) && C("tpEmis_B22") != "1"; }
};

struct TmoxNFeGB28 final : TmoxNFeRegraNota {
  using TmoxNFeRegraNota::TmoxNFeRegraNota;
  bool Falha() override {
    const std::string contingencia = C("dhCont_B28");
    if (contingencia.empty()) return false;
    switch (VersaoManual()) {
      case TVersaoManual::vm202a: return false;
      case TVersaoManual::vm50a:
      case TVersaoManual::vm60:
        return MinutosAFrente(*this, contingencia) > 5 || VerificaDataAnterior(C("dhEmi_B09"), contingencia);
      default: return VerificaDataAnterior(C("dEmi_B09"), contingencia);
    }
  }
};

struct TmoxNFeBA02_40_NT015_002 final : TmoxNFeRegraNota {
  using TmoxNFeRegraNota::TmoxNFeRegraNota;
  bool Falha() override {
    if (DS("NREF").IsEmpty()) return false;
    // An emitter identified by CPF (notes issued by the tax authority) has it in the key.
    std::string emitente = C("CNPJ_C02");
    if (emitente.empty()) emitente = std::string(14 - std::min<size_t>(14, C("CPF_C02a").size()), '0') + C("CPF_C02a");
    const std::string propria = CalculaChave(C("dhEmi_B09"), C("cUF_B02"), emitente, C("mod_B06"),
                                             C("serie_B07"), C("nNF_B08"), C("tpEmis_B22"), C("cNF_B03"));
    return AlgumRegistro("NREF", [&](TXmlDataSetNFe& aRef) { return F(aRef, "refNFe_BA02") == propria; });
  }
};

struct TmoxNFeJ02_c_NT003_2012 final : TmoxNFeRegraNota {
  using TmoxNFeRegraNota::TmoxNFeRegraNota;
  bool Falha() override {
    const std::int64_t anoChave = StrToInt64(CopyChars(C("ID_A03"), 6, 2));
    const std::int64_t anoCorrente = AnoCivil(Agora()) % 100;
    return anoCorrente < anoChave || anoChave < 6;
  }
};

constexpr TClasseRegra kClasses[] = {
    MOX_CLASSE_REGRA(TmoxNFeGA03),
    MOX_CLASSE_REGRA(TmoxNFeGB06),
    MOX_CLASSE_REGRA(TmoxNFeGB06_1),
    MOX_CLASSE_REGRA(TmoxNFeGB07),
    MOX_CLASSE_REGRA(TmoxNFeGB09),
    MOX_CLASSE_REGRA(TmoxNFeGB09_1_NT003_2012),
    MOX_CLASSE_REGRA(TmoxNFeGB09_2),
    MOX_CLASSE_REGRA(TmoxNFeB09_30_NT015_002),
    MOX_CLASSE_REGRA(TmoxNFeGB10_2),
    MOX_CLASSE_REGRA(TmoxNFeGB10_3),
    MOX_CLASSE_REGRA(TmoxNFeGB10a),
    MOX_CLASSE_REGRA(TmoxNFeGB12),
    MOX_CLASSE_REGRA(TmoxNFeGB12_1),
    MOX_CLASSE_REGRA(TmoxNFeGB13),
    MOX_CLASSE_REGRA(TmoxNFeGB13a_NT003_2013),
    MOX_CLASSE_REGRA(TmoxNFeGB13b_NT003_2013),
    MOX_CLASSE_REGRA(TmoxNFeGB17),
    MOX_CLASSE_REGRA(TmoxNFeGB20_NT003_2013),
    MOX_CLASSE_REGRA(TmoxNFeGB20d),
    MOX_CLASSE_REGRA(TmoxNFeGB20e),
    MOX_CLASSE_REGRA(TmoxNFeGB20ha_NT003_2013),
    MOX_CLASSE_REGRA(TmoxNFeGB20i),
    MOX_CLASSE_REGRA(TmoxNFeGB20ia_NT003_2013),
    MOX_CLASSE_REGRA(TmoxNFeGB20m_NT003_2013),
    MOX_CLASSE_REGRA(TmoxNFeGB21_2),
    MOX_CLASSE_REGRA(TmoxNFeGB22),
    MOX_CLASSE_REGRA(TmoxNFeGB22_1),
    MOX_CLASSE_REGRA(TmoxNFeGB22_3),
    MOX_CLASSE_REGRA(TmoxNFeGB23),
    MOX_CLASSE_REGRA(TmoxNFeGB25),
    MOX_CLASSE_REGRA(TmoxNFeGB25_1),
    MOX_CLASSE_REGRA(TmoxNFeGB25_2),
    MOX_CLASSE_REGRA(TmoxNFeGB25_3),
    MOX_CLASSE_REGRA(TmoxNFeGB25_3_NT003_2013),
    MOX_CLASSE_REGRA(TmoxNFeGB25_4),
    MOX_CLASSE_REGRA(TmoxNFeGB25_7),
    MOX_CLASSE_REGRA(TmoxNFeGB25b),
    MOX_CLASSE_REGRA(TmoxNFeGB26),
    MOX_CLASSE_REGRA(TmoxNFeGB26_1),
    MOX_CLASSE_REGRA(TmoxNFeGB28),
    MOX_CLASSE_REGRA(TmoxNFeBA02_40_NT015_002),
    MOX_CLASSE_REGRA(TmoxNFeJ02_c_NT003_2012),
};

}  // namespace

std::span<const TClasseRegra> ClassesRegrasIdentificacao() { return kClasses; }

}  // namespace mox
