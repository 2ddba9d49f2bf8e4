// The DANFE as a reader of the printed page checks it: the TX2 examples signed and authorized,
// exported to PDF through the component's DANFE front, read back with pdftotext and zbarimg.
#include <gtest/gtest.h>

#include "base/EmoxException.h"
#include "component/TmoxNFe.h"
#include "danfe/NotasDanfe.h"
#include "danfe/TmoxNFeDanfe.h"
#include "support/MensagemDe.h"
#include "support/SandboxDeTeste.h"

namespace {

using moxtest::TempDir;

size_t Ocorrencias(const std::string& aTexto, const std::string& aTrecho) {
  size_t n = 0;
  for (size_t p = aTexto.find(aTrecho); p != std::string::npos; p = aTexto.find(aTrecho, p + 1)) ++n;
  return n;
}

std::string Agrupada(const std::string& aChave) {
  std::string out;
  for (size_t i = 0; i < aChave.size(); ++i) {
    if (i && i % 4 == 0) out.push_back(' ');
    out.push_back(aChave[i]);
  }
  return out;
}

// Lines that hold only aTrecho (the phrases printed in a band of their own).
size_t LinhasSo(const std::string& aTexto, const std::string& aTrecho) {
  size_t n = 0, inicio = 0;
  while (inicio < aTexto.size()) {
    size_t fim = aTexto.find('\n', inicio);
    if (fim == std::string::npos) fim = aTexto.size();
    std::string linha = aTexto.substr(inicio, fim - inicio);
    size_t a = linha.find_first_not_of(" \f"), b = linha.find_last_not_of(' ');
    if (a != std::string::npos && linha.substr(a, b - a + 1) == aTrecho) ++n;
    inicio = fim + 1;
  }
  return n;
}

class DanfePdf : public ::testing::Test {
 protected:
  mox::TmoxNFe nfe_;
  mox::TmoxNFeDanfe& danfe_ = *nfe_.GetDanfeNFe();
  TempDir dir_;
};

TEST_F(DanfePdf, QuadrosObrigatoriosComOsValoresDaNota) {
  const std::string nfe = moxtest::NotasAssinadas(moxtest::Tx2Exemplo("varios-itens-parcelas.tx2")).front();
  const std::string texto = moxtest::ExportaTexto(danfe_, moxtest::NotaAutorizada(nfe), dir_);
  const std::string chave = moxtest::Chave(nfe);
  const std::vector<std::string> esperados = {
      // receipt stub, emitter, DANFE box, key and protocol
      "RECEBEMOS DE EMPRESA EXEMPLO DE COMERCIO LTDA", "DATA DE RECEBIMENTO", "IDENTIFICAÇÃO E ASSINATURA DO RECEBEDOR",
      "DANFE", "DOCUMENTO AUXILIAR DA", "0 - ENTRADA", "1 - SAÍDA", "Nº 000.000.002", "SÉRIE 1", "FOLHA 1/1",
      "CHAVE DE ACESSO", Agrupada(chave), "Consulta de autenticidade no portal nacional da NF-e",
      "PROTOCOLO DE AUTORIZAÇÃO DE USO", std::string(moxtest::kProtocolo) + " - 02/08/2016 14:31:05",
      "NATUREZA DA OPERAÇÃO", "VENDA DE MERCADORIA", "INSCRIÇÃO ESTADUAL", "111111111111",
      "INSCRIÇÃO ESTADUAL DO SUBST. TRIBUT.", "12.345.678/0001-95", "RUA DAS FLORES, 100", "01001-000",
      "(11) 3333-4444",
      // recipient
      "DESTINATÁRIO / REMETENTE", "111.444.777-35", "AVENIDA PAULISTA, 1000 - APTO 12", "BELA VISTA", "01310-100",
      "DATA DA EMISSÃO", "02/08/2016",
      // invoice, taxes, carrier
      "FATURA / DUPLICATA", "Nº 001", "Venc. 01/09/2016", "R$ 397,50", "CÁLCULO DO IMPOSTO", "BASE DE CÁLC. DO ICMS",
      "1.192,50", "214,65", "VALOR TOTAL DA NOTA", "TRANSPORTADOR / VOLUMES TRANSPORTADOS", "0-Emitente", "CAIXA",
      "EXEMPLO", "30,000", "28,500",
      // products and additional information
      "DADOS DO PRODUTO / SERVIÇO", "CAN-010", "CANETA ESFEROGRAFICA AZUL CAIXA C/ 50", "96081000", "5102",
      "10,0000", "450,00", "81,00", "18,00", "CLIPES Nº 2 GALVANIZADO CAIXA C/ 100", "DADOS ADICIONAIS",
      "INFORMAÇÕES COMPLEMENTARES", "RESERVADO AO FISCO"};
  for (const std::string& e : esperados) EXPECT_NE(texto.find(e), std::string::npos) << "falta \"" << e << "\"";
  // Homologation: the phrase in a line of its own (the recipient's name also carries it).
  EXPECT_EQ(LinhasSo(texto, "SEM VALOR FISCAL"), 1u);
  // The key reads back from the barcode, in CODE-128 (code set C for its 44 digits).
  EXPECT_EQ(moxtest::CodigosDeBarras(dir_.file("danfe.pdf")), chave + "\n");
  // Boxes in the manual's order.
  EXPECT_LT(texto.find("DESTINATÁRIO / REMETENTE"), texto.find("FATURA / DUPLICATA"));
  EXPECT_LT(texto.find("FATURA / DUPLICATA"), texto.find("CÁLCULO DO IMPOSTO"));
  EXPECT_LT(texto.find("CÁLCULO DO IMPOSTO"), texto.find("TRANSPORTADOR"));
  EXPECT_LT(texto.find("TRANSPORTADOR"), texto.find("DADOS DO PRODUTO"));
  EXPECT_LT(texto.find("DADOS DO PRODUTO"), texto.find("DADOS ADICIONAIS"));
}

// A reform note prints its IBS, CBS and IS totals below the tax block and each item's taxes
// under its description; a note without the groups prints no such row.
TEST_F(DanfePdf, TributosDaReformaNoQuadroDoImpostoENosItens) {
  const std::string nfe = moxtest::Assina(moxtest::NotaDeTeste400(4002, {}, true), "infNFe");
  const std::string texto = moxtest::ExportaTexto(danfe_, moxtest::NotaAutorizada(nfe), dir_);
  const std::vector<std::string> esperados = {
      "BASE DE CÁLC. IBS/CBS", "VALOR DO IBS UF", "VALOR DO IBS MUN.", "VALOR TOTAL DO IBS", "VALOR TOTAL DA CBS",
      "VALOR TOTAL DO IS", "TOTAL C/ IBS, CBS E IS", "4.159,20", "IBS/CBS CST 000 cClassTrib", "IBS UF 0,10% 0,70",
      "CBS 0,90% 8,00", "IS CST 000 cClassTrib", "CBS monofásica 45,00"};
  for (const std::string& e : esperados) EXPECT_NE(texto.find(e), std::string::npos) << "falta \"" << e << "\"\n" << texto;
  EXPECT_LT(texto.find("CÁLCULO DO IMPOSTO"), texto.find("VALOR TOTAL DO IBS"));
  EXPECT_LT(texto.find("VALOR TOTAL DO IBS"), texto.find("TRANSPORTADOR"));

  const std::string semReforma = moxtest::Assina(moxtest::NotaDeTeste400(1), "infNFe");
  const std::string outro = moxtest::ExportaTexto(danfe_, moxtest::NotaAutorizada(semReforma), dir_);
  EXPECT_NE(outro.find("CÁLCULO DO IMPOSTO"), std::string::npos);
  EXPECT_EQ(outro.find("VALOR TOTAL DO IBS"), std::string::npos);
  EXPECT_EQ(outro.find("IBS/CBS"), std::string::npos);
}

TEST_F(DanfePdf, SessentaItensContinuamComOCabecalhoRepetido) {
  const std::string nfe = moxtest::NotasAssinadas(moxtest::Tx2ComItens(60)).front();
  const std::string texto = moxtest::ExportaTexto(danfe_, moxtest::NotaAutorizada(nfe), dir_);
  const size_t paginas = Ocorrencias(texto, "\f");
  ASSERT_GE(paginas, 2u);
  const std::string total = std::to_string(paginas);
  for (size_t p = 1; p <= paginas; ++p)
    EXPECT_NE(texto.find("FOLHA " + std::to_string(p) + "/" + total), std::string::npos) << p;
  // Every page repeats the emitter block with the key, and the products' column header.
  EXPECT_EQ(Ocorrencias(texto, Agrupada(moxtest::Chave(nfe))), paginas);
  EXPECT_EQ(Ocorrencias(texto, "DADOS DO PRODUTO / SERVIÇO"), paginas);
  EXPECT_EQ(Ocorrencias(texto, "EMPRESA EXEMPLO DE COMERCIO LTDA"), paginas + 1);  // + the receipt stub
  // The stub, the recipient and the additional information only on the first page.
  EXPECT_EQ(Ocorrencias(texto, "DATA DE RECEBIMENTO"), 1u);
  EXPECT_EQ(Ocorrencias(texto, "DESTINATÁRIO / REMETENTE"), 1u);
  EXPECT_EQ(Ocorrencias(texto, "DADOS ADICIONAIS"), 1u);
  EXPECT_EQ(LinhasSo(texto, "SEM VALOR FISCAL"), paginas);
  for (int i = 1001; i <= 1060; ++i) EXPECT_EQ(Ocorrencias(texto, std::string("P").append(std::to_string(i))), 1u) << i;
  EXPECT_GT(texto.find("P1060"), texto.find("FOLHA 2/" + total));
}

TEST_F(DanfePdf, ContingenciaImprimeAFraseComAJustificativa) {
  const std::string nfe = moxtest::NotasAssinadas(moxtest::Tx2Exemplo(
                              "venda-simples.tx2", {{"tpEmis_B22", "2"},
                                                    {"dhCont_B28", "2016-08-02T14:00:00-03:00"},
                                                    {"xJust_B29", "Falha de comunicacao com a SEFAZ autorizadora"}}))
                              .front();
  // A note issued in FS-DA contingency prints from the signed note, before any protocol.
  const std::string texto = moxtest::ExportaTexto(danfe_, nfe, dir_);
  EXPECT_NE(texto.find("DANFE em Contingência - impresso em decorrência de problemas técnicos [Falha de "
                       "comunicacao com a SEFAZ autorizadora]"),
            std::string::npos)
      << texto;
  EXPECT_NE(texto.find("DADOS DA NF-e"), std::string::npos);
  EXPECT_EQ(texto.find("PROTOCOLO DE AUTORIZAÇÃO DE USO"), std::string::npos);
  // Both barcodes: the key and the contingency data string (36 digits).
  std::string codigos = moxtest::CodigosDeBarras(dir_.file("danfe.pdf"));
  EXPECT_NE(codigos.find(moxtest::Chave(nfe) + "\n"), std::string::npos) << codigos;
  EXPECT_EQ(codigos.size(), 44u + 1 + 36 + 1) << codigos;
}

TEST_F(DanfePdf, ProducaoNaoImprimeSemValorFiscal) {
  const std::string nfe =
      moxtest::NotasAssinadas(moxtest::Tx2Exemplo("venda-simples.tx2", {{"tpAmb_B24", "1"}, {"xNome_E04", "CLIENTE"}}))
          .front();
  const std::string texto = moxtest::ExportaTexto(danfe_, moxtest::NotaAutorizada(nfe), dir_);
  EXPECT_NE(texto.find(moxtest::kProtocolo), std::string::npos);
  EXPECT_EQ(texto.find("SEM VALOR FISCAL"), std::string::npos);
}

TEST_F(DanfePdf, PaisagemQuandoTpImpE2) {
  const std::string nfe =
      moxtest::NotasAssinadas(moxtest::Tx2Exemplo("venda-simples.tx2", {{"tpImp_B21", "2"}})).front();
  moxtest::ExportaTexto(danfe_, moxtest::NotaAutorizada(nfe), dir_);
  auto info = moxtest::RunProgram("/usr/bin/pdfinfo", {dir_.file("danfe.pdf")});
  EXPECT_NE(info.out.find("841.89 x 595.276 pts (A4)"), std::string::npos) << info.out;
  const std::string retrato = moxtest::NotasAssinadas(moxtest::Tx2Exemplo("venda-simples.tx2")).front();
  moxtest::ExportaTexto(danfe_, moxtest::NotaAutorizada(retrato), dir_);
  info = moxtest::RunProgram("/usr/bin/pdfinfo", {dir_.file("danfe.pdf")});
  EXPECT_NE(info.out.find("595.276 x 841.89 pts (A4)"), std::string::npos) << info.out;
}

TEST_F(DanfePdf, EntradaRuimDaAMensagemEDeixaSemArquivo) {
  const std::string nfe = moxtest::NotasAssinadas(moxtest::Tx2Exemplo("venda-simples.tx2")).front();
  moxtest::WriteText(dir_.file("quebrado.rtm"), "{\"bandas\": [");
  moxtest::WriteText(dir_.file("logo.png"), "texto, não imagem");
  const std::string saida = dir_.file("danfe.pdf");
  struct Caso {
    std::string nome, xml, extra, mensagem;
  } casos[] = {
      {"sem protocolo", nfe, "", "O Xml não é válido para impressão em modo Normal / SCAN"},
      {"rejeitada", moxtest::NotaAutorizada(nfe, "302"), "", "Danfe não autorizada para Impressão."},
      {"vazio", "", "", "XML para impressão da Danfe está vazio."},
      {"mal formado", "<nfeProc><NFe>", "", "XML para exportação do Danfe inválido."},
      {"modelo ausente", moxtest::NotaAutorizada(nfe), "ModeloRetrato=" + dir_.file("nao-existe.rtm") + "\r\n",
       "Arquivo \"" + dir_.file("nao-existe.rtm") + "\" não encontrado."},
      {"modelo quebrado", moxtest::NotaAutorizada(nfe), "ModeloRetrato=" + dir_.file("quebrado.rtm") + "\r\n",
       "Modelo de relatório inválido: JSON mal formado"},
      {"logotipo", moxtest::NotaAutorizada(nfe), "LogotipoEmitente=" + dir_.file("logo.png") + "\r\n",
       "Arquivo \"" + dir_.file("logo.png") + "\" não é uma imagem PNG válida."},
      {"cópias", moxtest::NotaAutorizada(nfe), "QtdeCopias=duas\r\n", "Erro ao ler parâmetros de impressão"},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(c.nome);
    danfe_.SetParams(moxtest::ParametrosExportacao(saida, c.extra));
    danfe_.SetXML(c.xml);
    std::string mensagem = moxtest::MensagemDe<mox::EmoxException>([&] { danfe_.Exportar(); });
    EXPECT_EQ(mensagem.substr(0, c.mensagem.size()), c.mensagem) << mensagem;
    EXPECT_FALSE(std::filesystem::exists(saida));
  }
}

TEST_F(DanfePdf, PreviaSemProtocoloMarcaSemValorFiscal) {
  const std::string nfe =
      moxtest::NotasAssinadas(moxtest::Tx2Exemplo("venda-simples.tx2", {{"tpAmb_B24", "1"}})).front();
  const std::string texto = moxtest::ExportaTexto(danfe_, nfe, dir_, "ValidarRegrasNegocio=0\r\n");
  EXPECT_NE(texto.find("PREVISÃO DE DANFE. SEM VALOR FISCAL"), std::string::npos);
}

}  // namespace
