// The first generation of services (layout 1.10, manuals 2.0.2a and 3.0) with hand-written
// requests: the operation's element carries the header and the request as escaped texts, and
// the answer comes back as text too; SEFAZ's checks of that generation, each with its code.
#include <gtest/gtest.h>

#include "external/EKivoException.h"
#include "external/XmlEscape.h"
#include "support/MensagemDe.h"
#include "support/SandboxDeTeste.h"
#include "utils/moxChaveNFe.h"

namespace {

using namespace moxtest;

const char* const kNFe = "http://www.portalfiscal.inf.br/nfe";

std::string Cabecalho(const std::string& aVersaoDados) {
  return std::string("<cabecMsg xmlns=\"") + kNFe + "\" versao=\"1.02\"><versaoDados>" + aVersaoDados +
         "</versaoDados></cabecMsg>";
}

// aCabecalho empty: the request has no nfeCabecMsg.
std::string EnvelopeAntigo(const std::string& aServico, const std::string& aMetodo, const std::string& aCabecalho,
                           const std::string& aDados) {
  const std::string cabec =
      aCabecalho.empty() ? std::string() : "<nfeCabecMsg>" + mox::EscapeAsText(aCabecalho) + "</nfeCabecMsg>";
  return "<soap12:Envelope xmlns:soap12=\"http://www.w3.org/2003/05/soap-envelope\"><soap12:Body><" + aMetodo +
         " xmlns=\"" + kWsdl + aServico + "\">" + cabec + "<nfeDadosMsg>" + mox::EscapeAsText(aDados) +
         "</nfeDadosMsg></" + aMetodo + "></soap12:Body></soap12:Envelope>";
}

std::string PedidoStatus(const std::string& aVersao, const std::string& aCUF = "35") {
  return std::string("<consStatServ xmlns=\"") + kNFe + "\" versao=\"" + aVersao + "\"><tpAmb>2</tpAmb><cUF>" + aCUF +
         "</cUF><xServ>STATUS</xServ></consStatServ>";
}

std::string Lote110(const std::string& aNota) {
  return std::string("<enviNFe xmlns=\"") + kNFe + "\" versao=\"1.10\"><idLote>1</idLote>" + aNota + "</enviNFe>";
}

class SandboxLeiaute110 : public TesteComSandbox {
 protected:
  // Posts to the SP service; aResultado empty gives the whole answer's envelope.
  std::string Posta(const std::string& aServico, const std::string& aMetodo, const std::string& aVersaoDados,
                    const std::string& aDados, const std::string& aResultado) {
    return cliente_.Posta(sandbox_->Endereco("SP", aServico), aServico, aMetodo, aResultado,
                          EnvelopeAntigo(aServico, aMetodo, Cabecalho(aVersaoDados), aDados));
  }
  std::string Posta(const std::string& aServico, const std::string& aMetodo, const std::string& aVersaoDados,
                    const std::string& aDados) {
    return Posta(aServico, aMetodo, aVersaoDados, aDados, aMetodo + "Result");
  }

  std::string EnviaLote(const std::string& aNota) {
    const std::string ret = Posta("NfeRecepcao", "nfeRecepcaoLote", "1.10", Lote110(aNota));
    EXPECT_TRUE(ValidaContraEsquema(ret, "PL_005f/retEnviNFe_v1.10.xsd"));
    return ret;
  }
  std::string ConsultaRecibo(const std::string& aRecibo) {
    const std::string ret = Posta("NfeRetRecepcao", "nfeRetRecepcao", "1.10",
                                  std::string("<consReciNFe xmlns=\"") + kNFe + "\" versao=\"1.10\"><tpAmb>2</tpAmb><nRec>" +
                                      aRecibo + "</nRec></consReciNFe>");
    EXPECT_TRUE(ValidaContraEsquema(ret, "PL_005f/retConsReciNFe_v1.10.xsd"));
    return ret;
  }
  // The protocol of the note, sent alone in a batch.
  std::string Autoriza(const std::string& aNota) {
    return ConsultaRecibo(Campo(EnviaLote(aNota), "nRec"));
  }
  std::string Consulta(const std::string& aChave) {
    const std::string ret = Posta("NfeConsulta", "nfeConsultaNF", "1.07",
                                  std::string("<consSitNFe xmlns=\"") + kNFe +
                                      "\" versao=\"1.07\"><tpAmb>2</tpAmb><xServ>CONSULTAR</xServ><chNFe>" + aChave +
                                      "</chNFe></consSitNFe>");
    EXPECT_TRUE(ValidaContraEsquema(ret, "PL_005f/retConsSitNFe_v1.07.xsd"));
    return ret;
  }
  std::string Cancela(const std::string& aChave, const std::string& aProtocolo) {
    const std::string pedido =
        Assina(std::string("<cancNFe xmlns=\"") + kNFe + "\" versao=\"1.07\"><infCanc Id=\"ID" + aChave +
                   "\"><tpAmb>2</tpAmb><xServ>CANCELAR</xServ><chNFe>" + aChave + "</chNFe><nProt>" + aProtocolo +
                   "</nProt><xJust>Cancelamento por erro de digitacao</xJust></infCanc></cancNFe>",
               "infCanc");
    const std::string ret = Posta("NfeCancelamento", "nfeCancelamentoNF", "1.07", pedido);
    EXPECT_TRUE(ValidaContraEsquema(ret, "PL_005f/retCancNFe_v1.07.xsd"));
    return ret;
  }
  // The voiding id of layout 1.10 has no year.
  std::string Inutiliza(int aInicio, int aFim) {
    const std::string inicio = std::to_string(aInicio), fim = std::to_string(aFim);
    const std::string id = std::string("ID35") + kCompanyCnpj + "55001" + std::string(9 - inicio.size(), '0') + inicio +
                           std::string(9 - fim.size(), '0') + fim;
    const std::string pedido = Assina(
        std::string("<inutNFe xmlns=\"") + kNFe + "\" versao=\"1.07\"><infInut Id=\"" + id +
            "\"><tpAmb>2</tpAmb><xServ>INUTILIZAR</xServ><cUF>35</cUF><ano>" + AgoraBrasilia().substr(2, 2) +
            "</ano><CNPJ>" + kCompanyCnpj + "</CNPJ><mod>55</mod><serie>1</serie><nNFIni>" + inicio +
            "</nNFIni><nNFFin>" + fim + "</nNFFin><xJust>Numeracao pulada por falha do sistema</xJust></infInut></inutNFe>",
        "infInut");
    const std::string ret = Posta("NfeInutilizacao", "nfeInutilizacaoNF", "1.07", pedido);
    EXPECT_TRUE(ValidaContraEsquema(ret, "PL_005f/retInutNFe_v1.07.xsd"));
    return ret;
  }

  ClienteDeTeste cliente_;
};

TEST_F(SandboxLeiaute110, AnswersAsTextInTheResultOfTheOperationWithoutASoapHeader) {
  const std::string envelope = Posta("NfeStatusServico", "nfeStatusServicoNF", "1.07", PedidoStatus("1.07"), "");
  EXPECT_EQ(envelope.find("Header"), std::string::npos) << envelope;
  EXPECT_NE(envelope.find(std::string("<nfeStatusServicoNFResponse xmlns=\"") + kWsdl +
                          "NfeStatusServico\"><nfeStatusServicoNFResult>&lt;retConsStatServ "),
            std::string::npos)
      << envelope;
  const std::string ret = Posta("NfeStatusServico", "nfeStatusServicoNF", "1.07", PedidoStatus("1.07"));
  EXPECT_TRUE(ValidaContraEsquema(ret, "PL_005f/retConsStatServ_v1.07.xsd"));
  EXPECT_EQ(Campo(ret, "cStat"), "107");
}

TEST_F(SandboxLeiaute110, ChecksTheHeaderAndTheMessageWithTheCodesOfTheFirstGeneration) {
  const std::string servico = "NfeStatusServico", metodo = "nfeStatusServicoNF";
  struct Caso {
    std::string nome, cabecalho, dados, cStat;
  };
  const std::vector<Caso> casos{
      {"sem nfeCabecMsg", "", PedidoStatus("1.07"), "242"},
      {"cabeçalho que não é XML", "<cabecMsg", PedidoStatus("1.07"), "242"},
      {"cabeçalho fora do esquema",
       std::string("<cabecMsg xmlns=\"") + kNFe + "\" versao=\"2.00\"><versaoDados>1.07</versaoDados></cabecMsg>",
       PedidoStatus("1.07"), "242"},
      {"versaoDados diferente da mensagem", Cabecalho("1.10"), PedidoStatus("1.07"), "545"},
      {"mensagem do leiaute 2.00", Cabecalho("2.00"), PedidoStatus("2.00"), "238"},
      {"UF de outro estado", Cabecalho("1.07"), PedidoStatus("1.07", "33"), "289"},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(c.nome);
    const std::string ret = cliente_.Posta(sandbox_->Endereco("SP", servico), servico, metodo, metodo + "Result",
                                           EnvelopeAntigo(servico, metodo, c.cabecalho, c.dados));
    EXPECT_EQ(Campo(ret, "cStat"), c.cStat) << Campo(ret, "xMotivo");
    EXPECT_TRUE(ValidaContraEsquema(ret, "PL_005f/retConsStatServ_v1.07.xsd"));
  }
  // Each generation takes only its own SOAP form.
  const std::string falha = moxtest::MensagemDe<mox::EKivoException>([&] {
    cliente_.Posta(sandbox_->Endereco("SP", servico), servico, metodo, metodo + "Result",
                   Envelope(servico, "35", "1.07", PedidoStatus("1.07")));
  });
  EXPECT_NE(falha.find("O corpo SOAP não é o esperado"), std::string::npos) << falha;
  const std::string nova = "NfeStatusServico2";
  const std::string falhaNova = moxtest::MensagemDe<mox::EKivoException>([&] {
    cliente_.Posta(sandbox_->Endereco("SP", nova), nova, "nfeStatusServicoNF2", "nfeStatusServicoNF2Result",
                   EnvelopeAntigo(nova, "nfeStatusServicoNF2", Cabecalho("2.00"), PedidoStatus("2.00")));
  });
  EXPECT_NE(falhaNova.find("O corpo SOAP não é o esperado"), std::string::npos) << falhaNova;
}

// The key of layout 1.10 has a numeric code of nine digits and no emission type; its batches and
// receipts belong to the first generation's services only.
TEST_F(SandboxLeiaute110, AuthorizesNotesWithTheOlderKeyInBatchesOfTheirOwnGeneration) {
  const std::string nota = Assina(NotaDeTeste(7101, {}, "1.10"), "infNFe");
  const std::string recibo = Campo(EnviaLote(nota), "nRec");
  const std::string protocolo = ConsultaRecibo(recibo);
  EXPECT_EQ(Campo(protocolo, "cStat", "infProt"), "100") << protocolo;
  EXPECT_EQ(Campo(protocolo, "chNFe"), ChaveDe(nota));
  EXPECT_EQ(Campo(Autoriza(nota), "cStat", "infProt"), "204");

  // A note keyed in the form of the later layouts: position 35 is read as part of its code.
  std::string formaNova =
      NotaDeTeste(7102, [](std::string& n) { Troca(n, "<cNF>112345678</cNF>", "<cNF>212345678</cNF>"); }, "1.10");
  const std::string chaveAntiga = ChaveDe(formaNova);
  const std::string chaveNova =
      mox::CalculaChave(Campo(formaNova, "dEmi"), "35", kCompanyCnpj, "55", "1", "7102", "1", "12345678");
  Troca(formaNova, "NFe" + chaveAntiga, "NFe" + chaveNova);
  Troca(formaNova, "<cDV>" + chaveAntiga.substr(43) + "</cDV>", "<cDV>" + chaveNova.substr(43) + "</cDV>");
  EXPECT_EQ(Campo(Autoriza(Assina(formaNova, "infNFe")), "cStat", "infProt"), "562");

  // A batch of layout 1.10 at the newer reception, and its receipt at the newer receipt query.
  const std::string lote2 = cliente_.Posta(sandbox_->Endereco("SP", "NfeRecepcao2"), "NfeRecepcao2",
                                           "nfeRecepcaoLote2", "nfeRecepcaoLote2Result",
                                           Envelope("NfeRecepcao2", "35", "1.10", Lote110(nota)));
  EXPECT_EQ(Campo(lote2, "cStat"), "239");
  const std::string recibo2 = cliente_.Posta(
      sandbox_->Endereco("SP", "NfeRetRecepcao2"), "NfeRetRecepcao2", "nfeRetRecepcao2", "nfeRetRecepcao2Result",
      Envelope("NfeRetRecepcao2", "35", "2.00",
               std::string("<consReciNFe xmlns=\"") + kNFe + "\" versao=\"2.00\"><tpAmb>2</tpAmb><nRec>" + recibo +
                   "</nRec></consReciNFe>"));
  EXPECT_EQ(Campo(recibo2, "cStat"), "106");
}

TEST_F(SandboxLeiaute110, QueriesCancelsAndVoidsInTheVersionsOfLayout110) {
  const std::string nota = Assina(NotaDeTeste(7201, {}, "1.10"), "infNFe");
  const std::string chave = ChaveDe(nota);
  const std::string protocolo = Autoriza(nota);
  const std::string autorizada = Consulta(chave);
  EXPECT_EQ(Campo(autorizada, "cStat"), "100");
  EXPECT_EQ(Campo(autorizada, "nProt"), Campo(protocolo, "nProt"));
  EXPECT_EQ(Campo(autorizada, "digVal"), Campo(protocolo, "digVal"));

  const std::string cancelamento = Cancela(chave, Campo(protocolo, "nProt"));
  EXPECT_EQ(Campo(cancelamento, "cStat"), "101") << cancelamento;
  const std::string cancelada = Consulta(chave);
  EXPECT_EQ(Campo(cancelada, "cStat"), "101");
  EXPECT_EQ(Campo(cancelada, "nProt"), Campo(cancelamento, "nProt"));
  EXPECT_EQ(Campo(Cancela(chave, Campo(protocolo, "nProt")), "cStat"), "218");
  // The newer query carries the documents of layout 1.10 as they were answered.
  const std::string consulta310 = ConsultaNota(cliente_, *sandbox_, chave);
  EXPECT_TRUE(ValidaContraEsquema(consulta310, "PL_008i2/retConsSitNFe_v3.10.xsd"));
  EXPECT_EQ(Campo(consulta310, "cStat"), "101");
  EXPECT_EQ(Campo(consulta310, "nProt", "retCancNFe"), Campo(cancelamento, "nProt"));
  EXPECT_EQ(Campo(Consulta(ChaveDe(NotaDeTeste(7299, {}, "1.10"))), "cStat"), "217");

  EXPECT_EQ(Campo(Inutiliza(7210, 7220), "cStat"), "102");
  EXPECT_EQ(Campo(Inutiliza(7210, 7220), "cStat"), "563");
  EXPECT_EQ(Campo(Inutiliza(7200, 7205), "cStat"), "241");
}

}  // namespace
