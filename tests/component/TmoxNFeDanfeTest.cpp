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
  ComponenteDanfe() { moxtest::PreparaComponente(nfe_, dir_); }
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
  const std::string epec = moxtest::NotaEmEpec();
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

TEST_F(ComponenteDanfe, ExportarEPECImprimeOProtocoloDoRegistro) {
  const std::string nota = moxtest::NotaEmEpec();
  struct Caso {
    std::string protocolo, dataHora, mensagem;
  } casos[] = {{"", "2016-08-02T14:05:00-03:00", "Número de Protocolo do EPEC não foi informado"},
               {"891160000012345", "", "Data Hora do EPEC não foi informado"}};
  for (const auto& c : casos) {
    EXPECT_EQ(moxtest::MensagemDe<mox::EmoxCheckParams>(
                  [&] { nfe_.ExportarEPEC(nota, c.protocolo, c.dataHora, "", 1, Pdf()); }),
              c.mensagem);
    EXPECT_EQ(moxtest::MensagemDe<mox::EmoxCheckParams>(
                  [&] { nfe_.ImprimirEPEC(nota, c.protocolo, c.dataHora, "", "fila"); }),
              c.mensagem);
  }
  EXPECT_FALSE(fs::exists(Pdf()));

  nfe_.ExportarEPEC("\xEF\xBB\xBF" + nota, "891160000012345", "2016-08-02T14:05:00-03:00", "", 1, Pdf());
  const std::string texto = moxtest::TextoDoPdf(Pdf());
  EXPECT_NE(texto.find("EPEC 891160000012345 - 02/08/2016 14:05:00"), std::string::npos) << texto;
  EXPECT_NE(SemEspacos(texto).find(moxtest::Chave(nota)), std::string::npos);
}

TEST_F(ComponenteDanfe, PreviaSemAcentosEExportadaSemProtocolo) {
  const std::string nota = Nota({{"xNome_E04", "JOSÉ DA CONCEIÇÃO"}});
  nfe_.ExportarPreverDanfe(nota, "", Pdf());
  const std::string texto = moxtest::TextoDoPdf(Pdf());
  EXPECT_NE(texto.find("PREVISÃO DE DANFE. SEM VALOR FISCAL"), std::string::npos) << texto;
  EXPECT_NE(texto.find("JOSE DA CONCEICAO"), std::string::npos);
  EXPECT_EQ(nfe_.GetDanfeNFe()->GetXML().rfind("<root xmlns=\"http://www.portalfiscal.inf.br/nfe\"><NFe", 0), 0u);

  // Any failure, the front's included, comes with the operation's prefix.
  const std::string ausente = dir_.file("nao-existe.rtm");
  EXPECT_EQ(moxtest::MensagemDe<mox::EmoxNFeExportarPreverDanfeException>(
                [&] { nfe_.ExportarPreverDanfe(nota, ausente, Pdf("b.pdf")); }),
            "Falha ao Exportar o PDF de previsão: Arquivo \"" + ausente + "\" não encontrado.");
  EXPECT_EQ(moxtest::MensagemDe<mox::EmoxNFeExportarPreverDanfeException>(
                [&] { nfe_.ExportarPreverDanfe(nota, "", ""); }),
            "Falha ao Exportar o PDF de previsão: Nome do arquivo de exportação não informado.");
}

TEST_F(ComponenteDanfe, PastaComUmXmlQuebradoExportaOsOutrosEDeixaUmaLinhaNoLog) {
  const fs::path pasta = dir_.path() / "xml";
  fs::create_directories(pasta / "sub");
  const std::string nota = moxtest::NotaAutorizada(Nota());
  moxtest::WriteText(pasta / "a-nfe.xml", nota);
  moxtest::WriteText(pasta / "b-canc.xml", moxtest::ReadText(moxtest::Fixture("danfe/cancelamento-registrado.xml")));
  moxtest::WriteText(pasta / "c-quebrado.xml", "<nfeProc><NFe>");
  moxtest::WriteText(pasta / "e-cce.xml", moxtest::ReadText(moxtest::Fixture("danfe/cce-registrada.xml")));
  moxtest::WriteText(pasta / "sub" / "d-nfe.xml", nota);
  moxtest::WriteText(pasta / "leia-me.txt", "não é XML");
  fs::create_directories(dir_.path() / "pdf");

  EXPECT_EQ(moxtest::MensagemDe<mox::EmoxNFeException>(
                [&] { nfe_.ImprimirDanfeXmlDiretorio(pasta.string(), "", dir_.file("nao-existe"), ""); }),
            "Diretório inválido ou inexistente.");
  const auto problemas = nfe_.ImprimirDanfeXmlDiretorio(pasta.string(), "", dir_.file("pdf"), "");
  ASSERT_EQ(problemas.size(), 1u);
  EXPECT_EQ(problemas[0].rfind("Arquivo " + (pasta / "c-quebrado.xml").string() + " com problema(s): ", 0), 0u)
      << problemas[0];
  for (const char* pdf : {"a-nfe.pdf", "b-canc.pdf", "d-nfe.pdf", "e-cce.pdf"}) EXPECT_TRUE(fs::exists(dir_.path() / "pdf" / pdf)) << pdf;
  EXPECT_FALSE(fs::exists(dir_.path() / "pdf" / "c-quebrado.pdf"));
  // The cancellation's model stays with it: the note after it is a DANFE again.
  EXPECT_NE(moxtest::TextoDoPdf(dir_.file("pdf/b-canc.pdf")).find("CANCELAMENTO DE NF-e"), std::string::npos);
  EXPECT_NE(moxtest::TextoDoPdf(dir_.file("pdf/d-nfe.pdf")).find("DOCUMENTO AUXILIAR DA"), std::string::npos);
  // A correction letter among them prints with the CC-e model.
  EXPECT_NE(moxtest::TextoDoPdf(dir_.file("pdf/e-cce.pdf")).find("CARTA DE CORREÇÃO ELETRÔNICA"), std::string::npos);

  const std::string log = moxtest::ReadText(dir_.path() / "LogErro" / "nfe_exception.log");
  size_t linhas = 0;
  for (size_t p = log.find("com problema(s)"); p != std::string::npos; p = log.find("com problema(s)", p + 1)) ++linhas;
  EXPECT_EQ(linhas, 1u) << log;
  EXPECT_NE(log.find("c-quebrado.xml com problema(s)"), std::string::npos);
}

TEST_F(ComponenteDanfe, ExportarCCeSoDeCartaRegistrada) {
  const std::string cce = moxtest::ReadText(moxtest::Fixture("danfe/cce-registrada.xml"));
  nfe_.ExportarCCe(cce, Pdf("cce.pdf"));
  const std::string texto = moxtest::TextoDoPdf(Pdf("cce.pdf"));
  EXPECT_NE(texto.find("CARTA DE CORREÇÃO ELETRÔNICA"), std::string::npos) << texto;
  EXPECT_NE(texto.find("Onde se le PEDIDO 2016-0815, leia-se PEDIDO 2016-0851."), std::string::npos);
  std::string modelo = nfe_.DiretorioTemplates();
  modelo.resize(modelo.size() - std::string("vm50a/").size());
  EXPECT_EQ(Impressao().RTMFile, modelo + "cce/Impressao/ModeloCCe.rtm");

  nfe_.ExportarCCe(cce, dir_.file("cce.html"));
  EXPECT_NE(moxtest::ReadText(dir_.file("cce.html")).find("<html"), std::string::npos);

  std::string pendente = cce;
  pendente.replace(pendente.find("<cStat>135</cStat>"), 18, "<cStat>573</cStat>");
  EXPECT_EQ(moxtest::MensagemDe<mox::EmoxEventoCheckParams>([&] { nfe_.ExportarCCe(pendente, Pdf("p.pdf")); }),
            "A CCe não está Autorizada.");
  EXPECT_EQ(moxtest::MensagemDe<mox::EmoxEventoCheckParams>([&] { nfe_.ExportarCCe(cce, ""); }),
            "Nome do arquivo de exportação não informado.");
  EXPECT_FALSE(fs::exists(Pdf("p.pdf")));
}

}  // namespace
