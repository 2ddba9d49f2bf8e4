#include "utils/moxCodigoUF.h"

#include <array>

#include "utils/moxTextoNFe.h"

namespace mox {

namespace {

constexpr std::array<const char*, 28> kUFs = {
    "AC=12", "AL=27", "AP=16", "AM=13", "BA=29", "CE=23", "DF=53", "ES=32", "GO=52", "MA=21",
    "MT=51", "MS=50", "MG=31", "PA=15", "PB=25", "PR=41", "PE=26", "PI=22", "RJ=33", "RN=24",
    "RS=43", "RO=11", "RR=14", "SC=42", "SP=35", "SE=28", "TO=17", "AN=91"};

}  // namespace

void PopulaListaUF(std::vector<std::string>& aLista) { aLista.insert(aLista.end(), kUFs.begin(), kUFs.end()); }

std::string GetCodeUF(const std::string& aUF) {
  const std::string uf = UpperAscii(aUF);
  for (std::string_view linha : kUFs)
    if (linha.substr(0, 2) == uf) return std::string(linha.substr(3));
  return {};
}

}  // namespace mox
