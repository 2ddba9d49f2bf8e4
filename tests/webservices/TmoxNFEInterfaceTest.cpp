// The request builders without a server: the section each operation mode reads, the order and
// text of their failures, templates, clean-up and the unwrapping of answers.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "base/EmoxException.h"
#include "external/TmoxIniFile.h"
#include "external/TmoxKivoUtils.h"
#include "external/TmoxKivoX.h"
#include "support/TestSupport.h"
#include "webservices/TmoxNFE50aIntf.h"

namespace {

using mox::TModoOperacao;

class ConstrutorSemServidor : public ::testing::Test {
 protected:
  void SetUp() override {
    moxtest::WriteText(pasta_.file("servidores.ini"),
                       "[SP]\nNfeStatusServico3=https://sp.exemplo.gov.br/status\n"
                       "NfeRetRecepcao3=https://sp.exemplo.gov.br/recibo\n"
                       "[SVCAN]\nNfeRetRecepcao3=https://svcan.exemplo.gov.br/recibo\n"
                       "[SVCRS]\nNfeRetRecepcao3=https://svcrs.exemplo.gov.br/recibo\n");
    ini_ = std::make_unique<mox::TmoxIniFile>(pasta_.file("servidores.ini"));
    dados_.ServersIni = ini_.get();
    dados_.UF = "SP";
    dados_.LocalCode = "35";
    dados_.AmbienteStr.assign(1, '2');
    dados_.VersaoManual = mox::TVersaoManual::vm50a;
    dados_.DiretorioTemplates = (pasta_.path() / "Templates/").string();
    std::filesystem::create_directories(pasta_.path() / "Templates" / "SP");
  }
  void Template(const std::string& aNome, const std::string& aTexto) {
    moxtest::WriteText(pasta_.path() / "Templates" / "SP" / aNome, aTexto);
  }

  moxtest::TempDir pasta_;
  std::unique_ptr<mox::TmoxIniFile> ini_;
  mox::TNFeData dados_;
  mox::TmoxKivoX kivo_;
  mox::TmoxKivoUtils utils_;
  mox::TmoxNFE50aIntf construtor_{dados_, kivo_, utils_};
};

TEST_F(ConstrutorSemServidor, SecaoDoEnderecoSegueOModoDeOperacao) {
  const struct {
    TModoOperacao modo;
    const char* endereco;
  } casos[] = {{TModoOperacao::moNormal, "https://sp.exemplo.gov.br/recibo"},
               {TModoOperacao::moSVCAN, "https://svcan.exemplo.gov.br/recibo"},
               {TModoOperacao::moSVCRS, "https://svcrs.exemplo.gov.br/recibo"}};
  for (const auto& caso : casos) {
    dados_.ModoOperacao = caso.modo;
    EXPECT_EQ(construtor_.GetWSAddress("NfeRetRecepcao3"), caso.endereco);
  }
}

TEST_F(ConstrutorSemServidor, ChaveAusenteEModoEPECNaoTemEndereco) {
  const std::string arquivo = pasta_.file("servidores.ini");
  dados_.ModoOperacao = TModoOperacao::moSVCAN;
  try {
    construtor_.GetWSAddress("NfeStatusServico3");
    FAIL() << "sem exceção";
  } catch (const mox::EmoxNFeAddressException& e) {
    EXPECT_EQ(std::string(e.what()), "Servidor para NfeStatusServico3 não definido no arquivo: " + arquivo);
  }
  // In EPEC mode no operation of the builder reaches an address, whatever the file holds.
  dados_.ModoOperacao = TModoOperacao::moEPEC;
  const struct {
    const char* chave;
    std::function<void()> operacao;
  } operacoes[] = {
      {"NfeStatusServico3", [&] { construtor_.StatusDoServico(); }},
      {"NfeRecepcao3", [&] { construtor_.EnviarNF("1", "<enviNFe/>", false); }},
      {"NfeRecepcao3", [&] { construtor_.EnviarNFSincrono("1", "<enviNFe/>", true); }},
      {"NfeRetRecepcao3", [&] { construtor_.ConsultarRecibo("351000000000001"); }},
      {"NfeConsulta3", [&] { construtor_.ConsultarNF(std::string(44, '1')); }},
      {"NfeCancelamento2", [&] { construtor_.CancelarNF("<cancNFe/>"); }},
      {"NfeInutilizacao3", [&] { construtor_.InutilizarNF("<inutNFe/>"); }},
      {"CadConsulta3", [&] { construtor_.ConsultarCadastro("SP", "<CNPJ>1</CNPJ>"); }},
  };
  for (const char* nome : {"pedido_status.xml", "pedido_consultarecibo.xml", "pedido_consultanf.xml",
                           "pedido_cancelarnf.xml", "pedido_inutilizarnf.xml", "pedido_consultacadastro.xml"})
    Template(nome, "<x>%s%s</x>");
  for (const auto& o : operacoes) {
    try {
      o.operacao();
      ADD_FAILURE() << o.chave << ": sem exceção";
    } catch (const mox::EmoxNFeAddressException& e) {
      EXPECT_EQ(std::string(e.what()), std::string("Servidor para ") + o.chave + " não definido no arquivo: " + arquivo);
    }
  }
}

TEST_F(ConstrutorSemServidor, EnderecoAusenteEDitoAntesDoEnvelopeAusente) {
  Template("pedido_consultarecibo.xml", "<consReciNFe><tpAmb>%s</tpAmb><nRec>%s</nRec></consReciNFe>");
  dados_.UF = "RJ";  // no section
  std::filesystem::create_directories(pasta_.path() / "Templates" / "RJ");
  moxtest::WriteText(pasta_.path() / "Templates" / "RJ" / "pedido_consultarecibo.xml", "<c>%s%s</c>");
  EXPECT_THROW(construtor_.ConsultarRecibo("351000000000001"), mox::EmoxNFeAddressException);
  dados_.UF = "SP";
  try {
    construtor_.ConsultarRecibo("351000000000001");
    FAIL() << "sem exceção";
  } catch (const mox::EmoxTemplateNotFoundException& e) {
    EXPECT_EQ(std::string(e.what()),
              "Arquivo de template não encontrado: " + pasta_.str() + "Templates/SP/pedido_consultarecibo.soap");
  }
}

TEST_F(ConstrutorSemServidor, TemplateChegaSemAcentos) {
  Template("pedido_status.xml", "<consStatServ><tpAmb>%s</tpAmb><cUF>%s</cUF><xServ>SITUAÇÃO é</xServ></consStatServ>");
  EXPECT_EQ(construtor_.GetPedido_Status(),
            "<consStatServ><tpAmb>2</tpAmb><cUF>35</cUF><xServ>SITUACAO e</xServ></consStatServ>");
}

TEST_F(ConstrutorSemServidor, EnvioSincronoSoNoManual50a) {
  mox::TmoxNFE50Intf manual50(dados_, kivo_, utils_);
  try {
    manual50.EnviarNFSincrono("1", "<enviNFe/>", false);
    FAIL() << "sem exceção";
  } catch (const mox::EmoxNFeException& e) {
    EXPECT_EQ(std::string(e.what()), "Só é possível fazer o envio síncrono de NF-e com versão manual 5.0a ou superior.");
  }
}

TEST(LimparXML, TiraADeclaracaoUmaVezETodoCRLF) {
  EXPECT_EQ(mox::TmoxNFEInterface::LimparXML("<?xml version=\"1.0\"?><a>\r\n<b/>\r\n</a><?xml version=\"1.0\"?>\n"),
            "<a><b/></a><?xml version=\"1.0\"?>\n");
}

TEST_F(ConstrutorSemServidor, DesenvelopaARespostaOuDevolveComoVeio) {
  const std::string soap = "http://www.w3.org/2003/05/soap-envelope";
  const std::string ret = "<retConsReciNFe xmlns=\"http://www.portalfiscal.inf.br/nfe\" versao=\"3.10\"><cStat>104</cStat></retConsReciNFe>";
  const std::string status = "<retConsStatServ xmlns=\"http://www.portalfiscal.inf.br/nfe\" versao=\"3.10\"><cStat>107</cStat></retConsStatServ>";
  const struct {
    const char* nome;
    std::string resposta, esperado;
  } casos[] = {
      {"ret de recibo dentro do resultado", "<nfeResult xmlns=\"x\">" + ret + "</nfeResult>", ret},
      {"primeiro filho do corpo SOAP",
       "<soap:Envelope xmlns:soap=\"" + soap + "\"><soap:Body>" + status + "</soap:Body></soap:Envelope>", status},
      {"documento sem ret conhecido fica como veio", status, status},
      {"texto que não é XML fica como veio", "<retEnviNFe><cStat>", "<retEnviNFe><cStat>"},
      {"vazio fica vazio", "", ""},
  };
  for (const auto& caso : casos) {
    SCOPED_TRACE(caso.nome);
    EXPECT_EQ(construtor_.NFe_DesenveloparSOAP(caso.resposta), caso.esperado);
  }
}

TEST_F(ConstrutorSemServidor, CompactaLoteEGzipEmBase64) {
  const std::string lote = "<enviNFe versao=\"3.10\"><idLote>1</idLote></enviNFe>";
  EXPECT_EQ(utils_.DecompressBase64Gz(construtor_.CompactaLote(lote)), lote);
}

}  // namespace
