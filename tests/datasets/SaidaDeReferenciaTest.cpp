// The infNFe the converters write, held against the recorded reference byte for byte: every test
// invoice of tests/fixtures/leiautes in every schema package of its family, signed (the parts that
// depend on the key left out), and the TX2 examples. Faster code must write the same bytes.
#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "base/moxEnumTexts.h"
#include "datasets/NotasDeTeste.h"
#include "datasets/TmoxNFeConvTXTDataSet.h"
#include "external/XmlSignatureVerifier.h"
#include "support/NotaAssinada.h"
#include "support/SaidaDeReferencia.h"

namespace {

using mox::TVersaoEsquema;
using V = TVersaoEsquema;

struct Familia {
  const char* pasta;
  V primeira, ultima;
  std::vector<const char*> notas;     // under tests/fixtures/leiautes/<pasta>
  std::vector<const char*> exportacao;  // those entered with the export dictionary
};

const Familia kFamilias[] = {
    {"110", V::pl_005a, V::pl_005f, {"venda-industria", "importacao", "exportacao", "servicos", "avulsa"},
     {"importacao", "exportacao"}},
    {"200", V::pl_006e, V::pl_006v,
     {"venda-industria", "simples-nacional", "importacao", "exportacao", "servicos", "avulsa-cana"},
     {"importacao", "exportacao"}},
    {"310", V::pl_008a, V::pl_008i1,
     {"venda-industria", "simples-nacional", "importacao", "exportacao", "servicos", "avulsa-cana",
      "consumidor-final", "nfce"},
     {"exportacao"}},
};

bool Contem(const std::vector<const char*>& aLista, const std::string& aNome) {
  for (const char* n : aLista)
    if (aNome == n) return true;
  return false;
}

void PrintTo(const Familia& aFamilia, std::ostream* aSaida) { *aSaida << aFamilia.pasta; }

class SaidaDeReferencia : public ::testing::TestWithParam<Familia> {};

// One reference file per invoice: each distinct signed note once, after the line of the schema
// packages that write it.
TEST_P(SaidaDeReferencia, NotasDosLeiautesAssinadas) {
  const Familia& familia = GetParam();
  moxtest::AssinadorDeNotas assinador;
  const mox::XmlSignatureVerifier verificador;
  for (const char* nota : familia.notas) {
    SCOPED_TRACE(nota);
    std::vector<std::pair<std::string, std::string>> saidas;  // signed note, packages
    for (int v = static_cast<int>(familia.primeira); v <= static_cast<int>(familia.ultima); ++v) {
      const auto versao = static_cast<V>(v);
      const std::string texto = moxtest::NotaDeTeste(std::string(familia.pasta) + "/" + nota + ".txt");
      // The final consumer's invoice uses fields that come with pl_008h.
      if (std::string(nota) == "consumidor-final" && versao < V::pl_008h) continue;
      auto ds = moxtest::DataSetsEntregues(versao, Contem(familia.exportacao, nota));
      moxtest::PreencheNota(*ds, texto);
      ASSERT_EQ(ds->LoteNFe().size(), 1u) << mox::VersaoEsquemaToStr(versao);
      const std::string assinada = assinador.Assina(ds->LoteNFe().front());
      ASSERT_TRUE(verificador.Verify(assinada, "infNFe").Valid) << mox::VersaoEsquemaToStr(versao);
      const std::string semChave = moxtest::SemPartesDaChave(assinada);
      auto it = std::find_if(saidas.begin(), saidas.end(), [&](const auto& s) { return s.first == semChave; });
      if (it == saidas.end()) it = saidas.insert(saidas.end(), {semChave, ""});
      if (!it->second.empty()) it->second += ' ';
      it->second += mox::VersaoEsquemaToStr(versao);
    }
    std::string arquivo;
    for (const auto& [assinada, pacotes] : saidas) arquivo += pacotes + "\n" + assinada + "\n";
    EXPECT_EQ(moxtest::ComparaComReferencia(std::string("leiautes/") + familia.pasta + "/" + nota + ".txt", arquivo),
              "");
  }
}

INSTANTIATE_TEST_SUITE_P(Familias, SaidaDeReferencia, ::testing::ValuesIn(kFamilias),
                         [](const auto& aInfo) { return std::string("leiaute_") + aInfo.param.pasta; });

// The batch text of the converter (each infNFe followed by CR LF), as the TX2 examples give it.
TEST(SaidaDeReferenciaTx2, ExemplosConvertidos) {
  for (const std::string exemplo : {"venda-simples", "duas-notas", "varios-itens-parcelas", "nfce"}) {
    SCOPED_TRACE(exemplo);
    mox::TmoxNFeConvTXTDataSet conversor;
    conversor.SetVersaoEsquema(V::pl_008i1);
    conversor.SetXMLDicionario(moxtest::DicionarioEntregue(V::pl_008i1));
    conversor.SetTXT(moxtest::Fixture("tx2/" + exemplo + ".tx2").string());
    EXPECT_EQ(moxtest::ComparaComReferencia("tx2/" + exemplo + ".xml", conversor.Converter()), "");
  }
}

}  // namespace
