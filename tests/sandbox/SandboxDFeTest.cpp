// The recipient's side: DF-e distribution, the query of notes addressed to a CNPJ and their
// download, answered from what the sandbox authorized and registered.
#include <gtest/gtest.h>

#include "external/Base64.h"
#include "external/Gzip.h"
#include "support/SandboxDeTeste.h"

namespace {

using namespace moxtest;

std::string Descompacta(const std::string& aBase64) { return mox::GzipDecompress(mox::Base64Decode(aBase64)); }

class SandboxDFe : public TesteComSandbox {
 protected:
  std::string Distribuicao(int aUltimoNSU, ClienteDeTeste& aCliente, const std::string& aCnpj = kCnpjDestinatario) {
    const std::string ret = DistribuicaoDFe(aCliente, *sandbox_, aCnpj, aUltimoNSU);
    EXPECT_TRUE(ValidaContraEsquema(ret, "PL_008i2/retDistDFeInt_v1.01.xsd"));
    return ret;
  }

  std::string Download(const std::string& aChave) {
    const std::string pedido = "<downloadNFe xmlns=\"http://www.portalfiscal.inf.br/nfe\" versao=\"1.00\"><tpAmb>2</tpAmb>"
                               "<xServ>DOWNLOAD NFE</xServ><CNPJ>" + std::string(kCnpjDestinatario) + "</CNPJ><chNFe>" +
                               aChave + "</chNFe></downloadNFe>";
    const std::string ret = destinatario_.Posta(sandbox_->Endereco("AN", "NfeDownloadNF"), "NfeDownloadNF", "nfeDownloadNF",
                                                "nfeDownloadNFResult", Envelope("NfeDownloadNF", "91", "1.00", pedido));
    EXPECT_TRUE(ValidaContraEsquema(ret, "PL_v1.01b/retDownloadNFe_v1.00.xsd"));
    return ret;
  }

  void Manifesta(const std::string& aChave, const std::string& aTipo, const std::string& aDescricao) {
    const std::string evento = Assina(
        EventoDeTeste{aTipo, aChave, "<descEvento>" + aDescricao + "</descEvento>", 1, "91", kCnpjDestinatario}.Xml(),
        "infEvento", OutraEmpresa());
    EXPECT_EQ(Campo(EnviaEventos(destinatario_, *sandbox_, "AN", {evento}), "cStat", "retEvento"), "135");
  }

  ClienteDeTeste emitente_;
  ClienteDeTeste destinatario_{&OutraEmpresa()};
};


TEST_F(SandboxDFe, DistributesTheSummaryThenTheWholeNoteOnceTheRecipientKnowsOfIt) {
  const std::string nota = Assina(NotaDeTeste(3001), "infNFe");
  const std::string protocolo = Autoriza(emitente_, *sandbox_, nota);

  const std::string primeira = Distribuicao(0, destinatario_);
  EXPECT_EQ(Campo(primeira, "cStat"), "138");
  const auto documentos = Elementos(primeira, "docZip");
  ASSERT_EQ(documentos.size(), 1u);
  EXPECT_NE(documentos[0].find("schema=\"resNFe_v1.01.xsd\""), std::string::npos);
  const std::string resumo = Descompacta(Campo(primeira, "docZip"));
  EXPECT_TRUE(ValidaContraEsquema(resumo, "PL_008i2/resNFe_v1.01.xsd"));
  EXPECT_EQ(Campo(resumo, "chNFe"), ChaveDe(nota));
  EXPECT_EQ(Campo(resumo, "nProt"), Campo(protocolo, "nProt"));
  EXPECT_EQ(Campo(primeira, "ultNSU"), "000000000000001");
  EXPECT_EQ(Campo(primeira, "maxNSU"), "000000000000001");

  EXPECT_EQ(Campo(Distribuicao(1, destinatario_), "cStat"), "137");
  EXPECT_EQ(Campo(Distribuicao(2, destinatario_), "cStat"), "589");
  EXPECT_EQ(Campo(Distribuicao(0, emitente_), "cStat"), "593");

  Manifesta(ChaveDe(nota), "210210", "Ciencia da Operacao");
  const std::string segunda = Distribuicao(1, destinatario_);
  EXPECT_EQ(Campo(segunda, "cStat"), "138");
  const std::string completa = Descompacta(Campo(segunda, "docZip"));
  EXPECT_TRUE(ValidaContraEsquema(completa, "PL_008i2/procNFe_v3.10.xsd"));
  EXPECT_EQ(Campo(completa, "DigestValue"), Campo(nota, "DigestValue"));
}

TEST_F(SandboxDFe, DownloadsOnlyNotesTheRecipientManifestedAbout) {
  const std::string nota = Assina(NotaDeTeste(3002), "infNFe");
  Autoriza(emitente_, *sandbox_, nota);
  const std::string chave = ChaveDe(nota);
  EXPECT_EQ(Campo(Download(chave), "cStat", "retNFe"), "633");
  EXPECT_EQ(Campo(Download(ChaveDe(NotaDeTeste(3999))), "cStat", "retNFe"), "217");

  Manifesta(chave, "210200", "Confirmacao da Operacao");
  const std::string ret = Download(chave);
  EXPECT_EQ(Campo(ret, "cStat"), "139");
  EXPECT_EQ(Campo(ret, "cStat", "retNFe"), "140");
  const std::string baixada = Descompacta(Campo(ret, "NFeZip"));
  EXPECT_EQ(ChaveDe(baixada), chave);
  EXPECT_EQ(Campo(baixada, "SignatureValue"), Campo(nota, "SignatureValue"));
  EXPECT_EQ(Campo(Descompacta(Campo(ret, "protNFeZip")), "cStat"), "100");
}

TEST_F(SandboxDFe, ListsTheNotesAddressedToTheCompanyWithTheirManifestation) {
  const std::string nota = Assina(NotaDeTeste(3003), "infNFe");
  Autoriza(emitente_, *sandbox_, nota);
  const std::string pedido = "<consNFeDest xmlns=\"http://www.portalfiscal.inf.br/nfe\" versao=\"1.01\"><tpAmb>2</tpAmb>"
                             "<xServ>CONSULTAR NFE DEST</xServ><CNPJ>" + std::string(kCnpjDestinatario) +
                             "</CNPJ><indNFe>0</indNFe><indEmi>0</indEmi><ultNSU>0</ultNSU></consNFeDest>";
  const std::string ret = destinatario_.Posta(sandbox_->Endereco("AN", "NfeConsultaDest"), "NfeConsultaDest",
                                              "nfeConsultaNFDest", "nfeConsultaNFDestResult",
                                              Envelope("NfeConsultaDest", "91", "1.01", pedido));
  EXPECT_TRUE(ValidaContraEsquema(ret, "PL_v1.01b/retconsNFeDest_v1.01.xsd"));
  EXPECT_EQ(Campo(ret, "cStat"), "138");
  bool achou = false;
  for (const auto& resumo : Elementos(ret, "resNFe"))
    if (Campo(resumo, "chNFe") == ChaveDe(nota)) {
      achou = true;
      EXPECT_EQ(Campo(resumo, "cSitConf"), "0");
      EXPECT_EQ(Campo(resumo, "digVal"), Campo(nota, "DigestValue"));
    }
  EXPECT_TRUE(achou) << ret;
}

}  // namespace
