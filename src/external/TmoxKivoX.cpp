#include "external/TmoxKivoX.h"

#include <algorithm>

#include "external/CertificateStore.h"
#include "external/EKivoException.h"
#include "external/FileIO.h"
#include "external/Pkcs11Key.h"
#include "external/SoapClient.h"
#include "external/TextSplit.h"
#include "external/XmlSigner.h"
#include "external/moxPaths.h"

namespace mox {

namespace {

const std::vector<std::string> kDefaultSignedElements{"infNFe", "infCanc", "infInut", "infEvento"};

std::vector<std::string> NonEmptyLines(const std::string& aText) { return SplitTrimmed(aText, "\r\n"); }

}  // namespace

TmoxKivoX::TmoxKivoX() = default;
TmoxKivoX::~TmoxKivoX() = default;

std::shared_ptr<const LoadedCertificate> TmoxKivoX::ConfiguredCertificate(const TKivoCertificateSettings& aSettings) {
  switch (aSettings.CertificateType) {
    case kCertSmartCard:
      return tokens_.Select(aSettings.CertificateName, aSettings.Pincode);
    case kCertFile: {
      // The current user's certificates: a PKCS#12 file when a path is given, else the store.
      if (aSettings.CertificatePath.empty()) {
        if (NormalizeCertificateName(aSettings.CertificateName).empty())
          throw EKivoException(
              "Certificado não informado: indique o arquivo PKCS#12 (CaminhoCertificado) ou o nome de um certificado "
              "instalado (NomeCertificado).");
        return CertificateStore(storeFolder_, cache_).Select(aSettings.CertificateName, aSettings.CertificatePassword);
      }
      std::string path = NormalizeSeparators(aSettings.CertificatePath);
      if (!FileExists(path)) throw EKivoException("Arquivo do certificado não encontrado: " + path);
      return cache_.Load(path, {aSettings.CertificatePassword});
    }
    case kCertMemory:
    case kCertLocalMachine:
    case kCertActiveDirectory: {
      CertificateStore store(storeFolder_, cache_);
      return store.Select(aSettings.CertificateName, aSettings.CertificatePassword);
    }
    default:
      throw EKivoException("Tipo de certificado desconhecido: " + std::to_string(aSettings.CertificateType));
  }
}

std::vector<std::string> TmoxKivoX::ListCertificates() {
  CertificateStore store(storeFolder_, cache_);
  std::vector<std::string> lines;
  for (const auto& e : store.List(SignerSettings.CertificatePassword)) lines.push_back(e.Line());
  for (const auto& e : tokens_.List()) lines.push_back(e.Line());
  return lines;
}

bool TmoxKivoX::RemoveCertificate(const std::string& aName) {
  CertificateStore store(storeFolder_, cache_);
  bool removed = store.Remove(aName, SignerSettings.CertificatePassword);
  if (removed) signer_.reset();
  return removed;
}

TDateTime TmoxKivoX::CertificateExpiration() {
  return ToLocalDateTime(ConfiguredCertificate(SignerSettings)->Info.NotAfter);
}

void TmoxKivoX::CheckCertificate() {
  auto certificate = ConfiguredCertificate(SignerSettings);
  CheckCredentialUsable(certificate->Credential, certificate->Info);
  if (OnCheckCertificate) OnCheckCertificate(*this, CertificateDetails(certificate->Info));
}

template <typename F>
auto TmoxKivoX::ReportingTokenFailures(F&& aOperation) {
  TakeTokenFailure();
  try {
    return aOperation();
  } catch (const EKivoException&) {
    std::string failure = TakeTokenFailure();
    if (failure.empty()) throw;
    // The token failed under OpenSSL: the next operation looks for it again.
    tokens_.Forget();
    signer_.reset();
    throw EKivoException(failure);
  }
}

std::vector<std::string> TmoxKivoX::AllowedElements() const {
  std::string file = NormalizeSeparators(SignerSettings.AllowedElementsFile);
  if (file.empty() || !FileExists(file)) return kDefaultSignedElements;
  return NonEmptyLines(ReadFileBytes(file));
}

std::string TmoxKivoX::SignXmlById(const std::string& aXml, const std::string& aId) {
  return SignXmlByIds(aXml, {aId});
}

XmlSigner& TmoxKivoX::Signer() {
  const std::string& element = SignerSettings.XmlElement;
  if (!element.empty()) {
    auto allowed = AllowedElements();
    if (std::find(allowed.begin(), allowed.end(), element) == allowed.end())
      throw EKivoException("O elemento " + element + " não está entre os elementos que podem ser assinados.");
  }
  auto certificate = ConfiguredCertificate(SignerSettings);
  if (!signer_ || signer_->Certificate() != certificate) {
    signer_.reset();
    signer_ = std::make_unique<XmlSigner>(certificate);
  }
  return *signer_;
}

std::string TmoxKivoX::SignXmlByIds(const std::string& aXml, const std::vector<std::string>& aIds) {
  if (aIds.empty() || aIds.front().empty()) throw EKivoException("Id do elemento a assinar não informado.");
  XmlSigner& signer = Signer();
  return ReportingTokenFailures([&] { return signer.Sign(aXml, SignerSettings.XmlElement, aIds); });
}

std::string TmoxKivoX::SignXmlDocumentById(XmlDocument& aDoc, const std::string& aId, std::string_view aReadFrom) {
  if (aId.empty()) throw EKivoException("Id do elemento a assinar não informado.");
  XmlSigner& signer = Signer();
  return ReportingTokenFailures([&] { return signer.Sign(aDoc, SignerSettings.XmlElement, {aId}, aReadFrom); });
}

std::string TmoxKivoX::PostSOAP(const std::string& aURL, const std::string& aContent, const std::string& aSoapAction,
                                const std::string& aResultTag, const std::string& aTargetNamespace) {
  TSoapPostOptions options;
  options.TimeoutMs = HttpSettings.Timeout;
  options.RequireTls = HttpSettings.SecuredConnection;
  options.Proxy = HttpSettings.Proxy;
  options.ProxyUser = HttpSettings.ProxyUser;
  options.ProxyPassword = HttpSettings.ProxyPassword;
  options.Tls.IgnoreInvalidCertificates = HttpSettings.IgnoreInvalidCertificates;
  options.Tls.CABundle = HttpSettings.CABundle;
  std::shared_ptr<const LoadedCertificate> certificate;
  bool configured = (HttpSettings.CertificateType == kCertFile && !HttpSettings.CertificatePath.empty()) ||
                    !NormalizeCertificateName(HttpSettings.CertificateName).empty();
  if (configured || HttpSettings.CertificateType == kCertSmartCard) {
    certificate = ConfiguredCertificate(HttpSettings);
    if (!certificate->Credential.PrivateKey)
      throw EKivoException("O certificado \"" + certificate->Info.CommonName +
                           "\" não possui chave privada e não autentica a conexão.");
    options.Tls.ClientCertificate = &certificate->Credential;
  }
  std::string response = ReportingTokenFailures([&] { return PostSoap12(aURL, aContent, aSoapAction, options); });
  return SoapResultContent(response, aResultTag, aTargetNamespace);
}

void TmoxKivoX::SendEmail(const std::string& aEmailAddress, const std::string& aAttachments) {
  const TKivoEmailSettings& e = EmailSettings;
  TMailServer server;
  server.Host = e.Server;
  server.Port = e.Port;
  server.Authentication = e.Authentication;
  server.Login = e.Login;
  server.Password = e.Password;
  server.TimeoutMs = e.Timeout;
  server.Security = e.Security;
  server.Tls.CABundle = e.CABundle;
  TMailMessage message;
  message.From = e.SenderEmail;
  message.To = SplitAddresses(aEmailAddress);
  message.Cc = SplitAddresses(e.CC);
  message.Bcc = SplitAddresses(e.BCC);
  if (message.To.empty()) throw EKivoException("Informe o endereço de e-mail do destinatário.");
  message.Subject = e.Subject;
  message.Body = e.Message;
  message.Html = e.isContentHTML;
  for (const auto& line : NonEmptyLines(aAttachments)) message.Attachments.push_back(NormalizeSeparators(line));
  SendMail(server, message);
}

}  // namespace mox
