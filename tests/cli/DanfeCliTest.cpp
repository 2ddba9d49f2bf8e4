// moxnfe danfe as a user runs it: notes, lots and events to PDF or PNG, and the failures.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>

#include "support/TestSupport.h"

namespace {

moxtest::ProgramResult Moxnfe(const std::vector<std::string>& aArgs) {
  return moxtest::RunProgram(moxtest::BuiltProgram("moxnfe"), aArgs);
}

std::string Fixture(const std::string& aNome) { return moxtest::Fixture(aNome).string(); }

}  // namespace

TEST(CliDanfe, LoteEEventosEmPdfComJson) {
  moxtest::TempDir dir;
  auto r = Moxnfe({"danfe", "--json", "--saida", dir.str(), Fixture("lote/lote-2-nfeproc.xml"),
                   Fixture("danfe/cce-registrada.xml"), Fixture("danfe/cancelamento-registrado.xml")});
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  auto resultados = nlohmann::json::parse(r.out);
  ASSERT_EQ(resultados.size(), 3u);
  for (const auto& res : resultados) EXPECT_TRUE(std::filesystem::exists(res["saida"].get<std::string>())) << res;
  auto texto = moxtest::RunProgram("/usr/bin/pdftotext", {"-layout", dir.file("lote-2-nfeproc.pdf"), "-"}).out;
  // Two notes of the lot, each a document of its own.
  EXPECT_NE(texto.find("Nº 000.000.124"), std::string::npos);
  EXPECT_NE(texto.find("Nº 000.000.126"), std::string::npos);
  EXPECT_EQ(texto.find("FOLHA 1/2"), std::string::npos);
  auto cce = moxtest::RunProgram("/usr/bin/pdftotext", {dir.file("cce-registrada.pdf"), "-"}).out;
  EXPECT_NE(cce.find("CARTA DE CORREÇÃO ELETRÔNICA"), std::string::npos);
  auto canc = moxtest::RunProgram("/usr/bin/pdftotext", {dir.file("cancelamento-registrado.pdf"), "-"}).out;
  EXPECT_NE(canc.find("CANCELAMENTO DE NF-e"), std::string::npos);
}

TEST(CliDanfe, PngUmaImagemPorPagina) {
  moxtest::TempDir dir;
  auto r = Moxnfe({"danfe", "--formato", "png", "--saida", dir.str(), Fixture("lote/lote-2-nfeproc.xml")});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, dir.file("lote-2-nfeproc.png") + "\n");
  EXPECT_EQ(moxtest::ReadText(dir.file("lote-2-nfeproc.png")).substr(1, 3), "PNG");
  EXPECT_EQ(moxtest::ReadText(dir.file("lote-2-nfeproc-2.png")).substr(1, 3), "PNG");
  EXPECT_FALSE(std::filesystem::exists(dir.file("lote-2-nfeproc-3.png")));
}

TEST(CliDanfe, FalhasSaemComUmEDizemPorque) {
  moxtest::TempDir dir;
  moxtest::WriteText(dir.file("sem-protocolo.xml"),
                     "<NFe xmlns=\"http://www.portalfiscal.inf.br/nfe\"><infNFe Id=\"NFe1\" versao=\"3.10\"><ide>"
                     "<tpEmis>1</tpEmis></ide></infNFe></NFe>");
  auto r = Moxnfe({"danfe", "--saida", dir.str(), dir.file("sem-protocolo.xml"), Fixture("danfe/cce-registrada.xml")});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("sem-protocolo.xml: O Xml não é válido para impressão em modo Normal / SCAN"), std::string::npos)
      << r.err;
  EXPECT_NE(r.err.find("Gerando DANFE: 2 de 2"), std::string::npos);
  EXPECT_TRUE(std::filesystem::exists(dir.file("cce-registrada.pdf")));
  EXPECT_FALSE(std::filesystem::exists(dir.file("sem-protocolo.pdf")));

  auto modelo = Moxnfe({"danfe", "--saida", dir.str(), "--modelo", dir.file("nao.rtm"), Fixture("lote/lote-2-nfeproc.xml")});
  EXPECT_EQ(modelo.status, 1);
  EXPECT_NE(modelo.err.find("Arquivo \"" + dir.file("nao.rtm") + "\" não encontrado."), std::string::npos) << modelo.err;

  EXPECT_EQ(Moxnfe({"danfe", "--formato", "tiff", Fixture("lote/lote-2-nfeproc.xml")}).status, 2);
  EXPECT_EQ(Moxnfe({"danfe"}).status, 2);
}

TEST(CliDanfe, PastaGeraCadaXmlEContaOsQueFalham) {
  moxtest::TempDir dir;
  std::filesystem::create_directories(dir.path() / "xml" / "sub");
  std::filesystem::create_directories(dir.path() / "pdf");
  std::filesystem::copy_file(Fixture("lote/lote-2-nfeproc.xml"), dir.path() / "xml" / "lote.xml");
  std::filesystem::copy_file(Fixture("danfe/cancelamento-registrado.xml"), dir.path() / "xml" / "sub" / "canc.xml");
  moxtest::WriteText(dir.path() / "xml" / "quebrado.xml", "<nfeProc>");
  auto r = Moxnfe({"danfe", "--json", "--pasta", dir.file("xml"), "--saida", dir.file("pdf")});
  EXPECT_EQ(r.status, 1) << r.out << r.err;
  auto resultado = nlohmann::json::parse(r.out);
  ASSERT_EQ(resultado["problemas"].size(), 1u) << r.out;
  EXPECT_EQ(resultado["problemas"][0].get<std::string>().rfind("Arquivo " + dir.file("xml/quebrado.xml") + " com problema(s): ", 0), 0u);
  EXPECT_TRUE(std::filesystem::exists(dir.file("pdf/lote.pdf")));
  EXPECT_TRUE(std::filesystem::exists(dir.file("pdf/canc.pdf")));

  EXPECT_EQ(Moxnfe({"danfe", "--pasta", dir.file("xml"), Fixture("lote/lote-2-nfeproc.xml")}).status, 2);
  EXPECT_EQ(Moxnfe({"danfe", "--pasta", dir.file("nao-existe")}).status, 2);
  EXPECT_EQ(Moxnfe({"danfe", "--copias", "duas", Fixture("lote/lote-2-nfeproc.xml")}).status, 2);
}

TEST(CliDanfe, EpecPedeProtocoloEDataHora) {
  moxtest::TempDir dir;
  auto semData = Moxnfe({"danfe", "--saida", dir.str(), "--protocolo-epec", "891160000012345",
                         Fixture("lote/lote-2-nfeproc.xml")});
  EXPECT_EQ(semData.status, 1);
  EXPECT_NE(semData.err.find("Data Hora do EPEC não foi informado"), std::string::npos) << semData.err;
  EXPECT_FALSE(std::filesystem::exists(dir.file("lote-2-nfeproc.pdf")));
}
