// The service status and the SOAP and header checks every service runs, on hand-written
// requests; every answer is checked against the official response schema.
#include <gtest/gtest.h>

#include "external/EKivoException.h"
#include "support/SandboxDeTeste.h"
#include "support/MensagemDe.h"

namespace {

using moxtest::Campo;
using moxtest::ClienteDeTeste;
using moxtest::Envelope;
using moxtest::TesteComSandbox;
using moxtest::ValidaContraEsquema;

std::string Pedido(const std::string& aVersao, const std::string& aAmbiente = "2", const std::string& aCUF = "35") {
  return "<consStatServ xmlns=\"http://www.portalfiscal.inf.br/nfe\" versao=\"" + aVersao + "\"><tpAmb>" + aAmbiente +
         "</tpAmb><cUF>" + aCUF + "</cUF><xServ>STATUS</xServ></consStatServ>";
}

class SandboxStatus : public TesteComSandbox {
 protected:
  std::string Status(const std::string& aEnvelope, const std::string& aServico = "NfeStatusServico2",
                     const std::string& aMetodo = "nfeStatusServicoNF2", const std::string& aSecao = "SP") {
    return cliente_.Posta(sandbox_->Endereco(aSecao, aServico), aServico, aMetodo, aMetodo + "Result", aEnvelope);
  }

  ClienteDeTeste cliente_;
};


TEST_F(SandboxStatus, AnswersInOperationInBothLayoutsAndBothServiceGenerations) {
  struct Caso {
    std::string versao, servico, metodo, esquema;
  };
  for (const Caso& c : {Caso{"3.10", "NfeStatusServico2", "nfeStatusServicoNF2", "PL_008i2/retConsStatServ_v3.10.xsd"},
                        Caso{"3.10", "NfeStatusServico3", "nfeStatusServicoNF", "PL_008i2/retConsStatServ_v3.10.xsd"},
                        Caso{"2.00", "NfeStatusServico2", "nfeStatusServicoNF2", "PL_006v/retConsStatServ_v2.00.xsd"}}) {
    SCOPED_TRACE(c.versao + " " + c.servico);
    const std::string ret = Status(Envelope(c.servico, "35", c.versao, Pedido(c.versao)), c.servico, c.metodo);
    EXPECT_TRUE(ValidaContraEsquema(ret, c.esquema));
    EXPECT_EQ(Campo(ret, "cStat"), "107");
    EXPECT_EQ(Campo(ret, "xMotivo"), "Serviço em Operação");
    EXPECT_EQ(Campo(ret, "cUF"), "35");
    EXPECT_EQ(Campo(ret, "tpAmb"), "2");
  }
}

TEST_F(SandboxStatus, RejectsWithTheCodeOfTheFirstCheckThatFails) {
  const std::string ns = std::string(moxtest::kWsdl) + "NfeStatusServico2";
  const std::string corpo = "<soap12:Body><nfeDadosMsg xmlns=\"" + ns + "\">" + Pedido("3.10") + "</nfeDadosMsg></soap12:Body>";
  const std::string abre = "<soap12:Envelope xmlns:soap12=\"http://www.w3.org/2003/05/soap-envelope\">";
  struct Caso {
    std::string nome, envelope, cStat;
  };
  const std::vector<Caso> casos{
      {"sem cUF no cabeçalho",
       abre + "<soap12:Header><nfeCabecMsg xmlns=\"" + ns + "\"><versaoDados>3.10</versaoDados></nfeCabecMsg></soap12:Header>" +
           corpo + "</soap12:Envelope>",
       "409"},
      {"sem versaoDados",
       abre + "<soap12:Header><nfeCabecMsg xmlns=\"" + ns + "\"><cUF>35</cUF></nfeCabecMsg></soap12:Header>" + corpo +
           "</soap12:Envelope>",
       "411"},
      {"UF que o serviço não atende", Envelope("NfeStatusServico2", "43", "3.10", Pedido("3.10", "2", "43")), "410"},
      {"cUF diferente do cabeçalho", Envelope("NfeStatusServico2", "35", "3.10", Pedido("3.10", "2", "33")), "289"},
      {"ambiente de produção", Envelope("NfeStatusServico2", "35", "3.10", Pedido("3.10", "1")), "252"},
      {"versaoDados diferente", Envelope("NfeStatusServico2", "35", "2.00", Pedido("3.10")), "545"},
      {"versão anterior à 1.07", Envelope("NfeStatusServico2", "35", "1.06", Pedido("1.06")), "239"},
      {"versão posterior", Envelope("NfeStatusServico2", "35", "4.00", Pedido("4.00")), "238"},
      {"falha de esquema",
       Envelope("NfeStatusServico2", "35", "3.10",
                "<consStatServ xmlns=\"http://www.portalfiscal.inf.br/nfe\" versao=\"3.10\"><tpAmb>2</tpAmb>"
                "<xServ>STATUS</xServ></consStatServ>"),
       "215"},
      {"XML mal formado como texto", Envelope("NfeStatusServico2", "35", "3.10", "&lt;consStatServ&gt;"), "243"},
      {"quebras de linha entre as tags",
       Envelope("NfeStatusServico2", "35", "3.10",
                "<consStatServ xmlns=\"http://www.portalfiscal.inf.br/nfe\" versao=\"3.10\">\n<tpAmb>2</tpAmb>"
                "<cUF>35</cUF><xServ>STATUS</xServ></consStatServ>"),
       "588"},
      {"prefixo de namespace",
       Envelope("NfeStatusServico2", "35", "3.10",
                "<n:consStatServ xmlns:n=\"http://www.portalfiscal.inf.br/nfe\" versao=\"3.10\"><n:tpAmb>2</n:tpAmb>"
                "<n:cUF>35</n:cUF><n:xServ>STATUS</n:xServ></n:consStatServ>"),
       "404"},
      {"outra raiz", Envelope("NfeStatusServico2", "35", "3.10", "<consSitNFe xmlns=\"http://www.portalfiscal.inf.br/nfe\" versao=\"3.10\"/>"), "516"},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(c.nome);
    const std::string ret = Status(c.envelope);
    EXPECT_EQ(Campo(ret, "cStat"), c.cStat) << Campo(ret, "xMotivo");
    // A rejection is answered in the header's version when the service speaks it.
    const bool v200 = ret.find("versao=\"2.00\"") != std::string::npos;
    EXPECT_TRUE(ValidaContraEsquema(ret, v200 ? "PL_006v/retConsStatServ_v2.00.xsd" : "PL_008i2/retConsStatServ_v3.10.xsd"));
  }
}

TEST_F(SandboxStatus, RefusesWhatIsNotARequestOfTheServiceWithAFaultOrNotFound) {
  const std::string valido = Envelope("NfeStatusServico2", "35", "3.10", Pedido("3.10"));
  struct Caso {
    std::string nome, endereco, metodo, envelope, falha;
  };
  const std::vector<Caso> casos{
      {"serviço inexistente", sandbox_->Endereco("SP", "NfeNaoExiste"), "nfeStatusServicoNF2", valido, "Not Found (404)"},
      {"seção inexistente", sandbox_->Endereco("XX", "NfeStatusServico2"), "nfeStatusServicoNF2", valido, "Not Found (404)"},
      {"serviço que o AN não oferece", sandbox_->Endereco("AN", "NfeStatusServico2"), "nfeStatusServicoNF2", valido,
       "Not Found (404)"},
      {"ação de outro serviço", sandbox_->Endereco("SP", "NfeStatusServico2"), "nfeConsultaNF2", valido,
       "Ação SOAP não reconhecida"},
      {"corpo em outro namespace", sandbox_->Endereco("SP", "NfeStatusServico2"), "nfeStatusServicoNF2",
       Envelope("NfeConsulta2", "35", "3.10", Pedido("3.10")), "O corpo SOAP não é o esperado"},
      {"não é SOAP", sandbox_->Endereco("SP", "NfeStatusServico2"), "nfeStatusServicoNF2", "<html/>",
       "não é um envelope SOAP"},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(c.nome);
    const std::string falha = moxtest::MensagemDe<mox::EKivoException>([&] {
      cliente_.Posta(c.endereco, "NfeStatusServico2", c.metodo, "nfeStatusServicoNF2Result", c.envelope);
    });
    EXPECT_NE(falha.find(c.falha), std::string::npos) << falha;
  }
}

TEST_F(SandboxStatus, RefusesClientsWithoutACertificateOfItsAuthorityAtTheTlsLevel) {
  const mox::CertificateCredential estranha = moxtest::StrangerAuthority("AC Estranha");
  mox::TCertificateRequest pedido;
  pedido.CommonName = "OUTRA EMPRESA:11222333000181";
  pedido.Cnpj = "11222333000181";
  const mox::CertificateCredential deOutraAC = mox::CertificateFactory::Issue(pedido, &estranha, moxtest::SpareKey());
  for (const mox::CertificateCredential* certificado : {static_cast<const mox::CertificateCredential*>(nullptr), &deOutraAC}) {
    SCOPED_TRACE(certificado ? "certificado de outra autoridade" : "sem certificado");
    ClienteDeTeste cliente(certificado);
    const std::string falha = moxtest::MensagemDe<mox::EKivoException>([&] {
      cliente.Posta(sandbox_->Endereco("SP", "NfeStatusServico2"), "NfeStatusServico2", "nfeStatusServicoNF2",
                    "nfeStatusServicoNF2Result", Envelope("NfeStatusServico2", "35", "3.10", Pedido("3.10")));
    });
    EXPECT_NE(falha.find("sem resposta HTTP"), std::string::npos) << falha;
  }
}

}  // namespace
