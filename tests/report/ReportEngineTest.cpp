// The report engine as a model author meets it: models read or refused with a reason,
// templates, pages that break with their headers repeated, and the PDF and PNG it writes.
#include <gtest/gtest.h>

#include "report/ReportDocument.h"
#include "report/ReportError.h"
#include "report/ReportText.h"
#include "support/TestSupport.h"

namespace {

using namespace mox::report;

std::string ErroDoModelo(const std::string& aTexto) {
  try {
    ParseModel(ReadModelJson(aTexto));
  } catch (const EReportException& e) {
    return e.what();
  }
  return "aceito";
}

TEST(ModeloRelatorio, RecusaModelosQuebradosDizendoOnde) {
  struct Caso {
    const char* modelo;
    const char* trecho;
  } casos[] = {
      {"{\"bandas\": [", "JSON mal formado"},
      {"{}", "o modelo não tem \"bandas\""},
      {R"({"bandas":[{"tipo":"lateral"}]})", "banda 1: tipo de banda \"lateral\" desconhecido"},
      {R"({"bandas":[{"tipo":"detalhe"}]})", "banda 1: banda de detalhe sem \"dados\""},
      {R"({"bandas":[{"elementos":[{"tipo":"texto","x":"dez"}]}]})", "banda 1, elemento 1: \"x\" deve ser um número"},
      {R"({"bandas":[{"elementos":[{"tipo":"circulo"}]}]})", "tipo de elemento \"circulo\" desconhecido"},
      {R"({"bandas":[{"elementos":[{"tipo":"caixa","cor":"vermelho"}]}]})", "cor \"vermelho\" deve ser #RRGGBB"},
      {R"({"bandas":[{"altura":400}]})", "banda 1 mais alta que a página"},
      {R"({"bandas":[{"elementos":[{"tipo":"imagem"}]}]})", "imagem sem \"origem\""},
  };
  for (const auto& caso : casos) EXPECT_NE(ErroDoModelo(caso.modelo).find(caso.trecho), std::string::npos) << caso.modelo;
  EXPECT_EQ(ErroDoModelo(R"({"bandas":[{"altura":10}]})"), "aceito");
}

TEST(ModeloRelatorio, ArquivoAusenteNomeiaOArquivo) {
  EXPECT_THROW(
      {
        try {
          LoadModelJson("/nao/existe.rtm");
        } catch (const EReportException& e) {
          EXPECT_STREQ(e.what(), "Arquivo \"/nao/existe.rtm\" não encontrado.");
          throw;
        }
      },
      EReportException);
}

TEST(TextoRelatorio, CamposFormatosESecoes) {
  Record nota;
  nota.fields = {{"CodBarra", "35160812345678000195550010000000021100000020"},
                 {"EmitCNPJ", "12345678000195"},
                 {"DestCNPJ", "11144477735"},
                 {"EmitCep", "01001000"},
                 {"nNF", "000000002"},
                 {"dhRecbto", "2016-08-02T14:31:05-03:00"},
                 {"EmitFone", "1133334444"},
                 {"Vazio", ""}};
  Record item;
  item.fields = {{"Item", "1"}};
  ReportData dados;
  dados.values["#logo"] = "/tmp/logo.png";
  Scope externo{&nota, nullptr, &dados};
  Scope interno{&item, &externo, nullptr};
  struct Caso {
    const char* modelo;
    const char* esperado;
  } casos[] = {
      {"{CodBarra|chave}", "3516 0812 3456 7800 0195 5500 1000 0000 0211 0000 0020"},
      {"{EmitCNPJ|cnpj} {DestCNPJ|cnpj}", "12.345.678/0001-95 111.444.777-35"},
      {"{EmitCep|cep} {EmitFone|fone}", "01001-000 (11) 3333-4444"},
      {"Nº {nNF|nnf}", "Nº 000.000.002"},
      {"{dhRecbto|datahora}|{dhRecbto|data}", "02/08/2016 14:31:05|02/08/2016"},
      {"item {Item} de {nNF}", "item 1 de 000000002"},
      {"{?Vazio}oculto {Item}{/}{!Vazio}visível{/}", "visível"},
      {"{{literal} {#pagina}/{#paginas} {#logo}", "{literal} 2/3 /tmp/logo.png"},
  };
  for (const auto& caso : casos) EXPECT_EQ(ExpandTemplate(caso.modelo, interno, {2, 3}), caso.esperado) << caso.modelo;
  EXPECT_THROW(ExpandTemplate("{Item|romano}", interno, {}), EReportException);
  EXPECT_THROW(ExpandTemplate("{?Item}sem fim", interno, {}), EReportException);
  EXPECT_THROW(ExpandTemplate("{Item", interno, {}), EReportException);
}

// A master with 40 rows of 10 mm: the rows continue on new pages with the header repeated.
std::string DadosComLinhas(int aLinhas) {
  std::string itens;
  for (int i = 1; i <= aLinhas; ++i) {
    if (i > 1) itens += ",";
    itens += R"([{"Name":"Item","Value":")" + std::to_string(i) + R"("},{"Name":"Desc","Value":"linha )" +
             std::to_string(i) + R"("}])";
  }
  return R"([{"Name":"Dados","Items":[[{"Name":"Titulo","Value":"CABECALHO REPETIDO"},)"
         R"({"Name":"Itens","Items":[)" + itens + R"(]}]]}])";
}

const char* kModeloLinhas = R"({
  "pagina": {"largura": 100, "altura": 150, "margens": {"esquerda": 5, "direita": 5, "topo": 5, "base": 5}},
  "bandas": [
    {"tipo": "cabecalho", "altura": 20, "elementos": [
      {"tipo": "texto", "x": 0, "y": 0, "l": 90, "a": 8, "texto": "{Titulo} FOLHA {#pagina}/{#paginas}"}]},
    {"tipo": "detalhe", "dados": "Itens", "altura": 10, "filtro": "Item",
     "cabecalho": {"altura": 6, "elementos": [{"tipo": "texto", "l": 90, "a": 6, "texto": "COLUNAS"}]},
     "elementos": [{"tipo": "campo", "l": 90, "a": 10, "rotulo": "ITEM", "texto": "{Desc}"}]},
    {"tipo": "final", "altura": 10, "elementos": [{"tipo": "texto", "l": 90, "a": 10, "texto": "FIM"}]}
  ]})";

std::string TextoDoPdf(const std::string& aPdf) {
  moxtest::TempDir dir;
  moxtest::WriteText(dir.file("r.pdf"), aPdf);
  auto r = moxtest::RunProgram("/usr/bin/pdftotext", {"-layout", dir.file("r.pdf"), dir.file("r.txt")});
  EXPECT_EQ(r.status, 0) << r.err;
  return moxtest::ReadText(dir.file("r.txt"));
}

size_t Ocorrencias(const std::string& aTexto, const std::string& aTrecho) {
  size_t n = 0;
  for (size_t p = aTexto.find(aTrecho); p != std::string::npos; p = aTexto.find(aTrecho, p + 1)) ++n;
  return n;
}

TEST(DocumentoRelatorio, LinhasContinuamEmNovasPaginasComCabecalhos) {
  ReportDocument doc(ParseModel(ReadModelJson(kModeloLinhas)), ParseDataSources(DadosComLinhas(40)));
  // 150 - 10 margins - 20 header - 6 column header = 114 mm: 11 rows a page.
  ASSERT_EQ(doc.PageCount(), 4u);
  std::string texto = TextoDoPdf(doc.Pdf());
  EXPECT_EQ(Ocorrencias(texto, "CABECALHO REPETIDO FOLHA"), 4u);
  EXPECT_EQ(Ocorrencias(texto, "COLUNAS"), 4u);
  for (int p = 1; p <= 4; ++p) EXPECT_NE(texto.find("FOLHA " + std::to_string(p) + "/4"), std::string::npos);
  EXPECT_NE(texto.find("linha 40"), std::string::npos);
  EXPECT_LT(texto.find("linha 11"), texto.find("FOLHA 2/4"));
  EXPECT_GT(texto.find("linha 12"), texto.find("FOLHA 2/4"));
  EXPECT_GT(texto.find("FIM"), texto.find("linha 40"));
  std::vector<std::string> png = doc.Png(72);
  ASSERT_EQ(png.size(), 4u);
  EXPECT_EQ(png[0].substr(1, 3), "PNG");
}

// The first page's own header leaves 9 mm under the column header, less than one row: the
// rows start on the second page, with the column header there and not alone on the first.
TEST(DocumentoRelatorio, PrimeiraPaginaSemEspacoParaUmaLinhaContinuaNaSeguinte) {
  const std::string modelo = R"({
  "pagina": {"largura": 100, "altura": 150, "margens": {"esquerda": 5, "direita": 5, "topo": 5, "base": 5}},
  "bandas": [
    {"tipo": "cabecalho", "altura": 10, "elementos": [
      {"tipo": "texto", "x": 0, "y": 0, "l": 90, "a": 8, "texto": "{Titulo} FOLHA {#pagina}/{#paginas}"}]},
    {"tipo": "cabecalho", "paginas": "primeira", "altura": 115, "elementos": [
      {"tipo": "texto", "x": 0, "y": 0, "l": 90, "a": 8, "texto": "QUADROS DA PRIMEIRA"}]},
    {"tipo": "detalhe", "dados": "Itens", "altura": 10, "filtro": "Item",
     "cabecalho": {"altura": 6, "elementos": [{"tipo": "texto", "l": 90, "a": 6, "texto": "COLUNAS"}]},
     "elementos": [{"tipo": "campo", "l": 90, "a": 10, "rotulo": "ITEM", "texto": "{Desc}"}]}
  ]})";
  ReportDocument doc(ParseModel(ReadModelJson(modelo)), ParseDataSources(DadosComLinhas(3)));
  ASSERT_EQ(doc.PageCount(), 2u);
  const std::string texto = TextoDoPdf(doc.Pdf());
  EXPECT_EQ(Ocorrencias(texto, "COLUNAS"), 1u);
  EXPECT_GT(texto.find("COLUNAS"), texto.find("FOLHA 2/2"));
  EXPECT_GT(texto.find("linha 1"), texto.find("FOLHA 2/2"));
  EXPECT_NE(texto.find("linha 3"), std::string::npos);
}

TEST(DocumentoRelatorio, ImagemQueNaoEImagemFalhaComONomeDoArquivo) {
  moxtest::TempDir dir;
  moxtest::WriteText(dir.file("logo.png"), "isto não é uma imagem");
  ReportData dados;
  dados.values["#logo"] = dir.file("logo.png");
  ReportDocument doc(ParseModel(ReadModelJson(
                         R"({"bandas":[{"altura":20,"elementos":[{"tipo":"imagem","l":20,"a":20,"origem":"{#logo}"}]}]})")),
                     std::move(dados));
  try {
    doc.Pdf();
    FAIL() << "aceitou um logotipo que não é imagem";
  } catch (const EReportException& e) {
    EXPECT_EQ(std::string(e.what()), "Arquivo \"" + dir.file("logo.png") + "\" não é uma imagem PNG válida.");
  }
}

}  // namespace
