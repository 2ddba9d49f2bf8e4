// The component's DANFE operations, with the DANFE front doing its real work: the PDF exported
// and read back with pdftotext.
#include <gtest/gtest.h>

#include <filesystem>

#include "base/EmoxException.h"
#include "component/TmoxNFe.h"
#include "danfe/NotasDanfe.h"
#include "danfe/TmoxNFeDanfe.h"
#include "external/TmoxKivoX.h"
#include "support/MensagemDe.h"

namespace {

using moxtest::TempDir;
namespace fs = std::filesystem;

std::string SemEspacos(std::string aTexto) {
  std::erase(aTexto, ' ');
  return aTexto;
}

class ComponenteDanfe : public ::testing::Test {
 protected:
  ComponenteDanfe() {
    nfe_.SetVersaoManual(mox::TVersaoManual::vm50a);
    nfe_.SetDiretorioTemplates(std::string(MOXNFE_BINARY_DIR) + "/Templates/");
    nfe_.SetDiretorioLogErro(dir_.file("LogErro"));
  }
  static std::string Nota(const std::vector<std::pair<std::string, std::string>>& aTroca = {}) {
    return moxtest::NotasAssinadas(moxtest::Tx2Exemplo("venda-simples.tx2", aTroca)).front();
  }
  std::string Pdf(const std::string& aNome = "danfe.pdf") const { return dir_.file(aNome); }
  const mox::TKivoPrintSettings& Impressao() { return nfe_.GetDanfeNFe()->GetKivo().PrintSettings; }

  TempDir dir_;
  mox::TmoxNFe nfe_;
};

TEST_F(ComponenteDanfe, ExportarDanfeGeraOPdfDaNotaComAsConfiguracoesDoComponente) {
  const std::string nfe = Nota();
  nfe_.DanfeSettings().SetFraseHomologacao("NOTA DE HOMOLOGACAO DA EMPRESA");
  // A byte-order mark before the XML does not reach the front.
  nfe_.ExportarDanfe("1", "\xEF\xBB\xBF" + moxtest::NotaAutorizada(nfe), "", 1, Pdf());
  const std::string texto = moxtest::TextoDoPdf(Pdf());
  EXPECT_NE(SemEspacos(texto).find(moxtest::Chave(nfe)), std::string::npos) << texto;  // in groups of four
  EXPECT_NE(texto.find("NOTA DE HOMOLOGACAO DA EMPRESA"), std::string::npos);
  EXPECT_EQ(Impressao().RTMFile, nfe_.DiretorioTemplates() + "Danfe/retrato.rtm");
  EXPECT_EQ(nfe_.GetDanfeNFe()->GetXML().rfind("<nfeProc", 0), 0u);

  // The settings are read again for every operation.
  nfe_.DanfeSettings().SetFraseHomologacao("OUTRA FRASE");
  nfe_.ExportarDanfe("1", moxtest::NotaAutorizada(nfe), "", 1, Pdf());
  EXPECT_NE(moxtest::TextoDoPdf(Pdf()).find("OUTRA FRASE"), std::string::npos);
}

TEST_F(ComponenteDanfe, ModeloInformadoServeAsDuasOrientacoesECancelamentoTemOSeu) {
  const std::string paisagem = nfe_.DiretorioTemplates() + "Danfe/paisagem.rtm";
  nfe_.ExportarDanfe("1", moxtest::NotaAutorizada(Nota()), paisagem, 1, Pdf());
  EXPECT_EQ(Impressao().RTMFile, paisagem);
  auto info = moxtest::RunProgram("/usr/bin/pdfinfo", {Pdf()});
  EXPECT_NE(info.out.find("841.89 x 595.276 pts (A4)"), std::string::npos) << info.out;

  // A cancellation event prints with the cancellation model whatever model is given.
  const std::string cancelamento = moxtest::ReadText(moxtest::Fixture("danfe/cancelamento-registrado.xml"));
  nfe_.ExportarDanfe("1", cancelamento, paisagem, 1, Pdf("canc.pdf"));
  EXPECT_EQ(Impressao().RTMFile, nfe_.DiretorioTemplates() + "Danfe/RetratoCanc.rtm");
  EXPECT_NE(moxtest::TextoDoPdf(Pdf("canc.pdf")).find("CANCELAMENTO DE NF-e"), std::string::npos);
}

TEST_F(ComponenteDanfe, DanfeSimplificadoSoParaEmissaoNormalOuScan) {
  nfe_.SetDanfeSimplificado(true);
  const std::string epec = Nota({{"tpEmis_B22", "4"},
                                 {"dhCont_B28", "2016-08-02T14:00:00-03:00"},
                                 {"xJust_B29", "Falha de comunicacao com a SEFAZ autorizadora"}});
  EXPECT_EQ(moxtest::MensagemDe<mox::EmoxNFeException>(
                [&] { nfe_.ExportarDanfe("1", moxtest::NotaAutorizada(epec), "", 1, Pdf()); }),
            "Uso do Modelo RTM Danfe Simplificado apenas para NFe em modo Normal ou Scan.");
  EXPECT_FALSE(fs::exists(Pdf()));

  // Normal emission: the simplified model of the settings, or the installed one.
  nfe_.ExportarDanfe("1", moxtest::NotaAutorizada(Nota()), "", 1, Pdf());
  EXPECT_EQ(Impressao().RTMFile, nfe_.DiretorioTemplates() + "Danfe/DanfeSimplificado.rtm");
  EXPECT_TRUE(fs::exists(Pdf()));
  const std::string meu = dir_.file("simplificado.rtm");
  fs::copy_file(nfe_.DiretorioTemplates() + "Danfe/DanfeSimplificado.rtm", meu);
  nfe_.DanfeSettings().SetModeloDanfeSimplificado(meu);
  nfe_.ExportarDanfe("1", moxtest::NotaAutorizada(Nota()), "", 1, Pdf());
  EXPECT_EQ(Impressao().RTMFile, meu);
}

TEST_F(ComponenteDanfe, ArquivoDeSaidaInformadoOuEscolhidoPeloHospedeiro) {
  const std::string nota = moxtest::NotaAutorizada(Nota());
  EXPECT_EQ(moxtest::MensagemDe<mox::EmoxCheckParams>([&] { nfe_.ExportarDanfe("1", nota, "", 1, ""); }),
            "Nome do arquivo de exportação não informado.");
  EXPECT_EQ(moxtest::MensagemDe<mox::EmoxCheckParams>([&] { nfe_.ExportarDanfe("1", nota, "", 3, Pdf()); }),
            "Formato de exportação inválido: 3. Use 1 (PDF) ou 2 (HTML).");

  // The host gives up: nothing exported, nothing raised.
  int perguntas = 0;
  nfe_.OnSalvarComo = [&](std::string&) { return ++perguntas, false; };
  EXPECT_NO_THROW(nfe_.ExportarDanfe("1", nota, "", 1, ""));
  EXPECT_EQ(perguntas, 1);
  EXPECT_FALSE(fs::exists(Pdf()));

  nfe_.OnSalvarComo = [&](std::string& aArquivo) { return aArquivo = Pdf("escolhido.pdf"), true; };
  nfe_.ExportarDanfe("1", nota, "", 1, "");
  EXPECT_TRUE(fs::exists(Pdf("escolhido.pdf")));
}

TEST_F(ComponenteDanfe, HtmlEDepoisPdf) {
  const std::string nota = moxtest::NotaAutorizada(Nota());
  nfe_.ExportarDanfe("1", nota, "", 2, dir_.file("danfe.html"));
  EXPECT_NE(moxtest::ReadText(dir_.file("danfe.html")).find("<html"), std::string::npos);
  // The format of one export does not stick to the next.
  nfe_.ExportarDanfe("1", nota, "", 1, Pdf());
  EXPECT_EQ(moxtest::ReadText(Pdf()).rfind("%PDF", 0), 0u);
}

TEST_F(ComponenteDanfe, EmailDanfeEstaObsoleto) {
  EXPECT_EQ(moxtest::MensagemDe<mox::EmoxNFeException>([&] { nfe_.EmailDanfe(); }),
            "Este método está obsoleto. Utilize: EnviarNotaDestinatario ou EnviarNotaDestinatarioAnexos");
}

}  // namespace
