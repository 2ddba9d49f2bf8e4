#include "webservices/moxHoraSefaz.h"

#include <cstdio>

namespace mox {

namespace {

using namespace std::chrono;

constexpr minutes kBrasilia{-180};

std::string Formata(TInstante aInstante, bool aHora, const char* aSufixo) {
  const auto local = floor<seconds>(aInstante) + kBrasilia;
  const auto dia = floor<days>(local);
  const year_month_day ymd{dia};
  const hh_mm_ss hms{local - dia};
  char texto[40];
  if (aHora)
    std::snprintf(texto, sizeof texto, "%04d-%02u-%02uT%02d:%02d:%02d%s", int(ymd.year()), unsigned(ymd.month()),
                  unsigned(ymd.day()), int(hms.hours().count()), int(hms.minutes().count()),
                  int(hms.seconds().count()), aSufixo);
  else
    std::snprintf(texto, sizeof texto, "%04d-%02u-%02u", int(ymd.year()), unsigned(ymd.month()), unsigned(ymd.day()));
  return texto;
}

bool Digitos(const std::string& aTexto, size_t aInicio, size_t aQuantos) {
  if (aTexto.size() < aInicio + aQuantos) return false;
  for (size_t i = aInicio; i < aInicio + aQuantos; ++i)
    if (aTexto[i] < '0' || aTexto[i] > '9') return false;
  return true;
}

int Numero(const std::string& aTexto, size_t aInicio, size_t aQuantos) {
  return std::stoi(aTexto.substr(aInicio, aQuantos));
}

}  // namespace

std::string DataHoraUTC(TInstante aInstante) { return Formata(aInstante, true, "-03:00"); }
std::string DataHoraLocal(TInstante aInstante) { return Formata(aInstante, true, ""); }
std::string DataBrasilia(TInstante aInstante) { return Formata(aInstante, false, ""); }
std::string Ano2(TInstante aInstante) { return DataBrasilia(aInstante).substr(2, 2); }

std::optional<TInstante> LeDataHora(const std::string& aTexto) {
  // yyyy-mm-dd[Thh:mm:ss[(+|-)hh:mm]]
  if (!Digitos(aTexto, 0, 4) || aTexto[4] != '-' || !Digitos(aTexto, 5, 2) || aTexto[7] != '-' ||
      !Digitos(aTexto, 8, 2))
    return std::nullopt;
  const year_month_day ymd{year{Numero(aTexto, 0, 4)}, month(unsigned(Numero(aTexto, 5, 2))),
                           day(unsigned(Numero(aTexto, 8, 2)))};
  if (!ymd.ok()) return std::nullopt;
  seconds hora{0};
  minutes deslocamento = kBrasilia;
  if (aTexto.size() > 10) {
    if (aTexto[10] != 'T' || !Digitos(aTexto, 11, 2) || aTexto[13] != ':' || !Digitos(aTexto, 14, 2) ||
        aTexto[16] != ':' || !Digitos(aTexto, 17, 2))
      return std::nullopt;
    hora = hours{Numero(aTexto, 11, 2)} + minutes{Numero(aTexto, 14, 2)} + seconds{Numero(aTexto, 17, 2)};
    if (aTexto.size() > 19) {
      if (aTexto.size() != 25 || (aTexto[19] != '+' && aTexto[19] != '-') || !Digitos(aTexto, 20, 2) ||
          aTexto[22] != ':' || !Digitos(aTexto, 23, 2))
        return std::nullopt;
      deslocamento = hours{Numero(aTexto, 20, 2)} + minutes{Numero(aTexto, 23, 2)};
      if (aTexto[19] == '-') deslocamento = -deslocamento;
    }
  }
  return TInstante{sys_days{ymd}.time_since_epoch() + hora - deslocamento};
}

}  // namespace mox
