// Layout 4.00 end to end: the component's 4.00 request builder against the sandbox, with notes
// written by the 4.00 converter from the TX2 example; answers valid against the official 4.00
// schemas, and the 4.00 checks of SEFAZ (payments against the total, ICMS totals).
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <tuple>

#include "base/moxFormat.h"
#include "component/TmoxNFe.h"
#include "base/EmoxException.h"
#include "webservices/TmoxNFEInterface.h"
#include "support/SandboxDeTeste.h"

namespace {

using namespace moxtest;
using mox::TVersaoManual;

class Sandbox400 : public TesteComSandbox {
 protected:
  static void SetUpTestSuite() {
    TesteComSandbox::SetUpTestSuite();
    pasta_ = new TempDir;
    const auto r = RunProgram(BuiltProgram("moxnfe-sandbox"),
                              {"servidores", "--url", sandbox_->Url(), "--saida", pasta_->file("servidores.ini")});
    ASSERT_EQ(r.status, 0) << r.err;
    WritePfx(pasta_->path() / "empresa.pfx", Pki().Company, "x");
  }
  static void TearDownTestSuite() {
    delete pasta_;
    TesteComSandbox::TearDownTestSuite();
  }

  static std::unique_ptr<mox::TmoxNFe> Componente() {
    auto nfe = std::make_unique<mox::TmoxNFe>();
    nfe->SetUF("SP");
    nfe->SetCNPJ(kCompanyCnpj);
    nfe->SetVersaoManual(TVersaoManual::vm60);
    nfe->SetArquivoServidoresHom(pasta_->file("servidores.ini"));
    nfe->SetDiretorioTemplates(std::string(MOXNFE_BINARY_DIR) + "/Templates/");
    nfe->SetDiretorioLogErro(pasta_->str() + "LogErro/");
    nfe->SetCaminhoCertificado(pasta_->file("empresa.pfx"));
    nfe->SetSenhaCertificado("x");
    nfe->GetKivo();
    nfe->UpdateNFeData();
    return nfe;
  }

  static std::string Nota(int aNumero, const std::function<void(std::string&)>& aAjuste = {}) {
    return Assina(NotaDeTeste400(aNumero, aAjuste), "infNFe");
  }

  static std::string Lote(mox::TmoxNFe& aNFe, const std::string& aNotas) {
    return mox::moxFormat(aNFe.LoadTemplate("pedido_enviarnota.xml"), {"1", aNotas, ""});
  }

  // The protocol SEFAZ gives the note: sent, then the receipt queried.
  static std::string Protocolo(mox::TmoxNFEInterface& aConstrutor, mox::TmoxNFe& aNFe, const std::string& aNota) {
    const std::string envio = aConstrutor.EnviarNF("1", Lote(aNFe, aNota), false);
    EXPECT_TRUE(ValidaContraEsquema(envio, "PL_009_V4/retEnviNFe_v4.00.xsd"));
    EXPECT_EQ(Campo(envio, "cStat"), "103") << envio;
    const std::string recibo = aConstrutor.ConsultarRecibo(Campo(envio, "nRec"));
    EXPECT_TRUE(ValidaContraEsquema(recibo, "PL_009_V4/retConsReciNFe_v4.00.xsd"));
    return recibo;
  }

  static int Numero() { return ++numero_; }

  static inline TempDir* pasta_ = nullptr;
  static inline int numero_ = 8000;
};

TEST_F(Sandbox400, StatusAutorizacaoConsultaEInutilizacao) {
  auto nfe = Componente();
  mox::TmoxNFEInterface& construtor = nfe->GetNFE();

  const std::string status = construtor.StatusDoServico();
  EXPECT_TRUE(ValidaContraEsquema(status, "PL_009_V4/retConsStatServ_v4.00.xsd"));
  EXPECT_EQ(Campo(status, "cStat"), "107") << status;
  EXPECT_NE(status.find("versao=\"4.00\""), std::string::npos) << status;

  const std::string nota = Nota(Numero());
  const std::string recibo = Protocolo(construtor, *nfe, nota);
  ASSERT_EQ(Campo(recibo, "cStat", "infProt"), "100") << recibo;

  const std::string situacao = construtor.ConsultarNF(ChaveDe(nota));
  EXPECT_TRUE(ValidaContraEsquema(situacao, "PL_009_V4/retConsSitNFe_v4.00.xsd"));
  EXPECT_EQ(Campo(situacao, "cStat"), "100") << situacao;

  // The same note again is a duplicate.
  EXPECT_EQ(Campo(Protocolo(construtor, *nfe, nota), "cStat", "infProt"), "204");

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
TEST_F(Sandbox400, NotaDaReformaEmLoteCompactado) {
  auto nfe = Componente();
  mox::TmoxNFEInterface& construtor = nfe->GetNFE();
  const std::string nota = Assina(NotaDeTeste400(Numero(), {}, true), "infNFe");
  const std::string envio = construtor.EnviarNF("1", Lote(*nfe, nota), true);
  EXPECT_TRUE(ValidaContraEsquema(envio, "PL_010_V1.30/retEnviNFe_v4.00.xsd"));
  ASSERT_EQ(Campo(envio, "cStat"), "103") << envio;
  const std::string recibo = construtor.ConsultarRecibo(Campo(envio, "nRec"));
  EXPECT_EQ(Campo(recibo, "cStat", "infProt"), "100") << recibo;
}

// Notes that pass the schema but not SEFAZ's 4.00 totals are refused with SEFAZ's codes.
TEST_F(Sandbox400, TotaisEPagamentosConferidos) {
  auto nfe = Componente();
  mox::TmoxNFEInterface& construtor = nfe->GetNFE();
  const struct {
    const char* nome;
    const char* de;
    const char* para;
    const char* cStat;
  } casos[] = {
      {"pagamento menor que o total", "vPag_YA03=100.00\nvTroco_YA09=20.20\n", "vPag_YA03=79.00\n", "865"},
      {"pagamento maior sem troco", "vTroco_YA09=20.20\n", "", "866"},
      {"troco errado", "vTroco_YA09=20.20\n", "vTroco_YA09=20.00\n", "869"},
      {"ICMS total diferente dos itens", "vICMS_W04=14.36\n", "vICMS_W04=14.00\n", "532"},
      {"base do ICMS diferente dos itens", "vBC_W03=79.80\n", "vBC_W03=80.00\n", "531"},
      {"produtos diferentes dos itens", "vProd_W07=79.80\n", "vProd_W07=79.90\n", "564"},
  };
  for (const auto& caso : casos) {
    SCOPED_TRACE(caso.nome);
    const std::string nota = Nota(Numero(), [&](std::string& aTx2) { Troca(aTx2, caso.de, caso.para); });
    EXPECT_EQ(Campo(Protocolo(construtor, *nfe, nota), "cStat", "infProt"), caso.cStat);
  }
}

}  // namespace
