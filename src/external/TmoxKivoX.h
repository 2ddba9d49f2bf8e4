#pragma once
// The fiscal services server: certificates, XML signature, SOAP over HTTPS with the client
// certificate, e-mail. The component configures the settings objects before every use; every
// failure raises EKivoException with a message for the user, which the component wraps.
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "external/CertificateCache.h"
#include "external/KivoPrintSettings.h"
#include "external/KivoSettings.h"
#include "external/TokenStore.h"
#include "external/moxDateTime.h"

namespace mox {

class XmlDocument;
class XmlSigner;
namespace report {
class ReportDocument;
}

class TmoxKivoX {
 public:
  using TOnCheckCertificate = std::function<void(TmoxKivoX& aSender, const std::string& aText)>;

  TmoxKivoX();
  ~TmoxKivoX();
  TmoxKivoX(const TmoxKivoX&) = delete;
  TmoxKivoX& operator=(const TmoxKivoX&) = delete;

  TKivoSignerSettings SignerSettings;
  TKivoHttpSettings HttpSettings;
  TKivoEmailSettings EmailSettings;
  TKivoPrintSettings PrintSettings;
  // Receives a description of the certificate each time CheckCertificate passes.
  TOnCheckCertificate OnCheckCertificate;

  // The store folder; empty selects CertificateStore::DefaultFolder().
  const std::string& CertificateStoreFolder() const { return storeFolder_; }
  void SetCertificateStoreFolder(const std::string& aFolder) { storeFolder_ = aFolder; }

  // The PKCS#11 modules of the A3 certificates (paths separated by ";"); empty selects the
  // system's (see Pkcs11ModulePaths).
  const std::string& Pkcs11Modules() const { return tokens_.Modules(); }
  void SetPkcs11Modules(const std::string& aModules) { tokens_.SetModules(aModules); }

  // One line per file of the store (CertificateListLine, or the file name and why it did not
  // open), then one per certificate of the tokens present (marked "A3"), and a line for a
  // module that could not be read.
  std::vector<std::string> ListCertificates();
  // Removes the one store certificate aName designates; false when none does.
  bool RemoveCertificate(const std::string& aName);
  // End of validity of the configured certificate (SignerSettings), local time.
  TDateTime CertificateExpiration();
  // Raises when the configured certificate cannot sign now; then hands its description to
  // OnCheckCertificate.
  void CheckCertificate();

  // Signs the element named SignerSettings.XmlElement whose Id is aId (see XmlSigner).
  std::string SignXmlById(const std::string& aXml, const std::string& aId);
  // The same for several elements of one document, in order: read once, every element signed,
  // written once, as many calls of SignXmlById in a row would leave it.
  std::string SignXmlByIds(const std::string& aXml, const std::vector<std::string>& aIds);
  // SignXmlById on a document already read, so a caller that looked into it does not read it
  // again; the document is left signed. aReadFrom, when given, is the text it was read from.
  std::string SignXmlDocumentById(XmlDocument& aDoc, const std::string& aId, std::string_view aReadFrom = {});

  // Posts the SOAP 1.2 envelope and returns the content of the element aResultTag of the
  // answer (the whole answer when it has none). The HTTP settings' certificate authenticates
  // the client when one is configured.
  std::string PostSOAP(const std::string& aURL, const std::string& aContent, const std::string& aSoapAction,
                       const std::string& aResultTag, const std::string& aTargetNamespace);

  // Sends EmailSettings' message to aEmailAddress (addresses separated by ";" or ","), with the
  // files named in aAttachments (one a line) attached.
  void SendEmail(const std::string& aEmailAddress, const std::string& aAttachments);

  // The certificate the settings designate, opened (cached while its file is unchanged); an A3
  // certificate logged in with the settings' Pincode (kept logged in while the token stays).
  std::shared_ptr<const LoadedCertificate> ConfiguredCertificate(const TKivoCertificateSettings& aSettings);

  // --- Reports (PrintSettings set before). PrintReport returns the CUPS job id; ExportReport
  // writes SaveAs; PreviewReport and EditReport need the windows of SetKivoReportWindows.
  int PrintReport();
  void PreviewReport();
  void EditReport();
  void ExportReport();

 private:
  std::vector<std::string> AllowedElements() const;
  // The signer of the configured certificate, made again only when the certificate changes;
  // refuses an element outside the allowed ones.
  XmlSigner& Signer();
  // Runs aOperation; a failure the token reported inside OpenSSL replaces the generic one.
  template <typename F>
  auto ReportingTokenFailures(F&& aOperation);
  std::unique_ptr<report::ReportDocument> BuildReport() const;

  std::string storeFolder_;
  CertificateCache cache_;
  TokenStore tokens_;
  std::unique_ptr<XmlSigner> signer_;
};

}  // namespace mox
