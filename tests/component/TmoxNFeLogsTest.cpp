// The component's transaction logs: the files written, the host callbacks, the pending-send
// markers, listing and reading back.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "base/EmoxException.h"
#include "component/TmoxNFe.h"
#include "support/MensagemDe.h"
#include "support/TestSupport.h"

using namespace mox;
using moxtest::MensagemDe;

namespace {

constexpr const char* kChave1 = "35140112345678000195550010000000011000000010";
constexpr const char* kChave2 = "35140112345678000195550010000000021000000028";

std::string Lote() {
  std::string notas;
  for (const char* chave : {kChave1, kChave2})
    notas += std::string("<NFe xmlns=\"http://www.portalfiscal.inf.br/nfe\"><infNFe Id=\"NFe") + chave +
             "\" versao=\"3.10\"><ide/></infNFe></NFe>";
  return "<enviNFe xmlns=\"http://www.portalfiscal.inf.br/nfe\" versao=\"3.10\"><idLote>7</idLote>" + notas +
         "</enviNFe>";
}

class LogsDoComponente : public ::testing::Test {
 protected:
  void SetUp() override {
    nfe.SetDiretorioLog(dir.str() + "Log/");
    nfe.SetDiretorioLogErro(dir.str() + "LogErro/");
    nfe.SetDiretorioXmlDestinatario(dir.str() + "XmlDestinatario/");
    nfe.OnLog = [this](const std::string& n, const std::string& i, const std::string& f) {
      avisos.push_back("OnLog " + n + " " + i + " " + f);
    };
    nfe.OnLogContent = [this](void* s, const std::string& n, const std::string& i, const std::string& f,
                              const std::string& c) {
      avisos.push_back(std::string("OnLogContent ") + (s ? "sender " : "") + n + " " + i + " " + f + " " + c);
    };
  }
  std::vector<std::string> Arquivos(const std::string& aPasta) {
    std::vector<std::string> nomes;
    if (std::filesystem::exists(dir.path() / aPasta))
      for (const auto& e : std::filesystem::directory_iterator(dir.path() / aPasta))
        nomes.push_back(e.path().filename().string());
    std::sort(nomes.begin(), nomes.end());
    return nomes;
  }

  moxtest::TempDir dir;
  TmoxNFe nfe;
  std::vector<std::string> avisos;
};

TEST_F(LogsDoComponente, GravaComMarcaUtf8EQuebrasCrLfEAvisaOHost) {
  const std::string nome = nfe.Log("<a>\nação\r\n</a>", "env-lot", "12");
  EXPECT_TRUE(nome.ends_with("-12-env-lot.xml")) << nome;
  const std::string caminho = dir.str() + "Log/" + nome;
  EXPECT_EQ(moxtest::ReadText(caminho), "\xEF\xBB\xBF<a>\r\nação\r\n</a>\r\n");
  ASSERT_EQ(avisos.size(), 2u);
  EXPECT_EQ(avisos[0], "OnLog env-lot 12 " + caminho);
  EXPECT_EQ(avisos[1], "OnLogContent env-lot 12 " + nome + " <a>\nação\r\n</a>");
  // A given file name is used as it is.
  EXPECT_EQ(nfe.Log("<b/>", "rec-sinc", "k", "x-env-sinc-ret.xml"), "x-env-sinc-ret.xml");
  EXPECT_TRUE(std::filesystem::exists(dir.path() / "Log/x-env-sinc-ret.xml"));
  EXPECT_EQ(nfe.LerLog("x-env-sinc-ret.xml"), "<b/>\r\n");
}

TEST_F(LogsDoComponente, SemSalvarEmDiscoSoOConteudoChegaAoHost) {
  nfe.SetSalvarLogsEmDisco(false);
  const std::string nome = nfe.Log("<a/>", "rec", "3");
  EXPECT_TRUE(nome.ends_with("-3-rec.xml"));
  EXPECT_TRUE(Arquivos("Log").empty());
  ASSERT_EQ(avisos.size(), 1u);
  EXPECT_EQ(avisos[0], "OnLogContent rec 3 " + nome + " <a/>");
  nfe.SaveFileChavesTemporario(nome);
  EXPECT_TRUE(Arquivos("XmlDestinatario").empty());
}

TEST_F(LogsDoComponente, PastaDeLogQueNaoPodeSerCriada) {
  moxtest::WriteText(dir.path() / "arquivo", "x");
  nfe.SetDiretorioLog(dir.str() + "arquivo/Log/");
  const std::string esperado = "Diretório de log não pode ser criado ou está vazio: " + dir.str() + "arquivo/Log/";
  EXPECT_EQ(MensagemDe<EmoxLogException>([&] { nfe.Log("<a/>", "rec", "1"); }), esperado);
  std::vector<std::string> lista;
  EXPECT_EQ(MensagemDe<EmoxNFeLogException>([&] { nfe.ListarLogs(&lista, TLogFilter::lfXml); }), esperado);
  EXPECT_EQ(MensagemDe<EmoxNFeCheckParams>([&] { nfe.ListarLogs(nullptr, TLogFilter::lfXml); }),
            "Parâmetro aList não foi instanciado (nil).");
}

TEST_F(LogsDoComponente, MarcasPendentesLigamCadaChaveEOReciboAoLogDoLote) {
  const std::string envio = nfe.Log(Lote(), "env-lot", "7");
  nfe.SaveFileChavesTemporario(envio);
  nfe.SaveFileTemporario("351000000000123", envio);
  EXPECT_EQ(Arquivos("XmlDestinatario"), (std::vector<std::string>{"351000000000123", kChave1, kChave2}));
  EXPECT_EQ(moxtest::ReadText(dir.path() / "XmlDestinatario" / kChave2), "env-lot=" + envio);
  const auto pendentes = ListaPendentes(nfe.DiretorioXmlDestinatario());
  ASSERT_EQ(pendentes.size(), 3u);
  EXPECT_EQ(pendentes[0].Numero, "351000000000123");
  EXPECT_EQ(pendentes[0].LogEnvio, envio);
}

TEST_F(LogsDoComponente, ListagemPorFiltroETextoProprio) {
  for (const char* nome : {"1-111-env-lot.xml", "2-111-rec.xml", "3-222-rec.xml", "4-111-ped-can.xml",
                           "5-111-can.xml", "6-333-pro-rec.xml", "7-111-sit.txt"})
    nfe.Log("<a/>", "", "", nome);
  struct Caso {
    TLogFilter filtro;
    const char* texto;
    std::vector<std::string> esperados;
  };
  const Caso casos[] = {
      // A mask is a file mask: "*-rec.xml" also takes the receipt answers ("-pro-rec.xml").
      {TLogFilter::lfRec, "", {"2-111-rec.xml", "3-222-rec.xml", "6-333-pro-rec.xml"}},
      {TLogFilter::lfRec, "111", {"2-111-rec.xml"}},
      {TLogFilter::lfCustom, "*-can.xml", {"4-111-ped-can.xml", "5-111-can.xml"}},
      {TLogFilter::lfCan, "", {"4-111-ped-can.xml", "5-111-can.xml"}},
      {TLogFilter::lfPedCan, "", {"4-111-ped-can.xml"}},
      {TLogFilter::lfXml, "111", {"1-111-env-lot.xml", "2-111-rec.xml", "4-111-ped-can.xml", "5-111-can.xml"}},
      {TLogFilter::lfProRec, " ", {"6-333-pro-rec.xml"}},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(MascaraDoFiltro(c.filtro, c.texto));
    std::vector<std::string> lista{"antigo"};
    nfe.ListarLogs(&lista, c.filtro, c.texto);
    std::vector<std::string> esperados;
    for (const auto& e : c.esperados) esperados.push_back(dir.str() + "Log/" + e);
    EXPECT_EQ(lista, esperados);
  }
}

TEST_F(LogsDoComponente, LeituraDeLogAusenteOuDeOutraCodificacao) {
  const std::string ausente = dir.str() + "Log/nao-existe.xml";
  EXPECT_EQ(MensagemDe<EmoxNFeCheckParams>([&] { nfe.LerLog(ausente); }),
            "Arquivo de log " + ausente + " não encontrado.");
  // UTF-16 with its mark, as another program may have saved it.
  moxtest::WriteText(dir.path() / "utf16.xml", std::string("\xFF\xFE<\0a\0/\0>\0\n\0", 10));
  EXPECT_EQ(nfe.LerLog(dir.str() + "utf16.xml"), "<a/>\r\n");
}

}  // namespace
