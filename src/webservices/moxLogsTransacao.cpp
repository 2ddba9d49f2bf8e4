#include "webservices/moxLogsTransacao.h"

#include <algorithm>
#include <filesystem>

#include "external/FileIO.h"
#include "external/Utf8Text.h"

namespace mox {

namespace {

struct MascaraDeFiltro {
  TLogFilter Filtro;
  const char* Mascara;
};

constexpr MascaraDeFiltro kMascaras[] = {
    {TLogFilter::lfXml, "*.xml"},           {TLogFilter::lfNFe, "*-nfe.xml"},
    {TLogFilter::lfEnvLot, "*-env-lot.xml"}, {TLogFilter::lfRec, "*-rec.xml"},
    {TLogFilter::lfPedRec, "*-ped-rec.xml"}, {TLogFilter::lfProRec, "*-pro-rec.xml"},
    {TLogFilter::lfDen, "*-den.xml"},        {TLogFilter::lfPedCan, "*-ped-can.xml"},
    {TLogFilter::lfCan, "*-can.xml"},        {TLogFilter::lfPedInu, "*-ped-inu.xml"},
    {TLogFilter::lfInu, "*-inu.xml"},        {TLogFilter::lfPedSit, "*-ped-sit.xml"},
    {TLogFilter::lfSit, "*-sit.xml"},        {TLogFilter::lfPedSta, "*-ped-sta.xml"},
    {TLogFilter::lfSta, "*-sta.xml"},
};

constexpr const char* kChavePendente = "env-lot=";

bool EmBranco(const std::string& aTexto) { return aTexto.find_first_not_of(" \t\r\n") == std::string::npos; }

}  // namespace

std::string MascaraDoFiltro(TLogFilter aFiltro, const std::string& aCustomFilter) {
  if (aFiltro == TLogFilter::lfCustom) return aCustomFilter;
  std::string mascara;
  for (const auto& m : kMascaras)
    if (m.Filtro == aFiltro) mascara = m.Mascara;
  return EmBranco(aCustomFilter) ? mascara : "*" + aCustomFilter + mascara;
}

void GravaArquivoDeLog(const std::string& aCaminho, const std::string& aConteudo) {
  WriteFileAtomic(aCaminho, "\xEF\xBB\xBF" + WithCrLf(RemoveUtf8Bom(aConteudo)));
}

std::string LeArquivoDeLog(const std::string& aCaminho) {
  std::string texto = DecodeToUtf8(ReadFileBytes(aCaminho));
  if (texto.empty()) return texto;
  // The last line's break is the one WithCrLf puts back.
  if (texto.back() == '\n') texto.pop_back();
  if (!texto.empty() && texto.back() == '\r') texto.pop_back();
  return WithCrLf(texto);
}

std::string LinhaPendente(const std::string& aNomeLogEnv) { return kChavePendente + aNomeLogEnv; }

namespace {

// The "env-lot" value of a marker's text.
std::string ValorPendente(const std::string& aTexto) {
  const auto inicio = aTexto.find(kChavePendente);
  if (inicio == std::string::npos) return {};
  const auto valor = inicio + std::char_traits<char>::length(kChavePendente);
  return aTexto.substr(valor, aTexto.find_first_of("\r\n", valor) - valor);
}

bool NomeDePendente(const std::string& aNome) {
  return (aNome.size() == 15 || aNome.size() == 44) && aNome.find_first_not_of("0123456789") == std::string::npos;
}

}  // namespace

std::vector<TPendente> ListaPendentes(const std::string& aDiretorioXmlDestinatario) {
  std::vector<TPendente> pendentes;
  std::error_code erro;
  for (const auto& entrada : std::filesystem::directory_iterator(aDiretorioXmlDestinatario, erro)) {
    const std::string nome = entrada.path().filename().string();
    if (!entrada.is_regular_file() || !NomeDePendente(nome)) continue;
    const std::string log = ValorPendente(RemoveUtf8Bom(ReadFileBytes(entrada.path().string())));
    if (!log.empty()) pendentes.push_back({nome, log});
  }
  std::sort(pendentes.begin(), pendentes.end(), [](const auto& a, const auto& b) { return a.Numero < b.Numero; });
  return pendentes;
}

std::string LogDoPendente(const std::string& aDiretorioXmlDestinatario, const std::string& aNumero) {
  const std::string marca = aDiretorioXmlDestinatario + aNumero;
  if (!NomeDePendente(aNumero) || !std::filesystem::is_regular_file(marca)) return {};
  return ValorPendente(RemoveUtf8Bom(ReadFileBytes(marca)));
}

void RemovePendente(const std::string& aDiretorioXmlDestinatario, const std::string& aNumero) {
  if (!NomeDePendente(aNumero)) return;
  std::error_code erro;
  std::filesystem::remove(aDiretorioXmlDestinatario + aNumero, erro);
}

}  // namespace mox
