// The component's conversions and the correction letter's id: text batches to XML and XML back
// to data sets through the converter front, compressed DF-e documents, and the retired
// operations.
#include <gtest/gtest.h>

#include <filesystem>

#include "base/EmoxException.h"
#include "component/TmoxNFe.h"
#include "danfe/NotasDanfe.h"
#include "datasets/TmoxNFeConverter.h"
#include "datasets/TmoxNFeDataSets.h"
#include "external/Base64.h"
#include "external/Gzip.h"
#include "support/MensagemDe.h"

namespace {

using moxtest::TempDir;
using mox::TVersaoEsquema;

class ComponenteConversao : public ::testing::Test {
 protected:
  ComponenteConversao() {
    moxtest::PreparaComponente(nfe_, dir_);
    nfe_.SetUF("SP");
  }
  TempDir dir_;
  mox::TmoxNFe nfe_;
};

TEST_F(ComponenteConversao, GerarIdCCe) {
  const std::string chave = "35160812345678000195550010000000021100000027";
  EXPECT_EQ(nfe_.GerarIdCCe(chave, 1), "ID110110" + chave + "01");
  EXPECT_EQ(nfe_.GerarIdCCe(chave, 20), "ID110110" + chave + "20");
  struct Caso {
    std::string chave;
    int sequencia;
    std::string mensagem;
  } casos[] = {
      {chave.substr(1), 1, "Chave inválida para Gerar ID da CCe."},
      {chave + "0", 1, "Chave inválida para Gerar ID da CCe."},
      {std::string(43, '0') + "7", 1, "Chave inválida para Gerar ID da CCe."},  // a number, not a key
      {"3516081234567800019555001000000002110000002X", 1, "Chave inválida para Gerar ID da CCe."},
      {chave, 0, "Sequência Evento inválida para Gerar ID da CCe."},
      {chave, -3, "Sequência Evento inválida para Gerar ID da CCe."},
  };
  for (const auto& c : casos)
    EXPECT_EQ(moxtest::MensagemDe<mox::EmoxNFeGerarIdCCeException>([&] { nfe_.GerarIdCCe(c.chave, c.sequencia); }),
              c.mensagem)
        << c.chave << " " << c.sequencia;
}

TEST_F(ComponenteConversao, ConverterLoteParaXmlDoTx2NoPacoteDaVersaoDoManual) {
  const std::string tx2 = moxtest::Fixture("tx2/venda-simples.tx2").string();
  const std::string lote =
      nfe_.ConverterLoteParaXml(tx2, mox::TLayoutConvKind::lkTXTDataSet, TVersaoEsquema::pl_008i1, false);
  EXPECT_EQ(lote.rfind("<infNFe ", 0), 0u) << lote.substr(0, 200);
  EXPECT_NE(lote.find("versao=\"3.10\""), std::string::npos);
  EXPECT_NE(lote.find("<natOp>VENDA DE MERCADORIA</natOp>"), std::string::npos);
  EXPECT_EQ(moxtest::MensagemDe<mox::EmoxNFeVersaoEsquemaException>([&] {
              nfe_.ConverterLoteParaXml(tx2, mox::TLayoutConvKind::lkTXTDataSet, TVersaoEsquema::pl_006s, false);
            }),
            "Versão esquema não condiz com a versão manual definida, utilize ( pl_008a,pl_008b,pl_008c,pl_008d,"
            "pl_008e,pl_008f,pl_008g,pl_008h,pl_008i,pl_008i1 ).");
}

TEST_F(ComponenteConversao, ConverteXmlparaDataSetLeNota310PedidaComoPl006s) {
  const std::string nota = moxtest::NotaAutorizada(moxtest::NotasAssinadas(moxtest::Tx2Exemplo("venda-simples.tx2")).front());
  auto ds = nfe_.ConverteXmlparaDataSet(nota, TVersaoEsquema::pl_006s);
  ASSERT_EQ(ds->LoteNFe().size(), 1u);
  EXPECT_NE(ds->LoteNFe().front().find("Id=\"NFe" + moxtest::Chave(nota.substr(nota.find("<NFe"))) + "\""),
            std::string::npos);
  // Read as pl_006s it would not be the same note.
  std::string comoPl006s;
  try {
    auto outro = nfe_.GetConversor().ConvertXmlToDataSet(nota, "", TVersaoEsquema::pl_006s, false);
    comoPl006s = outro->LoteNFe().empty() ? "" : outro->LoteNFe().front();
  } catch (const std::exception& e) {
    comoPl006s = e.what();
  }
  EXPECT_NE(comoPl006s, ds->LoteNFe().front());
  // The same from a file.
  moxtest::WriteText(dir_.file("nota.xml"), nota);
  EXPECT_EQ(nfe_.ConverteXmlparaDataSet(dir_.file("nota.xml"), TVersaoEsquema::pl_008i1)->LoteNFe(), ds->LoteNFe());

  const std::string mensagem = moxtest::MensagemDe<mox::EmoxNFeDataSetException>(
      [&] { nfe_.ConverteXmlparaDataSet("<NFe>\n<infNFe>\n</NFe>", TVersaoEsquema::pl_008i1); });
  EXPECT_EQ(mensagem.rfind("Ocorreu um erro durante a conversão do XML com a seguinte mensagem: O texto informado não "
                           "é um XML válido: ",
                           0),
            0u)
      << mensagem;
}

TEST_F(ComponenteConversao, DescompactarXMLZip) {
  const std::string xml = "<resNFe xmlns=\"http://www.portalfiscal.inf.br/nfe\"><chNFe>3516</chNFe></resNFe>";
  EXPECT_EQ(nfe_.DescompactarXMLZip("  " + mox::Base64Encode(mox::GzipCompress(xml)) + "\n"), xml);
  const std::string prefixo = "Ocorreu um erro ao descompactar o XML: ";
  EXPECT_EQ(moxtest::MensagemDe<mox::EmoxNFeDescompactarXMLException>(
                [&] { nfe_.DescompactarXMLZip(mox::Base64Encode(mox::GzipCompress(""))); }),
            prefixo + "Verifique se o conteúdo informado é um xml compactado válido");
  for (const std::string& ruim : {std::string("não é base64!"), mox::Base64Encode("texto sem gzip")}) {
    const std::string mensagem =
        moxtest::MensagemDe<mox::EmoxNFeDescompactarXMLException>([&] { nfe_.DescompactarXMLZip(ruim); });
    EXPECT_EQ(mensagem.rfind(prefixo, 0), 0u) << mensagem;
    EXPECT_GT(mensagem.size(), prefixo.size()) << mensagem;
  }
}

TEST_F(ComponenteConversao, GerarNotasAleatoriasEstaObsoleto) {
  EXPECT_EQ(moxtest::MensagemDe<mox::EmoxNFeException>([&] { nfe_.GerarNotasAleatorias(3, "12345678000195"); }),
            "Este método está obsoleto.");
}

}  // namespace
