// The component's validation of a signed batch note by note and item by item against the batch
// schema of each layout (1.10, 2.00, 3.10) through the delivered item templates and mapping,
// and the checks of a recipient XML.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "base/EmoxException.h"
#include "base/moxEnumTexts.h"
#include "component/TmoxNFe.h"
#include "datasets/NotasDeTeste.h"
#include "utils/moxChaveNFe.h"
#include "support/NotasTx2.h"
#include "support/SandboxDeTeste.h"

namespace {

namespace fs = std::filesystem;
using namespace moxtest;
using mox::TVersaoManual;

struct Geracao {
  TVersaoManual manual;
  const char* pacote;  // official package installed as the version's schemas
};

class ValidacaoDoLote : public ::testing::Test {
 protected:
  void SetUp() override {
    WritePfx(pasta_.path() / "empresa.pfx", Pki().Company, "x");
    nfe_.SetUF("SP");
    nfe_.SetDiretorioTemplates(std::string(MOXNFE_BINARY_DIR) + "/Templates/");
    nfe_.SetDiretorioEsquemas(pasta_.str() + "Esquemas/");
    nfe_.SetDiretorioLogErro(pasta_.str() + "LogErro/");
    nfe_.SetCaminhoCertificado(pasta_.file("empresa.pfx"));
    nfe_.SetSenhaCertificado("x");
    nfe_.SetValidarEsquemaAntesEnvio(true);
    Instala({TVersaoManual::vm50a, "PL_008i2"});
  }

  // The schemas folder of the version as a user installs it: the package and our mapping.
  void Instala(const Geracao& aGeracao) {
    nfe_.SetVersaoManual(aGeracao.manual);
    const fs::path pasta = nfe_.DiretorioEsquemas();
    fs::create_directories(pasta);
    for (const auto& e : fs::directory_iterator(SchemasDir() / aGeracao.pacote))
      if (!fs::exists(pasta / e.path().filename())) fs::create_symlink(e.path(), pasta / e.path().filename());
    fs::copy_file(std::string(MOXNFE_SOURCE_DIR) + "/data/Esquemas/" + mox::PastaVersaoManual(aGeracao.manual) +
                      "/Mapping.txt",
                  pasta / "Mapping.txt", fs::copy_options::overwrite_existing);
  }

  // The class and message of what ValidarLoteItem raised, "validado" when nothing.
  std::string Resultado(const std::string& aLote, const std::string& aNumLote = "1") {
    try {
      nfe_.ValidarLoteItem(aNumLote, aLote);
    } catch (const mox::EmoxNFeException& e) {
      return std::string(e.ClassName()) + ": " + e.what();
    }
    return "validado";
  }

  TempDir pasta_;
  mox::TmoxNFe nfe_;
};

std::string Juntas(const std::vector<std::string>& aNotas) {
  std::string lote;
  for (const auto& nota : aNotas) lote += nota;
  return lote;
}

TEST_F(ValidacaoDoLote, LoteValidoDeCadaLeiautePassa) {
  const auto convertida = [](const char* aArquivo, mox::TVersaoEsquema aVersao) {
    auto ds = DataSetsEntregues(aVersao);
    PreencheNota(*ds, NotaDeTeste(aArquivo));
    return ds->LoteNFe().front();
  };
  const struct {
    Geracao geracao;
    std::string notas;
  } casos[] = {
      {{TVersaoManual::vm30, "PL_005f"}, convertida("110/venda-industria.txt", mox::TVersaoEsquema::pl_005f)},
      {{TVersaoManual::vm40, "PL_006e"}, convertida("200/venda-industria.txt", mox::TVersaoEsquema::pl_006e)},
      {{TVersaoManual::vm50, "PL_006v"}, convertida("200/simples-nacional.txt", mox::TVersaoEsquema::pl_006v)},
      {{TVersaoManual::vm50a, "PL_008i2"}, Juntas(NotasDosExemplosTx2(4, 100))},
  };
  for (const auto& caso : casos) {
    Instala(caso.geracao);
    const std::string lote = nfe_.AssinarNota(caso.notas);
    EXPECT_EQ(Resultado(lote), "validado") << caso.geracao.pacote;
    EXPECT_TRUE(nfe_.ErrosValidador().empty()) << caso.geracao.pacote << ": " << nfe_.ErrosValidador().front();
  }
}

TEST_F(ValidacaoDoLote, ApontaANotaEOItemInvalidos) {
  std::string lote = nfe_.AssinarNota(Juntas(NotasDosExemplosTx2(4, 200)));
  // A CEP of four digits in the second note; a letter in the NCM of the fourth note's third item.
  const auto inicioDaNota = [&](int aNota) {
    size_t p = 0;
    for (int i = 0; i < aNota; ++i) p = lote.find("<infNFe", p + 1);
    return p;
  };
  const size_t cep = lote.find("<CEP>", inicioDaNota(2));
  ASSERT_LT(cep, inicioDaNota(3));
  lote.replace(cep + 5, 8, "0100");
  const size_t item3 = lote.find("<det nItem=\"3\">", inicioDaNota(4));
  ASSERT_NE(item3, std::string::npos);
  lote.replace(lote.find("<NCM>", item3) + 5, 1, "X");

  EXPECT_EQ(Resultado(lote),
            "EmoxSchemaValidationException: O arquivo contém 1 ou mais erros no de validação de esquema.");
  const auto& erros = nfe_.ErrosValidador();
  ASSERT_EQ(erros.size(), 2u) << ::testing::PrintToString(erros);
  EXPECT_EQ(erros[0].rfind("Lote: 2 - ", 0), 0u) << erros[0];
  EXPECT_NE(erros[0].find("CEP"), std::string::npos) << erros[0];
  EXPECT_EQ(erros[1].rfind("Lote: 4 - Item: 3 - ", 0), 0u) << erros[1];
  EXPECT_NE(erros[1].find("NCM"), std::string::npos) << erros[1];

  nfe_.SetValidarEsquemaAntesEnvio(false);
  EXPECT_EQ(Resultado(lote), "validado");
  EXPECT_TRUE(nfe_.ErrosValidador().empty());
}

TEST_F(ValidacaoDoLote, RecusasAntesDaValidacao) {
  const std::string nota = NotasDosExemplosTx2(1, 300).front();
  const std::string assinada = nfe_.AssinarNota(nota);
  nfe_.SetMaxSizeLoteEnvio(1);
  const struct {
    const char* nome;
    std::string lote, numero, mensagem;
  } casos[] = {
      {"vazio", "", "1", "EmoxNFeMaxSizeException: O Lote de NFes informado está vazio"},
      {"sem assinatura", nota.substr(0, 900), "1", "EmoxSignatureException: A nota não possui assinatura"},
      {"lote com acento", assinada.substr(0, 900), "Lote\xC3\xA9",
       "EmoxNFeCheckParams: Numero do Lote não pode conter acento: Lote\xC3\xA9"},
  };
  for (const auto& caso : casos) EXPECT_EQ(Resultado(caso.lote, caso.numero), caso.mensagem) << caso.nome;
  const std::string tamanho = Resultado(assinada);
  EXPECT_EQ(tamanho.rfind("EmoxNFeMaxSizeException: O Lote de NFes possui ", 0), 0u) << tamanho;
  EXPECT_NE(tamanho.find(" KB ultrapassando o limite de 1 KB."), std::string::npos) << tamanho;
}

TEST_F(ValidacaoDoLote, ExatamenteNoLimiteDeTamanhoPassa) {
  nfe_.SetMaxSizeLoteEnvio(2);
  EXPECT_NO_THROW(nfe_.ValidarTamanhoArquivoEnvio(std::string(2000, 'a')));
  try {
    nfe_.ValidarTamanhoArquivoEnvio(std::string(2001, 'a'));
    FAIL() << "sem exceção";
  } catch (const mox::EmoxNFeMaxSizeException& e) {
    EXPECT_EQ(std::string(e.what()), "O Lote de NFes possui 2,001 KB ultrapassando o limite de 2 KB.");
  }
}

TEST_F(ValidacaoDoLote, XmlDoDestinatario) {
  const std::string assinada = nfe_.AssinarNota(NotasDosExemplosTx2(1, 400).front());
  const std::string chave = mox::ObterNotaID(assinada);
  const auto processada = [&](const std::string& aNota, const std::string& aDigVal) {
    return "<nfeProc xmlns=\"http://www.portalfiscal.inf.br/nfe\" versao=\"3.10\">" + aNota +
           "<protNFe versao=\"3.10\"><infProt><tpAmb>2</tpAmb><verAplic>SP_NFE_PL_008i2</verAplic><chNFe>" + chave +
           "</chNFe><dhRecbto>2016-08-01T10:00:05-03:00</dhRecbto><nProt>135160000000001</nProt><digVal>" + aDigVal +
           "</digVal><cStat>100</cStat><xMotivo>Autorizado o uso da NF-e</xMotivo></infProt></protNFe></nfeProc>";
  };
  const std::string digest = Campo(assinada, "DigestValue");
  std::string semAssinatura = assinada;
  semAssinatura.erase(semAssinatura.find("<Signature"), semAssinatura.find("</Signature>") + 12 -
                                                             semAssinatura.find("<Signature"));
  std::vector<std::string> erros{"antigo"};
  EXPECT_TRUE(nfe_.ValidarArquivoXmlDestinatario(processada(assinada, digest), &erros));
  EXPECT_TRUE(erros.empty()) << ::testing::PrintToString(erros);

  EXPECT_FALSE(nfe_.ValidarArquivoXmlDestinatario(processada(assinada, "AAAAAAAAAAAAAAAAAAAAAAAAAAA="), &erros));
  EXPECT_EQ(erros, std::vector<std::string>{"O DigestValue da nota assinada, difere do digVal do protocolo processado"});

  EXPECT_FALSE(nfe_.ValidarArquivoXmlDestinatario(processada(semAssinatura, digest), nullptr));
  EXPECT_FALSE(nfe_.ValidarArquivoXmlDestinatario(processada(semAssinatura, digest), &erros));
  ASSERT_EQ(erros.size(), 3u) << ::testing::PrintToString(erros);
  EXPECT_EQ(erros[0], "A nota não possui assinatura");
  EXPECT_NE(erros[1].find("Signature"), std::string::npos) << erros[1];
}

}  // namespace
