// The component's batch submission and receipt query against the sandbox: the logs and
// pending-send markers on disk, the recipient nfeProc of each authorized note valid against the
// official procNFe schema, and the checks that stop a batch before anything is written or sent.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>

#include "base/EmoxException.h"
#include "component/TmoxNFe.h"
#include "support/ClienteDoSandbox.h"
#include "support/MensagemDe.h"
#include "support/SandboxDeTeste.h"

namespace {

using namespace moxtest;
using mox::TVersaoManual;

struct Geracao {
  TVersaoManual versao;
  const char* leiaute;
  const char* procNFe;
};

const Geracao kGeracoes[] = {
    {TVersaoManual::vm50a, "3.10", "PL_008i2/procNFe_v3.10.xsd"},
    {TVersaoManual::vm50, "2.00", "PL_006v/procNFe_v2.00.xsd"},
};

class EnvioLoteNoSandbox : public TesteComCliente {
 protected:
  // The component of one test, its writable folders in the test's own folder.
  std::unique_ptr<mox::TmoxNFe> Componente(TVersaoManual aVersao) {
    auto nfe = cliente_->Componente(aVersao, pasta_);
    nfe->SetValidarEsquemaAntesEnvio(true);
    nfe->OnXmlDestinatario = [this](const std::string& aArquivo) { avisados_.push_back(aArquivo); };
    return nfe;
  }

  // aQuantidade notes of the layout, signed by the component.
  static std::string Notas(mox::TmoxNFe& aNFe, const char* aLeiaute, int aQuantidade,
                           std::vector<std::string>* aChaves = nullptr) {
    std::string notas;
    for (int i = 0; i < aQuantidade; ++i) {
      const std::string nota = NotaDeTeste(++numero_, {}, aLeiaute);
      if (aChaves) aChaves->push_back(ChaveDe(nota));
      notas += nota;
    }
    return aNFe.AssinarNota(notas);
  }

  std::vector<std::string> Logs() { return Arquivos(pasta_.path() / "Log"); }
  std::vector<std::string> Destinatario() { return Arquivos(pasta_.path() / "XmlDestinatario"); }

  TempDir pasta_;
  std::vector<std::string> avisados_;
  static inline int numero_ = 7000;
};

TEST_F(EnvioLoteNoSandbox, TresNotasAutorizadasDeixamUmNfeProcValidoCada) {
  for (const Geracao& g : kGeracoes) {
    SCOPED_TRACE(std::string("leiaute ") + g.leiaute);
    avisados_.clear();
    auto nfe = Componente(g.versao);
    std::vector<std::string> chaves;
    const std::string notas = Notas(*nfe, g.leiaute, 3, &chaves);

    const std::string envio = nfe->EnviarNF("41", notas, false);
    ASSERT_EQ(Campo(envio, "cStat"), "103") << envio;
    const std::string recibo = Campo(envio, "nRec");
    // Between the two calls the batch is known on disk only: a marker per key and the receipt's.
    std::vector<std::string> marcas = chaves;
    marcas.push_back(recibo);
    std::sort(marcas.begin(), marcas.end());
    EXPECT_EQ(Destinatario(), marcas);
    const auto pendentes = mox::ListaPendentes(nfe->DiretorioXmlDestinatario());
    ASSERT_EQ(pendentes.size(), 4u);
    EXPECT_TRUE(pendentes.front().LogEnvio.ends_with("-41-env-lot.xml")) << pendentes.front().LogEnvio;

    // A later run of the program with the same configuration finishes the batch.
    auto outraExecucao = Componente(g.versao);
    const std::string consulta = outraExecucao->ConsultarRecibo(recibo);
    ASSERT_EQ(Campo(consulta, "cStat"), "104") << consulta;

    std::vector<std::string> esperados;
    for (const auto& c : chaves) esperados.push_back(c + "-nfe.xml");
    std::sort(esperados.begin(), esperados.end());
    EXPECT_EQ(Destinatario(), esperados);
    EXPECT_EQ(avisados_.size(), 3u);
    for (const auto& c : chaves) {
      const std::string proc = ReadText(pasta_.path() / "XmlDestinatario" / (c + "-nfe.xml"));
      EXPECT_TRUE(ValidaContraEsquema(proc, g.procNFe)) << proc;
      EXPECT_EQ(Campo(proc, "digVal"), Campo(proc, "DigestValue"));
      EXPECT_EQ(Campo(proc, "chNFe"), c);
      EXPECT_EQ(Campo(proc, "cStat", "infProt"), "100");
      std::vector<std::string> erros;
      EXPECT_TRUE(nfe->ValidarArquivoXmlDestinatario(proc, &erros)) << (erros.empty() ? "" : erros.front());
    }
    const auto logs = Logs();
    for (const char* sufixo : {"-41-env-lot.xml", "-41-rec.xml", "-ped-rec.xml", "-pro-rec.xml"})
      EXPECT_EQ(std::count_if(logs.begin(), logs.end(), [&](const auto& l) { return l.ends_with(sufixo); }), 1)
          << sufixo;
    std::filesystem::remove_all(pasta_.path());
  }
}

TEST_F(EnvioLoteNoSandbox, NotaRejeitadaNaoGeraArquivoEContinuaPendente) {
  auto nfe = Componente(TVersaoManual::vm50a);
  std::vector<std::string> chaves;
  const std::string notas = Notas(*nfe, "3.10", 1, &chaves);
  const std::string recibo = Campo(nfe->EnviarNF("1", notas, false), "nRec");
  ASSERT_EQ(Campo(nfe->ConsultarRecibo(recibo), "cStat", "infProt"), "100");
  // The same note again: SEFAZ answers 204 (duplicate) in the receipt.
  const std::string reenvio = Campo(nfe->EnviarNF("2", notas, false), "nRec");
  const std::string resultado = nfe->ConsultarRecibo(reenvio);
  EXPECT_EQ(Campo(resultado, "cStat", "infProt"), "204") << resultado;
  std::vector<std::string> esperados{chaves[0], chaves[0] + "-nfe.xml", reenvio};
  std::sort(esperados.begin(), esperados.end());
  EXPECT_EQ(Destinatario(), esperados);
  EXPECT_EQ(avisados_.size(), 1u);
}

TEST_F(EnvioLoteNoSandbox, SincronoGravaONfeProcDaPropriaResposta) {
  auto nfe = Componente(TVersaoManual::vm50a);
  std::vector<std::string> chaves;
  const std::string resposta = nfe->EnviarNFSincrono("5", Notas(*nfe, "3.10", 1, &chaves), false);
  ASSERT_EQ(Campo(resposta, "cStat", "infProt"), "100") << resposta;
  EXPECT_EQ(Destinatario(), (std::vector<std::string>{chaves[0] + "-nfe.xml"}));
  const std::string proc = ReadText(pasta_.path() / "XmlDestinatario" / (chaves[0] + "-nfe.xml"));
  EXPECT_TRUE(ValidaContraEsquema(proc, "PL_008i2/procNFe_v3.10.xsd")) << proc;
  const auto logs = Logs();
  ASSERT_EQ(logs.size(), 2u);
  EXPECT_TRUE(logs[0].ends_with("-" + chaves[0] + "-env-sinc-lot.xml")) << logs[0];
  EXPECT_TRUE(logs[1].ends_with("-" + chaves[0] + "-env-sinc-ret.xml")) << logs[1];
}

TEST_F(EnvioLoteNoSandbox, VerificacoesAntesDeQualquerLog) {
  using mox::EmoxNFeCheckParams;
  auto manual50 = Componente(TVersaoManual::vm50);
  auto nfe = Componente(TVersaoManual::vm50a);
  const std::string duas = Notas(*nfe, "3.10", 2);
  const std::string naoAssinada = NotaDeTeste(++numero_);
  struct Caso {
    std::function<void()> acao;
    std::string mensagem;
  };
  const Caso casos[] = {
      {[&] { nfe->EnviarNF("1", " \r\n", false); }, "Favor preencher o parâmetro aLoteNotas"},
      {[&] { nfe->EnviarNF("1", naoAssinada, false); }, "A nota não possui assinatura"},
      {[&] { nfe->EnviarNF("1ª", duas, false); }, "Numero do Lote não pode conter acento: 1ª"},
      // Manual 5.0 is refused before the parameters are looked at.
      {[&] { manual50->EnviarNFSincrono("1", "", false); },
       "Só é possível fazer o envio síncrono de NF-e com versão manual 5.0a ou superior."},
      {[&] { nfe->EnviarNFSincrono("1", "", false); }, "Favor preencher o parâmetro aLoteNota"},
      {[&] { nfe->EnviarNFSincrono("1", duas, false); },
       "O lote de notas para envio síncrono deve conter somente uma NF-e"},
      {[&] { nfe->ConsultarRecibo("35100000000001"); },
       "Número do Recibo deve ter exatamente 15 dígitos: 35100000000001"},
      {[&] { nfe->ConsultarRecibo("35100000000000ã"); }, "Número do Recibo não pode conter acentos: 35100000000000ã"},
  };
  for (const auto& c : casos) EXPECT_EQ(MensagemDe<mox::EmoxNFeException>(c.acao), c.mensagem);
  EXPECT_TRUE(Logs().empty());
  EXPECT_TRUE(Destinatario().empty());
}

TEST_F(EnvioLoteNoSandbox, CinquentaEUmaNotasNoLimiteDeTamanhoSaoEnviadas) {
  // The 50-note limit belongs to signing; the batch goes out and SEFAZ has the last word.
  auto nfe = Componente(TVersaoManual::vm50a);
  nfe->SetValidarEsquemaAntesEnvio(false);
  nfe->SetMaxSizeLoteEnvio(1000);
  std::string notas;
  for (int i = 0; i < 51; ++i) notas += Assina(NotaDeTeste(++numero_), "infNFe");
  const std::string resposta = nfe->EnviarNF("51", notas, false);
  EXPECT_FALSE(Campo(resposta, "cStat").empty()) << resposta;
  const auto logs = Logs();
  ASSERT_EQ(logs.size(), 2u);
  EXPECT_TRUE(logs[1].ends_with("-51-rec.xml"));
}

TEST_F(EnvioLoteNoSandbox, SemSalvarLogsEmDiscoNadaFicaPendenteNemEGerado) {
  auto nfe = Componente(TVersaoManual::vm50a);
  nfe->SetSalvarLogsEmDisco(false);
  int conteudos = 0;
  nfe->OnLogContent = [&](void*, const std::string&, const std::string&, const std::string&, const std::string&) {
    ++conteudos;
  };
  const std::string recibo = Campo(nfe->EnviarNF("1", Notas(*nfe, "3.10", 1), false), "nRec");
  ASSERT_EQ(recibo.size(), 15u);
  EXPECT_EQ(Campo(nfe->ConsultarRecibo(recibo), "cStat", "infProt"), "100");
  EXPECT_TRUE(Logs().empty());
  EXPECT_TRUE(Destinatario().empty());
  EXPECT_EQ(conteudos, 4);
}

TEST_F(EnvioLoteNoSandbox, ReciboDesconhecidoVoltaComOCodigoDaSefaz) {
  auto nfe = Componente(TVersaoManual::vm50a);
  const std::string resposta = nfe->ConsultarRecibo("351999999999999");
  EXPECT_EQ(Campo(resposta, "cStat"), "106") << resposta;
  const auto logs = Logs();
  ASSERT_EQ(logs.size(), 2u);
  EXPECT_TRUE(logs[0].ends_with("-351999999999999-ped-rec.xml"));
  EXPECT_TRUE(logs[1].ends_with("-351999999999999-pro-rec.xml"));
  EXPECT_TRUE(Destinatario().empty());
}

TEST_F(EnvioLoteNoSandbox, Http500SemSoapEncerraComAExcecaoEGuardaOPedido) {
  SandboxDeTeste comFalha({"--falha-erro-http", "1"});
  ClienteDoSandbox cliente(comFalha);
  auto nfe = Componente(TVersaoManual::vm50a);
  nfe->SetArquivoServidoresHom(cliente.Servidores());
  std::vector<std::string> chaves;
  const std::string notas = Notas(*nfe, "3.10", 1, &chaves);
  const std::string mensagem = MensagemDe<mox::EmoxNFeException>([&] { nfe->EnviarNF("8", notas, false); });
  EXPECT_TRUE(mensagem.starts_with("Erro ao enviar NF-e: ")) << mensagem;
  EXPECT_NE(mensagem.find("(500)"), std::string::npos) << mensagem;
  const auto logs = Logs();
  ASSERT_EQ(logs.size(), 1u);
  EXPECT_TRUE(logs[0].ends_with("-8-env-lot.xml"));
  // No receipt: the key stays pending for a later run to settle.
  EXPECT_EQ(Destinatario(), chaves);
}

TEST_F(EnvioLoteNoSandbox, FalhaNoEnvioGuardaOPedidoESemResposta) {
  auto nfe = Componente(TVersaoManual::vm50a);
  const std::string notas = Notas(*nfe, "3.10", 1);
  // A servers file whose addresses lead to a port where nothing listens.
  std::string servidores = ReadText(cliente_->Servidores());
  const std::string url = sandbox_->Url();
  for (auto p = servidores.find(url); p != std::string::npos; p = servidores.find(url, p))
    servidores.replace(p, url.size(), "https://127.0.0.1:1/");
  WriteText(pasta_.file("fora.ini"), servidores);
  nfe->SetArquivoServidoresHom(pasta_.file("fora.ini"));
  const std::string mensagem = MensagemDe<mox::EmoxNFeException>([&] { nfe->EnviarNF("9", notas, false); });
  EXPECT_TRUE(mensagem.starts_with("Erro ao enviar NF-e: ")) << mensagem;
  const auto logs = Logs();
  ASSERT_EQ(logs.size(), 1u);
  EXPECT_TRUE(logs[0].ends_with("-9-env-lot.xml"));
  // The key stays pending: a later run can find out whether SEFAZ got it.
  EXPECT_EQ(Destinatario().size(), 1u);
}

}  // namespace
