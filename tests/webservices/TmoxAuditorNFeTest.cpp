// The local auditor on its own: its answers (JSON, text, page), the documents it refuses, the
// rules its folder leaves out, the client mode it cannot serve, and its configuration file.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <nlohmann/json.hpp>

#include "base/EmoxException.h"
#include "support/NotasParaAuditoria.h"
#include "support/TestSupport.h"
#include "webservices/TmoxAuditorNFe.h"

namespace {

namespace fs = std::filesystem;
using json = nlohmann::json;
using namespace moxtest;
using TValidador = mox::TmoxValidadorClientX;

class Auditor : public ::testing::Test {
 protected:
  void SetUp() override {
    InstalaEsquemas(pasta_.path() / "Esquemas");
    auditor_.SetDiretorioEsquemas(pasta_.str() + "Esquemas/");
    auditor_.SetDiretorioTemplates(std::string(MOXNFE_BINARY_DIR) + "/Templates/");
    auditor_.SetDiretorioLogErro(pasta_.str() + "LogErro/");
    NaData(NaEmissao(kVenda400));
  }

  void NaData(mox::TDateTime aAgora) {
    auditor_.SetRelogio([aAgora] { return aAgora; });
  }

  TempDir pasta_;
  mox::TmoxAuditorNFe auditor_;
};

// Emitted 40 days before the audit and with a total that does not add up: three rules broken.
std::string NotaComTresFalhas() { return Troca(NotaSemAssinatura(kVenda400), "<vNF>79.80</vNF>", "<vNF>97.80</vNF>"); }

TEST_F(Auditor, RespostaEmTextoUmaFalhaPorParte) {
  NaData(NaEmissao(kVenda400) + std::chrono::days(40));
  auditor_.SetTipoResposta(TValidador::TResposta::trTexto);
  const std::string texto = auditor_.ValidarXml(NotaComTresFalhas(), " | ");
  EXPECT_EQ(texto.rfind("Situação: rejeitada (3 falha(s)) | [regra 228] regra GB09.1, campo dhEmi_B09: ", 0), 0u)
      << texto;
  EXPECT_NE(texto.find(" | [regra 610] regra GW16, campo vNF_W16: Rejeição: Total da NF"), std::string::npos) << texto;
  EXPECT_EQ(texto.find('\n'), std::string::npos);
  EXPECT_EQ(auditor_.TotalRejeicao(), "3");
}

// A signed note changed afterwards no longer matches its signature, as SEFAZ would find.
TEST_F(Auditor, NotaAlteradaDepoisDeAssinada) {
  const std::string assinada = NotaAssinadaDe(kVenda400);
  EXPECT_TRUE(json::parse(auditor_.ValidarXml(assinada, ""))["falhas"].empty());
  const json resposta = json::parse(auditor_.ValidarXml(
      Troca(assinada, "<xNome>EMPRESA EXEMPLO DE COMERCIO LTDA</xNome>", "<xNome>EMPRESA EXEMPLO DE COMERCIO SA</xNome>"),
      ""));
  ASSERT_EQ(resposta["falhas"].size(), 1u) << resposta.dump(2);
  const json& falha = resposta["falhas"][0];
  EXPECT_EQ(falha["origem"], "assinatura");
  EXPECT_EQ(falha["codigo"], "297");
  EXPECT_EQ(falha["campo"], "Signature");
  EXPECT_EQ(falha["mensagem"].get<std::string>().rfind("Rejeição: Assinatura difere do calculado: ", 0), 0u);
}

// "RegrasIgnoradas.txt" of the rules folder leaves rules out by their whole name.
TEST_F(Auditor, RegrasIgnoradasPeloNomeInteiro) {
  const struct {
    const char* nome;
    const char* arquivo;
    std::vector<std::string> falhas;  // the rules still reported
  } kCasos[] = {
      {"nenhuma", "", {"GB09.1", "GW16", "YA09.20"}},
      {"uma, com comentário", "# a nota é antiga\nGB09.1\n", {"GW16", "YA09.20"}},
      {"duas, com brancos", "  GW16 \r\n\nYA09.20\n", {"GB09.1"}},
      {"só o começo do nome", "GB09\nGW1\n", {"GB09.1", "GW16", "YA09.20"}},
  };
  NaData(NaEmissao(kVenda400) + std::chrono::days(40));
  auditor_.SetExibirRegrasValidacao(true);
  for (const auto& caso : kCasos) {
    TempDir regras;
    WriteText(regras.path() / "RegrasIgnoradas.txt", caso.arquivo);
    auditor_.SetDiretorioRegras(regras.str());
    const json resposta = json::parse(auditor_.ValidarXml(NotaComTresFalhas(), ""));
    std::vector<std::string> falhas;
    for (const json& f : resposta["falhas"]) falhas.push_back(f["regra"]);
    EXPECT_EQ(falhas, caso.falhas) << caso.nome;
    int ignoradas = 0;
    for (const json& r : resposta["regras"]) ignoradas += r["resultado"] == "ignorada";
    EXPECT_EQ(ignoradas, 3 - static_cast<int>(caso.falhas.size())) << caso.nome;
  }
}

// Texts the audit cannot read as a note end in an exception naming what is wrong; a text that is
// not well-formed is itself the failure.
TEST_F(Auditor, DocumentosQueNaoSaoNotas) {
  const struct {
    const char* nome;
    std::function<std::string()> xml;
    const char* trecho;  // of the exception's message
  } kRecusados[] = {
      {"vazio", [] { return std::string(" \r\n"); }, "XML informado está vazio."},
      {"outro documento", [] { return std::string("<consStatServ versao=\"4.00\"/>"); }, "o elemento raiz é <consStatServ>"},
      {"leiaute desconhecido",
       [] { return Troca(NotaSemAssinatura(kVenda400), "versao=\"4.00\"", "versao=\"5.00\""); },
       "A versão \"5.00\" do leiaute da NF-e não é conhecida"},
      {"sem infNFe", [] { return std::string("<NFe xmlns=\"http://www.portalfiscal.inf.br/nfe\"/>"); },
       "não tem o elemento infNFe"},
  };
  for (const auto& caso : kRecusados) {
    try {
      auditor_.ValidarXml(caso.xml(), "");
      ADD_FAILURE() << caso.nome << ": auditado";
    } catch (const mox::EmoxException& e) {
      EXPECT_NE(std::string(e.what()).find(caso.trecho), std::string::npos) << caso.nome << ": " << e.what();
    }
  }
  const json malformado = json::parse(auditor_.ValidarXml("<NFe><infNFe></NFe>", ""));
  EXPECT_EQ(malformado["situacao"], "rejeitada");
  ASSERT_EQ(malformado["falhas"].size(), 1u);
  EXPECT_NE(malformado["falhas"][0]["mensagem"].get<std::string>().find("não é um XML bem formado"), std::string::npos);
}

TEST_F(Auditor, SemOPacoteDeEsquemasDaVersaoRecusa) {
  fs::remove_all(pasta_.path() / "Esquemas" / "vm50a");
  try {
    auditor_.ValidarXml(NotaSemAssinatura(kVenda310), "");
    FAIL() << "auditou sem esquemas";
  } catch (const mox::EmoxNFeSchemaNotFoundException& e) {
    EXPECT_NE(std::string(e.what()).find("não tem a subpasta vm50a"), std::string::npos) << e.what();
  }
}

TEST_F(Auditor, ModoClienteNaoFazParteDoSistema) {
  auditor_.SetModoOperacao(TValidador::TModoOperacao::moCliente);
  EXPECT_THROW(auditor_.ValidarXml(NotaSemAssinatura(kVenda400), ""), mox::EmoxNFeComunicacaoValidadorNotaException);
  EXPECT_THROW(auditor_.DownloadRegras(), mox::EmoxNFeValidadorClientOCXException);
}

TEST_F(Auditor, PaginaDeModeloComOsValoresEscapados) {
  WriteText(pasta_.path() / "modelo.html", "<html><body><h1>Empresa</h1>%s<footer>fim</footer></body></html>");
  auditor_.SetTemplateHtml(pasta_.file("modelo.html"));
  auditor_.SetLinguagemResposta(TValidador::TLinguagem::tlHtml);
  const std::string pagina = auditor_.ValidarXml(
      Troca(NotaSemAssinatura(kVenda400), "<CEP>01001000</CEP>", "<CEP>&lt;img src=x onerror=alert(1)&gt;</CEP>"), "");
  EXPECT_EQ(pagina.rfind("<html><body><h1>Empresa</h1><section", 0), 0u) << pagina;
  EXPECT_NE(pagina.find("</section><footer>fim</footer></body></html>"), std::string::npos);
  EXPECT_NE(pagina.find("&lt;img src=x onerror=alert(1)&gt;"), std::string::npos) << pagina;
  EXPECT_EQ(pagina.find("<img"), std::string::npos);
}

TEST_F(Auditor, ShowHtmlPedeUmaRespostaEUmaJanela) {
  EXPECT_THROW(auditor_.ShowHtml("{\"falhas\": []}"), mox::EmoxNFeValidadorClientOCXException);  // no window
  std::string pagina;
  auditor_.OnExibirHtml = [&](const std::string& aHtml, int, int) { pagina = aHtml; };
  EXPECT_THROW(auditor_.ShowHtml("não é JSON"), mox::EmoxNFeValidadorClientOCXException);
  EXPECT_THROW(auditor_.ShowHtml("[1, 2]"), mox::EmoxNFeValidadorClientOCXException);
  EXPECT_TRUE(pagina.empty());
  auditor_.ShowHtml(auditor_.ValidarXml(NotaSemAssinatura(kVenda400), ""));
  EXPECT_NE(pagina.find("Nenhuma falha encontrada."), std::string::npos) << pagina;
}

TEST_F(Auditor, ConfiguracaoSalvaECarregada) {
  TValidador& a = auditor_;
  a.SetSenha("s=e;cr#et");
  a.SetLogin("usuario");
  a.SetServidor("https://validador.exemplo/api");
  a.SetExibirRegrasValidacao(true);
  a.SetAtualizarRegrasAutomaticamente(false);
  a.SetCodigoProduto(42);
  a.SetEstagio(TValidador::TEstagio::esTeste);
  a.SetTemplateHtml("modelo.html");
  a.SetHeigthHtml(480);
  a.SetWidthHtml(640);
  a.SetHtmlBaseUrl("file:///srv/auditoria/");
  a.SetTipoResposta(TValidador::TResposta::trTexto);
  a.SetLinguagemResposta(TValidador::TLinguagem::tlHtml);
  a.SetModoOperacao(TValidador::TModoOperacao::moCliente);
  a.SetDiretorioRegras("/srv/regras/");
  a.SetUsuarioProxy("proxy");
  a.SetSenhaProxy("psenha");
  a.SetServidorProxy("proxy.exemplo");
  a.SetPortaProxy(3128);
  a.SaveConfig(pasta_.file("validador.ini"));
  // The choices as the numbers the validation control takes.
  const std::string ini = ReadText(pasta_.path() / "validador.ini");
  for (const char* linha : {"[VALIDADOR]", "Estagio=2", "TipoResposta=0", "LinguagemResposta=0", "ModoOperacao=1"})
    EXPECT_NE(ini.find(linha), std::string::npos) << linha << "\n" << ini;

  mox::TmoxAuditorNFe b;
  b.LoadConfig(pasta_.file("validador.ini"));
  EXPECT_EQ(b.Senha(), a.Senha());
  EXPECT_EQ(b.Login(), a.Login());
  EXPECT_EQ(b.Servidor(), a.Servidor());
  EXPECT_EQ(b.ExibirRegrasValidacao(), true);
  EXPECT_EQ(b.AtualizarRegrasAutomaticamente(), false);
  EXPECT_EQ(b.CodigoProduto(), 42);
  EXPECT_EQ(b.Estagio(), TValidador::TEstagio::esTeste);
  EXPECT_EQ(b.TemplateHtml(), "modelo.html");
  EXPECT_EQ(b.HeigthHtml(), 480);
  EXPECT_EQ(b.WidthHtml(), 640);
  EXPECT_EQ(b.HtmlBaseUrl(), a.HtmlBaseUrl());
  EXPECT_EQ(b.TipoResposta(), TValidador::TResposta::trTexto);
  EXPECT_EQ(b.LinguagemResposta(), TValidador::TLinguagem::tlHtml);
  EXPECT_EQ(b.ModoOperacao(), TValidador::TModoOperacao::moCliente);
  EXPECT_EQ(b.DiretorioEsquemas(), a.DiretorioEsquemas());
  EXPECT_EQ(b.DiretorioTemplates(), a.DiretorioTemplates());
  EXPECT_EQ(b.DiretorioRegras(), "/srv/regras/");
  EXPECT_EQ(b.DiretorioLogErro(), a.DiretorioLogErro());
  EXPECT_EQ(b.UsuarioProxy(), "proxy");
  EXPECT_EQ(b.SenhaProxy(), "psenha");
  EXPECT_EQ(b.ServidorProxy(), "proxy.exemplo");
  EXPECT_EQ(b.PortaProxy(), 3128);

  EXPECT_THROW(b.LoadConfig(pasta_.file("nao-existe.ini")), mox::EmoxNFeValidadorClientOCXException);
}

}  // namespace
