// The component's request builders of every manual version against the sandbox: each operation
// posts the templates of its version and gets an answer valid against the official response
// schema of that generation (layout 1.10 in the first generation's SOAP form); compressed and
// synchronous batches; the contingency services.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "base/moxFormat.h"
#include "component/TmoxNFe.h"
#include "support/NotaAssinada.h"
#include "support/SandboxDeTeste.h"
#include "webservices/TmoxNFE50aIntf.h"

namespace {

using namespace moxtest;
using mox::TModoOperacao;
using mox::TVersaoManual;

// One generation of services: its manual version, note layout and answer schemas. PL_005
// publishes the registry answer only as the type TRetConsCad of its layout: null stands for a
// root element of that type, declared beside it by the suite.
struct Geracao {
  TVersaoManual versao;
  const char* leiaute;
  const char* status;
  const char* envio;
  const char* recibo;
  const char* situacao;
  const char* cancelamento;
  const char* inutilizacao;
  const char* cadastro;
};

const Geracao kGeracoes[] = {
    {TVersaoManual::vm202a, "1.10", "PL_005c/retConsStatServ_v1.07.xsd", "PL_005c/retEnviNFe_v1.10.xsd",
     "PL_005c/retConsReciNFe_v1.10.xsd", "PL_005c/retConsSitNFe_v1.07.xsd", "PL_005c/retCancNFe_v1.07.xsd",
     "PL_005c/retInutNFe_v1.07.xsd", nullptr},
    {TVersaoManual::vm30, "1.10", "PL_005f/retConsStatServ_v1.07.xsd", "PL_005f/retEnviNFe_v1.10.xsd",
     "PL_005f/retConsReciNFe_v1.10.xsd", "PL_005f/retConsSitNFe_v1.07.xsd", "PL_005f/retCancNFe_v1.07.xsd",
     "PL_005f/retInutNFe_v1.07.xsd", nullptr},
    {TVersaoManual::vm40, "2.00", "PL_006j/retConsStatServ_v2.00.xsd", "PL_006j/retEnviNFe_v2.00.xsd",
     "PL_006j/retConsReciNFe_v2.00.xsd", "PL_006j/retConsSitNFe_v2.00.xsd", "PL_006j/retCancNFe_v2.00.xsd",
     "PL_006j/retInutNFe_v2.00.xsd", "PL_006j/retConsCad_v2.00.xsd"},
    {TVersaoManual::vm50, "2.00", "PL_006v/retConsStatServ_v2.00.xsd", "PL_006v/retEnviNFe_v2.00.xsd",
     "PL_006v/retConsReciNFe_v2.00.xsd", "PL_006v/retConsSitNFe_v2.01.xsd", "PL_006v/retCancNFe_v2.00.xsd",
     "PL_006v/retInutNFe_v2.00.xsd", "PL_006v/retConsCad_v2.00.xsd"},
    {TVersaoManual::vm50a, "3.10", "PL_008i2/retConsStatServ_v3.10.xsd", "PL_008i2/retEnviNFe_v3.10.xsd",
     "PL_008i2/retConsReciNFe_v3.10.xsd", "PL_008i2/retConsSitNFe_v3.10.xsd", "PL_006v/retCancNFe_v2.00.xsd",
     "PL_008i2/retInutNFe_v3.10.xsd", "PL_006v/retConsCad_v2.00.xsd"},
};

class ConstrutoresNoSandbox : public TesteComSandbox {
 protected:
  static void SetUpTestSuite() {
    TesteComSandbox::SetUpTestSuite();
    pasta_ = new TempDir;
    const auto r = RunProgram(BuiltProgram("moxnfe-sandbox"),
                              {"servidores", "--url", sandbox_->Url(), "--saida", pasta_->file("servidores.ini")});
    ASSERT_EQ(r.status, 0) << r.err;
    WritePfx(pasta_->path() / "empresa.pfx", Pki().Company, "x");
    WriteText(RaizCadastro110(),
              "<xs:schema xmlns:xs=\"http://www.w3.org/2001/XMLSchema\" xmlns=\"http://www.portalfiscal.inf.br/nfe\" "
              "targetNamespace=\"http://www.portalfiscal.inf.br/nfe\" elementFormDefault=\"qualified\">"
              "<xs:include schemaLocation=\"" +
                  (SchemasDir() / "PL_005f" / "leiauteConsultaCadastro_v1.01.xsd").string() +
                  "\"/><xs:element name=\"retConsCad\" type=\"TRetConsCad\"/></xs:schema>");
  }
  static std::string RaizCadastro110() { return pasta_->file("retConsCad_v1.01.xsd"); }
  static void TearDownTestSuite() {
    delete pasta_;
    TesteComSandbox::TearDownTestSuite();
  }

  // The component configured for the sandbox under the manual version and mode.
  static std::unique_ptr<mox::TmoxNFe> Componente(TVersaoManual aVersao, TModoOperacao aModo = TModoOperacao::moNormal) {
    auto nfe = std::make_unique<mox::TmoxNFe>();
    nfe->SetUF("SP");
    nfe->SetCNPJ(kCompanyCnpj);
    nfe->SetVersaoManual(aVersao);
    nfe->SetModoOperacao(aModo);
    nfe->SetArquivoServidoresHom(pasta_->file("servidores.ini"));
    nfe->SetDiretorioTemplates(std::string(MOXNFE_BINARY_DIR) + "/Templates/");
    nfe->SetDiretorioLogErro(pasta_->str() + "LogErro/");
    nfe->SetCaminhoCertificado(pasta_->file("empresa.pfx"));
    nfe->SetSenhaCertificado("x");
    nfe->GetKivo();
    nfe->UpdateNFeData();
    return nfe;
  }

  // The batch document of the component's template holding the signed notes.
  static std::string Lote(mox::TmoxNFe& aNFe, const std::string& aNotas) {
    return mox::moxFormat(aNFe.LoadTemplate("pedido_enviarnota.xml"), {"1", aNotas, ""});
  }

  static std::string Cancelamento(mox::TmoxNFe& aNFe, const std::string& aChave, const std::string& aProtocolo) {
    const std::string grupo = mox::moxFormat(aNFe.LoadTemplate("infcanc_cancelarnf.xml"),
                                             {"ID" + aChave, "2", aChave, aProtocolo, "Cancelamento por erro de digitacao"});
    return Assina(mox::moxFormat(aNFe.LoadTemplate("assinar_cancelamento.xml"), {grupo, ""}), "infCanc");
  }

  static std::string Inutilizacao(mox::TmoxNFe& aNFe, int aNumero) {
    const std::string ano = AgoraBrasilia().substr(2, 2);
    const std::string numero = mox::moxFormat("%.9d", {aNumero});
    // The id carries the year from manual 4.0 on.
    const bool comAno = aNFe.VersaoManual() != TVersaoManual::vm202a && aNFe.VersaoManual() != TVersaoManual::vm30;
    const std::string id = "ID35" + (comAno ? ano : "") + kCompanyCnpj + "55001" + numero + numero;
    const std::string grupo = mox::moxFormat(
        aNFe.LoadTemplate("infinut_inutilizarnf.xml"),
        {id, "2", "35", ano, kCompanyCnpj, "55", "1", std::to_string(aNumero), std::to_string(aNumero),
         "Numeracao pulada por falha do sistema"});
    return Assina(mox::moxFormat(aNFe.LoadTemplate("assinar_inutilizacao.xml"), {grupo, ""}), "infInut");
  }

  static int Numero() { return ++numero_; }

  static inline TempDir* pasta_ = nullptr;
  static inline int numero_ = 5000;
};

TEST_F(ConstrutoresNoSandbox, CadaOperacaoDeCadaVersaoRecebeRespostaValida) {
  for (const Geracao& g : kGeracoes) {
    SCOPED_TRACE(std::string("leiaute ") + g.leiaute + " manual " + std::to_string(static_cast<int>(g.versao)));
    auto nfe = Componente(g.versao);
    mox::TmoxNFEInterface& construtor = nfe->GetNFE();

    const std::string status = construtor.StatusDoServico();
    EXPECT_TRUE(ValidaContraEsquema(status, g.status));
    EXPECT_EQ(Campo(status, "cStat"), "107");

    const std::string nota = Assina(NotaDeTeste(Numero(), {}, g.leiaute), "infNFe");
    const std::string envio = construtor.EnviarNF("1", Lote(*nfe, nota), false);
    EXPECT_TRUE(ValidaContraEsquema(envio, g.envio));
    ASSERT_EQ(Campo(envio, "cStat"), "103") << envio;

    const std::string recibo = construtor.ConsultarRecibo(Campo(envio, "nRec"));
    EXPECT_TRUE(ValidaContraEsquema(recibo, g.recibo));
    ASSERT_EQ(Campo(recibo, "cStat", "infProt"), "100") << recibo;

    const std::string chave = ChaveDe(nota);
    const std::string situacao = construtor.ConsultarNF(chave);
    EXPECT_TRUE(ValidaContraEsquema(situacao, g.situacao));
    EXPECT_EQ(Campo(situacao, "cStat"), "100") << situacao;

    const std::string cancelamento = construtor.CancelarNF(Cancelamento(*nfe, chave, Campo(recibo, "nProt")));
    EXPECT_TRUE(ValidaContraEsquema(cancelamento, g.cancelamento));
    EXPECT_EQ(Campo(cancelamento, "cStat"), "101") << cancelamento;

    const std::string inutilizacao = construtor.InutilizarNF(Inutilizacao(*nfe, Numero()));
    EXPECT_TRUE(ValidaContraEsquema(inutilizacao, g.inutilizacao));
    EXPECT_EQ(Campo(inutilizacao, "cStat"), "102") << inutilizacao;

    const std::string cadastro =
        construtor.ConsultarCadastro("SP", std::string("<CNPJ>") + kCompanyCnpj + "</CNPJ>");
    EXPECT_TRUE(ValidaContraEsquema(cadastro, g.cadastro ? g.cadastro : RaizCadastro110()));
    EXPECT_EQ(Campo(cadastro, "cStat"), "111") << cadastro;
  }
}

TEST_F(ConstrutoresNoSandbox, LotesCompactadosESincronosNoManual50a) {
  auto nfe = Componente(TVersaoManual::vm50a);
  mox::TmoxNFEInterface& construtor = nfe->GetNFE();
  const struct {
    const char* nome;
    bool sincrono, compactado;
  } casos[] = {{"assíncrono compactado", false, true}, {"síncrono", true, false}, {"síncrono compactado", true, true}};
  for (const auto& caso : casos) {
    SCOPED_TRACE(caso.nome);
    const std::string nota = Assina(NotaDeTeste(Numero()), "infNFe");
    std::string lote = Lote(*nfe, nota);
    if (caso.sincrono) Troca(lote, "<indSinc>0</indSinc>", "<indSinc>1</indSinc>");
    const std::string resposta =
        caso.sincrono ? construtor.EnviarNFSincrono("1", lote, caso.compactado) : construtor.EnviarNF("1", lote, true);
    EXPECT_TRUE(ValidaContraEsquema(resposta, "PL_008i2/retEnviNFe_v3.10.xsd"));
    if (caso.sincrono) {
      EXPECT_EQ(Campo(resposta, "cStat"), "104") << resposta;
      EXPECT_EQ(Campo(resposta, "cStat", "infProt"), "100") << resposta;
    } else {
      ASSERT_EQ(Campo(resposta, "cStat"), "103") << resposta;
      EXPECT_EQ(Campo(construtor.ConsultarRecibo(Campo(resposta, "nRec")), "cStat", "infProt"), "100");
    }
  }
}

// In contingency the builder reads the SVC section: a note issued for SVC-AN is authorized
// there and the receipt is answered by the same service; SVC-RS answers the states it serves
// and refuses SP, which SVC-AN serves.
TEST_F(ConstrutoresNoSandbox, ContingenciaSVCANESVCRS) {
  auto svcan = Componente(TVersaoManual::vm50a, TModoOperacao::moSVCAN);
  mox::TmoxNFEInterface& construtor = svcan->GetNFE();
  EXPECT_EQ(Campo(construtor.StatusDoServico(), "cStat"), "107");
  const std::string nota = Assina(NotaDeTeste(Numero(),
                                              [](std::string& n) {
                                                Troca(n, "<tpEmis>1</tpEmis>", "<tpEmis>6</tpEmis>");
                                                Troca(n, "</verProc>",
                                                      "</verProc><dhCont>" + AgoraBrasilia() +
                                                          "</dhCont><xJust>Falha de comunicacao com a SEFAZ</xJust>");
                                              }),
                                  "infNFe");
  const std::string envio = construtor.EnviarNF("1", Lote(*svcan, nota), false);
  ASSERT_EQ(Campo(envio, "cStat"), "103") << envio;
  const std::string recibo = construtor.ConsultarRecibo(Campo(envio, "nRec"));
  EXPECT_TRUE(ValidaContraEsquema(recibo, "PL_008i2/retConsReciNFe_v3.10.xsd"));
  EXPECT_EQ(Campo(recibo, "cStat", "infProt"), "100") << recibo;

  auto svcrs = Componente(TVersaoManual::vm50a, TModoOperacao::moSVCRS);
  EXPECT_EQ(Campo(svcrs->GetNFE().StatusDoServico(), "cStat"), "410");
  svcrs->SetUF("PR");
  svcrs->UpdateNFeData();
  const std::string status = svcrs->GetNFE().StatusDoServico();
  EXPECT_TRUE(ValidaContraEsquema(status, "PL_008i2/retConsStatServ_v3.10.xsd"));
  EXPECT_EQ(Campo(status, "cStat"), "107") << status;
}

}  // namespace
