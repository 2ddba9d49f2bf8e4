// PostSOAP against a real HTTPS server on loopback that demands a client certificate.
#include <gtest/gtest.h>
#include <httplib.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "external/EKivoException.h"
#include "external/SoapClient.h"
#include "external/TmoxKivoX.h"
#include "external/XmlDocument.h"
#include "support/BackgroundProcess.h"
#include "support/MensagemDe.h"
#include "support/TestCertificates.h"
#include "support/TestSupport.h"

namespace {

using mox::EKivoException;
using mox::TmoxKivoX;

const std::string kStatusNs = "http://www.portalfiscal.inf.br/nfe/wsdl/NfeStatusServico2";
const std::string kAction = kStatusNs + "/nfeStatusServicoNF2";

std::string Envelope(const std::string& aBody) {
  return "<?xml version=\"1.0\" encoding=\"utf-8\"?><soap12:Envelope "
         "xmlns:soap12=\"http://www.w3.org/2003/05/soap-envelope\"><soap12:Body>" + aBody +
         "</soap12:Body></soap12:Envelope>";
}

std::string PeerCommonName(const httplib::Request& aRequest) {
  X509* peer = aRequest.ssl ? SSL_get1_peer_certificate(aRequest.ssl) : nullptr;
  if (!peer) return "";
  mox::CertificateCredential c;
  c.Certificate.reset(peer);
  return mox::DescribeCertificate(c).CommonName;
}

// A SEFAZ-like HTTPS endpoint: TLS with the test server certificate, client certificates of
// the test authority required.
class SefazLikeServer {
 public:
  SefazLikeServer() {
    X509_STORE* clients = X509_STORE_new();  // owned by the server's TLS context
    X509_STORE_add_cert(clients, moxtest::Pki().Authority.Certificate.get());
    server_ = std::make_unique<httplib::SSLServer>(moxtest::Pki().Server.Certificate.get(),
                                                   moxtest::Pki().Server.PrivateKey.get(), clients);
    server_->Post("/status", [this](const httplib::Request& req, httplib::Response& res) {
      lastContentType_ = req.get_header_value("Content-Type");
      lastBody_ = req.body;
      res.set_content(Envelope("<nfeStatusServicoNF2Result xmlns=\"" + kStatusNs +
                               "\"><retConsStatServ xmlns=\"http://www.portalfiscal.inf.br/nfe\" versao=\"3.10\">"
                               "<cStat>107</cStat><xMotivo>" + PeerCommonName(req) +
                               "</xMotivo></retConsStatServ></nfeStatusServicoNF2Result>"),
                      "application/soap+xml; charset=utf-8");
    });
    // The TLS version and how the client signed its CertificateVerify.
    server_->Post("/tls", [](const httplib::Request& req, httplib::Response& res) {
      int signature = NID_undef;
      SSL_get_peer_signature_type_nid(req.ssl, &signature);
      res.set_content(Envelope("<tls>" + std::string(SSL_get_version(req.ssl)) + " " + OBJ_nid2sn(signature) + "</tls>"),
                      "application/soap+xml");
    });
    server_->Post("/prefixado", [](const httplib::Request&, httplib::Response& res) {
      res.set_content("<env:Envelope xmlns:env=\"http://www.w3.org/2003/05/soap-envelope\"><env:Body>"
                      "<ns2:nfeStatusServicoNF2Result xmlns:ns2=\"" + kStatusNs + "\" "
                      "xmlns:nfe=\"http://www.portalfiscal.inf.br/nfe\"><nfe:retConsStatServ versao=\"3.10\">"
                      "<nfe:cStat>107</nfe:cStat></nfe:retConsStatServ></ns2:nfeStatusServicoNF2Result>"
                      "</env:Body></env:Envelope>",
                      "application/soap+xml");
    });
    server_->Post("/texto", [](const httplib::Request&, httplib::Response& res) {
      res.set_content(Envelope("<r:consultaResult xmlns:r=\"urn:x\">&lt;retConsCad versao=\"2.00\"&gt;"
                               "&lt;cStat&gt;111&lt;/cStat&gt;&lt;/retConsCad&gt;</r:consultaResult>"),
                      "application/soap+xml");
    });
    server_->Post("/falha", [](const httplib::Request&, httplib::Response& res) {
      res.status = 500;
      res.set_content(Envelope("<soap12:Fault><soap12:Code><soap12:Value>soap12:Receiver</soap12:Value></soap12:Code>"
                               "<soap12:Reason><soap12:Text xml:lang=\"pt\">Servico paralisado momentaneamente"
                               "</soap12:Text></soap12:Reason></soap12:Fault>"),
                      "application/soap+xml");
    });
    server_->Post("/html", [](const httplib::Request&, httplib::Response& res) {
      res.set_content("<html><body>Manutencao<br></body></html>", "text/html");
    });
    server_->Post("/portal", [](const httplib::Request&, httplib::Response& res) {
      res.set_content("<html><body><p>Manutencao programada</p></body></html>", "application/xhtml+xml");
    });
    server_->Post("/lento", [this](const httplib::Request&, httplib::Response& res) {
      std::unique_lock lock(mutex_);
      released_.wait_for(lock, std::chrono::seconds(20), [this] { return release_; });
      res.set_content(Envelope("<tarde/>"), "application/soap+xml");
    });
    port_ = server_->bind_to_any_port("127.0.0.1");
    thread_ = std::thread([this] {
      server_->listen_after_bind();
      listenerEnded_ = true;
    });
  }

  ~SefazLikeServer() {
    {
      std::lock_guard lock(mutex_);
      release_ = true;
    }
    released_.notify_all();
    // A stop that comes before the listener runs is lost and the join would wait forever, which
    // happens under load when a test never calls the server.
    while (!server_->is_running() && !listenerEnded_) std::this_thread::yield();
    server_->stop();
    thread_.join();
  }

  std::string Url(const std::string& aPath, const std::string& aHost = "localhost") const {
    return "https://" + aHost + ":" + std::to_string(port_) + aPath;
  }

  std::string lastContentType_, lastBody_;

 private:
  std::unique_ptr<httplib::SSLServer> server_;
  int port_ = 0;
  std::thread thread_;
  std::atomic<bool> listenerEnded_{false};
  std::mutex mutex_;
  std::condition_variable released_;
  bool release_ = false;
};

class KivoSoap : public ::testing::Test {
 protected:
  void SetUp() override {
    kivo_.HttpSettings.CertificateType = mox::kCertFile;
    kivo_.HttpSettings.CertificatePath = moxtest::WritePfx(dir_.file("empresa.pfx"), moxtest::Pki().Company, "s");
    kivo_.HttpSettings.CertificatePassword = "s";
    kivo_.HttpSettings.CABundle = moxtest::WriteCertificatePem(dir_.file("ac.pem"), moxtest::Pki().Authority);
    kivo_.HttpSettings.SecuredConnection = true;
  }

  std::string Post(const std::string& aPath, const std::string& aResultTag = "nfeStatusServicoNF2Result") {
    return kivo_.PostSOAP(server_.Url(aPath), Envelope("<nfeDadosMsg/>"), kAction, aResultTag, kStatusNs);
  }

  std::string FailureOf(const std::string& aPath) {
    return moxtest::MensagemDe<EKivoException>([&] { Post(aPath); });
  }

  moxtest::TempDir dir_;
  SefazLikeServer server_;
  TmoxKivoX kivo_;
};

TEST_F(KivoSoap, PostsSoap12WithTheClientCertificateAndReturnsTheResultContent) {
  std::string result = Post("/status");
  EXPECT_EQ(result, "<retConsStatServ xmlns=\"http://www.portalfiscal.inf.br/nfe\" versao=\"3.10\"><cStat>107</cStat>"
                    "<xMotivo>EMPRESA TESTE LTDA:12345678000195</xMotivo></retConsStatServ>");
  EXPECT_EQ(server_.lastContentType_, "application/soap+xml; charset=utf-8; action=\"" + kAction + "\"");
  EXPECT_EQ(server_.lastBody_, Envelope("<nfeDadosMsg/>"));
}

TEST_F(KivoSoap, ResultElementIsFoundWhateverItsPrefixAndKeepsItsNamespaces) {
  auto doc = mox::XmlDocument::Parse(Post("/prefixado"));
  EXPECT_EQ(mox::LocalName(doc.Root()), "retConsStatServ");
  ASSERT_NE(doc.Root()->ns, nullptr);
  EXPECT_STREQ(reinterpret_cast<const char*>(doc.Root()->ns->href), "http://www.portalfiscal.inf.br/nfe");

  // A result that carries the document as escaped text comes back as the document.
  EXPECT_EQ(Post("/texto", "consultaResult"), "<retConsCad versao=\"2.00\"><cStat>111</cStat></retConsCad>");
  // Without the expected element the whole envelope is returned, for the caller to unwrap.
  EXPECT_NE(Post("/status", "outroResult").find("<soap12:Envelope"), std::string::npos);
}

TEST_F(KivoSoap, FailuresNameTheAddressAndTheHttpStatus) {
  struct Case {
    std::string path;
    std::vector<std::string> parts;
  } cases[] = {
      {"/falha", {"Erro HTTP em " + server_.Url("/falha"), "Internal Server Error (500)", "soap12:Receiver",
                  "Servico paralisado momentaneamente"}},
      {"/nao-existe", {"Erro HTTP em " + server_.Url("/nao-existe"), "Not Found (404)"}},
      {"/html", {"Resposta inválida de " + server_.Url("/html"), "HTTP 200", "não é XML bem formado"}},
      {"/portal", {"Resposta inválida de " + server_.Url("/portal"), "HTTP 200", "não é um envelope SOAP"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    std::string message = FailureOf(c.path);
    for (const auto& part : c.parts) EXPECT_NE(message.find(part), std::string::npos) << message;
  }
}

TEST_F(KivoSoap, GivesUpAfterTheTimeout) {
  kivo_.HttpSettings.Timeout = 800;
  std::string message = FailureOf("/lento");
  EXPECT_NE(message.find("Falha ao acessar " + server_.Url("/lento") + " (sem resposta HTTP): tempo esgotado após 800 ms"),
            std::string::npos)
      << message;
}

TEST_F(KivoSoap, TlsTrustOnBothSides) {
  mox::TCertificateRequest strangerHolder;
  strangerHolder.CommonName = "INTRUSA LTDA:11222333000181";
  auto strangerCa = moxtest::StrangerAuthority("AC Desconhecida");
  auto stranger = mox::CertificateFactory::Issue(strangerHolder, &strangerCa, moxtest::SpareKey());
  std::string strangerPfx = moxtest::WritePfx(dir_.file("intrusa.pfx"), stranger, "s");
  std::string companyPfx = kivo_.HttpSettings.CertificatePath;
  std::string caBundle = kivo_.HttpSettings.CABundle;

  struct Case {
    std::string what, pfx, caBundle;
    bool ignoreInvalid, succeeds;
    std::string cause;  // what the message must say of the refusal
  } cases[] = {
      {"client certificate the server does not trust", strangerPfx, caBundle, false, false, ""},
      {"no client certificate", "", caBundle, false, false, ""},
      {"server certificate not in the system authorities", companyPfx, "", false, false,
       "autoridade certificadora desconhecida"},
      {"server certificate accepted when told to ignore", companyPfx, "", true, true, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    kivo_.HttpSettings.CertificatePath = c.pfx;
    kivo_.HttpSettings.CABundle = c.caBundle;
    kivo_.HttpSettings.IgnoreInvalidCertificates = c.ignoreInvalid;
    std::string message = FailureOf("/status");
    if (c.succeeds) {
      EXPECT_EQ(message, "nenhuma exceção");
    } else {
      EXPECT_NE(message.find("Falha ao acessar " + server_.Url("/status") + " (sem resposta HTTP)"), std::string::npos)
          << message;
      EXPECT_NE(message.find(c.cause), std::string::npos) << message;
    }
  }
}

// A token key that only signs PKCS#1 v1.5 cannot make the PSS signature of TLS 1.3.
TEST_F(KivoSoap, AKeyLimitedToPkcs1AuthenticatesWithTls12AndPkcs1Signatures) {
  mox::CertificateCredential company;
  company.Certificate = mox::ShareX509(moxtest::Pki().Company.Certificate.get());
  company.PrivateKey = mox::ShareKey(moxtest::Pki().Company.PrivateKey.get());
  mox::TSoapPostOptions options;
  options.Tls.CABundle = kivo_.HttpSettings.CABundle;
  options.Tls.ClientCertificate = &company;
  auto tls = [&] {
    return mox::SoapResultContent(mox::PostSoap12(server_.Url("/tls"), Envelope("<nfeDadosMsg/>"), kAction, options), "tls");
  };
  EXPECT_EQ(tls(), "TLSv1.3 RSASSA-PSS");
  company.RsaPkcs1Only = true;
  EXPECT_EQ(tls(), "TLSv1.2 rsaEncryption");
}

TEST_F(KivoSoap, GoesThroughAnAuthenticatingProxy) {
  moxtest::BackgroundProcess proxy("/usr/bin/python3",
                                   {std::string(MOXNFE_SOURCE_DIR) + "/tests/support/connect_proxy.py", "usuario", "p4ss"});
  std::string ready = proxy.ReadLine();
  ASSERT_EQ(ready.rfind("PORT ", 0), 0u) << ready;
  kivo_.HttpSettings.Proxy = "127.0.0.1:" + ready.substr(5);
  kivo_.HttpSettings.ProxyUser = "usuario";
  kivo_.HttpSettings.ProxyPassword = "p4ss";
  EXPECT_NE(Post("/status").find("<cStat>107</cStat>"), std::string::npos);
  EXPECT_EQ(proxy.ReadLine(), "CONNECT " + server_.Url("").substr(8));

  kivo_.HttpSettings.ProxyPassword = "errada";
  std::string message = FailureOf("/status");
  EXPECT_NE(message.find("Falha ao acessar " + server_.Url("/status") + ": o proxy " + kivo_.HttpSettings.Proxy +
                         " recusou a conexão: Proxy Authentication Required (407)"),
            std::string::npos)
      << message;
}

TEST_F(KivoSoap, SecuredConnectionRefusesPlainHttp) {
  std::string message = moxtest::MensagemDe<EKivoException>(
      [&] { kivo_.PostSOAP("http://127.0.0.1:1/status", Envelope("<a/>"), kAction, "r", kStatusNs); });
  EXPECT_NE(message.find("Conexão segura exigida"), std::string::npos) << message;
}

}  // namespace
