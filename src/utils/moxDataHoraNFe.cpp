#include "utils/moxDataHoraNFe.h"

#include <optional>

#include "base/EmoxException.h"
#include "external/EKivoException.h"
#include "utils/moxTextoNFe.h"

namespace mox {

namespace {

constexpr const char* kDataInvalida = "Erro na conversão de datas: data inválida";
constexpr const char* kAnoInvalido = "Erro na conversão de datas: ano inválido";
constexpr const char* kMesInvalido = "Erro na conversão de datas: mês inválido";
constexpr const char* kDiaInvalido = "Erro na conversão de datas: dia inválido";

// The piece of aCount code points at aStart when it has exactly that many digits.
std::optional<std::string> DigitPiece(const std::string& aText, size_t aStart, size_t aCount) {
  std::string piece = CopyChars(aText, aStart, aCount);
  if (piece.size() != aCount || !IsDigits(piece)) return std::nullopt;
  return piece;
}

std::string PieceOrRaiseDate(const std::string& aText, size_t aStart, size_t aCount, const char* aMessage) {
  auto piece = DigitPiece(aText, aStart, aCount);
  if (!piece) throw EmoxNFEConvertDateException(aMessage);
  return *piece;
}

std::string PieceOrRaiseTime(const std::string& aText, size_t aStart, const char* aMessage) {
  auto piece = DigitPiece(aText, aStart, 2);
  if (!piece) throw EmoxNFEConvertHoraException(aMessage);
  return *piece;
}

// The date as DD/MM/YYYY; the pieces are cut from the text as given (not trimmed). A day
// that is not made of digits is refused like the year and the month.
std::string FormatDataBR(const std::string& aData) {
  const std::string ano = PieceOrRaiseDate(aData, 1, 4, kAnoInvalido);
  const std::string mes = PieceOrRaiseDate(aData, 6, 2, kMesInvalido);
  std::string dia = CopyChars(aData, 9, 2);
  if (dia.size() == 1 && IsDigits(dia)) {
    if (dia != "0") dia = "0" + dia;
  } else if (dia.size() != 2 || !IsDigits(dia)) {
    throw EmoxNFEConvertDateException(kDiaInvalido);
  }
  return moxFormat("%s/%s/%s", {dia, mes, ano});
}

}  // namespace

TDateTime XmlDateToDateTime(const std::string& aXmlDate) {
  DateTimeParts p;
  p.day = std::stoi(PieceOrRaiseDate(aXmlDate, 9, 2, kDiaInvalido));
  p.month = std::stoi(PieceOrRaiseDate(aXmlDate, 6, 2, kMesInvalido));
  p.year = std::stoi(PieceOrRaiseDate(aXmlDate, 1, 4, kAnoInvalido));
  try {
    return EncodeDateTime(p);
  } catch (const EKivoException&) {
    throw EmoxNFEConvertDateException(kDataInvalida);
  }
}

std::string ConverteData(const std::string& Data) { return ConverteDataComVersaoNFe(Data, "2.00"); }

std::string ConverteDataComVersaoNFe(const std::string& aData, const std::string& aVersaoNFe) {
  const std::string texto = TrimText(aData);
  if (texto.empty()) return {};
  const size_t n = CharCount(texto);
  if ((aVersaoNFe == "2.00" && n != 10) || (aVersaoNFe == "3.10" && n != 25))
    throw EmoxNFEConvertDateException(kDataInvalida);
  return FormatDataBR(aData);
}

std::string ConverteHora(const std::string& Hora) {
  // Unlike the date, the pieces are cut from the trimmed text: a leading blank must not
  // shift the time.
  const std::string texto = TrimText(Hora);
  if (texto.empty()) return {};
  if (CharCount(texto) != 25) throw EmoxNFEConvertHoraException("Erro na conversão de horas: hora inválida");
  const std::string hora = PieceOrRaiseTime(texto, 12, "Erro na conversão de horas: Hora inválida");
  const std::string minuto = PieceOrRaiseTime(texto, 15, "Erro na conversão de horas: minuto inválido");
  const std::string segundo = PieceOrRaiseTime(texto, 18, "Erro na conversão de horas: segundo inválido");
  return moxFormat("%s:%s:%s", {hora, minuto, segundo});
}

}  // namespace mox
