// Schema validation by command through the delivered "Mapping.txt" of manual 5.0a, with the
// official XSDs installed in the schemas folder of the version.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "base/EmoxException.h"
#include "base/moxFormat.h"
#include "external/TmoxKivoUtils.h"
#include "support/TestSupport.h"
#include "webservices/moxValidacaoEsquema.h"

namespace {

namespace fs = std::filesystem;

class ValidacaoPorComando : public ::testing::Test {
 protected:
  void SetUp() override {
    // The schemas folder as a user installs it: the package of the version, the 2.00
    // cancellation and registry schemas beside it, and our mapping.
    fs::create_directories(esquemas_);
    for (const auto& e : fs::directory_iterator(moxtest::SchemasDir() / "PL_008i2"))
      fs::create_symlink(e.path(), esquemas_ / e.path().filename());
    for (const char* nome : {"cancNFe_v2.00.xsd", "leiauteCancNFe_v2.00.xsd", "consCad_v2.00.xsd",
                             "leiauteConsultaCadastro_v2.00.xsd", "tiposBasico_v1.03.xsd"})
      if (!fs::exists(esquemas_ / nome)) fs::create_symlink(moxtest::SchemasDir() / "PL_006v" / nome, esquemas_ / nome);
    fs::copy_file(std::string(MOXNFE_SOURCE_DIR) + "/data/Esquemas/vm50a/Mapping.txt", esquemas_ / "Mapping.txt");
  }

  std::string Pedido(const std::string& aTemplate, const mox::FmtArgs& aArgs) {
    return mox::moxFormat(
        moxtest::ReadText(std::string(MOXNFE_SOURCE_DIR) + "/data/Templates/vm50a/UF/" + aTemplate), aArgs);
  }

  std::string Pasta() const { return esquemas_.string() + "/"; }

  moxtest::TempDir pasta_;
  fs::path esquemas_ = pasta_.path() / "Esquemas" / "vm50a";
  mox::TmoxKivoUtils utils_;
  std::vector<std::string> erros_;
};

TEST_F(ValidacaoPorComando, PedidosDosTemplatesValidamPeloMapeamento) {
  const struct {
    const char* comando;
    std::string xml;
  } casos[] = {
      {"STATUS", Pedido("pedido_status.xml", {"2", "35"})},
      {"CONSULTARECIBO", Pedido("pedido_consultarecibo.xml", {"2", "351000000000001"})},
      {"CONSULTANF", Pedido("pedido_consultanf.xml", {"2", "35140312345678000195550010000001241123456788"})},
      {"CONSULTACADASTRO", Pedido("pedido_consultacadastro.xml", {"SP", "<CNPJ>12345678000195</CNPJ>"})},
  };
  for (const auto& caso : casos) {
    EXPECT_NO_THROW(mox::ValidarXMLNFe(utils_, caso.xml, caso.comando, Pasta(), erros_, pasta_.str()))
        << caso.comando << ": " << caso.xml;
  }
}

TEST_F(ValidacaoPorComando, DocumentoInvalidoDeixaOsErrosDoValidador) {
  const std::string status = Pedido("pedido_status.xml", {"3", "35"});
  EXPECT_THROW(mox::ValidarXMLNFe(utils_, status, "STATUS", Pasta(), erros_, pasta_.str()),
               mox::EmoxSchemaValidationException);
  ASSERT_FALSE(erros_.empty());
  EXPECT_NE(erros_.front().find("tpAmb"), std::string::npos) << erros_.front();
}

TEST_F(ValidacaoPorComando, MapeamentoAusenteOuSemOComando) {
  const std::string status = Pedido("pedido_status.xml", {"2", "35"});
  try {
    mox::ValidarXMLNFe(utils_, status, "EVENTO", Pasta(), erros_, pasta_.str());
    FAIL() << "sem exceção";
  } catch (const mox::EmoxSchemaValidationException& e) {
    EXPECT_EQ(std::string(e.what()), "Não foi encontrado mapeamento de XSD para o comando EVENTO ");
  }
  fs::remove(esquemas_ / "Mapping.txt");
  try {
    mox::GetXSDFileName(Pasta(), "STATUS", pasta_.str());
    FAIL() << "sem exceção";
  } catch (const mox::EmoxFileNotFoundException& e) {
    EXPECT_EQ(std::string(e.what()),
              "Arquivo " + Pasta() + "Mapping.txt utilizado na validação de esquema, não foi encontrado");
  }
}

}  // namespace
