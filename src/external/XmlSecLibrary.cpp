#include "external/XmlSecLibrary.h"

#include <xmlsec/base64.h>
#include <xmlsec/crypto.h>
#include <xmlsec/errors.h>
#include <xmlsec/xmlsec.h>
#include <xmlsec/xmltree.h>

#include <mutex>

#include "external/EKivoException.h"
#include "external/OpenSslHandles.h"
#include "external/XmlDocument.h"

namespace mox {

namespace {

thread_local XmlSecErrorCollector* tCollector = nullptr;

void CollectXmlSecError(const char* /*file*/, int /*line*/, const char* aFunc, const char* aObject,
                        const char* aSubject, int aReason, const char* aMessage) {
  if (!tCollector) return;
  std::string text;
  for (int i = 0; xmlSecErrorsGetMsg(static_cast<xmlSecSize>(i)); ++i)
    if (xmlSecErrorsGetCode(static_cast<xmlSecSize>(i)) == aReason) {
      text = xmlSecErrorsGetMsg(static_cast<xmlSecSize>(i));
      break;
    }
  if (aMessage && *aMessage) text += (text.empty() ? "" : ": ") + std::string(aMessage);
  if (aSubject && *aSubject) text += " [" + std::string(aSubject) + "]";
  else if (aObject && *aObject) text += " [" + std::string(aObject) + "]";
  if (text.empty() && aFunc) text = aFunc;
  tCollector->Add(text);
}

}  // namespace

void EnsureXmlSecLibrary() {
  static std::once_flag once;
  static std::string failure;
  std::call_once(once, [] {
    EnsureXmlLibrary();
    EnsureLegacyProvider();
    if (xmlSecInit() < 0) failure = "xmlSecInit";
    else if (xmlSecCheckVersion() != 1) failure = "versão da biblioteca";
    else if (xmlSecCryptoAppInit(nullptr) < 0) failure = "xmlSecCryptoAppInit";
    else if (xmlSecCryptoInit() < 0) failure = "xmlSecCryptoInit";
    // After xmlSecInit, which installs the printing default.
    xmlSecErrorsSetCallback(CollectXmlSecError);
    // SEFAZ wants the signature without line breaks: none between elements, none in Base64.
    xmlSecSetDefaultLineFeed(reinterpret_cast<const xmlChar*>(""));
    xmlSecBase64SetDefaultLineSize(0);
  });
  if (!failure.empty()) throw EKivoException("Falha ao iniciar a biblioteca de assinatura XML (" + failure + ").");
}

XmlSecErrorCollector::XmlSecErrorCollector() : previous_(tCollector) { tCollector = this; }
XmlSecErrorCollector::~XmlSecErrorCollector() { tCollector = previous_; }

void XmlSecErrorCollector::Add(const std::string& aMessage) {
  if (aMessage.empty() || text_.find(aMessage) != std::string::npos) return;
  text_ += (text_.empty() ? "" : "; ") + aMessage;
}

std::string XmlSecErrorCollector::Text(const std::string& aFallback) const {
  return text_.empty() ? aFallback : text_;
}

}  // namespace mox
