// The DANFE print data: number notation, the additional-information split, lots, volumes, the
// serialized data the models read, and the event prints.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "danfe/NotasDanfe.h"
#include "danfe/TmoxNFeDanfe.h"
#include "danfe/TmoxNFeDanfeDados.h"
#include "external/TmoxKivoX.h"
#include "support/SandboxDeTeste.h"

namespace {

using mox::TmoxNFeDanfeDados;

TEST(DanfeDados, VirgulaDecimal) {
  const std::pair<const char*, const char*> casos[] = {
      {"1234.5", "1.234,5"}, {"1234567.89", "1.234.567,89"}, {"100.00", "100,00"}, {"-1234.56", "-1.234,56"},
      {"15", "15"},          {"", ""},                       {"0.0010", "0,0010"}, {"1234567.8", "1.234.567,8"}};
  for (const auto& [valor, esperado] : casos) EXPECT_EQ(TmoxNFeDanfeDados::VirgulaDecimal(valor), esperado) << valor;
}

TEST(DanfeDados, InformacoesComplementaresESuaContinuacao) {
  mox::TmoxNFeDanfeDados50 dados;
  std::string p1, p2;
  std::string dez;
  for (int i = 1; i <= 10; ++i) dez += "linha " + std::to_string(i) + "\r\n";
  dados.SeparaObservacoes(dez, p1, p2, 7, 68);
  EXPECT_EQ(p1, "linha 1\r\nlinha 2\r\nlinha 3\r\nlinha 4\r\nlinha 5\r\nlinha 6\r\nlinha 7\r\n");
  EXPECT_EQ(p2, "CONTINUAÇÃO DAS INFORMAÇÕES COMPLEMENTARES\r\nlinha 8\r\nlinha 9\r\nlinha 10\r\n");

  dados.SeparaObservacoes(std::string(150, 'x'), p1, p2, 7, 68);
  EXPECT_EQ(p1, std::string(68, 'x') + "\r\n" + std::string(68, 'x') + "\r\n" + std::string(14, 'x') + "\r\n");
  EXPECT_EQ(p2, "");

  // Characters, not bytes: accented letters count once.
  dados.SeparaObservacoes(std::string("ção") + std::string(67, 'a'), p1, p2, 7, 68);
  EXPECT_EQ(p1, "ção" + std::string(65, 'a') + "\r\naa\r\n");

  dados.SeparaObservacoes("a\n\nb\nc\nd\ne\nf\ng", p1, p2, 7, 68);
  EXPECT_EQ(p1, "a\r\nb\r\nc\r\nd\r\ne\r\nf\r\ng\r\n");
  EXPECT_EQ(p2, "");
}

// A note without protocol, printed in preview, with the groups a test names.
std::string NotaPrevia(const std::string& aGrupos) {
  return "<NFe xmlns=\"http://www.portalfiscal.inf.br/nfe\"><infNFe Id=\"NFe35160812345678000195550010000000021100000027\" "
         "versao=\"3.10\"><ide><natOp>VENDA</natOp><serie>1</serie><nNF>7</nNF><dhEmi>2016-08-02T14:30:00-03:00</dhEmi>"
         "<tpNF>1</tpNF><tpImp>1</tpImp><tpEmis>1</tpEmis><tpAmb>2</tpAmb></ide><emit><xNome>EMITENTE</xNome></emit>"
         "<total><ICMSTot><vProd>1234567.8</vProd><vNF>10</vNF></ICMSTot></total>" +
         aGrupos + "</infNFe></NFe>";
}

TEST(DanfeDados, VolumesSomadosOuOUltimoLido) {
  const std::string transp =
      "<transp><modFrete>1</modFrete><vol><qVol>2</qVol><esp>CAIXA</esp><marca>A</marca><nVol>1</nVol>"
      "<pesoL>10.500</pesoL><pesoB>11.000</pesoB></vol><vol><qVol>3</qVol><esp>FARDO</esp><marca>B</marca>"
      "<nVol>2</nVol><pesoL>1000.250</pesoL><pesoB>1200.000</pesoB></vol><vol><qVol>1</qVol><esp>SACO</esp>"
      "<marca>C</marca><nVol>3</nVol></vol></transp>";
  for (bool somar : {true, false}) {
    SCOPED_TRACE(somar);
    mox::TmoxNFeDanfeDados50 dados;
    dados.SetValidarRegrasNegocio(false);
    dados.SetImprimirVolume(somar);
    dados.SetXml(NotaPrevia(transp));
    dados.PopulaDataSet();
    mox::TmoxDataSet& d = *dados.DataSource()->DataSet();
    ASSERT_EQ(d.RecordCount(), 1u);
    EXPECT_EQ(d.FieldByName("ValorTotProd").AsString(), "1.234.567,8");
    EXPECT_EQ(d.FieldByName("FraseHomologacao").AsString(), "PREVISÃO DE DANFE. SEM VALOR FISCAL");
    EXPECT_EQ(d.FieldByName("TraDescMod").AsString(), "1-Dest/Rem");
    EXPECT_EQ(dados.DataSourceVolume()->DataSet()->RecordCount(), 3u);
    if (somar) {
      EXPECT_EQ(d.FieldByName("VolEspecie").AsString(), "VER INF. COMP.");
      EXPECT_EQ(d.FieldByName("VolQuantidade").AsString(), "6");
      EXPECT_EQ(d.FieldByName("VolPesoBruto").AsString(), "1.211");
      EXPECT_EQ(d.FieldByName("VolPesoLiquido").AsString(), "1.011");
      EXPECT_NE(d.FieldByName("ObsContribuinte").AsString().find("Esp.: FARDO Marca: B Num.: 2\r\n"), std::string::npos);
    } else {
      EXPECT_EQ(d.FieldByName("VolEspecie").AsString(), "SACO");
      EXPECT_EQ(d.FieldByName("VolPesoBruto").AsString(), "");
    }
  }
}

TEST(DanfeDados, ItensLotesDelimitadorEDesonerado) {
  const std::string det =
      "<det nItem=\"1\"><prod><cProd>R1</cProd><xProd>REMEDIO|CAIXA</xProd><qCom>2.0000</qCom><vUnCom>1500.5</vUnCom>"
      "<vProd>3001.00</vProd><med><nLote>L1</nLote><qLote>1</qLote><dFab>2016-01-01</dFab><dVal>2018-01-01</dVal>"
      "<vPMC>10.00</vPMC></med><med><nLote>L2</nLote><qLote>1</qLote><dFab>2016-02-01</dFab><dVal>2018-02-01</dVal>"
      "<vPMC>10.00</vPMC></med></prod><imposto><ICMS><ICMS40><orig>0</orig><CST>40</CST><vICMS>5.00</vICMS>"
      "<motDesICMS>7</motDesICMS></ICMS40></ICMS></imposto></det>"
      "<det nItem=\"2\"><prod><cProd>R2</cProd><xProd>OUTRO</xProd></prod><imposto><ICMS><ICMSSN102><orig>0</orig>"
      "<CSOSN>102</CSOSN></ICMSSN102></ICMS></imposto></det>";
  mox::TmoxNFeDanfeDados50 dados;
  dados.SetValidarRegrasNegocio(false);
  dados.SetLineDelimiter("|");
  dados.SetXml(NotaPrevia(det));
  dados.PopulaDataSet();
  mox::TmoxDataSet& itens = *dados.DataSourceItens()->DataSet();
  ASSERT_EQ(itens.RecordCount(), 2u);
  itens.First();
  EXPECT_EQ(itens.FieldByName("ItemDescricao").AsString(), "REMEDIO\rCAIXA");
  EXPECT_EQ(itens.FieldByName("ItemVUnit").AsString(), "1.500,5");
  EXPECT_EQ(itens.FieldByName("ItemVIcms").AsString(), "");
  EXPECT_EQ(itens.FieldByName("ItemNLote").AsString(), "L1");
  EXPECT_EQ(dados.DataSourceMed()->DataSet()->RecordCount(), 2u);  // the lots of item 1
  itens.Next();
  EXPECT_EQ(itens.FieldByName("ItemCST").AsString(), "102");
  EXPECT_EQ(dados.DataSourceMed()->DataSet()->RecordCount(), 1u);  // an empty line for item 2
}

// The reform note (layout 4.00, PL_010): IBS, CBS and IS in the totals and per item, the
// single-phase fuel item with its own values; a 4.00 note without the groups leaves them empty.
TEST(DanfeDados, TributosDaReformaNosTotaisENosItens) {
  mox::TmoxNFeDanfeDados50 dados;
  dados.SetValidarRegrasNegocio(false);
  dados.SetXml(moxtest::NotaDeTeste400(4002, {}, true));
  dados.PopulaDataSet();
  mox::TmoxDataSet& d = *dados.DataSource()->DataSet();
  const std::pair<const char*, const char*> totais[] = {
      {"ReformaTributaria", "1"}, {"BaseCalcIBSCBS", "1.000,00"}, {"ValorIBSUF", "0,70"}, {"ValorIBSMun", "0,50"},
      {"ValorTotIBS", "1,20"},    {"ValorTotCBS", "8,00"},        {"ValorTotIS", "100,00"}, {"ValorTotNFTot", "4.159,20"}};
  for (const auto& [campo, valor] : totais) EXPECT_EQ(d.FieldByName(campo).AsString(), valor) << campo;
  mox::TmoxDataSet& itens = *dados.DataSourceItens()->DataSet();
  ASSERT_EQ(itens.RecordCount(), 2u);
  itens.First();
  EXPECT_EQ(itens.FieldByName("ItemVIBS").AsString(), "1,20");
  EXPECT_EQ(itens.FieldByName("ItemVCBS").AsString(), "8,00");
  EXPECT_EQ(itens.FieldByName("ItemVIS").AsString(), "100,00");
  EXPECT_EQ(itens.FieldByName("ItemTributosReforma").AsString(),
            "IBS/CBS CST 000 cClassTrib 000001: BC 1.000,00; IBS UF 0,10% 0,70; IBS Mun. 0,05% 0,50; IBS 1,20; "
            "CBS 0,90% 8,00\nIS CST 000 cClassTrib 000001: BC 1.000,00; 10,00% 100,00");
  itens.Next();
  EXPECT_EQ(itens.FieldByName("ItemTributosReforma").AsString(),
            "IBS/CBS CST 620 cClassTrib 620001: IBS monofásico 5,00; CBS monofásica 45,00");
  EXPECT_EQ(itens.FieldByName("ItemVIS").AsString(), "");

  dados.SetXml(moxtest::NotaDeTeste400(1));
  dados.PopulaDataSet();
  EXPECT_EQ(d.FieldByName("ReformaTributaria").AsString(), "");
  EXPECT_EQ(d.FieldByName("ValorTotIBS").AsString(), "");
  EXPECT_EQ(d.FieldByName("ValorTotNota").AsString(), "79,80");
  itens.First();
  EXPECT_EQ(itens.FieldByName("ItemTributosReforma").AsString(), "");
}

TEST(DanfeDados, LoteAutorizadoDeDuasNotas) {
  mox::TmoxNFeDanfeDados50 dados;
  dados.SetXml(moxtest::ReadText(moxtest::Fixture("lote/lote-2-nfeproc.xml")));
  dados.PopulaDataSet();
  mox::TmoxDataSet& d = *dados.DataSource()->DataSet();
  ASSERT_EQ(d.RecordCount(), 2u);
  d.First();
  EXPECT_EQ(d.FieldByName("nNF").AsString(), "000000124");
  EXPECT_EQ(d.FieldByName("nProt").AsString(), "135140000000101");
  EXPECT_EQ(d.FieldByName("CodBarra").AsString(), "35140312345678000195550010000001241123456788");
  d.Next();
  EXPECT_EQ(d.FieldByName("nNF").AsString(), "000000126");
}

class DanfeFrente : public ::testing::Test {
 protected:
  std::string Exporta(const std::string& aXml, const std::string& aExtra = {}) {
    return moxtest::ExportaTexto(danfe_, aXml, dir_, aExtra);
  }
  mox::TmoxNFeDanfe danfe_;
  moxtest::TempDir dir_;
};

TEST_F(DanfeFrente, DadosSerializadosTemDuasRaizes) {
  const std::string nfe = moxtest::NotasAssinadas(moxtest::Tx2Exemplo("varios-itens-parcelas.tx2")).front();
  Exporta(moxtest::NotaAutorizada(nfe));
  // The data are cleared after the operation; what the report received stays in the settings.
  auto dados = nlohmann::json::parse(danfe_.GetKivo().PrintSettings.DataSources);
  ASSERT_EQ(dados.size(), 2u);
  EXPECT_EQ(dados[0]["Name"], "Dados");
  EXPECT_EQ(dados[1]["Name"], "DadosFatura");
  std::vector<std::string> detalhes;
  for (const auto& campo : dados[0]["Items"][0])
    if (campo.contains("Items")) detalhes.push_back(campo["Name"]);
  EXPECT_NE(std::find(detalhes.begin(), detalhes.end(), "vol"), detalhes.end());
  EXPECT_NE(std::find(detalhes.begin(), detalhes.end(), "DadosItens"), detalhes.end());
  EXPECT_EQ(danfe_.Dados()->DataSource()->DataSet()->RecordCount(), 0u);
}

TEST_F(DanfeFrente, CartaDeCorrecaoComOModeloDeArquivoRtm) {
  const std::string modelo = std::string(MOXNFE_BINARY_DIR) + "/Templates/cce/Impressao/ModeloCCe.rtm";
  std::string texto = Exporta(moxtest::Fixture("danfe/cce-registrada.xml").string(), "ArquivoRtm=" + modelo + "\r\n");
  for (const char* e : {"CARTA DE CORREÇÃO ELETRÔNICA", "3516 0812 3456 7800 0195 5500 1000 0000 0211 0000 0027",
                        "12.345.678/0001-95", "111.444.777-35", "135160000099001", "03/08/2016 10:00:05",
                        "Onde se le PEDIDO 2016-0815, leia-se PEDIDO 2016-0851.\n", "Volumes: 4 caixas de papelao.",
                        "Condições de uso"})
    EXPECT_NE(texto.find(e), std::string::npos) << e;
  EXPECT_EQ(moxtest::CodigosDeBarras(dir_.file("danfe.pdf")), "35160812345678000195550010000000021100000027\n");
  EXPECT_EQ(danfe_.GetKivo().PrintSettings.RTMFile, modelo);
}

TEST_F(DanfeFrente, CancelamentoComOModeloRetrato) {
  const std::string xml = moxtest::ReadText(moxtest::Fixture("danfe/cancelamento-registrado.xml"));
  std::string texto = Exporta(xml, "ModeloRetrato=" + moxtest::Modelo("RetratoCanc.rtm") + "\r\n");
  for (const char* e : {"CANCELAMENTO DE NF-e", "135160000012345", "135160000099777", "02/08/2016 18:00:04",
                        "Pedido cancelado pelo cliente antes da saida da mercadoria.",
                        "ID1101113516081234567800019555001000000002110000002701"})
    EXPECT_NE(texto.find(e), std::string::npos) << e;
  danfe_.SetXML("<procEventoNFe><evento><infEvento><tpEvento>110111</tpEvento></infEvento></evento></procEventoNFe>");
  danfe_.SetParams("ModeloRetrato=" + moxtest::Modelo("RetratoCanc.rtm") + "\r\nSalvarComo=" + dir_.file("c.pdf"));
  EXPECT_NO_THROW(danfe_.Exportar());  // a cancellation without its answer prints its request
}

}  // namespace
