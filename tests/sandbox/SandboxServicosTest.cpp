// The older cancellation request, the voiding of numbers and the registry query, with
// hand-written, signed requests.
#include <gtest/gtest.h>

#include "support/SandboxDeTeste.h"

namespace {

using namespace moxtest;

class SandboxServicos : public TesteComSandbox {
 protected:
  std::string Cancela(const std::string& aChave, const std::string& aProtocolo) {
    const std::string pedido = Assina(
        "<cancNFe xmlns=\"http://www.portalfiscal.inf.br/nfe\" versao=\"2.00\"><infCanc Id=\"ID" + aChave +
            "\"><tpAmb>2</tpAmb><xServ>CANCELAR</xServ><chNFe>" + aChave + "</chNFe><nProt>" + aProtocolo +
            "</nProt><xJust>Cancelamento por erro de digitacao</xJust></infCanc></cancNFe>",
        "infCanc");
    const std::string ret = cliente_.Posta(sandbox_->Endereco("SP", "NfeCancelamento2"), "NfeCancelamento2",
                                           "nfeCancelamentoNF2", "nfeCancelamentoNF2Result",
                                           Envelope("NfeCancelamento2", "35", "2.00", pedido));
    EXPECT_TRUE(ValidaContraEsquema(ret, "PL_006v/retCancNFe_v2.00.xsd"));
    return ret;
  }

  std::string Inutiliza(const std::string& aAno, int aInicio, int aFim) {
    auto nove = [](int n) {
      const std::string t = std::to_string(n);
      return std::string(9 - t.size(), '0') + t;
    };
    const std::string pedido = Assina(
        "<inutNFe xmlns=\"http://www.portalfiscal.inf.br/nfe\" versao=\"3.10\"><infInut Id=\"ID35" + aAno + kCompanyCnpj +
            "55001" + nove(aInicio) + nove(aFim) + "\"><tpAmb>2</tpAmb><xServ>INUTILIZAR</xServ><cUF>35</cUF><ano>" + aAno +
            "</ano><CNPJ>" + kCompanyCnpj + "</CNPJ><mod>55</mod><serie>1</serie><nNFIni>" + std::to_string(aInicio) +
            "</nNFIni><nNFFin>" + std::to_string(aFim) + "</nNFFin><xJust>Numeracao pulada por falha do sistema</xJust>"
            "</infInut></inutNFe>",
        "infInut");
    const std::string ret = cliente_.Posta(sandbox_->Endereco("SP", "NfeInutilizacao3"), "NfeInutilizacao3",
                                           "nfeInutilizacaoNF", "nfeInutilizacaoNFResult",
                                           Envelope("NfeInutilizacao3", "35", "3.10", pedido));
    EXPECT_TRUE(ValidaContraEsquema(ret, "PL_008i2/retInutNFe_v3.10.xsd"));
    return ret;
  }

  // aSecao and aCodigoUF: the state whose service is asked.
  std::string Cadastro(const std::string& aUF, const std::string& aDocumento, const std::string& aSecao = "SP",
                       const std::string& aCodigoUF = "35") {
    const std::string pedido = "<ConsCad xmlns=\"http://www.portalfiscal.inf.br/nfe\" versao=\"2.00\"><infCons><xServ>"
                               "CONS-CAD</xServ><UF>" + aUF + "</UF>" + aDocumento + "</infCons></ConsCad>";
    const std::string ret = cliente_.Posta(sandbox_->Endereco(aSecao, "CadConsultaCadastro2"), "CadConsultaCadastro2",
                                           "consultaCadastro2", "consultaCadastro2Result",
                                           Envelope("CadConsultaCadastro2", aCodigoUF, "2.00", pedido));
    EXPECT_TRUE(ValidaContraEsquema(ret, "PL_006v/retConsCad_v2.00.xsd"));
    return ret;
  }

  ClienteDeTeste cliente_;
};


TEST_F(SandboxServicos, CancelsByRequestOnlyAnAuthorizedNoteWithItsProtocol) {
  const std::string nota = Assina(NotaDeTeste(4001), "infNFe");
  const std::string protocolo = Campo(Autoriza(cliente_, *sandbox_, nota), "nProt");
  const std::string chave = ChaveDe(nota);
  EXPECT_EQ(Campo(Cancela(chave, "135000000000001"), "cStat"), "222");
  const std::string cancelamento = Cancela(chave, protocolo);
  EXPECT_EQ(Campo(cancelamento, "cStat"), "101");
  EXPECT_EQ(Campo(cancelamento, "nProt").size(), 15u);
  const std::string denovo = Cancela(chave, protocolo);
  EXPECT_EQ(Campo(denovo, "cStat"), "218");
  EXPECT_NE(Campo(denovo, "xMotivo").find("[nRec:35"), std::string::npos);
  EXPECT_EQ(Campo(Cancela(ChaveDe(NotaDeTeste(4999)), protocolo), "cStat"), "217");

  const std::string situacao = ConsultaNota(cliente_, *sandbox_, chave);
  EXPECT_EQ(Campo(situacao, "cStat"), "101");
  EXPECT_EQ(Campo(situacao, "nProt", "retCancNFe"), Campo(cancelamento, "nProt"));
}

TEST_F(SandboxServicos, VoidsOnlyNumbersNeverUsedNorVoidedBefore) {
  Autoriza(cliente_, *sandbox_, Assina(NotaDeTeste(5005), "infNFe"));
  const std::string ano = AgoraBrasilia().substr(2, 2);
  struct Caso {
    std::string nome, ano;
    int inicio, fim;
    std::string cStat;
  };
  const std::vector<Caso> casos{
      {"faixa livre", ano, 5010, 5020, "102"},
      {"a mesma faixa de novo", ano, 5010, 5020, "563"},
      {"faixa que cruza a inutilizada", ano, 5015, 5030, "256"},
      {"faixa com número autorizado", ano, 5000, 5009, "241"},
      {"início maior que o fim", ano, 5040, 5039, "224"},
      {"mais de 10000 números", ano, 6000, 16001, "201"},
      {"ano futuro", "99", 5050, 5051, "453"},
      {"ano anterior a 2006", "05", 5050, 5051, "454"},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(c.nome);
    const std::string ret = Inutiliza(c.ano, c.inicio, c.fim);
    EXPECT_EQ(Campo(ret, "cStat"), c.cStat) << Campo(ret, "xMotivo");
  }
  const std::string nota = Assina(NotaDeTeste(5012), "infNFe");
  const std::string recibo = Campo(EnviaLote(cliente_, *sandbox_, {nota}), "nRec");
  EXPECT_EQ(Campo(ConsultaRecibo(cliente_, *sandbox_, recibo), "cStat", "infProt"), "206");
}

TEST_F(SandboxServicos, FindsInTheRegistryTheCompaniesOfItsNotes) {
  Autoriza(cliente_, *sandbox_, Assina(NotaDeTeste(6001), "infNFe"));
  const std::string emitente = Cadastro("SP", std::string("<CNPJ>") + kCompanyCnpj + "</CNPJ>");
  EXPECT_EQ(Campo(emitente, "cStat"), "111");
  EXPECT_EQ(Campo(emitente, "xNome"), "EMPRESA EMITENTE DE TESTE LTDA");
  EXPECT_EQ(Campo(emitente, "IE", "infCad"), "111111111111");
  EXPECT_EQ(Campo(Cadastro("SP", "<IE>111111111111</IE>"), "cStat"), "111");
  EXPECT_EQ(Campo(Cadastro("RJ", std::string("<CNPJ>") + kCnpjDestinatario + "</CNPJ>", "RJ", "33"), "cStat"), "111");
  EXPECT_EQ(Campo(Cadastro("SP", "<CNPJ>11444777000161</CNPJ>"), "cStat"), "259");
  EXPECT_EQ(Campo(Cadastro("SP", "<CNPJ>11444777000100</CNPJ>"), "cStat"), "258");
  EXPECT_EQ(Campo(Cadastro("RJ", std::string("<CNPJ>") + kCompanyCnpj + "</CNPJ>"), "cStat"), "265");
}

}  // namespace
