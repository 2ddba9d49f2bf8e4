// Reading notes back in: each test invoice of every layout, as signed XML, as the TX2 the reader
// writes alongside and as record-layout text, gives the same infNFe; an authorized nfeProc gives
// its protocol data.
#include <gtest/gtest.h>
#include <libxml/c14n.h>

#include <memory>
#include <string>
#include <vector>

#include "datasets/NotasDeTeste.h"
#include "datasets/RecDeTeste.h"
#include "datasets/TmoxNFeConverter.h"
#include "external/XmlDocument.h"
#include "support/NotaAssinada.h"

namespace {

using V = mox::TVersaoEsquema;
using mox::TLayoutConvKind;

// The canonical form (C14N 1.0) of an XML text.
std::string Canonica(const std::string& aXml) {
  mox::XmlDocument doc = mox::XmlDocument::Parse(aXml);
  xmlChar* saida = nullptr;
  const int tamanho = xmlC14NDocDumpMemory(doc.get(), nullptr, XML_C14N_1_0, nullptr, 0, &saida);
  std::string texto(reinterpret_cast<const char*>(saida), tamanho > 0 ? static_cast<size_t>(tamanho) : 0);
  xmlFree(saida);
  return texto;
}

// The front over the delivered templates of the package's manual version.
std::unique_ptr<mox::TmoxNFeConverter> Conversor(V aVersao) {
  auto conversor = std::make_unique<mox::TmoxNFeConverter>();
  conversor->SetDiretorioTemplates(std::string(MOXNFE_SOURCE_DIR) + "/data/Templates/" +
                                  mox::PastaVersaoManual(mox::GetVersaoManualDoEsquema(aVersao)));
  return conversor;
}

// Where two texts start to differ, with some context, for the failure messages.
std::string Diferenca(const std::string& a, const std::string& b) {
  size_t i = 0;
  while (i < a.size() && i < b.size() && a[i] == b[i]) ++i;
  const size_t inicio = i > 120 ? i - 120 : 0;
  return "\n  obtido:   ..." + a.substr(inicio, 240) + "\n  esperado: ..." + b.substr(inicio, 240);
}

std::string SemFimDeLinha(std::string aLote) {
  while (!aLote.empty() && (aLote.back() == '\n' || aLote.back() == '\r')) aLote.pop_back();
  return aLote;
}

std::string Junta(const std::vector<std::string>& aLinhas) {
  std::string texto;
  for (const auto& linha : aLinhas) texto += linha + "\r\n";
  return texto;
}

struct Nota {
  const char* arquivo;  // under tests/fixtures/leiautes
  bool exportacao;
  V desde = V::pl_005a;  // first package that has every group the note uses
};

const std::vector<Nota> kNotas110{{"110/venda-industria.txt", false},
                                  {"110/importacao.txt", true},
                                  {"110/exportacao.txt", true},
                                  {"110/servicos.txt", false},
                                  {"110/avulsa.txt", false}};
const std::vector<Nota> kNotas200{{"200/venda-industria.txt", false}, {"200/simples-nacional.txt", false},
                                  {"200/importacao.txt", true},       {"200/exportacao.txt", true},
                                  {"200/servicos.txt", false},        {"200/avulsa-cana.txt", false}};
const std::vector<Nota> kNotas310{{"310/venda-industria.txt", false},
                                  {"310/simples-nacional.txt", false},
                                  {"310/importacao.txt", false},
                                  {"310/exportacao.txt", true},
                                  {"310/servicos.txt", false},
                                  {"310/avulsa-cana.txt", false},
                                  {"310/consumidor-final.txt", false, V::pl_008h},
                                  {"310/nfce.txt", false}};
const std::vector<Nota> kNotas400{{"400/venda-completa.txt", false}, {"400/reforma.txt", false, V::pl_010}};

// One package per manual version (its own dictionary), and both ends of the 3.10 family.
struct Leiaute {
  const char* nome;
  V versao;
  const std::vector<Nota>& notas;
};

const Leiaute kLeiautes[] = {{"110_vm30", V::pl_005f, kNotas110},  {"200_vm40", V::pl_006j, kNotas200},
                             {"200_vm50", V::pl_006v, kNotas200},  {"310_pl008a", V::pl_008a, kNotas310},
                             {"310_pl008i1", V::pl_008i1, kNotas310}, {"400_pl009", V::pl_009, kNotas400},
                             {"400_pl010", V::pl_010, kNotas400}};

class IdaEVolta : public ::testing::TestWithParam<Leiaute> {};

TEST_P(IdaEVolta, XmlTx2ERegistrosDaoOMesmoInfNFe) {
  const Leiaute& leiaute = GetParam();
  moxtest::AssinadorDeNotas assinador;
  auto conversor = Conversor(leiaute.versao);
  for (const Nota& nota : leiaute.notas) {
    if (leiaute.versao < nota.desde) continue;
    SCOPED_TRACE(nota.arquivo);
    auto entrada = moxtest::DataSetsEntregues(leiaute.versao, nota.exportacao);
    moxtest::PreencheNota(*entrada, moxtest::NotaDeTeste(nota.arquivo));
    const std::string original = entrada->LoteNFe().front();

    // XML -> data sets -> XML, from the signed note.
    std::vector<std::string> tx2;
    auto lida = conversor->ConvertXmlToDataSet(assinador.Assina(original), "", leiaute.versao, nota.exportacao, &tx2);
    ASSERT_EQ(lida->LoteNFe().size(), 1u);
    EXPECT_EQ(Canonica(lida->LoteNFe().front()), Canonica(original))
        << Diferenca(Canonica(lida->LoteNFe().front()), Canonica(original));
    ASSERT_GE(tx2.size(), 3u);
    EXPECT_EQ(tx2.front(), "INCLUIR");
    EXPECT_EQ(tx2[1], "versao_A02=" + mox::VersaoLeiauteDoEsquema(leiaute.versao));
    EXPECT_EQ(tx2.back(), "SALVAR");

    // XML -> TX2 -> XML.
    const std::string doTx2 = SemFimDeLinha(
        conversor->ConvertToXml(Junta(tx2), "", TLayoutConvKind::lkTXTDataSet, leiaute.versao, nota.exportacao));
    EXPECT_EQ(Canonica(doTx2), Canonica(original)) << Diferenca(Canonica(doTx2), Canonica(original));

    // The same note in the record layout.
    const std::string rec = moxtest::GeradorRec(*lida).Gera(tx2);
    const std::string doRec = SemFimDeLinha(
        conversor->ConvertToXml(rec, "", TLayoutConvKind::lkTXTRec, leiaute.versao, nota.exportacao));
    EXPECT_EQ(Canonica(doRec), Canonica(original)) << Diferenca(Canonica(doRec), Canonica(original)) << "\n" << rec;
  }
}

INSTANTIATE_TEST_SUITE_P(Leiautes, IdaEVolta, ::testing::ValuesIn(kLeiautes),
                         [](const auto& aInfo) { return std::string(aInfo.param.nome); });

}  // namespace
