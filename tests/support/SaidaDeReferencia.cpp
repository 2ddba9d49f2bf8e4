#include "support/SaidaDeReferencia.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "support/TestSupport.h"

namespace moxtest {

namespace {

void Mascara(std::string& aTexto, const std::string& aTag) {
  const std::string abre = "<" + aTag + ">", fecha = "</" + aTag + ">";
  for (size_t p = aTexto.find(abre); p != std::string::npos; p = aTexto.find(abre, p + 1)) {
    const size_t inicio = p + abre.size(), fim = aTexto.find(fecha, inicio);
    if (fim == std::string::npos) return;
    aTexto.replace(inicio, fim - inicio, "...");
  }
}

}  // namespace

std::string SemPartesDaChave(std::string aAssinado) {
  Mascara(aAssinado, "SignatureValue");
  Mascara(aAssinado, "X509Certificate");
  return aAssinado;
}

std::string ComparaComReferencia(const std::string& aArquivo, const std::string& aAtual) {
  const std::filesystem::path arquivo = Fixture("referencia/" + aArquivo);
  if (const char* gravar = std::getenv("MOXNFE_GRAVAR_REFERENCIAS"); gravar && *gravar == '1') {
    std::filesystem::create_directories(arquivo.parent_path());
    WriteText(arquivo, aAtual);
    return {};
  }
  if (!std::filesystem::exists(arquivo)) return "sem referência gravada: " + arquivo.string();
  const std::string referencia = ReadText(arquivo);
  if (referencia == aAtual) return {};
  const auto [a, b] = std::mismatch(referencia.begin(), referencia.end(), aAtual.begin(), aAtual.end());
  const size_t pos = static_cast<size_t>(a - referencia.begin());
  const size_t de = pos < 80 ? 0 : pos - 80;
  return aArquivo + " difere no byte " + std::to_string(pos) + "\nreferência: ..." + referencia.substr(de, 200) +
         "\natual:      ..." + aAtual.substr(de, 200);
}

}  // namespace moxtest
