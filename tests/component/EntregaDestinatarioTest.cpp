// Delivery to the recipient after the sandbox authorizes (or cancels) a note: the mail a real
// SMTP server on loopback received, read back through Python's MIME parser (attachments
// compared byte for byte, the DANFE read with pdftotext), the custody archive, the failures of
// the server and of the input, and the temporary copies gone however the delivery ended.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "base/EmoxException.h"
#include "base/TmoxEmailSettings.h"
#include "component/TmoxNFe.h"
#include "danfe/NotasDanfe.h"
#include "support/ClienteDoSandbox.h"
#include "support/MensagemDe.h"
#include "support/SandboxDeTeste.h"
#include "support/ServidorSmtp.h"
#include "utils/TmoxCofreXml.h"

namespace {

using namespace moxtest;
namespace fs = std::filesystem;
using mox::TMailSecurity;

const char* kDestinatario = "compras@destinatario.com.br";

std::string SemMarcaNemFimDeLinha(std::string aTexto) {
  if (aTexto.starts_with("\xEF\xBB\xBF")) aTexto.erase(0, 3);
  while (!aTexto.empty() && (aTexto.back() == '\n' || aTexto.back() == '\r')) aTexto.pop_back();
  return aTexto;
}

class EntregaAoDestinatario : public TesteComCliente {
 protected:
  std::unique_ptr<mox::TmoxNFe> Componente(int aPortaSmtp) {
    auto nfe = cliente_->Componente(mox::TVersaoManual::vm50a, local_);
    nfe->SetDiretorioTemporario(local_.str() + "tmp/");
    auto& e = nfe->EmailSettings();
    e.ServidorSmtp = "127.0.0.1";
    e.Porta = aPortaSmtp;
    e.EmailRemetente = "Emissor <nfe@emissor.com.br>";
    e.EmailDestinatario = kDestinatario;
    e.Assunto = "NF-e autorizada";
    e.Mensagem = "Segue a nota.";
    e.TimeOut = 10000;
    e.Seguranca = TMailSecurity::None;
    nfe->OnXmlCanDestinatario = [this](const std::string& aArquivo) { cancelamentos_.push_back(aArquivo); };
    return nfe;
  }

  // A note sent and queried: its nfeProc is in the recipient folder. Its protocol in aProtocolo.
  std::string Autorizada(mox::TmoxNFe& aNFe, std::string* aProtocolo = nullptr) {
    const std::string nota = NotaDeTeste(++numero_, {}, "3.10");
    aNFe.EnviarNF("1", aNFe.AssinarNota(nota), false);
    const std::string chave = ChaveDe(nota);
    const std::string situacao = aNFe.ConsultarNF(chave);
    EXPECT_EQ(Campo(situacao, "cStat"), "100") << situacao;
    if (aProtocolo) *aProtocolo = Campo(situacao, "nProt");
    EXPECT_TRUE(fs::exists(Destino(chave + "-nfe.xml")));
    return chave;
  }

  fs::path Destino(const std::string& aNome) const { return local_.path() / "XmlDestinatario" / aNome; }
  std::vector<std::string> Temporarios() const { return Arquivos(local_.path() / "tmp"); }
  // The first log whose name ends so (and that holds aConteudo).
  std::string Log(const std::string& aFim, const std::string& aConteudo = {}) const {
    for (const auto& l : Arquivos(local_.path() / "Log"))
      if (l.ends_with(aFim) && ReadText(local_.path() / "Log" / l).find(aConteudo) != std::string::npos) return l;
    return {};
  }

  TempDir local_;
  std::vector<std::string> cancelamentos_;
  static inline int numero_ = 9700;
};

// The note's nfeProc byte for byte, and the DANFE when asked, over each protection of the
// connection; the temporary copies are gone after the delivery.
TEST_F(EntregaAoDestinatario, NotaAutorizadaChegaComXmlEDanfe) {
  TempDir chaves;
  const auto tls = EscreveTlsDoServidor(chaves);
  struct Caso {
    const char* nome;
    std::vector<std::string> opcoes;
    TMailSecurity seguranca;
    bool autenticacao, danfe;
  } casos[] = {
      {"sem TLS, com DANFE", {}, TMailSecurity::None, false, true},
      {"sem TLS, só o XML", {}, TMailSecurity::None, false, false},
      {"STARTTLS com senha", {"--tls", tls.Certificado, tls.Chave, "--auth", "emissor", "s3nha"},
       TMailSecurity::StartTls, true, true},
      {"TLS desde o início", {"--smtps", tls.Certificado, tls.Chave}, TMailSecurity::Implicit, false, false},
  };
  for (const Caso& c : casos) {
    SCOPED_TRACE(c.nome);
    ServidorSmtp servidor(c.opcoes);
    auto nfe = Componente(servidor.Porta());
    auto& e = nfe->EmailSettings();
    e.Seguranca = c.seguranca;
    if (c.seguranca != TMailSecurity::None) {
      e.ServidorSmtp = "localhost";
      e.ArquivoCA = tls.Autoridade;
    }
    e.Autenticacao = c.autenticacao;
    e.Usuario = "emissor";
    e.Senha = "s3nha";
    nfe->SetAnexarDanfePDF(c.danfe);
    const std::string chave = Autorizada(*nfe);

    nfe->EnviarNotaDestinatario(chave, "", "");

    const auto recebidas = servidor.Recebidas();
    ASSERT_EQ(recebidas.size(), 1u);
    const auto& m = recebidas[0];
    EXPECT_EQ(m["rcpt_tos"], nlohmann::json({kDestinatario}));
    EXPECT_EQ(m["tls"].get<bool>(), c.seguranca != TMailSecurity::None);
    ASSERT_EQ(m["attachments"].size(), c.danfe ? 2u : 1u);
    EXPECT_EQ(m["attachments"][0]["filename"], chave + "-nfe.xml");
    EXPECT_EQ(ServidorSmtp::Anexo(m, 0), ReadText(Destino(chave + "-nfe.xml")));
    if (c.danfe) {
      EXPECT_EQ(m["attachments"][1]["filename"], chave + ".pdf");
      EXPECT_EQ(m["attachments"][1]["content_type"], "application/pdf");
      WriteText(local_.file("recebido.pdf"), ServidorSmtp::Anexo(m, 1));
      std::string texto = TextoDoPdf(local_.file("recebido.pdf"));
      std::erase(texto, ' ');
      EXPECT_NE(texto.find(chave), std::string::npos) << texto;
    }
    EXPECT_TRUE(Temporarios().empty());
  }
}

// From the two logs the nfeProc is assembled again: the same document the query wrote.
TEST_F(EntregaAoDestinatario, NotaMontadaDosLogsIgualADaPasta) {
  ServidorSmtp servidor;
  auto nfe = Componente(servidor.Porta());
  nfe->SetAnexarDanfePDF(false);
  const std::string chave = Autorizada(*nfe);
  // Without logs "<key>.xml" comes before "<key>-nfe.xml".
  WriteText(Destino(chave + ".xml"), "<nfeProc>a do usuário</nfeProc>");
  nfe->EnviarNotaDestinatario(chave, "", "");
  nfe->EnviarNotaDestinatario(chave, Log("-env-lot.xml"), Log(chave + "-sit.xml"));

  const auto recebidas = servidor.Recebidas();
  ASSERT_EQ(recebidas.size(), 2u);
  EXPECT_EQ(ServidorSmtp::Anexo(recebidas[0], 0), "<nfeProc>a do usuário</nfeProc>");
  EXPECT_EQ(ServidorSmtp::Anexo(recebidas[1], 0), ReadText(Destino(chave + "-nfe.xml")));
  EXPECT_TRUE(Temporarios().empty());
}

// A server that refuses or drops the message: the failure in the component's words, nothing
// taken as delivered, no temporary copy left.
TEST_F(EntregaAoDestinatario, ServidorQueRecusaOuCaiEhFalha) {
  for (const char* falha : {"recusar-destinatario", "recusar-dados", "derrubar"}) {
    SCOPED_TRACE(falha);
    ServidorSmtp servidor({"--falha", falha});
    auto nfe = Componente(servidor.Porta());
    const std::string chave = Autorizada(*nfe);
    const std::string mensagem = MensagemDe<mox::EmoxNFeEnviarNotaDestinatarioException>(
        [&] { nfe->EnviarNotaDestinatario(chave, "", ""); });
    EXPECT_EQ(mensagem.rfind("Erro ao enviar e-mail ao destinatário: ", 0), 0u) << mensagem;
    EXPECT_TRUE(servidor.Recebidas().empty());
    EXPECT_TRUE(Temporarios().empty());
  }
}

TEST_F(EntregaAoDestinatario, EntradasErradasNaoEnviamNada) {
  ServidorSmtp servidor;
  auto nfe = Componente(servidor.Porta());
  const std::string chave = "35140312345678000195550010000001241123456788";
  EXPECT_EQ(MensagemDe<mox::EmoxNFeException>([&] { nfe->EnviarNotaDestinatario(chave, "", ""); }),
            "Xml da NFe: " + chave + " na pasta XMLDestinatário não encontrado.");
  EXPECT_EQ(MensagemDe<mox::EmoxCheckParams>([&] { nfe->EnviarNotaDestinatario(chave, "ped.xml", ""); }),
            "Log de consulta de Recibo não informado");
  // A key that names a path outside the folders.
  EXPECT_EQ(MensagemDe<mox::EmoxNFeCheckParams>([&] { nfe->EnviarNotaDestinatario("../" + chave, "", ""); }),
            "Identificação da NF-e inválida: ../" + chave);
  nfe->SetEntregaXML(mox::TEntregaXML::exCofral);
  WriteText(Destino(chave + "-nfe.xml"), "<nfeProc/>");
  EXPECT_EQ(MensagemDe<mox::EmoxNFeException>([&] { nfe->EnviarNotaDestinatario(chave, "", ""); }),
            "Componente Cofral não instanciado");
  EXPECT_TRUE(servidor.Recebidas().empty());
  EXPECT_TRUE(Temporarios().empty());
}

TEST_F(EntregaAoDestinatario, AnexosLivres) {
  ServidorSmtp servidor;
  auto nfe = Componente(servidor.Porta());
  for (const char* n : {"d.pdf", "n.xml", "a.txt", "b.txt"}) WriteText(local_.file(n), std::string("conteúdo ") + n);
  const std::string pdf = local_.file("d.pdf"), xml = local_.file("n.xml");
  const std::string outros = local_.file("a.txt") + "," + local_.file("b.txt");
  struct Caso {
    const char* nome;
    std::string pdf, xml, outros;
    std::vector<std::string> anexos;  // empty: refused with the message
    std::string mensagem;
  } casos[] = {
      {"só o PDF", pdf, "", "", {"d.pdf"}, ""},
      {"todos, na ordem", pdf, xml, outros, {"d.pdf", "n.xml", "a.txt", "b.txt"}, ""},
      {"só outros", "", "", outros, {}, "É necessário informar pelo menos um arquivo para Anexar no Email"},
      {"outro ausente", pdf, "", local_.file("c.txt"), {},
       "Arquivo " + local_.file("c.txt") + " não encontrado para anexar ao email."},
      {"PDF ausente", local_.file("x.pdf"), xml, "", {},
       "Arquivo: [" + local_.file("x.pdf") + "] PDF da danfe não foi encontrado"},
      {"XML ausente", pdf, local_.file("x.xml"), "", {},
       "Arquivo: [" + local_.file("x.xml") + "] XML da NFe não foi encontrado"},
  };
  size_t enviadas = 0;
  for (const Caso& c : casos) {
    SCOPED_TRACE(c.nome);
    auto envia = [&] { nfe->EnviarNotaDestinatarioAnexos(c.pdf, c.xml, c.outros); };
    if (!c.anexos.empty()) {
      envia();
      const auto recebidas = servidor.Recebidas();
      ASSERT_EQ(recebidas.size(), ++enviadas);
      const auto& m = recebidas.back();
      ASSERT_EQ(m["attachments"].size(), c.anexos.size());
      for (size_t i = 0; i < c.anexos.size(); ++i) {
        EXPECT_EQ(m["attachments"][i]["filename"], c.anexos[i]);
        EXPECT_EQ(ServidorSmtp::Anexo(m, i), "conteúdo " + c.anexos[i]);
      }
    } else {
      EXPECT_EQ(MensagemDe<mox::EmoxNFeException>(envia), c.mensagem);
      EXPECT_EQ(servidor.Recebidas().size(), enviadas);
    }
  }
}

// The cancellation goes with the file of its kind: the request form's "-can.xml", the event's
// "-caneve.xml"; from the logs or from the recipient folder.
TEST_F(EntregaAoDestinatario, NotaCanceladaComOArquivoDoSeuTipo) {
  ServidorSmtp servidor;
  auto nfe = Componente(servidor.Porta());
  std::string protocolo;
  const std::string porPedido = Autorizada(*nfe, &protocolo);
  ASSERT_EQ(Campo(nfe->CancelarNF(porPedido, protocolo, "Pedido cancelado pelo cliente"), "cStat"), "101");
  const std::string porEvento = Autorizada(*nfe, &protocolo);
  const std::string ret = nfe->CancelarNFeEvento(porEvento, protocolo, "Pedido cancelado pelo cliente", "", 1, "", "1");
  ASSERT_EQ(Campo(ret, "cStat", "infEvento"), "135") << ret;
  ASSERT_TRUE(fs::exists(Destino(porEvento + "-caneve.xml")));

  // From the logs, the recipient folder gets the document again when it lacks it, and the host
  // hears of it.
  struct Caso {
    const char* nome;
    std::string chave, pedido, resposta, endereco, arquivo;
    bool refazer;
  } casos[] = {
      {"pedido, da pasta", porPedido, "", "", "", porPedido + "-can.xml", false},
      {"pedido, dos logs", porPedido, Log(porPedido + "-ped-can.xml"), Log(porPedido + "-can.xml"),
       "fiscal@destinatario.com.br", porPedido + "-can.xml", true},
      {"evento, da pasta", porEvento, "", "", "", porEvento + "-caneve.xml", false},
      {"evento, dos logs", porEvento, Log("-caneve-env.xml"), Log("-caneve-ret.xml"), "", porEvento + "-caneve.xml",
       true},
  };
  size_t enviadas = 0;
  for (const Caso& c : casos) {
    SCOPED_TRACE(c.nome);
    const std::string original = ReadText(Destino(c.arquivo));
    if (c.refazer) fs::remove(Destino(c.arquivo));
    cancelamentos_.clear();
    nfe->EnviarNotaCanceladaDestinatario(c.chave, c.pedido, c.resposta, c.endereco);
    const auto recebidas = servidor.Recebidas();
    ASSERT_EQ(recebidas.size(), ++enviadas);
    const auto& m = recebidas.back();
    EXPECT_EQ(m["rcpt_tos"], nlohmann::json({c.endereco.empty() ? kDestinatario : c.endereco}));
    ASSERT_EQ(m["attachments"].size(), 1u);
    EXPECT_EQ(m["attachments"][0]["filename"], c.arquivo);
    EXPECT_EQ(ServidorSmtp::Anexo(m, 0), ReadText(Destino(c.arquivo)));
    EXPECT_EQ(Campo(ReadText(Destino(c.arquivo)), "chNFe"), c.chave);
    if (c.refazer) {
      // The same document; the event road writes its own copy with a byte-order mark and a line end.
      EXPECT_EQ(SemMarcaNemFimDeLinha(ReadText(Destino(c.arquivo))), SemMarcaNemFimDeLinha(original));
      EXPECT_EQ(cancelamentos_, std::vector<std::string>{Destino(c.arquivo).string()});
    } else {
      EXPECT_TRUE(cancelamentos_.empty());
    }
    EXPECT_TRUE(Temporarios().empty());
  }
}

// Once the document is in the temporary folder it leaves it, even when the delivery fails.
TEST_F(EntregaAoDestinatario, NotaCanceladaQueFalhaNaoDeixaTemporario) {
  ServidorSmtp servidor({"--falha", "recusar-dados"});
  auto nfe = Componente(servidor.Porta());
  const std::string chave = "35140312345678000195550010000001241123456788";
  fs::create_directories(Destino(""));
  WriteText(Destino(chave + "-can.xml"), "<procCancNFe/>");
  const std::string mensagem = MensagemDe<mox::EmoxNFeEnviarNotaCanceladaDestinatario>(
      [&] { nfe->EnviarNotaCanceladaDestinatario(chave, "", "", ""); });
  EXPECT_EQ(mensagem.rfind("Erro ao enviar e-mail ao destinatário: ", 0), 0u) << mensagem;
  EXPECT_TRUE(Temporarios().empty());

  nfe->EmailSettings().EmailDestinatario.clear();
  EXPECT_EQ(MensagemDe<mox::EmoxNFeEnviarNotaCanceladaDestinatario>(
                [&] { nfe->EnviarNotaCanceladaDestinatario(chave, "", "", ""); }),
            "O endereço de email do destinatário deve ser preenchido antes de executar o envio.");
  EXPECT_TRUE(Temporarios().empty());

  EXPECT_EQ(MensagemDe<mox::EmoxNFeEnviarNotaCanceladaDestinatario>(
                [&] { nfe->EnviarNotaCanceladaDestinatario(chave, local_.file("nao.xml"), "", "a@b.com.br"); }),
            "O Log informado está errado ou inválido.");
  const std::string outra = "35140312345678000195550010000001251123456780";
  EXPECT_EQ(MensagemDe<mox::EmoxNFeException>([&] { nfe->EnviarNotaCanceladaDestinatario(outra, "", "", ""); }),
            "Xml de Cancelamento da NFe: " + outra + " não foi encontrado na pasta XMLDestinatário.");
  EXPECT_TRUE(servidor.Recebidas().empty());
}

// Two deliveries of the same note at the same moment (another process, or the same program
// twice) each work on copies of their own: the copies another delivery holds under the note's
// names in the temporary folder are neither removed nor delivered in place of this one's.
TEST_F(EntregaAoDestinatario, EntregasDaMesmaNotaNaoMexemNasCopiasUmaDaOutra) {
  ServidorSmtp servidor;
  auto nfe = Componente(servidor.Porta());
  const std::string chave = Autorizada(*nfe);
  const std::vector<std::string> alheios = {chave + "-nfe.xml", chave + ".pdf"};
  for (const auto& nome : alheios) WriteText(local_.path() / "tmp" / nome, "copia de outra entrega");
  mox::TmoxCofreXml cofre(local_.str() + "cofre");
  nfe->SetComponenteCofral(&cofre);

  struct Caso {
    const char* nome;
    mox::TEntregaXML entrega;
  } casos[] = {{"ao cofre", mox::TEntregaXML::exCofral}, {"por e-mail com o DANFE", mox::TEntregaXML::exEmail}};
  for (const Caso& c : casos) {
    SCOPED_TRACE(c.nome);
    nfe->SetEntregaXML(c.entrega);
    nfe->SetAnexarDanfePDF(true);
    nfe->EnviarNotaDestinatario(chave, "", "");
    EXPECT_EQ(Temporarios(), alheios);
    for (const auto& nome : alheios) EXPECT_EQ(ReadText(local_.path() / "tmp" / nome), "copia de outra entrega");
  }
  ASSERT_EQ(cofre.Listar().size(), 1u);
  EXPECT_EQ(ReadText(fs::path(cofre.Pasta()) / cofre.Listar()[0].Arquivo), ReadText(Destino(chave + "-nfe.xml")));
  const auto recebidas = servidor.Recebidas();
  ASSERT_EQ(recebidas.size(), 1u);
  EXPECT_EQ(ServidorSmtp::Anexo(recebidas[0], 0), ReadText(Destino(chave + "-nfe.xml")));
}

// With custody the archive holds the note, and then its events; a second delivery does not store
// the note twice.
TEST_F(EntregaAoDestinatario, CustodiaGuardaANotaUmaSoVez) {
  ServidorSmtp servidor;
  auto nfe = Componente(servidor.Porta());
  mox::TmoxCofreXml cofre(local_.str() + "cofre");
  nfe->SetComponenteCofral(&cofre);
  nfe->SetEntregaXML(mox::TEntregaXML::exCofral);
  const std::string chave = Autorizada(*nfe);

  nfe->EnviarNotaDestinatario(chave, "", "");
  nfe->EnviarNotaDestinatario(chave, "", "");

  EXPECT_TRUE(cofre.Contem(chave));
  ASSERT_EQ(cofre.Listar().size(), 1u);
  EXPECT_EQ(ReadText(fs::path(cofre.Pasta()) / cofre.Listar()[0].Arquivo), ReadText(Destino(chave + "-nfe.xml")));

  // The correction letter and the cancellation by event follow the note into custody.
  std::string protocolo = Campo(ReadText(Destino(chave + "-nfe.xml")), "nProt");
  ASSERT_EQ(Campo(nfe->EnviarCCe(chave, "Endereco de entrega: Rua B, 2", "", "35", "1", 1, ""), "cStat", "infEvento"),
            "135");
  nfe->EnviarCCeDestinatario(chave);
  ASSERT_EQ(Campo(nfe->CancelarNFeEvento(chave, protocolo, "Pedido cancelado pelo cliente", "", 1, "", "1"), "cStat",
                  "infEvento"),
            "135");
  nfe->EmailSettings().EmailDestinatario.clear();  // custody needs no address
  nfe->EnviarNotaCanceladaDestinatario(chave, "", "", "");
  const auto itens = cofre.Listar(chave);
  ASSERT_EQ(itens.size(), 3u);
  EXPECT_EQ(itens[0].Tipo, "nfe");
  EXPECT_EQ(itens[1].Tipo, "evento 110110");
  EXPECT_EQ(itens[2].Tipo, "evento 110111");
  EXPECT_EQ(ReadText(fs::path(cofre.Pasta()) / itens[2].Arquivo), ReadText(Destino(chave + "-caneve.xml")));
  EXPECT_TRUE(cofre.Verificar().empty());
  EXPECT_TRUE(servidor.Recebidas().empty());
  EXPECT_TRUE(Temporarios().empty());
}

// The registered correction letter by e-mail, named by its key, with its PDF.
TEST_F(EntregaAoDestinatario, CartaDeCorrecaoPorEmail) {
  ServidorSmtp servidor;
  auto nfe = Componente(servidor.Porta());
  const std::string chave = Autorizada(*nfe);
  const std::string ret = nfe->EnviarCCe(chave, "Endereco de entrega: Rua das Flores, 100", "", "35", "1", 1, "");
  ASSERT_EQ(Campo(ret, "cStat", "infEvento"), "135") << ret;

  nfe->EnviarCCeDestinatario(chave);

  const auto recebidas = servidor.Recebidas();
  ASSERT_EQ(recebidas.size(), 1u);
  const auto& m = recebidas[0];
  ASSERT_EQ(m["attachments"].size(), 2u);
  EXPECT_EQ(ServidorSmtp::Anexo(m, 0), ReadText(Destino(chave + "-cce.xml")));
  EXPECT_EQ(m["attachments"][1]["filename"], chave + "-cce.pdf");
  WriteText(local_.file("cce.pdf"), ServidorSmtp::Anexo(m, 1));
  EXPECT_NE(TextoDoPdf(local_.file("cce.pdf")).find("Rua das Flores, 100"), std::string::npos);
  EXPECT_TRUE(Temporarios().empty());

  // The event object's recipient documents through the component: the letter's again from its
  // logs; a note's answer is no registered EPEC or manifestation.
  const std::string pastaLog = local_.str() + "Log/";
  const std::string envio = pastaLog + Log("-env-lot.xml", "envEvento"), resposta = pastaLog + Log("-rec.xml", "retEnvEvento");
  nfe->GerarXMLCCeDestinatario("ID", envio, resposta, local_.file("cce-dest.xml"));
  EXPECT_EQ(ReadText(local_.file("cce-dest.xml")), ReadText(Destino(chave + "-cce.xml")));
  const std::string daNota = pastaLog + Log("-env-lot.xml", "enviNFe"), respostaDaNota = pastaLog + Log(chave + "-sit.xml");
  EXPECT_EQ(MensagemDe<mox::EmoxNFeEventosException>(
                [&] { nfe->GerarXMLEPECDestinatario("ID", daNota, respostaDaNota, ""); }),
            "Não foi possível gerar o XML Destinatário: O EPEC não está autorizado.");
  EXPECT_EQ(MensagemDe<mox::EmoxNFeEventosException>(
                [&] { nfe->GerarXMLManifestoDestinatario("ID", daNota, respostaDaNota, ""); }),
            "Não foi possível gerar o XML Destinatário: A Manifestação não está autorizada.");

  EXPECT_EQ(MensagemDe<mox::EmoxNFeException>([&] { nfe->EnviarCCeDestinatario("0000"); }),
            "Erro ao enviar CCe ao destinatario: Arquivo: [" + Destino("0000-cce.xml").string() +
                "] XML da CCe não foi encontrado");
}

}  // namespace
