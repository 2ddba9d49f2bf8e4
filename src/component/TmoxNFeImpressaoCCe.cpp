// The correction letter's event id and its print operations, forwarded to the event object with
// the component's settings.
#include <charconv>
#include <cstdint>
#include <cstdio>

#include "base/EmoxException.h"
#include "component/TmoxNFe.h"
#include "external/TmoxKivoUtils.h"

namespace mox {

namespace {

bool ConverteEmInteiro32(const std::string& aTexto) {
  int32_t valor = 0;
  const auto [fim, erro] = std::from_chars(aTexto.data(), aTexto.data() + aTexto.size(), valor);
  return erro == std::errc() && fim == aTexto.data() + aTexto.size();
}

bool SoDigitos(const std::string& aTexto) {
  return aTexto.find_first_not_of("0123456789") == std::string::npos;
}

}  // namespace

std::string TmoxNFe::GerarIdCCe(const std::string& aChaveNFe, int aSeqEvento) {
  if (aChaveNFe.size() != 44 || !SoDigitos(aChaveNFe) || ConverteEmInteiro32(aChaveNFe))
    throw EmoxNFeGerarIdCCeException("Chave inválida para Gerar ID da CCe.", DiretorioLogErro());
  if (aSeqEvento < 1)
    throw EmoxNFeGerarIdCCeException("Sequência Evento inválida para Gerar ID da CCe.", DiretorioLogErro());
  char sequencia[16];
  std::snprintf(sequencia, sizeof sequencia, "%02d", aSeqEvento);
  return "ID110110" + aChaveNFe + sequencia;
}

void TmoxNFe::ImprimirCCe(const std::string& aXmlCCe, const std::string& aImpressora) {
  AtualizaDadosNFeEventos();
  FNFeEventos->ImprimirCCe(GetKivoUtils().RemoveBOM(aXmlCCe), aImpressora);
}

void TmoxNFe::VisualizarCCe(const std::string& aXmlCCe) {
  AtualizaDadosNFeEventos();
  FNFeEventos->VisualizarCCe(GetKivoUtils().RemoveBOM(aXmlCCe));
}

void TmoxNFe::EditarModeloCCe(const std::string& aXmlCCe) {
  AtualizaDadosNFeEventos();
  FNFeEventos->EditarModeloCCe(GetKivoUtils().RemoveBOM(aXmlCCe));
}

void TmoxNFe::ExportarCCe(const std::string& aXmlCCe, const std::string& aSalvarComo) {
  AtualizaDadosNFeEventos();
  FNFeEventos->ExportarCCe(GetKivoUtils().RemoveBOM(aXmlCCe), aSalvarComo);
}

}  // namespace mox
