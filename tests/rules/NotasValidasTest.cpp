// No false rejection: every TX2 example and every test invoice of the layouts passes every rule
// of its set, checked on the day it was issued. A few layout invoices break rules on purpose
// (they exist to cover every group of the layout); each such rule is named with its reason and
// must really be the one that rejects them.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "base/moxEnumTexts.h"
#include "rules/RegrasDeTeste.h"

namespace {

using V = mox::TVersaoEsquema;

struct Nota {
  const char* arquivo;  // under tests/fixtures
  V versao;
  bool exportacao;
  // Rules the invoice breaks on purpose, each rejecting it in this order.
  std::vector<std::string> quebradas;
};

void PrintTo(const Nota& aNota, std::ostream* aSaida) {
  *aSaida << aNota.arquivo << " " << mox::VersaoEsquemaToStr(aNota.versao);
}

class NotaValida : public ::testing::TestWithParam<Nota> {};

TEST_P(NotaValida, PassaEmTodasAsRegrasDoSeuConjunto) {
  const Nota& nota = GetParam();
  const std::string texto = moxtest::ReadText(moxtest::Fixture(nota.arquivo));
  std::string excecoes;
  for (const std::string& regra : nota.quebradas) {
    const auto falha = moxtest::RegraQueFalha(nota.versao, texto, nota.exportacao, excecoes);
    ASSERT_TRUE(falha) << regra;
    EXPECT_EQ(falha->regra, regra) << falha->texto;
    excecoes += regra + ";";
  }
  const auto falha = moxtest::RegraQueFalha(nota.versao, texto, nota.exportacao, excecoes);
  EXPECT_FALSE(falha) << falha->texto;
}

// Notes issued by the tax authority itself (series 890-899, procEmi 1, group D): the taxpayer's
// web service rejects them by definition.
const std::vector<std::string> kAvulsa{"GB07", "GB26", "GD01"};

std::vector<Nota> Notas() {
  std::vector<Nota> notas;
  for (const char* tx2 : {"tx2/venda-simples.tx2", "tx2/duas-notas.tx2", "tx2/varios-itens-parcelas.tx2"})
    for (V versao : {V::pl_008a, V::pl_008h, V::pl_008i1}) notas.push_back({tx2, versao, false, {}});
  struct Leiaute {
    const char* arquivo;
    bool exportacao;
    std::vector<std::string> quebradas;
  };
  const Leiaute de200[] = {{"leiautes/200/venda-industria.txt", false, {}},
                           {"leiautes/200/simples-nacional.txt", false, {}},
                           {"leiautes/200/importacao.txt", true, {}},
                           {"leiautes/200/exportacao.txt", true, {}},
                           {"leiautes/200/servicos.txt", false, {}},
                           {"leiautes/200/avulsa-cana.txt", false, kAvulsa}};
  // Both sets of the 2.00 layout, and pl_006s, which picks the 2013 class of GN16.
  for (const Leiaute& l : de200)
    for (V versao : {V::pl_006e, V::pl_006j, V::pl_006m, V::pl_006s, V::pl_006v})
      notas.push_back({l.arquivo, versao, l.exportacao, l.quebradas});
  // The 3.10 invoices are dated 2016: the packages of that year, which carry the CEST.
  const Leiaute de310[] = {
      // Item 18 carries every fuel group, the pump counter included, on a wholesale CFOP.
      {"leiautes/310/venda-industria.txt", false, {"GLA11.10"}},
      // Every CSOSN, those for contributors included, on a sale to a non-contributor.
      {"leiautes/310/simples-nacional.txt", false, {"N12a.70"}},
      {"leiautes/310/importacao.txt", false, {}},
      {"leiautes/310/exportacao.txt", true, {}},
      {"leiautes/310/servicos.txt", false, {}},
      {"leiautes/310/avulsa-cana.txt", false, kAvulsa},
      {"leiautes/310/consumidor-final.txt", false, {}}};
  for (const Leiaute& l : de310)
    for (V versao : {V::pl_008h, V::pl_008i, V::pl_008i1})
      notas.push_back({l.arquivo, versao, l.exportacao, l.quebradas});
  // The 4.00 notes, dated 2026, on both packages of the layout; the reform groups only on pl_010.
  for (V versao : {V::pl_009, V::pl_010}) {
    notas.push_back({"tx2/venda-simples-400.tx2", versao, false, {}});
    // As the 3.10 invoice, its fuel item carries the pump counter on a wholesale CFOP; and it
    // fills the destination-UF group on a sale to a contributor, to cover that group too.
    notas.push_back({"leiautes/400/venda-completa.txt", versao, false, {"GLA11.10", "GNA01.30"}});
  }
  // The reform notes sell fuel (CFOP 6651) with no carrier named.
  notas.push_back({"tx2/reforma-2026.tx2", V::pl_010, false, {"GX04.1"}});
  notas.push_back({"leiautes/400/reforma.txt", V::pl_010, false, {"GX04.1"}});
  return notas;
}

INSTANTIATE_TEST_SUITE_P(Fixtures, NotaValida, ::testing::ValuesIn(Notas()));

}  // namespace
