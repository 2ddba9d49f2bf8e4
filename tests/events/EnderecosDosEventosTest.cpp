// Where the event engine posts: the servers-file section follows the operation mode (the
// contingency sections SVCAN and SVCRS, the state's section in EPEC, which the component points
// at the national environment), and the newer event reception key is read only outside EPEC.
#include <gtest/gtest.h>

#include <string>

#include "base/EmoxException.h"
#include "component/TmoxNFe.h"
#include "support/MensagemDe.h"
#include "support/TestSupport.h"

namespace {

using namespace moxtest;

TEST(EnderecosDosEventos, SecaoDoArquivoDeServidoresSegueOModoDeOperacao) {
  TempDir pasta;
  const std::string servidores = pasta.file("servidores.ini");
  WriteText(servidores,
            "[SP]\nnfeRecepcaoEvento=https://sp.test/RecepcaoEvento\nnfeRecepcaoEvento3=https://sp.test/RecepcaoEvento3\n"
            "NfeConsulta2=https://sp.test/NfeConsulta2\n"
            "[SVCAN]\nnfeRecepcaoEvento=https://svcan.test/RecepcaoEvento\n"
            "[SVCRS]\nnfeRecepcaoEvento=https://svcrs.test/RecepcaoEvento\n"
            "[AN]\nnfeRecepcaoEvento=https://an.test/RecepcaoEvento\nnfeConsultaDFe=https://an.test/NFeDistribuicaoDFe\n");
  mox::TmoxNFe nfe;
  nfe.SetUF("SP");
  nfe.SetArquivoServidoresHom(servidores);
  nfe.SetDiretorioLogErro(pasta.str() + "LogErro/");
  nfe.SetDiretorioXmlDestinatario(pasta.str() + "XmlDestinatario/");
  using M = mox::TModoOperacao;
  struct Caso {
    M modo;
    const char* ufws;  // section of the state; "AN" where the component sends to the national environment
    const char* chave;
    std::string endereco;  // empty: no address for the key in that section
    bool recepcao3;        // the newer event reception key is consulted
  };
  const Caso casos[] = {
      {M::moNormal, "SP", "nfeRecepcaoEvento", "https://sp.test/RecepcaoEvento", true},
      {M::moNormal, "SP", "NfeConsulta2", "https://sp.test/NfeConsulta2", true},
      {M::moSVCAN, "SP", "nfeRecepcaoEvento", "https://svcan.test/RecepcaoEvento", false},
      {M::moSVCRS, "SP", "nfeRecepcaoEvento", "https://svcrs.test/RecepcaoEvento", false},
      {M::moSVCAN, "SP", "NfeConsulta2", "", false},
      {M::moEPEC, "AN", "nfeRecepcaoEvento", "https://an.test/RecepcaoEvento", false},
      {M::moEPEC, "SP", "NfeConsulta2", "https://sp.test/NfeConsulta2", false},
      {M::moNormal, "AN", "nfeConsultaDFe", "https://an.test/NFeDistribuicaoDFe", false},
  };
  for (const Caso& c : casos) {
    SCOPED_TRACE(std::string(c.ufws) + " " + c.chave + " modo " + std::to_string(static_cast<int>(c.modo)));
    nfe.SetModoOperacao(c.modo);
    nfe.AtualizaDadosNFeEventos();
    mox::TmoxNFeEventos& eventos = nfe.GetNFeEventos();
    eventos.UF = eventos.UFWS = c.ufws;
    EXPECT_EQ(eventos.ChecarEnderecoWs("nfeRecepcaoEvento3"), c.recepcao3);
    if (!c.endereco.empty()) {
      EXPECT_EQ(eventos.ObterEnderecoWS(c.chave), c.endereco);
      continue;
    }
    EXPECT_EQ(MensagemDe<mox::EmoxException>([&] { eventos.ObterEnderecoWS(c.chave); }),
              std::string("Servidor para ") + c.chave + " não definido no arquivo: " + servidores);
  }
}

}  // namespace
