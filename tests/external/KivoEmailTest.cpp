// SendEmail against a real SMTP server (aiosmtpd) started on loopback; what arrived is read
// back through Python's own MIME parser.
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>

#include "external/Base64.h"
#include "external/EKivoException.h"
#include "external/TmoxKivoX.h"
#include "support/MensagemDe.h"
#include "support/ServidorSmtp.h"
#include "support/TestCertificates.h"
#include "support/TestSupport.h"

namespace {

namespace fs = std::filesystem;
using mox::EKivoException;
using mox::TmoxKivoX;

using MailServer = moxtest::ServidorSmtp;

class KivoEmail : public ::testing::Test {
 protected:
  void Configure(int aPort) {
    auto& e = kivo_.EmailSettings;
    e.Server = "127.0.0.1";
    e.Port = aPort;
    e.SenderEmail = "Emissor Teste <nfe@emissor.com.br>";
    e.Subject = "NF-e nº 124 - Emissão de Teste";
    e.Message = "Segue a nota fiscal eletrônica em anexo.\r\nAtenciosamente.";
    e.Timeout = 10000;
  }

  moxtest::TempDir files_;
  TmoxKivoX kivo_;
};

TEST_F(KivoEmail, RecipientsSubjectBodyAndAttachmentBytesArriveAsSent) {
  MailServer server;
  Configure(server.Porta());
  kivo_.EmailSettings.CC = "contador@escritorio.com.br";
  kivo_.EmailSettings.BCC = "arquivo@emissor.com.br; auditoria@emissor.com.br";
  std::string xml = moxtest::ReadText(moxtest::Fixture("xml/nfe310-assinada-ficticia.xml"));
  std::string binary;
  for (int i = 0; i < 3000; ++i) binary += static_cast<char>((i * 7) % 256);
  moxtest::WriteText(files_.file("35140312345678000195550010000001241123456788-nfe.xml"), xml);
  moxtest::WriteText(files_.file("danfe.pdf"), binary);

  kivo_.SendEmail("compras@destinatario.com.br, Financeiro <financeiro@destinatario.com.br>",
                  files_.file("35140312345678000195550010000001241123456788-nfe.xml") + "\r\n" +
                      files_.file("danfe.pdf") + "\r\n");

  auto received = server.Recebidas();
  ASSERT_EQ(received.size(), 1u);
  const auto& m = received[0];
  EXPECT_EQ(m["mail_from"], "nfe@emissor.com.br");
  EXPECT_EQ(m["rcpt_tos"], nlohmann::json({"compras@destinatario.com.br", "financeiro@destinatario.com.br",
                                           "contador@escritorio.com.br", "arquivo@emissor.com.br",
                                           "auditoria@emissor.com.br"}));
  EXPECT_EQ(m["headers"]["Subject"], "NF-e nº 124 - Emissão de Teste");
  EXPECT_EQ(m["headers"]["To"], "compras@destinatario.com.br, Financeiro <financeiro@destinatario.com.br>");
  EXPECT_EQ(m["headers"]["Cc"], "contador@escritorio.com.br");
  EXPECT_FALSE(m["headers"].contains("Bcc")) << "blind copies must not show";
  EXPECT_EQ(m["body_type"], "text/plain");
  EXPECT_EQ(m["body"].get<std::string>().find("Segue a nota fiscal eletrônica em anexo."), 0u);

  ASSERT_EQ(m["attachments"].size(), 2u);
  EXPECT_EQ(m["attachments"][0]["filename"], "35140312345678000195550010000001241123456788-nfe.xml");
  EXPECT_EQ(m["attachments"][0]["content_type"], "application/xml");
  EXPECT_EQ(mox::Base64Decode(m["attachments"][0]["data"].get<std::string>()), xml);
  EXPECT_EQ(m["attachments"][1]["filename"], "danfe.pdf");
  EXPECT_EQ(mox::Base64Decode(m["attachments"][1]["data"].get<std::string>()), binary);
}

TEST_F(KivoEmail, HtmlBodyOverStartTlsWithAuthentication) {
  moxtest::TempDir pasta;
  const auto tls = moxtest::EscreveTlsDoServidor(pasta);
  MailServer server({"--tls", tls.Certificado, tls.Chave, "--auth", "emissor", "s3nha"});
  Configure(server.Porta());
  kivo_.EmailSettings.Server = "localhost";
  kivo_.EmailSettings.CABundle = tls.Autoridade;
  kivo_.EmailSettings.Authentication = true;
  kivo_.EmailSettings.Login = "emissor";
  kivo_.EmailSettings.Password = "s3nha";
  kivo_.EmailSettings.isContentHTML = true;
  kivo_.EmailSettings.Message = "<p>Nota <b>autorizada</b></p>";

  kivo_.SendEmail("cliente@destinatario.com.br", "");
  auto received = server.Recebidas();
  ASSERT_EQ(received.size(), 1u);
  EXPECT_TRUE(received[0]["tls"].get<bool>());
  EXPECT_EQ(received[0]["login"], "emissor");
  EXPECT_EQ(received[0]["body_type"], "text/html");
  EXPECT_NE(received[0]["body"].get<std::string>().find("<p>Nota <b>autorizada</b></p>"), std::string::npos);

  kivo_.EmailSettings.Password = "errada";
  std::string message = moxtest::MensagemDe<EKivoException>([&] { kivo_.SendEmail("cliente@destinatario.com.br", ""); });
  EXPECT_NE(message.find("Falha ao enviar e-mail por smtp://localhost:" + std::to_string(server.Porta())),
            std::string::npos)
      << message;
  EXPECT_EQ(server.Recebidas().size(), 1u);
}

TEST_F(KivoEmail, BadInputIsRefusedBeforeAnythingIsSent) {
  MailServer server;
  Configure(server.Porta());
  struct Case {
    std::string what, to, attachments, subject, message;
  } cases[] = {
      {"missing attachment", "a@b.com.br", files_.file("nao-existe.pdf"), "Assunto",
       "Arquivo anexo não encontrado: " + files_.file("nao-existe.pdf")},
      {"no recipient", " ; ", "", "Assunto", "Informe o endereço de e-mail do destinatário."},
      {"malformed recipient", "sem-arroba", "", "Assunto", "Endereço de e-mail inválido: sem-arroba"},
      {"header injection", "a@b.com.br", "", "Oi\r\nBcc: intruso@mal.com", "Quebra de linha não permitida"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    kivo_.EmailSettings.Subject = c.subject;
    std::string message = moxtest::MensagemDe<EKivoException>([&] { kivo_.SendEmail(c.to, c.attachments); });
    EXPECT_NE(message.find(c.message), std::string::npos) << message;
  }
  EXPECT_TRUE(server.Recebidas().empty());
}

}  // namespace
