#include "rules/moxRegrasComuns.h"

#include <chrono>

#include "utils/moxDataHoraNFe.h"
#include "utils/moxTextoNFe.h"

namespace mox {

namespace {

std::int64_t SegundosDoDia(const std::string& aHora) {
  // hh:mm:ss
  return StrToInt64(aHora.substr(0, 2)) * 3600 + StrToInt64(aHora.substr(3, 2)) * 60 + StrToInt64(aHora.substr(6, 2));
}

std::int64_t SegundosDoDia(TDateTime aInstante) {
  const auto desdeMeiaNoite = aInstante - std::chrono::floor<std::chrono::days>(aInstante);
  return std::chrono::duration_cast<std::chrono::seconds>(desdeMeiaNoite).count();
}

}  // namespace

std::int64_t DiasAteHoje(const TmoxNFeRule& aRegra, const std::string& aData) {
  const auto hoje = std::chrono::floor<std::chrono::days>(aRegra.Agora());
  const auto data = std::chrono::floor<std::chrono::days>(XmlDateToDateTime(aData));
  return (hoje - data).count();
}

std::int64_t MinutosAFrente(const TmoxNFeRule& aRegra, const std::string& aDataHora) {
  return (SegundosDoDia(ConverteHora(aDataHora)) - SegundosDoDia(aRegra.Agora())) / 60;
}

int AnoCivil(TDateTime aInstante) { return DecodeDateTime(aInstante).year; }

int AnosCompletos(TDateTime aDe, TDateTime aAte) {
  const DateTimeParts de = DecodeDateTime(aDe);
  const DateTimeParts ate = DecodeDateTime(aAte);
  int anos = ate.year - de.year;
  if (ate.month < de.month || (ate.month == de.month && ate.day < de.day)) --anos;
  return anos < 0 ? 0 : anos;
}

int AnoCivil(const std::string& aDataXml) { return AnoCivil(XmlDateToDateTime(aDataXml)); }

}  // namespace mox
