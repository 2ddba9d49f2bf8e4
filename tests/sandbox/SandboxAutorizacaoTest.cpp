// Batch submission, receipt query and invoice query with hand-written, signed notes: what
// SEFAZ authorizes, what it rejects and with which code, and that the state outlives a restart.
#include <gtest/gtest.h>

#include <map>

#include "external/Base64.h"
#include "external/Gzip.h"
#include "support/SandboxDeTeste.h"

namespace {

using namespace moxtest;

const char* kRetEnvi = "PL_008i2/retEnviNFe_v3.10.xsd";
const char* kRetReci = "PL_008i2/retConsReciNFe_v3.10.xsd";
const char* kRetSit = "PL_008i2/retConsSitNFe_v3.10.xsd";

class SandboxAutorizacao : public TesteComSandbox {
 protected:
  // Each note of the suite gets a number of its own: the sandbox remembers every note.
  static int Numero() { return ++numero_; }

  static int numero_;
  ClienteDeTeste cliente_;
};

int SandboxAutorizacao::numero_ = 1000;

TEST_F(SandboxAutorizacao, AuthorizesABatchOfTwoSignedNotesWithAProtocolCarryingEachDigest) {
  const std::vector<std::string> notas{Assina(NotaDeTeste(Numero()), "infNFe"), Assina(NotaDeTeste(Numero()), "infNFe")};
  const std::string envio = EnviaLote(cliente_, *sandbox_, notas);
  EXPECT_TRUE(ValidaContraEsquema(envio, kRetEnvi));
  ASSERT_EQ(Campo(envio, "cStat"), "103") << envio;
  const std::string recibo = Campo(envio, "nRec");
  EXPECT_EQ(recibo.size(), 15u);
  EXPECT_EQ(recibo.substr(0, 2), "35");

  const std::string retorno = ConsultaRecibo(cliente_, *sandbox_, recibo);
  EXPECT_TRUE(ValidaContraEsquema(retorno, kRetReci));
  EXPECT_EQ(Campo(retorno, "cStat"), "104");
  EXPECT_EQ(Campo(retorno, "nRec"), recibo);
  const std::vector<std::string> protocolos = Elementos(retorno, "protNFe");
  ASSERT_EQ(protocolos.size(), 2u);
  for (size_t i = 0; i < notas.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(Campo(protocolos[i], "chNFe"), ChaveDe(notas[i]));
    EXPECT_EQ(Campo(protocolos[i], "cStat"), "100");
    EXPECT_EQ(Campo(protocolos[i], "xMotivo"), "Autorizado o uso da NF-e");
    EXPECT_EQ(Campo(protocolos[i], "digVal"), Campo(notas[i], "DigestValue"));
    EXPECT_EQ(Campo(protocolos[i], "nProt").size(), 15u);

    const std::string situacao = ConsultaNota(cliente_, *sandbox_, ChaveDe(notas[i]));
    EXPECT_TRUE(ValidaContraEsquema(situacao, kRetSit));
    EXPECT_EQ(Campo(situacao, "cStat"), "100");
    EXPECT_EQ(Campo(situacao, "nProt"), Campo(protocolos[i], "nProt"));
  }
  EXPECT_NE(Campo(protocolos[0], "nProt"), Campo(protocolos[1], "nProt"));
}

TEST_F(SandboxAutorizacao, AuthorizesAndCancelsALayout200NoteThroughTheServicesOfThatGeneration) {
  const std::string nota = Assina(NotaDeTeste(Numero(), {}, "2.00"), "infNFe");
  const std::string chave = ChaveDe(nota);
  const std::string envio = cliente_.Posta(sandbox_->Endereco("SP", "NfeRecepcao2"), "NfeRecepcao2", "nfeRecepcaoLote2",
                                           "nfeRecepcaoLote2Result",
                                           Envelope("NfeRecepcao2", "35", "2.00",
                                                    "<enviNFe xmlns=\"http://www.portalfiscal.inf.br/nfe\" versao=\"2.00\">"
                                                    "<idLote>3</idLote>" + nota + "</enviNFe>"));
  EXPECT_TRUE(ValidaContraEsquema(envio, "PL_006v/retEnviNFe_v2.00.xsd"));
  ASSERT_EQ(Campo(envio, "cStat"), "103") << envio;

  const std::string retorno = cliente_.Posta(
      sandbox_->Endereco("SP", "NfeRetRecepcao2"), "NfeRetRecepcao2", "nfeRetRecepcao2", "nfeRetRecepcao2Result",
      Envelope("NfeRetRecepcao2", "35", "2.00",
               "<consReciNFe xmlns=\"http://www.portalfiscal.inf.br/nfe\" versao=\"2.00\"><tpAmb>2</tpAmb><nRec>" +
                   Campo(envio, "nRec") + "</nRec></consReciNFe>"));
  EXPECT_TRUE(ValidaContraEsquema(retorno, "PL_006v/retConsReciNFe_v2.00.xsd"));
  ASSERT_EQ(Campo(retorno, "cStat", "infProt"), "100") << retorno;
  EXPECT_EQ(Campo(retorno, "digVal"), Campo(nota, "DigestValue"));

  auto consulta = [&] {
    const std::string ret = cliente_.Posta(
        sandbox_->Endereco("SP", "NfeConsulta2"), "NfeConsulta2", "nfeConsultaNF2", "nfeConsultaNF2Result",
        Envelope("NfeConsulta2", "35", "2.01",
                 "<consSitNFe xmlns=\"http://www.portalfiscal.inf.br/nfe\" versao=\"2.01\"><tpAmb>2</tpAmb>"
                 "<xServ>CONSULTAR</xServ><chNFe>" + chave + "</chNFe></consSitNFe>"));
    EXPECT_TRUE(ValidaContraEsquema(ret, "PL_006v/retConsSitNFe_v2.01.xsd"));
    return ret;
  };
  EXPECT_EQ(Campo(consulta(), "cStat"), "100");
  const std::string cancelamento = Assina(
      "<cancNFe xmlns=\"http://www.portalfiscal.inf.br/nfe\" versao=\"2.00\"><infCanc Id=\"ID" + chave +
          "\"><tpAmb>2</tpAmb><xServ>CANCELAR</xServ><chNFe>" + chave + "</chNFe><nProt>" + Campo(retorno, "nProt") +
          "</nProt><xJust>Cancelamento por erro de digitacao</xJust></infCanc></cancNFe>",
      "infCanc");
  const std::string cancelada = cliente_.Posta(sandbox_->Endereco("SP", "NfeCancelamento2"), "NfeCancelamento2",
                                               "nfeCancelamentoNF2", "nfeCancelamentoNF2Result",
                                               Envelope("NfeCancelamento2", "35", "2.00", cancelamento));
  EXPECT_EQ(Campo(cancelada, "cStat"), "101") << cancelada;
  const std::string depois = consulta();
  EXPECT_EQ(Campo(depois, "cStat"), "101");
  EXPECT_EQ(Campo(depois, "nProt", "retCancNFe"), Campo(cancelada, "nProt"));
}

TEST_F(SandboxAutorizacao, RejectsEachFaultyNoteOfABatchWithItsCodeAndAuthorizesTheRest) {
  const auto& outraEmpresa = OutraEmpresa();
  const mox::CertificateCredential estranha = StrangerAuthority("AC Estranha");
  mox::TCertificateRequest pedidoEstranho;
  pedidoEstranho.CommonName = "EMPRESA TESTE LTDA:12345678000195";
  pedidoEstranho.Cnpj = kCompanyCnpj;
  const mox::CertificateCredential deOutraAC = mox::CertificateFactory::Issue(pedidoEstranho, &estranha, SpareKey());

  auto altera = [](const std::string& aDe, const std::string& aPara) {
    return [=](std::string& aNota) { Troca(aNota, aDe, aPara); };
  };
  struct Caso {
    std::string nome, nota, cStat;
  };
  // The emission time is "now" when each note is made, so it is replaced whatever it holds.
  auto emitidaEm = [](const std::string& aDataHora) {
    return [=](std::string& aNota) {
      const size_t inicio = aNota.find("<dhEmi>") + 7;
      aNota.replace(inicio, aNota.find("</dhEmi>") - inicio, aDataHora);
    };
  };
  std::vector<Caso> casos{
      {"válida", Assina(NotaDeTeste(Numero()), "infNFe"), "100"},
      {"digest alterado", Assina(NotaDeTeste(Numero()), "infNFe"), "297"},
      {"dígito verificador errado", NotaDeTeste(Numero()), "236"},
      {"ambiente de produção", Assina(NotaDeTeste(Numero(), altera("<tpAmb>2</tpAmb>", "<tpAmb>1</tpAmb>")), "infNFe"),
       "252"},
      {"UF de outro autorizador",
       Assina(NotaDeTeste(Numero(), altera("<cUF>35</cUF>", "<cUF>33</cUF>")), "infNFe"), "226"},
      {"assinada por outra empresa", Assina(NotaDeTeste(Numero()), "infNFe", outraEmpresa), "213"},
      {"certificado de outra autoridade", Assina(NotaDeTeste(Numero()), "infNFe", deOutraAC), "293"},
      {"destinatário sem o texto de homologação",
       Assina(NotaDeTeste(Numero(), altera(kNomeHomologacao, "CLIENTE DE TESTE")), "infNFe"), "598"},
      {"emitida no futuro",
       Assina(NotaDeTeste(Numero(), emitidaEm("2099-01-01T10:00:00-03:00")), "infNFe"), "703"},
      {"contingência SVC no autorizador normal",
       Assina(NotaDeTeste(Numero(), altera("<tpEmis>1</tpEmis>", "<tpEmis>6</tpEmis>")), "infNFe"), "570"},
  };
  // After signing: one character of the signed content changed.
  Troca(casos[1].nota, "PRODUTO DE TESTE NUMERO 1", "PRODUTO DE TESTE NUMERO 7");
  // Before signing: the key's last digit (and cDV with it) off by one.
  {
    std::string& nota = casos[2].nota;
    const std::string chave = ChaveDe(nota);
    const char errado = char('0' + (chave.back() - '0' + 1) % 10);
    Troca(nota, chave, chave.substr(0, 43) + errado);
    Troca(nota, "<cDV>" + chave.substr(43) + "</cDV>", std::string("<cDV>") + errado + "</cDV>");
    nota = Assina(nota, "infNFe");
  }

  std::vector<std::string> notas;
  for (const auto& c : casos) notas.push_back(c.nota);
  const std::string envio = EnviaLote(cliente_, *sandbox_, notas);
  ASSERT_EQ(Campo(envio, "cStat"), "103") << envio;
  const std::string retorno = ConsultaRecibo(cliente_, *sandbox_, Campo(envio, "nRec"));
  EXPECT_TRUE(ValidaContraEsquema(retorno, kRetReci));
  std::map<std::string, std::string> codigoPorChave;
  for (const auto& p : Elementos(retorno, "protNFe")) codigoPorChave[Campo(p, "chNFe")] = Campo(p, "cStat");
  for (const auto& c : casos) EXPECT_EQ(codigoPorChave[ChaveDe(c.nota)], c.cStat) << c.nome;
}

TEST_F(SandboxAutorizacao, RejectsANoteAlreadyAuthorizedOrItsNumberUnderAnotherKey) {
  const std::string nota = Assina(NotaDeTeste(Numero()), "infNFe");
  const std::string primeiro = Campo(EnviaLote(cliente_, *sandbox_, {nota}), "nRec");
  const std::string mesmoNumero = Assina(NotaDeTeste(numero_, [](std::string& n) {
                                           Troca(n, "<cNF>12345678</cNF>", "<cNF>87654321</cNF>");
                                         }),
                                         "infNFe");
  const std::string retorno = ConsultaRecibo(cliente_, *sandbox_, Campo(EnviaLote(cliente_, *sandbox_, {nota, mesmoNumero}), "nRec"));
  const std::vector<std::string> protocolos = Elementos(retorno, "protNFe");
  ASSERT_EQ(protocolos.size(), 2u);
  EXPECT_EQ(Campo(protocolos[0], "cStat"), "204");
  EXPECT_EQ(Campo(protocolos[0], "xMotivo"), "Duplicidade de NF-e [nRec:" + primeiro + "]");
  EXPECT_EQ(Campo(protocolos[1], "cStat"), "539");
  EXPECT_EQ(Campo(protocolos[1], "xMotivo"), "Duplicidade de NF-e com diferença na Chave de Acesso [chNFe: " +
                                                 ChaveDe(nota) + "][nRec:" + primeiro + "]");
  EXPECT_TRUE(ValidaContraEsquema(retorno, kRetReci));
}

TEST_F(SandboxAutorizacao, ChecksTheBatchItselfBeforeItsNotes) {
  const std::string nota = Assina(NotaDeTeste(Numero()), "infNFe");
  struct Caso {
    std::string nome, servico, metodo, resultado, envelope, cStat;
  };
  const std::vector<Caso> casos{
      {"nota sem assinatura", "NfeAutorizacao", "NfeAutorizacaoLote", "nfeAutorizacaoLoteResult",
       Envelope("NfeAutorizacao", "35", "3.10", LoteNFe({NotaDeTeste(Numero())})), "225"},
      {"resposta síncrona de duas notas", "NfeAutorizacao", "NfeAutorizacaoLote", "nfeAutorizacaoLoteResult",
       Envelope("NfeAutorizacao", "35", "3.10", LoteNFe({nota, Assina(NotaDeTeste(Numero()), "infNFe")}, "1")), "764"},
      {"lote 3.10 no serviço da versão 2.00", "NfeRecepcao2", "nfeRecepcaoLote2", "nfeRecepcaoLote2Result",
       Envelope("NfeRecepcao2", "35", "3.10", LoteNFe({nota})), "700"},
      {"versaoDados diferente do lote", "NfeAutorizacao", "NfeAutorizacaoLote", "nfeAutorizacaoLoteResult",
       Envelope("NfeAutorizacao", "35", "2.00", LoteNFe({nota})), "567"},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(c.nome);
    const std::string ret = cliente_.Posta(sandbox_->Endereco("SP", c.servico), c.servico, c.metodo, c.resultado, c.envelope);
    EXPECT_EQ(Campo(ret, "cStat"), c.cStat) << ret;
    EXPECT_TRUE(Elementos(ret, "infRec").empty());
    EXPECT_TRUE(ValidaContraEsquema(ret, ret.find("versao=\"2.00\"") != std::string::npos ? "PL_006v/retEnviNFe_v2.00.xsd"
                                                                                         : kRetEnvi));
  }
}

TEST_F(SandboxAutorizacao, AnswersASynchronousBatchAndACompressedOneLikeThePlainOne) {
  const std::string sincrona = Assina(NotaDeTeste(Numero()), "infNFe");
  const std::string ret = EnviaLote(cliente_, *sandbox_, {sincrona}, "1");
  EXPECT_TRUE(ValidaContraEsquema(ret, kRetEnvi));
  EXPECT_EQ(Campo(ret, "cStat"), "104");
  EXPECT_EQ(Campo(ret, "cStat", "infProt"), "100");
  EXPECT_EQ(Campo(ret, "digVal"), Campo(sincrona, "DigestValue"));

  const std::string compactada = Assina(NotaDeTeste(Numero()), "infNFe");
  const std::string ns = std::string(kWsdl) + "NfeAutorizacao";
  const std::string envelope =
      "<soap12:Envelope xmlns:soap12=\"http://www.w3.org/2003/05/soap-envelope\"><soap12:Header><nfeCabecMsg xmlns=\"" +
      ns + "\"><cUF>35</cUF><versaoDados>3.10</versaoDados></nfeCabecMsg></soap12:Header><soap12:Body><nfeDadosMsgZip xmlns=\"" +
      ns + "\">" + mox::Base64Encode(mox::GzipCompress(LoteNFe({compactada}))) + "</nfeDadosMsgZip></soap12:Body></soap12:Envelope>";
  const std::string envio = cliente_.Posta(sandbox_->Endereco("SP", "NfeAutorizacao"), "NfeAutorizacao",
                                           "nfeAutorizacaoLoteZip", "nfeAutorizacaoLoteZipResult", envelope);
  ASSERT_EQ(Campo(envio, "cStat"), "103") << envio;
  EXPECT_EQ(Campo(ConsultaRecibo(cliente_, *sandbox_, Campo(envio, "nRec")), "cStat", "infProt"), "100");
}

TEST_F(SandboxAutorizacao, AnswersTheReceiptOnlyToItsCompanyAndUnknownKeysAsNotFound) {
  const std::string recibo = Campo(EnviaLote(cliente_, *sandbox_, {Assina(NotaDeTeste(Numero()), "infNFe")}), "nRec");
  const auto& outraEmpresa = OutraEmpresa();
  ClienteDeTeste outroCliente(&outraEmpresa);
  EXPECT_EQ(Campo(ConsultaRecibo(outroCliente, *sandbox_, recibo), "cStat"), "223");
  const std::string desconhecido = ConsultaRecibo(cliente_, *sandbox_, "351999999999999");
  EXPECT_EQ(Campo(desconhecido, "cStat"), "106");
  EXPECT_TRUE(ValidaContraEsquema(desconhecido, kRetReci));

  const std::string semNota = ConsultaNota(cliente_, *sandbox_, ChaveDe(NotaDeTeste(Numero())));
  EXPECT_EQ(Campo(semNota, "cStat"), "217");
  EXPECT_TRUE(ValidaContraEsquema(semNota, kRetSit));
}

TEST_F(SandboxAutorizacao, KeepsNotesReceiptsAndNumberSequencesAcrossARestart) {
  const std::string nota = Assina(NotaDeTeste(Numero()), "infNFe");
  const std::string recibo = Campo(EnviaLote(cliente_, *sandbox_, {nota}), "nRec");
  const std::string protocolo = Campo(ConsultaRecibo(cliente_, *sandbox_, recibo), "nProt");

  sandbox_->Reinicia();

  const std::string situacao = ConsultaNota(cliente_, *sandbox_, ChaveDe(nota));
  EXPECT_EQ(Campo(situacao, "cStat"), "100");
  EXPECT_EQ(Campo(situacao, "nProt"), protocolo);
  EXPECT_EQ(Campo(ConsultaRecibo(cliente_, *sandbox_, recibo), "nProt"), protocolo);
  const std::string reenvio = ConsultaRecibo(cliente_, *sandbox_, Campo(EnviaLote(cliente_, *sandbox_, {nota}), "nRec"));
  EXPECT_EQ(Campo(reenvio, "cStat", "infProt"), "204");
  const std::string nova = Campo(Autoriza(cliente_, *sandbox_, Assina(NotaDeTeste(Numero()), "infNFe")), "nProt");
  EXPECT_GT(nova, protocolo);
}

}  // namespace
