// The checks the event kinds share: keys, organ codes, CNPJ, time zones and event date-times.
#include <cstdio>

#include "base/EmoxException.h"
#include "events/TmoxEventosXMLUtils.h"
#include "events/TmoxNFeEventos.h"
#include "external/TmoxKivoUtils.h"
#include "external/moxDateTime.h"
#include "external/moxPaths.h"
#include "utils/moxChaveNFe.h"

namespace mox {

namespace {

constexpr const char* kXsdDateTime = "####-##-##T##:##:##";
// A mistyped key is refused here rather than by SEFAZ after the post.
constexpr const char* kDigitoInvalido = "Chave da NF-e com dígito verificador inválido.";

// The pt-BR form "dd/mm/yyyy[ hh:nn[:ss]]" as the locale's parser reads it; false otherwise.
bool LeDataHoraLocal(const std::string& aTexto, DateTimeParts& aPartes) {
  int lidos = 0;
  char resto = 0;
  const int campos = std::sscanf(aTexto.c_str(), "%2d/%2d/%4d %2d:%2d:%2d%n%c", &aPartes.day, &aPartes.month,
                                 &aPartes.year, &aPartes.hour, &aPartes.minute, &aPartes.second, &lidos, &resto);
  if (campos < 3 || campos == 4 || campos > 6) return false;
  try {
    EncodeDateTime(aPartes);
  } catch (const std::exception&) {
    return false;
  }
  return true;
}

// The wall-clock time of the zone the event is written in: the machine's own zone may differ
// from it, and SEFAZ refuses an event dated after its arrival (578).
TDateTime AgoraNoFuso(const std::string& aFusoHorario) {
  using namespace std::chrono;
  const auto agora = floor<milliseconds>(system_clock::now());
  if (!ValidaFusoHorario(aFusoHorario)) return Now();
  const int minutos = std::stoi(aFusoHorario.substr(1, 2)) * 60 + std::stoi(aFusoHorario.substr(4, 2));
  const auto deslocamento = minutes(aFusoHorario[0] == '-' ? -minutos : minutos);
  return TDateTime{agora.time_since_epoch() + deslocamento};
}

std::string Xsd(const DateTimeParts& p) {
  char texto[32];
  std::snprintf(texto, sizeof texto, "%04d-%02d-%02dT%02d:%02d:%02d", p.year, p.month, p.day, p.hour, p.minute,
                p.second);
  return texto;
}

}  // namespace

std::string Aparar(const std::string& aTexto) {
  const size_t inicio = aTexto.find_first_not_of(" \t\r\n");
  if (inicio == std::string::npos) return {};
  return aTexto.substr(inicio, aTexto.find_last_not_of(" \t\r\n") - inicio + 1);
}

bool SomenteNumero(const std::string& aString) {
  return aString.find_first_not_of("0123456789") == std::string::npos;
}

bool ValidaFusoHorario(const std::string& aHora) {
  return TmoxEventosXMLUtils::SeguePadrao(aHora, "+##:##") || TmoxEventosXMLUtils::SeguePadrao(aHora, "-##:##");
}

bool ValidaDataHoraEvento(const std::string& aDataHora) {
  const std::string texto = Aparar(aDataHora);
  if (texto.empty() || TmoxEventosXMLUtils::SeguePadrao(texto, kXsdDateTime)) return true;
  DateTimeParts partes;
  return LeDataHoraLocal(texto, partes);
}

std::string FormataDataHoraEvento(const std::string& aDataHoraEvento, const std::string& aFusoHorario) {
  const std::string texto = Aparar(aDataHoraEvento);
  if (texto.empty()) return Xsd(DecodeDateTime(AgoraNoFuso(aFusoHorario)));
  if (TmoxEventosXMLUtils::SeguePadrao(texto, kXsdDateTime)) return texto;
  DateTimeParts partes;
  LeDataHoraLocal(texto, partes);
  return Xsd(partes);
}

bool ValidaOrgao(int aCodOrgao) {
  return (aCodOrgao >= 11 && aCodOrgao <= 17) || (aCodOrgao >= 21 && aCodOrgao <= 29) ||
         (aCodOrgao >= 31 && aCodOrgao <= 33) || aCodOrgao == 35 || (aCodOrgao >= 41 && aCodOrgao <= 43) ||
         (aCodOrgao >= 50 && aCodOrgao <= 53) || aCodOrgao == 90 || aCodOrgao == 91;
}

TmoxNFeEventos::TmoxNFeEventos(TmoxKivoX& aKivo, TmoxKivoUtils& aUtils, TmoxEmailSettings* aEmailSettings,
                               const std::string& aDiretorioLogErro)
    : TmoxEventos(aKivo, aUtils, aEmailSettings) {
  DiretorioLogErro = aDiretorioLogErro;
}

void TmoxNFeEventos::ValidarParams(bool aCondicaoErro, const std::string& aMsgException) const {
  if (aCondicaoErro) throw EmoxEventoCheckParams(aMsgException, DiretorioLogErro);
}

void TmoxNFeEventos::CheckChave(const std::string& aChaveNFe) const {
  ValidarParams(Aparar(aChaveNFe).empty(), "Chave da NF-e está vazia.");
  ValidarParams(!SomenteNumero(aChaveNFe), "Chave da NF-e deve conter apenas números.");
  ValidarParams(aChaveNFe.size() != 44, "Chave da NF-e deve conter exatamente 44 dígitos.");
  ValidarParams(!ValidaAutenticidadeDV(aChaveNFe, VersaoManual), kDigitoInvalido);
}

void TmoxNFeEventos::CheckOrgao(const std::string& aOrgao) const {
  ValidarParams(aOrgao.empty(), "Favor Preencher Órgão.");
  ValidarParams(aOrgao.size() != 2, "Código do Órgão deve conter exatamente 2 dígitos");
  ValidarParams(!SomenteNumero(aOrgao) || !ValidaOrgao(std::stoi(aOrgao)), "Código do Órgão incorreto.");
}

void TmoxNFeEventos::CheckCNPJ() const {
  ValidarParams(Aparar(CNPJ).empty(), "Favor preencher CNPJ.");
  ValidarParams(!SomenteNumero(CNPJ), "CNPJ deve conter apenas números.");
  ValidarParams(CNPJ.size() != 14, "CNPJ deve conter exatamente 14 dígitos.");
}

void TmoxNFeEventos::CheckParamsEventos(const std::string& aDHEvento, const std::string& aFusoHorario,
                                        const std::string& aChaveNFe) {
  if (!ValidaFusoHorario(aFusoHorario))
    throw EmoxNFeEventosFusoHorarioInvalidException(
        "Fuso Horario do evento inválido, o valor deve ser no formato -HH:MM", DiretorioLogErro);
  if (!ValidaDataHoraEvento(aDHEvento))
    throw EmoxNFeEventosDataHoraInvalidException("Data/Hora do evento inválida", DiretorioLogErro);
  if (Aparar(aChaveNFe).empty())
    throw EmoxNFeEventosChaveInvalidException("Chave da NF-e está vazia", DiretorioLogErro);
  if (aChaveNFe.size() != 44)
    throw EmoxNFeEventosChaveInvalidException("Chave da NF-e deve conter exatamente 44 dígitos", DiretorioLogErro);
  if (!SomenteNumero(aChaveNFe))
    throw EmoxNFeEventosChaveInvalidException("Chave da NF-e deve conter apenas números", DiretorioLogErro);
  if (!ValidaAutenticidadeDV(aChaveNFe, VersaoManual))
    throw EmoxNFeEventosChaveInvalidException(kDigitoInvalido, DiretorioLogErro);
}

bool TmoxNFeEventos::CheckXmlAutorizado(const std::string& aXMLRet) {
  const bool arquivo = aXMLRet.size() < 4096 && aXMLRet.find('<') == std::string::npos && FileExists(aXMLRet);
  const std::string xml = Utils().RemoveBOM(arquivo ? Utils().LoadFromFile(aXMLRet) : aXMLRet);
  if (!Utils().IsValidXml(xml)) return false;
  const std::string status = Utils().GetValueTag("cStat", xml, "retEvento");
  return status == "135" || status == "136";
}

}  // namespace mox
