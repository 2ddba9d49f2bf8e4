#pragma once
// The NF-e rule: a rejection rule of the standard (or a fix-up of the component) with its code
// and message, the per-item rule shape, and the small shapes the catalogue builds on.
#include <functional>
#include <initializer_list>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/EmoxException.h"
#include "base/moxTypes.h"
#include "external/moxDateTime.h"
#include "rules/moxRules.h"

namespace mox {

class TmoxKivoUtils;
class TXmlDataSetNFe;
class TXmlFieldNFe;

// A rule's failure: the formatted message plus its parts, so callers can report them apart.
class EmoxNFeRegraException : public EmoxNFeRuleException {
 public:
  EmoxNFeRegraException(std::string aRegra, std::string aCodigo, std::string aMensagem, std::string aCampo,
                        const std::string& aPathLog);
  const std::string& Regra() const { return FRegra; }
  const std::string& Codigo() const { return FCodigo; }
  const std::string& MensagemRegra() const { return FMensagem; }
  const std::string& Campo() const { return FCampo; }

 private:
  std::string FRegra, FCodigo, FMensagem, FCampo;
};

// A decimal text of the XML layout (point as separator) as a number; 0 for the empty text.
// Raises EmoxNFeException for a text that is not a number.
long double GetExtend(std::string_view aValue);

// CompareComTolerancia of two computed values, blind to the drift of binary fractions.
bool Proximos(long double aValor1, long double aValor2, long double aTolerancia);

class TmoxNFeRule : public TmoxRule {
 public:
  TmoxNFeRule(std::string aName, std::string aFieldName, std::string aCodMensagem, std::string aMensagem,
              TVersaoManual aVersaoManual = TVersaoManual::vm50);
  ~TmoxNFeRule() override;

  // Checks that a data set is assigned; the concrete rules add their check.
  void execute() override;

  const std::string& CodMensagem() const { return FCodMensagem; }
  const std::string& Mensagem() const { return FMensagem; }
  TVersaoManual VersaoManual() const { return FVersaoManual; }
  void SetVersaoManual(TVersaoManual aValue) { FVersaoManual = aValue; }
  // The layouts from 3.10 on (manual 5.0a and later): emission date with its time, references
  // in group BA, fuel in group LA.
  bool Leiaute310EmDiante() const { return FVersaoManual >= TVersaoManual::vm50a; }
  // The 4.00 layout (manual 6.0): FCP fields, payments in "pag", returned IPI.
  bool Leiaute400() const { return FVersaoManual >= TVersaoManual::vm60; }
  const std::string& DiretorioLogErro() const { return FDiretorioLogErro; }
  void SetDiretorioLogErro(std::string aValue) { FDiretorioLogErro = std::move(aValue); }
  // The instant the date rules compare with ("today"); the current Brasília time unless set.
  TDateTime Agora() const;
  void SetAgora(std::function<TDateTime()> aRelogio) { FRelogio = std::move(aRelogio); }

  // Raises "DataSet não configurado para validação da NFe." without a data set.
  void CheckDataSet() const;
  // Raises the rule's failure: "[Name]: Cod - Mensagem.\r\nVerifique o Campo: FieldName".
  [[noreturn]] void FalharValidacao() const;
  // True when the current record of the data set has a visible field, other than "handle" and
  // the master-link field, holding a value: the optional group was filled in.
  bool PossuiCampoPreenchido(std::string_view aDataSetName) const;
  // True when the date of aDataLimite is strictly later than the date of aData.
  static bool VerificaDataAnterior(const std::string& aData, const std::string& aDataLimite);

  static bool Um(std::string_view aValor, std::initializer_list<std::string_view> aValores);
  // The first character is one of aIniciais.
  static bool Comeca(std::string_view aValor, std::string_view aIniciais);
  // Empty, or the container's empty-tag marker "NULL" in any letter case.
  static bool NuloOuVazio(std::string_view aValor);

 protected:
  // --- Reading the note.
  // A field of the current record of the data set that holds it.
  std::string C(std::string_view aCampo) const;
  // The field and data set objects of a name, looked up once per rule: the names rules pass are
  // literals or their own FieldName, so the text's address identifies them.
  TXmlFieldNFe& Campo(std::string_view aCampo) const;
  long double N(std::string_view aCampo) const { return GetExtend(C(aCampo)); }
  bool Preenchido(std::string_view aCampo) const { return !C(aCampo).empty(); }
  TXmlDataSetNFe& DS(std::string_view aNome) const;
  // A field of the current record of a given data set.
  static std::string F(const TXmlDataSetNFe& aDS, std::string_view aCampo);
  // The emission (dhEmi_B09) is on or after the date part of aData.
  bool Desde(const std::string& aData) const { return !VerificaDataAnterior(C("dhEmi_B09"), aData); }
  // Walks the records of a data set from the first; true (and stops there) at the first record
  // for which aFalha is true.
  bool AlgumRegistro(std::string_view aNome, const std::function<bool(TXmlDataSetNFe&)>& aFalha) const;
  // As AlgumRegistro over the items ("H"); the item's parts follow it.
  bool AlgumItem(const std::function<bool()>& aFalha) const;
  TmoxKivoUtils& Utils() const;
  // Writes a field of the current record, opening it for edit when it is not.
  void Grava(std::string_view aCampo, const std::string& aValor) const;

 private:
  std::string FCodMensagem;
  std::string FMensagem;
  TVersaoManual FVersaoManual;
  std::string FDiretorioLogErro;
  std::function<TDateTime()> FRelogio;
  mutable std::unique_ptr<TmoxKivoUtils> FUtils;
  template <class T>
  struct TNomeVisto {
    std::string_view nome;
    T* objeto;
  };
  mutable std::vector<TNomeVisto<TXmlFieldNFe>> FCampos;
  mutable std::vector<TNomeVisto<TXmlDataSetNFe>> FDataSets;
};

// A rule whose check is one pass over the items that only reads: the controller may run a run
// of such rules in one walk of the items, with the same outcome as running them one by one.
class TmoxNFeRegraDeItens : public TmoxNFeRule {
 public:
  using TmoxNFeRule::TmoxNFeRule;
  // Inicia, Visita for each item ("H" from the first), then fails when Falhou.
  void execute() override;

  virtual void Inicia() {}
  // The current item.
  virtual void Visita() = 0;
  virtual bool Falhou() = 0;
  // No later item can change the outcome.
  virtual bool Decidida() const { return false; }
  // Must run alone: it moves the items itself or writes.
  virtual bool Isolada() const { return false; }
};

// The per-item rule: ExpressaoDeValidacao runs once for each item and fails the first that
// does not pass.
class TmoxNFeTemplateItem : public TmoxNFeRegraDeItens {
 public:
  using TmoxNFeRegraDeItens::TmoxNFeRegraDeItens;
  void Inicia() override;
  void Visita() override;
  bool Falhou() override { return FFalhou; }
  bool Decidida() const override { return FFalhou; }

 protected:
  // True when the current item passes.
  virtual bool ExpressaoDeValidacao() = 0;
  // The product data set ("I") of the run.
  TXmlDataSetNFe& Produto() const { return *FDS; }

 private:
  TXmlDataSetNFe* FDS = nullptr;
  bool FFalhou = false;
};

// A rule that fails at the first item breaking its check, when the note is one it applies to.
class TmoxNFeRegraAlgumItem : public TmoxNFeRegraDeItens {
 public:
  using TmoxNFeRegraDeItens::TmoxNFeRegraDeItens;
  void Inicia() override;
  void Visita() override;
  bool Falhou() override { return FFalhou; }
  bool Decidida() const override { return !FAplica || FFalhou; }

 protected:
  // The note-level condition; the items are not looked at without it.
  virtual bool Aplica() { return true; }
  // The current item breaks the rule.
  virtual bool ItemFalha() = 0;

 private:
  bool FAplica = true;
  bool FFalhou = false;
};

// An invoice-level rule whose whole check is one condition.
class TmoxNFeRegraNota : public TmoxNFeRule {
 public:
  using TmoxNFeRule::TmoxNFeRule;
  void execute() override;

 protected:
  virtual bool Falha() = 0;
};

// A fix-up rule: writes fields, never fails.
class TmoxNFeRegraAjuste : public TmoxNFeRule {
 public:
  using TmoxNFeRule::TmoxNFeRule;
  void execute() override;

 protected:
  virtual void Ajusta() = 0;
};

// A total of data set "W" compared with the sum of an item field over the items.
class TmoxNFeRegraSoma : public TmoxNFeRegraDeItens {
 public:
  using TmoxNFeRegraDeItens::TmoxNFeRegraDeItens;
  void Inicia() override { FSoma = 0; }
  void Visita() override;
  bool Falhou() override;

 protected:
  struct TSoma {
    const char* dataSet;  // the data set of the summed field, following the item
    const char* campo;
    const char* total;    // field of "W"
  };
  virtual TSoma Soma() const = 0;
  virtual long double Tolerancia() const { return 1; }
  // Whether the current item takes part in the sum.
  virtual bool Entra() { return true; }
  // The current item's value.
  virtual long double Valor();
  // The sum of the items visited.
  long double Somatorio() const { return FSoma; }
  std::string Total() const;

 private:
  long double FSoma = 0;
};

}  // namespace mox
