// The infNFe of the test invoices of each schema package, wrapped in NFe and signed, against the
// official schema of that package.
#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "datasets/NotasDeTeste.h"
#include "external/EKivoException.h"
#include "external/TmoxKivoUtils.h"
#include "external/TmoxKivoX.h"
#include "support/NotaAssinada.h"

namespace {

using mox::TVersaoEsquema;
using V = TVersaoEsquema;

struct NotaDaFamilia {
  const char* arquivo;  // under tests/fixtures/leiautes
  V desde;              // first package that has every group the invoice uses
  bool exportacao;      // entered with the export dictionary
};

const std::vector<NotaDaFamilia> kNotas110{{"110/venda-industria.txt", V::pl_005a, false},
                                           {"110/importacao.txt", V::pl_005a, true},
                                           {"110/exportacao.txt", V::pl_005a, true},
                                           {"110/servicos.txt", V::pl_005a, false},
                                           {"110/avulsa.txt", V::pl_005a, false}};
const std::vector<NotaDaFamilia> kNotas200{
    {"200/venda-industria.txt", V::pl_006e, false}, {"200/simples-nacional.txt", V::pl_006e, false},
    {"200/importacao.txt", V::pl_006e, true},       {"200/exportacao.txt", V::pl_006e, true},
    {"200/servicos.txt", V::pl_006e, false},        {"200/avulsa-cana.txt", V::pl_006e, false}};
const std::vector<NotaDaFamilia> kNotas310{
    {"310/venda-industria.txt", V::pl_008a, false}, {"310/simples-nacional.txt", V::pl_008a, false},
    {"310/importacao.txt", V::pl_008a, false},      {"310/exportacao.txt", V::pl_008a, true},
    {"310/servicos.txt", V::pl_008a, false},        {"310/avulsa-cana.txt", V::pl_008a, false},
    {"310/consumidor-final.txt", V::pl_008h, false}, {"310/nfce.txt", V::pl_008a, false}};
const std::vector<NotaDaFamilia> kNotas400{{"400/venda-completa.txt", V::pl_009, false},
                                           {"400/reforma.txt", V::pl_010, false}};

struct Pacote {
  const char* pasta;  // folder of the official package
  V versao;
  const char* esquema;
  const std::vector<NotaDaFamilia>* notas;
};

// Every package of the schemas folder with a layout converter; PL_008i2 is read with pl_008i1,
// the newest converter.
const Pacote kPacotes[] = {
    {"PL_005c", V::pl_005c, "nfe_v1.10.xsd", &kNotas110},   {"PL_005d", V::pl_005d, "nfe_v1.10.xsd", &kNotas110},
    {"PL_005f", V::pl_005f, "nfe_v1.10.xsd", &kNotas110},   {"PL_006e", V::pl_006e, "nfe_v2.00.xsd", &kNotas200},
    {"PL_006g", V::pl_006g, "nfe_v2.00.xsd", &kNotas200},   {"PL_006i", V::pl_006i, "nfe_v2.00.xsd", &kNotas200},
    {"PL_006j", V::pl_006j, "nfe_v2.00.xsd", &kNotas200},   {"PL_006m", V::pl_006m, "nfe_v2.00.xsd", &kNotas200},
    {"PL_006n", V::pl_006n, "nfe_v2.00.xsd", &kNotas200},   {"PL_006p", V::pl_006p, "nfe_v2.00.xsd", &kNotas200},
    {"PL_006q", V::pl_006q, "nfe_v2.00.xsd", &kNotas200},   {"PL_006r", V::pl_006r, "nfe_v2.00.xsd", &kNotas200},
    {"PL_006s", V::pl_006s, "nfe_v2.00.xsd", &kNotas200},   {"PL_006u", V::pl_006u, "nfe_v2.00.xsd", &kNotas200},
    {"PL_006v", V::pl_006v, "nfe_v2.00.xsd", &kNotas200},   {"PL_008a", V::pl_008a, "nfe_v3.10.xsd", &kNotas310},
    {"PL_008b", V::pl_008b, "nfe_v3.10.xsd", &kNotas310},   {"PL_008c", V::pl_008c, "nfe_v3.10.xsd", &kNotas310},
    {"PL_008d", V::pl_008d, "nfe_v3.10.xsd", &kNotas310},   {"PL_008e", V::pl_008e, "nfe_v3.10.xsd", &kNotas310},
    {"PL_008f", V::pl_008f, "nfe_v3.10.xsd", &kNotas310},   {"PL_008g", V::pl_008g, "nfe_v3.10.xsd", &kNotas310},
    {"PL_008h", V::pl_008h, "nfe_v3.10.xsd", &kNotas310},   {"PL_008i", V::pl_008i, "nfe_v3.10.xsd", &kNotas310},
    {"PL_008i1", V::pl_008i1, "nfe_v3.10.xsd", &kNotas310}, {"PL_008i2", V::pl_008i1, "nfe_v3.10.xsd", &kNotas310},
    {"PL_009_V4", V::pl_009, "nfe_v4.00.xsd", &kNotas400},  {"PL_010_V1.30", V::pl_010, "nfe_v4.00.xsd", &kNotas400},
};

void PrintTo(const Pacote& aPacote, std::ostream* aSaida) { *aSaida << aPacote.pasta; }

// The Id attribute of an infNFe text.
class NotaAssinadaDoPacote : public ::testing::TestWithParam<Pacote> {};

TEST_P(NotaAssinadaDoPacote, ValidaNoEsquemaOficial) {
  const Pacote& pacote = GetParam();
  const std::string esquema = (moxtest::SchemasDir() / pacote.pasta / pacote.esquema).string();
  moxtest::AssinadorDeNotas assinador;
  for (const NotaDaFamilia& nota : *pacote.notas) {
    if (pacote.versao < nota.desde) continue;
    SCOPED_TRACE(nota.arquivo);
    auto ds = moxtest::DataSetsEntregues(pacote.versao, nota.exportacao);
    moxtest::PreencheNota(*ds, moxtest::NotaDeTeste(nota.arquivo));
    ASSERT_EQ(ds->LoteNFe().size(), 1u);
    const std::string assinada = assinador.Assina(ds->LoteNFe().front());
    ASSERT_NE(assinada.find("<Reference URI=\"#" + moxtest::IdDe(ds->LoteNFe().front()) + "\">"), std::string::npos);
    EXPECT_EQ(moxtest::ErrosDeEsquema(assinada, esquema), "") << assinada;
  }
}

INSTANTIATE_TEST_SUITE_P(Pacotes, NotaAssinadaDoPacote, ::testing::ValuesIn(kPacotes),
                         [](const auto& aInfo) {
                           std::string nome = aInfo.param.pasta;
                           for (char& c : nome)
                             if (c == '.') c = '_';  // test names hold letters, digits and underscores only
                           return nome;
                         });

}  // namespace
