// The component's fiscal events against the sandbox: each kind signed, valid against its
// official event package, registered, with its recipient file; the sequence of correction
// letters; and the checks that stop an event before anything is written or posted.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>

#include "base/EmoxException.h"
#include "component/TmoxNFe.h"
#include "external/TmoxKivoUtils.h"
#include "support/ClienteDoSandbox.h"
#include "support/MensagemDe.h"
#include "support/SandboxDeTeste.h"

namespace {

using namespace moxtest;
namespace fs = std::filesystem;

class EventosNoSandbox : public TesteComCliente {
 protected:
  // The component of one test for the company (or the recipient's company), its writable
  // folders in the test's own folder.
  std::unique_ptr<mox::TmoxNFe> Componente(bool aDestinatario = false) {
    auto nfe = std::make_unique<mox::TmoxNFe>();
    nfe->SetUF("SP");
    nfe->SetCNPJ(aDestinatario ? kCnpjDestinatario : kCompanyCnpj);
    nfe->SetVersaoManual(mox::TVersaoManual::vm50a);
    nfe->SetArquivoServidoresHom(cliente_->Servidores());
    nfe->SetDiretorioTemplates(std::string(MOXNFE_BINARY_DIR) + "/Templates/");
    nfe->SetDiretorioEsquemas(cliente_->Esquemas());
    nfe->SetDiretorioLog(pasta_.str() + "Log/");
    nfe->SetDiretorioLogErro(pasta_.str() + "LogErro/");
    nfe->SetDiretorioXmlDestinatario(pasta_.str() + "XmlDestinatario/");
    nfe->SetDiretorioDownloads(pasta_.str() + "Downloads/");
    nfe->SetCaminhoCertificado(aDestinatario ? WritePfx(pasta_.path() / "destinatario.pfx", OutraEmpresa(), "s")
                                             : cliente_->Certificado());
    nfe->SetSenhaCertificado("s");
    nfe->SetValidarEsquemaAntesEnvio(true);
    return nfe;
  }

  // An authorized note with a number of its own; aProtocolo receives its nProt.
  std::string NotaAutorizada(std::string* aProtocolo = nullptr, std::string* aNota = nullptr) {
    const std::string nota = Assina(NotaDeTeste(++numero_), "infNFe");
    const std::string protocolo = Autoriza(http_, *sandbox_, nota);
    if (aProtocolo) *aProtocolo = Campo(protocolo, "nProt");
    if (aNota) *aNota = nota;
    return ChaveDe(nota);
  }

  std::string Log(const std::string& aSufixo) {
    const auto nomes = Arquivos(pasta_.path() / "Log", "-" + aSufixo + ".xml");
    return nomes.empty() ? std::string{} : ReadText(pasta_.path() / "Log" / nomes.back());
  }
  std::string Destinatario(const std::string& aNome) { return ReadText(pasta_.path() / "XmlDestinatario" / aNome); }

  TempDir pasta_;
  ClienteDeTeste http_;
  static inline int numero_ = 9000;
};

TEST_F(EventosNoSandbox, CartasDeCorrecaoTomamSequenciasEAVigesimaPrimeiraERecusada) {
  const std::string chave = NotaAutorizada();
  auto nfe = Componente();
  for (int sequencia : {1, 2}) {
    SCOPED_TRACE(sequencia);
    const std::string ret = nfe->EnviarCCe(chave, "Endereço de entrega: Rua das Flores, 100 & fundos", "", "35",
                                           std::to_string(sequencia), sequencia, "");
    EXPECT_TRUE(ValidaContraEsquema(ret, "Evento_CCe_PL_v1.01/retEnvCCe_v1.00.xsd"));
    EXPECT_EQ(Campo(ret, "cStat", "infEvento"), "135") << ret;
    EXPECT_EQ(Campo(ret, "nSeqEvento", "infEvento"), std::to_string(sequencia));
    const std::string lote = Log("env-lot");
    EXPECT_TRUE(ValidaContraEsquema(lote, "Evento_CCe_PL_v1.01/envCCe_v1.00.xsd"));
    EXPECT_EQ(Campo(lote, "xCorrecao"), "Endereco de entrega: Rua das Flores, 100 & fundos");
    EXPECT_NE(Campo(lote, "xCondUso").find("Convenio S/N, de 15 de dezembro de 1970"), std::string::npos);
    const std::string proc = Destinatario(chave + "-cce.xml");
    EXPECT_TRUE(ValidaContraEsquema(proc, "Evento_CCe_PL_v1.01/procCCeNFe_v1.00.xsd"));
    EXPECT_EQ(Campo(proc, "nSeqEvento"), std::to_string(sequencia));
    EXPECT_EQ(proc.compare(0, 3, "\xEF\xBB\xBF"), 0);
  }
  const size_t logs = Arquivos(pasta_.path() / "Log").size();
  EXPECT_EQ(MensagemDe<mox::EmoxNFeException>(
                [&] { nfe->EnviarCCe(chave, "Vigesima primeira correcao", "", "35", "21", 21, ""); }),
            "Erro ao enviar CCe: Sequência mínima de 1 e máxima de 20.");
  EXPECT_EQ(Arquivos(pasta_.path() / "Log").size(), logs);
}

TEST_F(EventosNoSandbox, CartaMontadaEAssinadaAParteUsaASegundaFormaDoEnvio) {
  const std::string chave = NotaAutorizada();
  auto nfe = Componente();
  const std::string agora = AgoraBrasilia().substr(0, 19);
  const std::string montada = nfe->MontarXmlCCe(chave, "Linha um\r\nlinha dois <corrigida>", agora, "35", 3, "");
  EXPECT_EQ(Campo(montada, "dhEvento"), agora + "-03:00");
  EXPECT_EQ(Campo(montada, "xCorrecao"), "Linha um linha dois <corrigida>");
  std::string id;
  mox::TmoxKivoUtils().XPathSelectSingleNode(montada, "//*[local-name()='infEvento']/@Id", id);
  EXPECT_EQ(id, "ID110110" + chave + "03");
  EXPECT_EQ(id.size(), 54u);
  const std::string assinada = nfe->AssinarCCe(montada);
  EXPECT_EQ(Elementos(assinada, "Signature").size(), 1u);
  // Registered with its own sequence.
  const std::string ret = nfe->EnviarCCe("9", assinada);
  EXPECT_EQ(Campo(ret, "cStat", "infEvento"), "135") << ret;
  EXPECT_EQ(Campo(ret, "nSeqEvento", "infEvento"), "3");

  mox::TmoxNFeEventos& eventos = nfe->GetNFeEventos();
  EXPECT_TRUE(eventos.ValidarTamanhoArquivoEnvio(std::string(500000, 'x'), 500));
  EXPECT_EQ(MensagemDe<mox::EmoxException>([&] { eventos.ValidarTamanhoArquivoEnvio(std::string(500001, 'x'), 500); }),
            "O Lote do Evento possui 500.001 KB ultrapassando o limite de 500 KB.");
}

TEST_F(EventosNoSandbox, CancelamentoPorEventoDeixaOArquivoDoDestinatario) {
  std::string protocolo;
  const std::string chave = NotaAutorizada(&protocolo);
  auto nfe = Componente();
  std::string avisado;
  nfe->OnXmlCanDestinatario = [&](const std::string& aArquivo) { avisado = aArquivo; };
  const std::string ret =
      nfe->CancelarNFeEvento(chave, protocolo, "Pedido cancelado pelo cliente", "", 1, "", "7");
  EXPECT_TRUE(ValidaContraEsquema(ret, "Evento_Canc_PL_v1.01/retEnvEventoCancNFe_v1.00.xsd"));
  EXPECT_EQ(Campo(ret, "cStat", "infEvento"), "135") << ret;
  EXPECT_TRUE(ValidaContraEsquema(Log("caneve-env"), "Evento_Canc_PL_v1.01/envEventoCancNFe_v1.00.xsd"));
  const std::string arquivo = pasta_.str() + "XmlDestinatario/" + chave + "-caneve.xml";
  EXPECT_EQ(avisado, arquivo);
  EXPECT_TRUE(ValidaContraEsquema(ReadText(arquivo), "Evento_Canc_PL_v1.01/procEventoCancNFe_v1.00.xsd"));
  // A second cancellation is refused (573): no new recipient file.
  fs::remove(arquivo);
  EXPECT_EQ(Campo(nfe->CancelarNFeEvento(chave, protocolo, "Pedido cancelado pelo cliente", "", 1, "", "8"), "cStat",
                  "infEvento"),
            "573");
  EXPECT_FALSE(fs::exists(arquivo));
}

TEST_F(EventosNoSandbox, ManifestacoesDoDestinatarioNoAmbienteNacional) {
  auto nfe = Componente(true);
  struct Caso {
    int tipo;
    const char* codigo;
    const char* sufixo;
    const char* justificativa;
  };
  for (const Caso& c : {Caso{2, "210210", "-ci-mde.xml", ""}, Caso{1, "210200", "-co-mde.xml", ""},
                        Caso{4, "210240", "-or-mde.xml", "Mercadoria nao foi entregue"}}) {
    SCOPED_TRACE(c.codigo);
    const std::string chave = NotaAutorizada();
    const std::string ret =
        nfe->EnviarManifestacaoDestinatario(c.tipo, chave, kCnpjDestinatario, c.justificativa, "", 3, "", "91");
    EXPECT_TRUE(ValidaContraEsquema(ret, "Evento_Generico_PL_v1.01/retEnvEvento_v1.00.xsd"));
    EXPECT_EQ(Campo(ret, "cStat", "infEvento"), "135") << ret;
    const std::string lote = Log("mandest-env");
    EXPECT_TRUE(ValidaContraEsquema(lote, "Evento_ManifestaDest_PL_v1.01/envConfRecebto_v1.00.xsd"));
    EXPECT_EQ(Campo(lote, "cOrgao"), "91");
    EXPECT_EQ(Campo(lote, "nSeqEvento"), "1");  // a manifestation is always the first of its kind
    EXPECT_EQ(lote.find("<xJust>") != std::string::npos, c.tipo == 4);
    EXPECT_TRUE(ValidaContraEsquema(Destinatario(chave + c.sufixo),
                                    "Evento_ManifestaDest_PL_v1.01/procConfRecebtoNFe_v1.00.xsd"));
  }
}

TEST_F(EventosNoSandbox, EpecDeUmLoteDeDuasNotasEPedidosDeProrrogacao) {
  auto nfe = Componente();
  // EPEC: one event per note, sequence 1, in the national environment.
  std::string notas;
  std::vector<std::string> chaves;
  for (int i = 0; i < 2; ++i) {
    const std::string nota = NotaDeTeste(++numero_, [](std::string& aXml) { Troca(aXml, "<tpEmis>1<", "<tpEmis>4<"); });
    chaves.push_back(ChaveDe(nota));
    notas += nota;
  }
  const std::string montado = nfe->MontarEPEC("12", "<lote>" + notas + "</lote>", AgoraBrasilia().substr(0, 19), "-03:00");
  const std::string assinado = nfe->AssinarEPEC(montado);
  EXPECT_TRUE(ValidaContraEsquema(assinado, "Evento_EPEC_PL_v1.01/envEPEC_v1.00.xsd"));
  ASSERT_EQ(Elementos(assinado, "infEvento").size(), 2u);
  const std::string ret = nfe->EnviarEPEC(assinado);
  EXPECT_TRUE(ValidaContraEsquema(ret, "Evento_EPEC_PL_v1.01/retEnvEPEC_v1.00.xsd"));
  const auto retornos = Elementos(ret, "retEvento");
  ASSERT_EQ(retornos.size(), 2u) << ret;
  for (size_t i = 0; i < 2; ++i) {
    EXPECT_EQ(Campo(retornos[i], "cStat"), "136") << retornos[i];
    EXPECT_EQ(Campo(retornos[i], "chNFe"), chaves[i]);
  }
  EXPECT_TRUE(ValidaContraEsquema(Destinatario(chaves[0] + "-epec.xml"), "Evento_EPEC_PL_v1.01/procEPEC_v1.00.xsd"));

  // Extension request of the first term with two items, then its cancellation.
  std::string protocolo;
  const std::string chave = NotaAutorizada(&protocolo);
  nfe->AdicionarItens("1", "10.0000");
  nfe->AdicionarItens("2", "5.0000");
  const std::string pedido = nfe->EnviarPedidoProrrogacao("3", chave, protocolo, "", "35", mox::TTipoPedidoProrrogacao::tEPP1, 1, "");
  EXPECT_EQ(Campo(pedido, "cStat", "infEvento"), "135") << pedido;
  const std::string lote = Log("eppenv-lot");
  EXPECT_TRUE(ValidaContraEsquema(lote, "Evento_Generico_PL_v1.01/envEvento_v1.00.xsd"));
  EXPECT_EQ(Elementos(lote, "itemPedido").size(), 2u);
  EXPECT_TRUE(nfe->GetNFeEventos().ItensQuantidade.itens.empty());
  const std::string cancelamento = nfe->CancelarPedidoProrrogacao(
      "4", chave, protocolo, "", mox::TTipoCancelamentoPedidoProrrogacao::tECPP1, 1, "");
  EXPECT_EQ(Campo(cancelamento, "cStat", "infEvento"), "135") << cancelamento;
  EXPECT_EQ(Campo(Log("canepp-env"), "idPedidoCancelado"), "ID111500" + chave + "01");
}

// The tax authority's answers: to an extension request item by item (411500) and to the
// cancellation of a request (411502), each naming the request answered; a party of the note may
// not answer in the authority's place.
TEST_F(EventosNoSandbox, RespostasDoFiscoAosPedidosDeProrrogacao) {
  std::string protocolo;
  const std::string chave = NotaAutorizada(&protocolo);
  auto empresa = Componente();
  empresa->AdicionarItens("1", "10.0000");
  empresa->AdicionarItens("2", "5.0000");
  ASSERT_EQ(Campo(empresa->EnviarPedidoProrrogacao("5", chave, protocolo, "", "35", mox::TTipoPedidoProrrogacao::tEPP1,
                                                   1, ""),
                  "cStat", "infEvento"),
            "135");

  constexpr const char* kCnpjFisco = "46377222000129";
  mox::TCertificateRequest pedido;
  pedido.CommonName = std::string("SECRETARIA DA FAZENDA TESTE:") + kCnpjFisco;
  pedido.Cnpj = kCnpjFisco;
  auto fisco = Componente();
  fisco->SetCNPJ(kCnpjFisco);
  fisco->SetCaminhoCertificado(WritePfx(pasta_.path() / "fisco.pfx", IssueHolder(pedido), "s"));

  mox::TRespostaFisco resposta;
  resposta.StatPrazo = "1";
  resposta.NumItens = {"1", "2"};
  resposta.StatPedido = {"1", "2"};
  resposta.JustStatus = {"1", "10"};
  resposta.JustStaOutra = {"", "Quantidade acima da remetida & nao comprovada"};
  const std::string idPedido = "ID111500" + chave + "01";
  const std::string ret = fisco->EnviarEventoFisco("6", chave, idPedido, resposta, "", "35", "411500", 1, "");
  EXPECT_TRUE(ValidaContraEsquema(ret, "Evento_Generico_PL_v1.01/retEnvEvento_v1.00.xsd"));
  EXPECT_EQ(Campo(ret, "cStat", "infEvento"), "135") << ret;
  EXPECT_EQ(Campo(ret, "tpEvento", "infEvento"), "411500");
  const std::string lote = Log("fisco-env");
  EXPECT_TRUE(ValidaContraEsquema(lote, "Evento_Generico_PL_v1.01/envEvento_v1.00.xsd"));
  const std::string detalhe = Elementos(lote, "detEvento").at(0);
  EXPECT_TRUE(ValidaContraEsquema(detalhe, "PL_009_V4/e411500_v1.00.xsd")) << detalhe;
  EXPECT_EQ(Campo(lote, "idPedido"), idPedido);
  EXPECT_EQ(Elementos(lote, "itemPedido").size(), 2u);
  EXPECT_EQ(Elementos(lote, "justStaOutra").size(), 1u);
  EXPECT_EQ(Campo(lote, "CNPJ", "infEvento"), kCnpjFisco);

  // The request cancelled, then the authority's answer to the cancellation.
  ASSERT_EQ(Campo(empresa->CancelarPedidoProrrogacao("7", chave, protocolo, "",
                                                     mox::TTipoCancelamentoPedidoProrrogacao::tECPP1, 1, ""),
                  "cStat", "infEvento"),
            "135");
  mox::TRespostaFisco cancelamento;
  cancelamento.StatCancPedido = "1";
  cancelamento.JustStatusResp = "2";
  const std::string retCanc =
      fisco->EnviarEventoFisco("8", chave, "ID111502" + chave + "01", cancelamento, "", "35", "411502", 1, "");
  EXPECT_EQ(Campo(retCanc, "cStat", "infEvento"), "135") << retCanc;
  const std::string detalheCanc = Elementos(Log("fisco-env"), "detEvento").at(0);
  EXPECT_TRUE(ValidaContraEsquema(detalheCanc, "PL_009_V4/e411502_v1.00.xsd")) << detalheCanc;

  // The issuer answering its own request is refused by SEFAZ.
  const std::string proprio = empresa->EnviarEventoFisco("9", chave, idPedido, resposta, "", "35", "411500", 2, "");
  EXPECT_EQ(Campo(proprio, "cStat", "infEvento"), "576") << proprio;

  // Bad answers stop before anything is signed, logged or posted.
  const size_t logs = Arquivos(pasta_.path() / "Log").size();
  const std::string prefixo = "Erro ao enviar o evento do Fisco: ";
  mox::TRespostaFisco semItens = resposta;
  semItens.NumItens.clear();
  mox::TRespostaFisco itemSemResposta = resposta;
  itemSemResposta.StatPedido.pop_back();
  mox::TRespostaFisco justificativaForaDaLista = resposta;
  justificativaForaDaLista.JustStatus[0] = "11";
  mox::TRespostaFisco prazo = resposta;
  prazo.StatPrazo = "2";
  mox::TRespostaFisco cancelamentoSemMotivo = cancelamento;
  cancelamentoSemMotivo.JustStatusResp = "6";
  struct Caso {
    const char* nome;
    std::string tipo, idPedido;
    mox::TRespostaFisco resposta;
    std::string mensagem;
  };
  const std::vector<Caso> casos{
      {"tipo que não é do Fisco", "111500", idPedido, resposta, "tpEvento do Fisco deve ser 411500, 411501, 411502 ou 411503."},
      {"pedido de outro tipo", "411501", idPedido, resposta,
       "idPedido deve ser o Id do pedido respondido: ID111501" + chave + " seguido da sequência do pedido."},
      {"pedido de outra nota", "411500", "ID111500" + std::string(44, '1') + "01", resposta,
       "idPedido deve ser o Id do pedido respondido: ID111500" + chave + " seguido da sequência do pedido."},
      {"sem itens", "411500", idPedido, semItens, "Nenhum item encontrado, informe os itens respondidos."},
      {"item sem resposta", "411500", idPedido, itemSemResposta, "Cada item respondido precisa de statPedido e justStatus."},
      {"justificativa 11", "411500", idPedido, justificativaForaDaLista, "justStatus do item 1 deve ser de 1 a 10."},
      {"prazo 2", "411500", idPedido, prazo, "statPrazo deve ser 0 (após o prazo) ou 1 (dentro do prazo)."},
      {"cancelamento com justificativa 6", "411502", "ID111502" + chave + "01", cancelamentoSemMotivo,
       "justStatus do cancelamento deve ser de 1 a 5."},
  };
  for (const Caso& c : casos) {
    SCOPED_TRACE(c.nome);
    EXPECT_EQ(MensagemDe<mox::EmoxException>(
                  [&] { fisco->EnviarEventoFisco("10", chave, c.idPedido, c.resposta, "", "35", c.tipo, 3, ""); }),
              prefixo + c.mensagem);
  }
  EXPECT_EQ(Arquivos(pasta_.path() / "Log").size(), logs);
}

TEST_F(EventosNoSandbox, DistribuicaoEmOrdemDeNSUEDownloadDasNotas) {
  std::string nota1, nota2;
  const std::string chave1 = NotaAutorizada(nullptr, &nota1);
  const std::string chave2 = NotaAutorizada(nullptr, &nota2);
  auto nfe = Componente(true);
  const std::string ret = nfe->ConsultarDistribuicaoDFe("35", kCnpjDestinatario, "0", mox::TNSUKind::nkUltimo);
  EXPECT_TRUE(ValidaContraEsquema(ret, "PL_NFeDistDFe_100/retDistDFeInt_v1.00.xsd"));
  EXPECT_TRUE(ValidaContraEsquema(Log("env-dfe"), "PL_NFeDistDFe_100/distDFeInt_v1.00.xsd"));
  std::vector<std::string> nsus;
  mox::TmoxKivoUtils utils;
  utils.XPathSelectNodes(ret, "//*[local-name()='docZip']/@NSU", nsus, {}, true);
  ASSERT_GE(nsus.size(), 2u) << ret;
  EXPECT_TRUE(std::is_sorted(nsus.begin(), nsus.end()));
  EXPECT_EQ(std::adjacent_find(nsus.begin(), nsus.end()), nsus.end());

  const std::string um = nfe->ConsultarDistribuicaoDFe("35", kCnpjDestinatario, nsus[1], mox::TNSUKind::nkEspecifico);
  std::vector<std::string> unico;
  utils.XPathSelectNodes(um, "//*[local-name()='docZip']/@NSU", unico, {}, true);
  EXPECT_EQ(unico, std::vector<std::string>{nsus[1]});

  // Only a note the recipient has manifested on is available (633 otherwise): one file.
  std::vector<std::string> avisados;
  nfe->OnDownloadNFe = [&](const std::string& aArquivo) { avisados.push_back(aArquivo); };
  nfe->EnviarManifestacaoDestinatario(2, chave1, kCnpjDestinatario, "", "", 1, "", "91");
  std::string baixa = nfe->DownloadNFe(chave1 + ", " + chave2, "91");
  EXPECT_EQ(Campo(baixa, "cStat"), "139") << baixa;
  EXPECT_EQ(avisados, std::vector<std::string>{pasta_.str() + "Downloads/" + chave1 + "-NFe.xml"}) << baixa;
  nfe->EnviarManifestacaoDestinatario(2, chave2, kCnpjDestinatario, "", "", 1, "", "91");
  baixa = nfe->DownloadNFe("\"" + chave2 + "\"", "91");
  ASSERT_EQ(avisados.size(), 2u) << baixa;
  for (const auto& [chave, nota] : {std::pair{chave1, nota1}, std::pair{chave2, nota2}}) {
    const std::string baixada = ReadText(pasta_.path() / "Downloads" / (chave + "-NFe.xml"));
    EXPECT_TRUE(ValidaContraEsquema(baixada, "PL_008i2/procNFe_v3.10.xsd"));
    EXPECT_EQ(Elementos(baixada, "NFe").at(0), Elementos(nota, "NFe").at(0));
  }
  EXPECT_EQ(MensagemDe<mox::EmoxException>([&] { nfe->DownloadNFe(chave1 + " " + chave1.substr(1), "91"); }),
            "A Chave \"" + chave1.substr(1) + "\" é inválida. Deve conter exatamente 44 dígitos");
}

// The older query of the notes addressed to a CNPJ: their summaries in NSU order, the filter of
// notes without the recipient's manifestation, and nothing new after the last NSU.
TEST_F(EventosNoSandbox, NotasDestinadasAoCnpjComOsFiltrosDaConsulta) {
  const std::string chave1 = NotaAutorizada(), chave2 = NotaAutorizada();
  auto nfe = Componente(true);
  const auto chaves = [](const std::string& aRet) {
    std::vector<std::string> lista;
    for (const auto& r : Elementos(aRet, "resNFe")) lista.push_back(Campo(r, "chNFe"));
    return lista;
  };
  const auto tem = [](const std::vector<std::string>& aLista, const std::string& aChave) {
    return std::find(aLista.begin(), aLista.end(), aChave) != aLista.end();
  };
  const std::string todas = nfe->ConsultarNFeDestinadas(0, 0, "");
  EXPECT_TRUE(ValidaContraEsquema(todas, "PL_v1.01b/retconsNFeDest_v1.01.xsd"));
  EXPECT_EQ(Campo(todas, "cStat"), "138") << todas;
  const std::string pedido = Log("cons-env");
  EXPECT_TRUE(ValidaContraEsquema(pedido, "PL_v1.01b/consNFeDest_v1.01.xsd"));
  EXPECT_EQ(Campo(pedido, "ultNSU"), "0");  // an empty last NSU asks from the start
  EXPECT_EQ(Campo(pedido, "CNPJ"), kCnpjDestinatario);
  const auto lista = chaves(todas);
  EXPECT_TRUE(tem(lista, chave1) && tem(lista, chave2)) << todas;
  std::vector<std::string> nsus;
  mox::TmoxKivoUtils().XPathSelectNodes(todas, "//*[local-name()='resNFe']/@NSU", nsus, {}, true);
  EXPECT_TRUE(std::is_sorted(nsus.begin(), nsus.end(), [](const std::string& a, const std::string& b) {
    return std::stoull(a) < std::stoull(b);
  }));

  // Aware of the first note, the recipient asks only for the notes it has not manifested on.
  nfe->EnviarManifestacaoDestinatario(2, chave1, kCnpjDestinatario, "", "", 1, "", "91");
  const auto semManifestacao = chaves(nfe->ConsultarNFeDestinadas(2, 0, "0"));
  EXPECT_FALSE(tem(semManifestacao, chave1));
  EXPECT_TRUE(tem(semManifestacao, chave2));

  const std::string depois = nfe->ConsultarNFeDestinadas(0, 0, Campo(todas, "ultNSU"));
  EXPECT_EQ(Campo(depois, "cStat"), "137") << depois;
  EXPECT_TRUE(chaves(depois).empty());

  const size_t logs = Arquivos(pasta_.path() / "Log").size();
  EXPECT_EQ(MensagemDe<mox::EmoxException>([&] { nfe->ConsultarNFeDestinadas(3, 0, ""); }),
            "Indicador de NF-e (indNFe) da Consulta é inválido.");
  EXPECT_EQ(MensagemDe<mox::EmoxException>([&] { nfe->ConsultarNFeDestinadas(0, 0, "12a"); }),
            "Último NSU (ultNSU) deve conter apenas números.");
  EXPECT_EQ(Arquivos(pasta_.path() / "Log").size(), logs);
}

TEST_F(EventosNoSandbox, EntradaRuimParaAntesDeGravarOuEnviar) {
  const std::string chave = NotaAutorizada();
  std::string digitoErrado = chave;
  digitoErrado.back() = digitoErrado.back() == '9' ? '0' : static_cast<char>(digitoErrado.back() + 1);
  auto nfe = Componente();
  const std::string prefixo = "Erro ao enviar CCe: ";
  struct Caso {
    const char* nome;
    std::function<void()> acao;
    std::string mensagem;
  };
  const std::vector<Caso> casos{
      {"dígito verificador", [&] { nfe->EnviarCCe(digitoErrado, "Texto com quinze+", "", "35", "1", 1, ""); },
       prefixo + "Chave da NF-e com dígito verificador inválido."},
      {"correção curta", [&] { nfe->EnviarCCe(chave, "Catorze letras", "", "35", "1", 1, ""); },
       prefixo + "O Texto de Correção deve ter no mínimo 15 Caracteres"},
      {"sequência zero", [&] { nfe->EnviarCCe(chave, "Texto com quinze+", "", "35", "1", 0, ""); },
       prefixo + "Sequência mínima de 1 e máxima de 20."},
      {"órgão 92", [&] { nfe->EnviarCCe(chave, "Texto com quinze+", "", "92", "1", 1, ""); },
       prefixo + "Código do Órgão incorreto."},
      {"órgão de um dígito", [&] { nfe->EnviarCCe(chave, "Texto com quinze+", "", "3", "1", 1, ""); },
       prefixo + "Código do Órgão deve conter exatamente 2 dígitos"},
      {"fuso sem sinal", [&] { nfe->EnviarCCe(chave, "Texto com quinze+", "", "35", "1", 1, "03:00"); },
       prefixo + "Fuso Horario do evento inválido, o valor deve ser no formato -HH:MM"},
      {"fuso de cinco", [&] { nfe->EnviarCCe(chave, "Texto com quinze+", "", "35", "1", 1, "-3:00"); },
       prefixo + "Fuso Horario do evento inválido, o valor deve ser no formato -HH:MM"},
      {"correção longa demais (esquema)",
       [&] { nfe->EnviarCCe(chave, std::string(1001, 'x'), "", "35", "1", 1, ""); }, ""},
      {"manifestação de tipo 5",
       [&] { nfe->EnviarManifestacaoDestinatario(5, chave, kCnpjDestinatario, "", "", 1, "", "91"); },
       "Tipo do evento inválido.Apenas 1,2,3 e 4 são aceitos"},
      {"operação não realizada sem justificativa",
       [&] { nfe->EnviarManifestacaoDestinatario(4, chave, kCnpjDestinatario, "Catorze letras", "", 1, "", "91"); },
       "Justificativa deve possuir no mínimo 15 caracteres."},
      {"cancelamento sem protocolo", [&] { nfe->CancelarNFeEvento(chave, "", "Justificativa longa", "", 1, "", "1"); },
       "Código do Protocolo não pode ser vazio."},
      {"cancelamento com dígito errado",
       [&] { nfe->CancelarNFeEvento(digitoErrado, "135000000000001", "Justificativa longa", "", 1, "", "1"); },
       "Chave da NF-e com dígito verificador inválido."},
  };
  for (const Caso& c : casos) {
    SCOPED_TRACE(c.nome);
    const std::string mensagem = MensagemDe<mox::EmoxException>(c.acao);
    if (c.mensagem.empty())
      EXPECT_NE(mensagem.find("xCorrecao"), std::string::npos) << mensagem;
    else
      EXPECT_EQ(mensagem, c.mensagem);
  }
  EXPECT_TRUE(Arquivos(pasta_.path() / "Log").empty());
  EXPECT_TRUE(Arquivos(pasta_.path() / "XmlDestinatario").empty());
}

}  // namespace
