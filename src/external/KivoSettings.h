#pragma once
// The settings objects of the services server. The component writes them before every use;
// they are plain data, read at the moment of each operation.
#include <string>

#include "external/MailSender.h"

namespace mox {

// Certificate sources, by the ordinal the component writes as CertificateType.
enum TKivoCertificateType : int {
  kCertMemory = 0,           // the certificate store, by CertificateName
  kCertLocalMachine = 1,     // the certificate store, by CertificateName
  kCertFile = 2,             // the PKCS#12 file CertificatePath (CertificatePassword); without a
                             // path, the store by CertificateName
  kCertActiveDirectory = 3,  // the certificate store, by CertificateName
  kCertSmartCard = 4,        // A3: a certificate of the tokens (PKCS#11), by CertificateName
};

struct TKivoCertificateSettings {
  std::string CertificateName;
  std::string Pincode;  // PIN of the token or smart card (A3)
  int CertificateType = kCertMemory;
  std::string CertificatePath;
  std::string CertificatePassword;
};

struct TKivoSignerSettings : TKivoCertificateSettings {
  std::string AllowedElementsFile;  // optional: element names that may be signed, one a line
  std::string XmlElement;           // "infNFe", "infCanc", "infInut", "infEvento"
  int AllowedTransformations = 3;  // the signature always uses enveloped-signature and C14N
};

struct TKivoHttpSettings : TKivoCertificateSettings {
  int Timeout = 0;  // milliseconds; 0: two minutes
  bool IgnoreInvalidCertificates = false;
  std::string Proxy, ProxyUser, ProxyPassword;
  bool SecuredConnection = false;  // https only, TLS 1.2 or newer
  std::string CABundle;            // authorities that verify SEFAZ's servers; empty: the system's
};

struct TKivoEmailSettings {
  std::string Server;
  bool Authentication = false;
  std::string SenderEmail, Subject, Message, Login, Password;
  int Port = 0;     // 0: see TMailServer
  int Timeout = 0;  // milliseconds; 0: one minute
  bool isContentHTML = false;
  std::string CC, BCC;  // addresses separated by ";" or ","
  TMailSecurity Security = TMailSecurity::Automatic;
  std::string CABundle;
};

}  // namespace mox
