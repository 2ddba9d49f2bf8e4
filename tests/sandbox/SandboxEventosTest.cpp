// Event reception with hand-written, signed events: cancellation, correction letter,
// manifestation and EPEC, each accepted or rejected with its code, and their effect on the note.
#include <gtest/gtest.h>

#include <map>

#include "support/SandboxDeTeste.h"

namespace {

using namespace moxtest;

const char* kRetEvento = "Evento_Generico_PL_v1.01/retEnvEvento_v1.00.xsd";

class SandboxEventos : public TesteComSandbox {
 protected:
  // An authorized note with a number of its own; aProtocolo receives its nProt.
  std::string NotaAutorizada(std::string* aProtocolo = nullptr, int* aNumero = nullptr) {
    const int numero = ++numero_;
    const std::string nota = Assina(NotaDeTeste(numero), "infNFe");
    const std::string protocolo = Autoriza(cliente_, *sandbox_, nota);
    if (aProtocolo) *aProtocolo = Campo(protocolo, "nProt");
    if (aNumero) *aNumero = numero;
    return ChaveDe(nota);
  }

  // Sends one signed event and returns its retEvento, checking the lot's answer.
  std::string Registra(const EventoDeTeste& aEvento, const std::string& aSecao = "SP",
                       const mox::CertificateCredential& aCertificado = Pki().Company) {
    const std::string ret = EnviaEventos(cliente_, *sandbox_, aSecao, {Assina(aEvento.Xml(), "infEvento", aCertificado)});
    EXPECT_TRUE(ValidaContraEsquema(ret, kRetEvento));
    EXPECT_EQ(Campo(ret, "cStat"), "128") << ret;
    const auto retornos = Elementos(ret, "retEvento");
    return retornos.empty() ? std::string{} : retornos.front();
  }

  static int numero_;
  ClienteDeTeste cliente_;
};

int SandboxEventos::numero_ = 2000;

TEST_F(SandboxEventos, CancelsAnAuthorizedNoteOnceAndTheQueryShowsTheEvent) {
  std::string protocolo;
  const std::string chave = NotaAutorizada(&protocolo);
  const std::string ret = EnviaEventos(cliente_, *sandbox_, "SP",
                                       {Assina(EventoDeTeste{"110111", chave, DetalheCancelamento(protocolo)}.Xml(), "infEvento")});
  EXPECT_TRUE(ValidaContraEsquema(ret, "Evento_Canc_PL_v1.01/retEnvEventoCancNFe_v1.00.xsd"));
  const std::string retEvento = Elementos(ret, "retEvento").at(0);
  EXPECT_EQ(Campo(retEvento, "cStat"), "135");
  EXPECT_EQ(Campo(retEvento, "xMotivo"), "Evento registrado e vinculado a NF-e");
  EXPECT_EQ(Campo(retEvento, "CNPJDest"), kCnpjDestinatario);
  EXPECT_EQ(Campo(retEvento, "nProt").size(), 15u);

  const std::string situacao = ConsultaNota(cliente_, *sandbox_, chave);
  EXPECT_TRUE(ValidaContraEsquema(situacao, "PL_008i2/retConsSitNFe_v3.10.xsd"));
  EXPECT_EQ(Campo(situacao, "cStat"), "101");
  EXPECT_EQ(Campo(situacao, "nProt", "protNFe"), protocolo);
  ASSERT_EQ(Elementos(situacao, "procEventoNFe").size(), 1u);
  EXPECT_EQ(Campo(situacao, "tpEvento", "retEvento"), "110111");

  EXPECT_EQ(Campo(Registra(EventoDeTeste{"110111", chave, DetalheCancelamento(protocolo)}), "cStat"), "573");
  EXPECT_EQ(Campo(Registra(EventoDeTeste{"110110", chave, DetalheCCe("Endereco de entrega corrigido")}), "cStat"), "580");
}

TEST_F(SandboxEventos, RejectsEachFaultyEventWithItsCode) {
  std::string protocolo;
  const std::string chave = NotaAutorizada(&protocolo);
  const std::string cce = DetalheCCe("Endereco de entrega corrigido");
  struct Caso {
    std::string nome;
    EventoDeTeste evento;
    std::string cStat;
    const mox::CertificateCredential* certificado = &Pki().Company;
  };
  EventoDeTeste idErrado{"110110", chave, cce, 2};
  const std::vector<Caso> casos{
      {"carta de correção válida", {"110110", chave, cce}, "135"},
      {"nota desconhecida", {"110110", ChaveDe(NotaDeTeste(++numero_)), cce}, "494"},
      {"protocolo diferente", {"110111", chave, DetalheCancelamento("135000000000001")}, "222"},
      {"órgão de outra UF", {"110110", chave, cce, 3, "33"}, "657"},
      {"sequência acima de 20", {"110110", chave, cce, 21}, "594"},
      {"correção curta demais", {"110110", chave, DetalheCCe("curta"), 4}, "493"},
      {"tipo desconhecido", {"999999", chave, cce}, "491"},
      {"EPEC fora do ambiente nacional", {"110140", chave, cce}, "491"},
      {"ambiente de produção", {"110110", chave, cce, 5, "35", kCompanyCnpj, "1"}, "252"},
      {"autor que não é o emitente", {"110110", chave, cce, 6, "35", kCnpjDestinatario}, "574", &OutraEmpresa()},
      {"manifestação de quem não é o destinatário", {"210210", chave, "<descEvento>Ciencia da Operacao</descEvento>"},
       "575"},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(c.nome);
    const std::string retEvento = Registra(c.evento, "SP", *c.certificado);
    EXPECT_EQ(Campo(retEvento, "cStat"), c.cStat) << Campo(retEvento, "xMotivo");
  }
  // The Id must be what its fields make.
  std::string evento = Assina(idErrado.Xml(), "infEvento");
  Troca(evento, "<nSeqEvento>2</nSeqEvento>", "<nSeqEvento>9</nSeqEvento>");
  const std::string ret = EnviaEventos(cliente_, *sandbox_, "SP", {evento});
  EXPECT_EQ(Campo(ret, "cStat", "retEvento"), "572");
  // An unsigned event fails the lot's schema.
  EXPECT_EQ(Campo(EnviaEventos(cliente_, *sandbox_, "SP", {EventoDeTeste{"110110", chave, cce, 7}.Xml()}), "cStat"), "215");
}

TEST_F(SandboxEventos, TakesTheRecipientsManifestationAtTheNationalEnvironment) {
  const std::string chave = NotaAutorizada();
  auto manifestacao = [&](const std::string& aTipo, const std::string& aDescricao) {
    return Registra(EventoDeTeste{aTipo, chave, "<descEvento>" + aDescricao + "</descEvento>", 1, "91", kCnpjDestinatario},
                    "AN", OutraEmpresa());
  };
  EXPECT_EQ(Campo(manifestacao("210200", "Confirmacao da Operacao"), "cStat"), "135");
  EXPECT_EQ(Campo(manifestacao("210200", "Confirmacao da Operacao"), "cStat"), "573");
  EXPECT_EQ(Campo(manifestacao("210210", "Ciencia da Operacao"), "cStat"), "655");
}

TEST_F(SandboxEventos, RegistersAnEpecThatAuthorizesTheContingencyNoteLater) {
  const int numero = ++numero_;
  const std::string nota = Assina(NotaDeTeste(numero, [](std::string& n) { Troca(n, "<tpEmis>1</tpEmis>", "<tpEmis>4</tpEmis>"); }),
                                  "infNFe");
  const std::string chave = ChaveDe(nota);
  const std::string detalhe =
      "<descEvento>EPEC</descEvento><cOrgaoAutor>35</cOrgaoAutor><tpAutor>1</tpAutor><verAplic>teste</verAplic>"
      "<dhEmi>" + Campo(nota, "dhEmi") + "</dhEmi><tpNF>1</tpNF><IE>111111111111</IE><dest><UF>RJ</UF><CNPJ>" +
      kCnpjDestinatario + "</CNPJ><IE>12345678</IE><vNF>600.00</vNF><vICMS>108.00</vICMS><vST>0.00</vST></dest>";
  const std::string epec = Registra(EventoDeTeste{"110140", chave, detalhe, 1, "91"}, "AN");
  EXPECT_EQ(Campo(epec, "cStat"), "136") << epec;
  EXPECT_EQ(Campo(Autoriza(cliente_, *sandbox_, nota), "cStat"), "100");

  const std::string semEpec = Assina(
      NotaDeTeste(++numero_, [](std::string& n) { Troca(n, "<tpEmis>1</tpEmis>", "<tpEmis>4</tpEmis>"); }), "infNFe");
  const std::string recibo = Campo(EnviaLote(cliente_, *sandbox_, {semEpec}), "nRec");
  EXPECT_EQ(Campo(ConsultaRecibo(cliente_, *sandbox_, recibo), "cStat", "infProt"), "468");
  const std::string normal = ChaveDe(NotaDeTeste(++numero_));
  EXPECT_EQ(Campo(Registra(EventoDeTeste{"110140", normal, detalhe, 1, "91"}, "AN"), "cStat"), "484");
}

}  // namespace
