// The archive folder: where each kind of document goes, the index that answers by key, a
// second delivery that stores nothing, another document under a taken name refused, and the
// verification that finds files changed, missing or unknown to the index.
#include <gtest/gtest.h>

#include <filesystem>

#include "base/EmoxException.h"
#include "utils/TmoxCofreXml.h"
#include "support/MensagemDe.h"
#include "support/TestSupport.h"

namespace {

namespace fs = std::filesystem;
using moxtest::MensagemDe;
using moxtest::ReadText;
using moxtest::TempDir;
using moxtest::WriteText;

// Issued in SP (35) in March 2014 by CNPJ 12345678000195.
const std::string kChave = "35140312345678000195550010000001241123456788";
const std::string kOutraChave = "35140312345678000195550010000001251123456785";
const char* kNs = "xmlns=\"http://www.portalfiscal.inf.br/nfe\"";

std::string NfeProc(const std::string& aChave, const std::string& aCStat = "100") {
  return std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?><nfeProc ") + kNs +
         " versao=\"3.10\"><NFe><infNFe Id=\"NFe" + aChave + "\" versao=\"3.10\"/></NFe><protNFe versao=\"3.10\">"
         "<infProt><chNFe>" + aChave + "</chNFe><cStat>" + aCStat + "</cStat></infProt></protNFe></nfeProc>\r\n";
}

std::string ProcEvento(const std::string& aChave, const std::string& aTipo, const std::string& aSeq) {
  return std::string("<procEventoNFe ") + kNs + " versao=\"1.00\"><evento versao=\"1.00\"><infEvento><chNFe>" +
         aChave + "</chNFe><tpEvento>" + aTipo + "</tpEvento><nSeqEvento>" + aSeq +
         "</nSeqEvento></infEvento></evento><retEvento versao=\"1.00\"><infEvento><cStat>135</cStat></infEvento>"
         "</retEvento></procEventoNFe>";
}

std::string ProcCanc(const std::string& aChave) {
  return std::string("<procCancNFe ") + kNs + " versao=\"2.00\"><cancNFe><infCanc><chNFe>" + aChave +
         "</chNFe></infCanc></cancNFe><retCancNFe><infCanc><cStat>101</cStat></infCanc></retCancNFe></procCancNFe>";
}

class CofreXml : public ::testing::Test {
 protected:
  std::string Pasta() const { return dir_.str() + "cofre/"; }
  TempDir dir_;
};

TEST_F(CofreXml, CadaDocumentoVaiParaCnpjAnoMesDaChaveEOIndiceResponde) {
  mox::TmoxCofreXml cofre(Pasta());
  struct Caso {
    std::string xml, arquivo, tipo;
  } casos[] = {
      {NfeProc(kChave), "12345678000195/2014/03/" + kChave + "-nfe.xml", "nfe"},
      {ProcEvento(kChave, "110110", "2"), "12345678000195/2014/03/" + kChave + "-110110-02-eve.xml", "evento 110110"},
      {ProcEvento(kChave, "110111", "1"), "12345678000195/2014/03/" + kChave + "-110111-01-eve.xml", "evento 110111"},
      {ProcCanc(kChave), "12345678000195/2014/03/" + kChave + "-can.xml", "cancelamento"},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(c.arquivo);
    const auto r = cofre.Guardar(c.xml);
    EXPECT_TRUE(r.Novo);
    EXPECT_EQ(r.Item.Arquivo, c.arquivo);
    EXPECT_EQ(r.Item.Tipo, c.tipo);
    EXPECT_EQ(ReadText(Pasta() + c.arquivo), c.xml) << "stored byte for byte";
    EXPECT_EQ(r.Item.Sha256, mox::Sha256Hex(c.xml));
  }
  // From a file too, and read back by another object on the same folder.
  WriteText(dir_.file("outra.xml"), NfeProc(kOutraChave));
  EXPECT_EQ(cofre.EnviarXml(dir_.file("outra.xml")), Pasta() + "12345678000195/2014/03/" + kOutraChave + "-nfe.xml");
  mox::TmoxCofreXml outro(Pasta());
  EXPECT_TRUE(outro.Contem(kChave));
  EXPECT_TRUE(outro.Contem(kOutraChave));
  EXPECT_FALSE(outro.Contem("35140312345678000195550010000001261123456782"));
  EXPECT_FALSE(outro.Contem("351403"));
  EXPECT_EQ(outro.Listar().size(), 5u);
  EXPECT_EQ(outro.Listar(kChave).size(), 4u);
  EXPECT_EQ(outro.Listar("35140312345678000195").size(), 5u);
  // The known SHA-256 of "abc".
  EXPECT_EQ(mox::Sha256Hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
}

TEST_F(CofreXml, SegundaEntregaNaoDuplicaEOutroDocumentoNaoSubstitui) {
  mox::TmoxCofreXml cofre(Pasta());
  const std::string original = NfeProc(kChave);
  ASSERT_TRUE(cofre.Guardar(original).Novo);
  // The same document again, also as another copy wrote it (byte-order mark, bare line feeds).
  for (const std::string& mesma : {original, "\xEF\xBB\xBF" + original.substr(0, original.size() - 2) + "\n"}) {
    const auto r = cofre.Guardar(mesma);
    EXPECT_FALSE(r.Novo);
  }
  EXPECT_EQ(cofre.Listar().size(), 1u);
  const std::string indice = ReadText(Pasta() + "indice.txt");
  EXPECT_EQ(std::count(indice.begin(), indice.end(), '\n'), 1);

  // The same key with another content (a denied protocol) keeps the stored file.
  const std::string mensagem =
      MensagemDe<mox::EmoxCofralException>([&] { cofre.Guardar(NfeProc(kChave, "110")); });
  EXPECT_EQ(mensagem, "O cofre já guarda outro documento como 12345678000195/2014/03/" + kChave +
                          "-nfe.xml; o documento guardado não foi substituído.");
  EXPECT_EQ(ReadText(Pasta() + "12345678000195/2014/03/" + kChave + "-nfe.xml"), original);
  EXPECT_EQ(cofre.Listar().size(), 1u);
  EXPECT_TRUE(cofre.Verificar().empty());
}

TEST_F(CofreXml, DocumentosQueOCofreNaoGuardaSaoRecusadosSemGravarNada) {
  mox::TmoxCofreXml cofre(Pasta());
  struct Caso {
    std::string xml, mensagem;
  } casos[] = {
      {std::string("<NFe ") + kNs + "><infNFe Id=\"NFe" + kChave + "\"/></NFe>",
       "O cofre guarda NF-e autorizadas (nfeProc), cancelamentos (procCancNFe) e eventos (procEventoNFe); o "
       "documento entregue é NFe."},
      {std::string("<nfeProc ") + kNs + "><NFe/></nfeProc>",
       "O nfeProc entregue ao cofre não tem o protocolo de autorização (protNFe)."},
      {NfeProc("3514031234567800019555001000000124112345678"),
       "A chave de acesso do documento entregue ao cofre é inválida: 3514031234567800019555001000000124112345678"},
      {NfeProc("../../../../../../etc/passwd0000000000000000"),
       "A chave de acesso do documento entregue ao cofre é inválida: ../../../../../../etc/passwd0000000000000000"},
      {ProcEvento(kChave, "110110", "1/2"),
       "O evento entregue ao cofre não tem tipo (tpEvento) e sequência (nSeqEvento) válidos."},
      {"<nfeProc><protNFe>", "O documento entregue ao cofre não é um XML válido: "},
      {dir_.file("nao-existe.xml"), "Arquivo entregue ao cofre não encontrado: " + dir_.file("nao-existe.xml")},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(c.mensagem);
    const std::string m = MensagemDe<mox::EmoxCofralException>([&] { cofre.Guardar(c.xml); });
    EXPECT_EQ(m.substr(0, c.mensagem.size()), c.mensagem) << m;
  }
  EXPECT_TRUE(cofre.Listar().empty());
  EXPECT_TRUE(moxtest::Arquivos(Pasta()).empty() || moxtest::Arquivos(Pasta()) == std::vector<std::string>{".trava"});
}

TEST_F(CofreXml, VerificacaoAchaAlteradoAusenteENaoIndexado) {
  mox::TmoxCofreXml cofre(Pasta());
  cofre.Guardar(NfeProc(kChave));
  cofre.Guardar(NfeProc(kOutraChave));
  cofre.Guardar(ProcCanc(kChave));
  size_t verificados = 0;
  EXPECT_TRUE(cofre.Verificar(&verificados).empty());
  EXPECT_EQ(verificados, 3u);

  const std::string mes = Pasta() + "12345678000195/2014/03/";
  fs::permissions(mes + kChave + "-nfe.xml", fs::perms::owner_write, fs::perm_options::add);
  WriteText(mes + kChave + "-nfe.xml", NfeProc(kChave, "101"));
  fs::remove(mes + kChave + "-can.xml");
  WriteText(mes + "intruso.xml", "<x/>");
  const auto falhas = cofre.Verificar();
  ASSERT_EQ(falhas.size(), 3u);
  EXPECT_EQ(falhas[0].Arquivo, "12345678000195/2014/03/" + kChave + "-can.xml");
  EXPECT_EQ(falhas[0].Problema, "ausente");
  EXPECT_EQ(falhas[1].Arquivo, "12345678000195/2014/03/" + kChave + "-nfe.xml");
  EXPECT_EQ(falhas[1].Problema, "alterado");
  EXPECT_EQ(falhas[2].Arquivo, "12345678000195/2014/03/intruso.xml");
  EXPECT_EQ(falhas[2].Problema, "não indexado");
}

TEST_F(CofreXml, LinhaCortadaNoIndiceOuArquivoSemLinhaSaoRecuperados) {
  mox::TmoxCofreXml cofre(Pasta());
  cofre.Guardar(NfeProc(kChave));
  // A crash while the index line was written leaves half a line; one before the index line
  // leaves a stored file the index does not know.
  moxtest::WriteText(Pasta() + "indice.txt", ReadText(Pasta() + "indice.txt") + "0123abc\t12");
  const std::string mes = Pasta() + "12345678000195/2014/03/";
  WriteText(mes + kOutraChave + "-nfe.xml", NfeProc(kOutraChave));
  EXPECT_EQ(cofre.Listar().size(), 1u);
  EXPECT_FALSE(cofre.Guardar(NfeProc(kOutraChave)).Novo);
  EXPECT_TRUE(cofre.Contem(kOutraChave));
  EXPECT_EQ(cofre.Listar().size(), 2u);
  EXPECT_TRUE(cofre.Verificar().empty());
}

}  // namespace
