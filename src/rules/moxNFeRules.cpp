#include "rules/moxNFeRules.h"

#include <charconv>

#include "datasets/TXmlDataSetNFe.h"
#include "datasets/TmoxXMLDataSetNFe.h"
#include "external/TmoxKivoUtils.h"
#include "utils/moxDataHoraNFe.h"
#include "utils/moxVerificacoes.h"

namespace mox {

EmoxNFeRegraException::EmoxNFeRegraException(std::string aRegra, std::string aCodigo, std::string aMensagem,
                                             std::string aCampo, const std::string& aPathLog)
    : EmoxNFeRuleException("EmoxNFeRuleException",
                           moxFormat("[%s]: %s - %s.\r\nVerifique o Campo: %s", {aRegra, aCodigo, aMensagem, aCampo}),
                           aPathLog),
      FRegra(std::move(aRegra)),
      FCodigo(std::move(aCodigo)),
      FMensagem(std::move(aMensagem)),
      FCampo(std::move(aCampo)) {}

long double GetExtend(std::string_view aValue) {
  if (aValue.empty()) return 0;
  // The layout writes a point; a comma is accepted too, as the decimal separator of the locale.
  std::string texto(aValue);
  for (char& c : texto)
    if (c == ',') c = '.';
  const char* inicio = texto.data();
  const char* fim = inicio + texto.size();
  if (*inicio == '+') ++inicio;
  double valor = 0;
  const auto [ptr, ec] = std::from_chars(inicio, fim, valor, std::chars_format::fixed);
  if (ec != std::errc() || ptr != fim || texto.find('.') != texto.rfind('.'))
    throw EmoxNFeException::CreateFmt("'%s' não é um valor de ponto flutuante válido", {std::string(aValue)});
  return valor;
}

TmoxNFeRule::TmoxNFeRule(std::string aName, std::string aFieldName, std::string aCodMensagem, std::string aMensagem,
                         TVersaoManual aVersaoManual)
    : TmoxRule(std::move(aName), std::move(aFieldName)),
      FCodMensagem(std::move(aCodMensagem)),
      FMensagem(std::move(aMensagem)),
      FVersaoManual(aVersaoManual) {}

TmoxNFeRule::~TmoxNFeRule() = default;

void TmoxNFeRule::execute() { CheckDataSet(); }

namespace {
// Notes are dated in Brasília time and the time rules write the clock with "-03:00", so the
// clock is read in that zone whatever the machine's own zone is (a UTC server would otherwise
// see every note dated in the evening as hours ahead).
TDateTime AgoraEmBrasilia() {
  const auto utc = std::chrono::floor<std::chrono::milliseconds>(std::chrono::system_clock::now());
  return TDateTime{utc.time_since_epoch() - std::chrono::hours(3)};
}
}  // namespace

TDateTime TmoxNFeRule::Agora() const { return FRelogio ? FRelogio() : AgoraEmBrasilia(); }

void TmoxNFeRule::CheckDataSet() const {
  if (!DataSet()) throw EmoxNFeRuleException("DataSet não configurado para validação da NFe.", FDiretorioLogErro);
}

void TmoxNFeRule::FalharValidacao() const {
  throw EmoxNFeRegraException(Name(), FCodMensagem, FMensagem, FieldName(), DataSet()->DiretorioLogErro());
}

bool TmoxNFeRule::PossuiCampoPreenchido(std::string_view aDataSetName) const {
  return DataSet()->PossuiDadosCampo(DS(aDataSetName));
}

bool TmoxNFeRule::VerificaDataAnterior(const std::string& aData, const std::string& aDataLimite) {
  return XmlDateToDateTime(aDataLimite) > XmlDateToDateTime(aData);
}

namespace {

template <class TLista, class TBusca>
auto& Lembrado(TLista& aVistos, std::string_view aNome, TBusca&& aBusca) {
  for (const auto& visto : aVistos)
    if (visto.nome.data() == aNome.data() && visto.nome == aNome) return *visto.objeto;
  auto& objeto = aBusca();
  aVistos.push_back({aNome, &objeto});
  return objeto;
}

}  // namespace

TXmlFieldNFe& TmoxNFeRule::Campo(std::string_view aCampo) const {
  return Lembrado(FCampos, aCampo, [&]() -> TXmlFieldNFe& { return DataSet()->Campo(aCampo); });
}

std::string TmoxNFeRule::C(std::string_view aCampo) const { return Campo(aCampo).AsString(); }

TXmlDataSetNFe& TmoxNFeRule::DS(std::string_view aNome) const {
  return Lembrado(FDataSets, aNome, [&]() -> TXmlDataSetNFe& { return DataSet()->FindDataSet(aNome); });
}

std::string TmoxNFeRule::F(const TXmlDataSetNFe& aDS, std::string_view aCampo) {
  return aDS.FieldByName(aCampo).AsString();
}

bool TmoxNFeRule::AlgumRegistro(std::string_view aNome, const std::function<bool(TXmlDataSetNFe&)>& aFalha) const {
  TXmlDataSetNFe& ds = DS(aNome);
  for (ds.First(); !ds.Eof(); ds.Next())
    if (aFalha(ds)) return true;
  return false;
}

bool TmoxNFeRule::AlgumItem(const std::function<bool()>& aFalha) const {
  return AlgumRegistro("H", [&aFalha](TXmlDataSetNFe&) { return aFalha(); });
}

TmoxKivoUtils& TmoxNFeRule::Utils() const {
  if (!FUtils) FUtils = std::make_unique<TmoxKivoUtils>();
  return *FUtils;
}

void TmoxNFeRule::Grava(std::string_view aCampo, const std::string& aValor) const {
  TXmlFieldNFe& campo = DataSet()->Campo(aCampo);
  TmoxDataSet& ds = *campo.DataSet();
  if (ds.Editing()) return campo.SetAsString(aValor);
  ds.Edit();
  campo.SetAsString(aValor);
  ds.Post();
}

bool TmoxNFeRule::Um(std::string_view aValor, std::initializer_list<std::string_view> aValores) {
  for (std::string_view v : aValores)
    if (v == aValor) return true;
  return false;
}

bool TmoxNFeRule::Comeca(std::string_view aValor, std::string_view aIniciais) {
  return !aValor.empty() && aIniciais.find(aValor.front()) != std::string_view::npos;
}

bool TmoxNFeRule::NuloOuVazio(std::string_view aValor) {
  if (aValor.empty()) return true;
  if (aValor.size() != 4) return false;
  static constexpr std::string_view kNull = "NULL";
  for (size_t i = 0; i < 4; ++i)
    if ((aValor[i] & ~0x20) != kNull[i]) return false;
  return true;
}

void TmoxNFeRegraDeItens::execute() {
  TmoxNFeRule::execute();
  Inicia();
  TXmlDataSetNFe& item = DS("H");
  for (item.First(); !item.Eof() && !Decidida(); item.Next()) Visita();
  if (Falhou()) FalharValidacao();
}

void TmoxNFeTemplateItem::Inicia() {
  FDS = &DS("I");
  FFalhou = false;
}

void TmoxNFeTemplateItem::Visita() {
  if (!ExpressaoDeValidacao()) FFalhou = true;
}

void TmoxNFeRegraAlgumItem::Inicia() {
  FAplica = Aplica();
  FFalhou = false;
}

void TmoxNFeRegraAlgumItem::Visita() {
  if (ItemFalha()) FFalhou = true;
}

void TmoxNFeRegraNota::execute() {
  TmoxNFeRule::execute();
  if (Falha()) FalharValidacao();
}

void TmoxNFeRegraAjuste::execute() {
  TmoxNFeRule::execute();
  Ajusta();
}

long double TmoxNFeRegraSoma::Valor() { return N(Soma().campo); }

void TmoxNFeRegraSoma::Visita() {
  if (Entra()) FSoma += Valor();
}

std::string TmoxNFeRegraSoma::Total() const { return C(Soma().total); }

bool TmoxNFeRegraSoma::Falhou() { return !Proximos(Somatorio(), GetExtend(Total()), Tolerancia()); }

bool Proximos(long double aValor1, long double aValor2, long double aTolerancia) {
  // Sums of binary fractions drift by far less than a cent; the slack keeps "no difference
  // allowed" from rejecting 0.10 + 0.20 against 0.30.
  constexpr long double kFolga = 1e-7L;
  return CompareComTolerancia(aValor1, aValor2, aTolerancia + kFolga);
}

}  // namespace mox
