// The component's request builders of every manual version against the sandbox: each operation
// posts the templates of its version and gets an answer valid against the official response
// schema of that generation (layout 1.10 in the first generation's SOAP form); compressed and
// synchronous batches; the contingency services.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <tuple>
#include <string>
#include <utility>
#include <vector>

#include "base/EmoxException.h"
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
    EsquemaRetConsCad110(pasta_->path());
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


// Layout 4.00 (manual 6.0): notes written by the 4.00 converter from the TX2 examples; answers
// valid against the official 4.00 schemas, and SEFAZ's 4.00 checks (payments against the total,
// ICMS and products totals).
std::string Nota400(int aNumero, const std::function<void(std::string&)>& aAjuste = {}) {
  return Assina(NotaDeTeste400(aNumero, aAjuste), "infNFe");
}

// The receipt of a batch holding the note alone.
std::string Protocolo400(mox::TmoxNFEInterface& aConstrutor, mox::TmoxNFe& aNFe, const std::string& aNota) {
  const std::string envio =
      aConstrutor.EnviarNF("1", mox::moxFormat(aNFe.LoadTemplate("pedido_enviarnota.xml"), {"1", aNota, ""}), false);
  EXPECT_TRUE(ValidaContraEsquema(envio, "PL_009_V4/retEnviNFe_v4.00.xsd"));
  EXPECT_EQ(Campo(envio, "cStat"), "103") << envio;
  const std::string recibo = aConstrutor.ConsultarRecibo(Campo(envio, "nRec"));
  EXPECT_TRUE(ValidaContraEsquema(recibo, "PL_009_V4/retConsReciNFe_v4.00.xsd"));
  return recibo;
}

TEST_F(ConstrutoresNoSandbox, Leiaute400StatusAutorizacaoConsultaEventosEInutilizacao) {
  auto nfe = Componente(TVersaoManual::vm60);
  mox::TmoxNFEInterface& construtor = nfe->GetNFE();

  const std::string status = construtor.StatusDoServico();
  EXPECT_TRUE(ValidaContraEsquema(status, "PL_009_V4/retConsStatServ_v4.00.xsd"));
  EXPECT_EQ(Campo(status, "cStat"), "107") << status;
  EXPECT_NE(status.find("versao=\"4.00\""), std::string::npos) << status;

  const std::string nota = Nota400(Numero());
  const std::string recibo = Protocolo400(construtor, *nfe, nota);
  ASSERT_EQ(Campo(recibo, "cStat", "infProt"), "100") << recibo;

  const std::string situacao = construtor.ConsultarNF(ChaveDe(nota));
  EXPECT_TRUE(ValidaContraEsquema(situacao, "PL_009_V4/retConsSitNFe_v4.00.xsd"));
  EXPECT_EQ(Campo(situacao, "cStat"), "100") << situacao;

  // The same note again is a duplicate.
  EXPECT_EQ(Campo(Protocolo400(construtor, *nfe, nota), "cStat", "infProt"), "204");

  const std::string ano = AgoraBrasilia().substr(2, 2);
  const int numero = Numero();
  const std::string faixa = mox::moxFormat("%.9d", {numero});
  const std::string grupo = mox::moxFormat(
      nfe->LoadTemplate("infinut_inutilizarnf.xml"),
      {"ID35" + ano + kCompanyCnpj + "55001" + faixa + faixa, "2", "35", ano, kCompanyCnpj, "55", "1",
       std::to_string(numero), std::to_string(numero), "Numeracao pulada por falha do sistema"});
  const std::string inutilizacao = construtor.InutilizarNF(
      Assina(mox::moxFormat(nfe->LoadTemplate("assinar_inutilizacao.xml"), {grupo, ""}), "infInut"));
  EXPECT_TRUE(ValidaContraEsquema(inutilizacao, "PL_009_V4/retInutNFe_v4.00.xsd"));
  EXPECT_EQ(Campo(inutilizacao, "cStat"), "102") << inutilizacao;

  // Cancellation by event, and a correction letter, at the 4.00 event reception.
  const std::string chave = ChaveDe(nota);
  const std::string protocolo = Campo(recibo, "nProt");
  for (const auto& [tipo, detalhe, sequencia] :
       {std::tuple{"110110", DetalheCCe("Correcao do endereco de entrega para o numero 12"), 1},
        std::tuple{"110111", DetalheCancelamento(protocolo), 1}}) {
    SCOPED_TRACE(tipo);
    const std::string evento = Assina(EventoDeTeste{tipo, chave, detalhe, sequencia}.Xml(), "infEvento");
    const std::string resposta =
        construtor.EnviarEvento(mox::moxFormat(nfe->LoadTemplate("evento_lote.xml"), {"1", evento}));
    EXPECT_TRUE(ValidaContraEsquema(resposta, "PL_009_V4/retEnvEvento_v1.00.xsd"));
    EXPECT_EQ(Campo(resposta, "cStat", "infEvento"), "135") << resposta;
  }
  EXPECT_EQ(Campo(construtor.ConsultarNF(chave), "cStat"), "101");
  EXPECT_THROW(construtor.CancelarNF(""), mox::EmoxNFeException);
}

// A note with the tax-reform groups is authorized, in a compressed batch.
TEST_F(ConstrutoresNoSandbox, Leiaute400NotaDaReformaEmLoteCompactado) {
  auto nfe = Componente(TVersaoManual::vm60);
  mox::TmoxNFEInterface& construtor = nfe->GetNFE();
  const std::string nota = Assina(NotaDeTeste400(Numero(), {}, true), "infNFe");
  const std::string envio = construtor.EnviarNF("1", Lote(*nfe, nota), true);
  EXPECT_TRUE(ValidaContraEsquema(envio, "PL_010_V1.30/retEnviNFe_v4.00.xsd"));
  ASSERT_EQ(Campo(envio, "cStat"), "103") << envio;
  const std::string recibo = construtor.ConsultarRecibo(Campo(envio, "nRec"));
  EXPECT_EQ(Campo(recibo, "cStat", "infProt"), "100") << recibo;
}

// Notes that pass the schema but not SEFAZ's 4.00 totals are refused with SEFAZ's codes.
TEST_F(ConstrutoresNoSandbox, Leiaute400TotaisEPagamentosConferidos) {
  auto nfe = Componente(TVersaoManual::vm60);
  mox::TmoxNFEInterface& construtor = nfe->GetNFE();
  const struct {
    const char* nome;
    std::vector<std::pair<std::string, std::string>> trocas;
    const char* cStat;
  } casos[] = {
      {"pagamento menor que o total", {{"vPag_YA03=100.00\nvTroco_YA09=20.20\n", "vPag_YA03=79.00\n"}}, "865"},
      {"pagamento maior sem troco", {{"vTroco_YA09=20.20\n", ""}}, "866"},
      {"troco errado", {{"vTroco_YA09=20.20\n", "vTroco_YA09=20.00\n"}}, "869"},
      {"ICMS total diferente dos itens", {{"vICMS_W04=14.36\n", "vICMS_W04=14.00\n"}}, "532"},
      {"base do ICMS diferente dos itens", {{"vBC_W03=79.80\n", "vBC_W03=80.00\n"}}, "531"},
      {"produtos diferentes dos itens", {{"vProd_W07=79.80\n", "vProd_W07=79.90\n"}}, "564"},
      // Adjustment and return notes are not held to the payment sum.
      {"ajuste com pagamento menor",
       {{"finNFe_B25=1\n", "finNFe_B25=3\n"}, {"vPag_YA03=100.00\nvTroco_YA09=20.20\n", "vPag_YA03=10.00\n"}},
       "100"},
      {"devolução com pagamento menor",
       {{"finNFe_B25=1\n", "finNFe_B25=4\n"}, {"vPag_YA03=100.00\nvTroco_YA09=20.20\n", "vPag_YA03=10.00\n"}},
       "100"},
  };
  for (const auto& caso : casos) {
    SCOPED_TRACE(caso.nome);
    const std::string nota = Nota400(Numero(), [&](std::string& aTx2) {
      for (const auto& [de, para] : caso.trocas) Troca(aTx2, de, para);
    });
    EXPECT_EQ(Campo(Protocolo400(construtor, *nfe, nota), "cStat", "infProt"), caso.cStat);
  }
}

}  // namespace
