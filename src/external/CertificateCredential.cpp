#include "external/CertificateCredential.h"

#include <openssl/asn1.h>
#include <openssl/bn.h>
#include <openssl/x509v3.h>

#include <algorithm>
#include <cctype>
#include <ctime>

#include "external/EKivoException.h"

namespace mox {

namespace {

// ICP-Brasil subject alternative name fields (otherName).
constexpr const char* kOidCpfHolderData = "2.16.76.1.3.1";  // birth date (8) + CPF (11) + ...
constexpr const char* kOidCnpj = "2.16.76.1.3.3";

std::string Asn1Utf8(const ASN1_STRING* aString) {
  if (!aString) return {};
  unsigned char* utf8 = nullptr;
  int len = ASN1_STRING_to_UTF8(&utf8, aString);
  if (len < 0) return {};
  std::string out(reinterpret_cast<char*>(utf8), static_cast<size_t>(len));
  OPENSSL_free(utf8);
  return out;
}

std::string NameEntry(const X509_NAME* aName, int aNid) {
  int index = X509_NAME_get_index_by_NID(aName, aNid, -1);
  if (index < 0) return {};
  return Asn1Utf8(X509_NAME_ENTRY_get_data(X509_NAME_get_entry(aName, index)));
}

std::string OneLine(const X509_NAME* aName) {
  BioPtr bio(BIO_new(BIO_s_mem()));
  if (!bio) return {};
  X509_NAME_print_ex(bio.get(), aName, 0, XN_FLAG_RFC2253 & ~ASN1_STRFLGS_ESC_MSB);
  return BioContents(bio.get());
}

std::string Hex(const unsigned char* aBytes, size_t aSize) {
  static const char* digits = "0123456789ABCDEF";
  std::string out;
  for (size_t i = 0; i < aSize; ++i) {
    out += digits[aBytes[i] >> 4];
    out += digits[aBytes[i] & 15];
  }
  return out;
}

std::string SerialHex(X509* aCert) {
  std::unique_ptr<BIGNUM, OpenSslDeleter<BIGNUM, BN_free>> bn(
      ASN1_INTEGER_to_BN(X509_get0_serialNumber(aCert), nullptr));
  if (!bn) return {};
  char* hex = BN_bn2hex(bn.get());
  std::string out = hex ? hex : "";
  OPENSSL_free(hex);
  return out;
}

std::chrono::system_clock::time_point TimeOf(const ASN1_TIME* aTime) {
  std::tm tm{};
  if (!aTime || ASN1_TIME_to_tm(aTime, &tm) != 1) throw EKivoException("Data de validade do certificado ilegível.");
  return std::chrono::system_clock::from_time_t(timegm(&tm));
}

std::string DigitsOnly(std::string_view aText) {
  std::string out;
  for (char c : aText)
    if (std::isdigit(static_cast<unsigned char>(c))) out += c;
  return out;
}

void ReadIcpBrasilFields(X509* aCert, CertificateInfo& aInfo) {
  auto* names = static_cast<GENERAL_NAMES*>(X509_get_ext_d2i(aCert, NID_subject_alt_name, nullptr, nullptr));
  if (!names) return;
  for (int i = 0; i < sk_GENERAL_NAME_num(names); ++i) {
    const GENERAL_NAME* name = sk_GENERAL_NAME_value(names, i);
    if (name->type != GEN_OTHERNAME || !name->d.otherName->value) continue;
    char oid[64];
    OBJ_obj2txt(oid, sizeof oid, name->d.otherName->type_id, 1);
    const ASN1_TYPE* value = name->d.otherName->value;
    if (value->type == V_ASN1_BOOLEAN || value->type == V_ASN1_NULL || value->type == V_ASN1_OBJECT) continue;
    const ASN1_STRING* s = value->value.asn1_string;
    std::string text(reinterpret_cast<const char*>(ASN1_STRING_get0_data(s)), static_cast<size_t>(ASN1_STRING_length(s)));
    if (std::string_view(oid) == kOidCnpj) {
      std::string digits = DigitsOnly(text);
      if (digits.size() == 14) aInfo.Cnpj = digits;
    } else if (std::string_view(oid) == kOidCpfHolderData && text.size() >= 19) {
      std::string digits = text.substr(8, 11);
      if (DigitsOnly(digits) == digits) aInfo.Cpf = digits;
    }
  }
  GENERAL_NAMES_free(names);
}

// "NAME:12345678000195" names an e-CNPJ holder; "NAME:12345678909" an e-CPF holder.
void ReadTaxIdFromCommonName(CertificateInfo& aInfo) {
  auto colon = aInfo.CommonName.rfind(':');
  if (colon == std::string::npos) return;
  std::string tail = aInfo.CommonName.substr(colon + 1);
  if (tail.empty() || DigitsOnly(tail) != tail) return;
  if (tail.size() == 14 && aInfo.Cnpj.empty()) aInfo.Cnpj = tail;
  if (tail.size() == 11 && aInfo.Cpf.empty()) aInfo.Cpf = tail;
}

}  // namespace

TDateTime ToLocalDateTime(std::chrono::system_clock::time_point aTime) {
  std::time_t t = std::chrono::system_clock::to_time_t(aTime);
  std::tm tm{};
  localtime_r(&t, &tm);
  return EncodeDateTime({tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec, 0});
}

CertificateInfo DescribeCertificate(const CertificateCredential& aCredential) {
  X509* cert = aCredential.Certificate.get();
  if (!cert) throw EKivoException("Certificado ausente.");
  CertificateInfo info;
  const X509_NAME* subject = X509_get_subject_name(cert);
  const X509_NAME* issuer = X509_get_issuer_name(cert);
  info.Subject = OneLine(subject);
  info.CommonName = NameEntry(subject, NID_commonName);
  if (info.CommonName.empty()) info.CommonName = info.Subject;
  info.IssuerName = NameEntry(issuer, NID_commonName);
  if (info.IssuerName.empty()) info.IssuerName = NameEntry(issuer, NID_organizationName);
  if (info.IssuerName.empty()) info.IssuerName = OneLine(issuer);
  info.Serial = SerialHex(cert);
  unsigned char sha1[EVP_MAX_MD_SIZE];
  unsigned int sha1Len = 0;
  if (X509_digest(cert, EVP_sha1(), sha1, &sha1Len) == 1) info.Thumbprint = Hex(sha1, sha1Len);
  info.NotBefore = TimeOf(X509_get0_notBefore(cert));
  info.NotAfter = TimeOf(X509_get0_notAfter(cert));
  info.HasPrivateKey = aCredential.PrivateKey != nullptr;
  info.Source = aCredential.Source;
  ReadIcpBrasilFields(cert, info);
  ReadTaxIdFromCommonName(info);
  return info;
}

std::string CertificateListLine(const CertificateInfo& aInfo) {
  std::string line = aInfo.CommonName;
  if (!aInfo.Cnpj.empty()) line += " | CNPJ " + aInfo.Cnpj;
  else if (!aInfo.Cpf.empty()) line += " | CPF " + aInfo.Cpf;
  line += " | Emissor: " + aInfo.IssuerName;
  line += " | Validade: " + FormatDateTimeBR(ToLocalDateTime(aInfo.NotAfter));
  line += " | Série: " + aInfo.Serial;
  if (!aInfo.Token.empty()) line += " | A3: token " + aInfo.Token;
  return line;
}

std::string CertificateDetails(const CertificateInfo& aInfo) {
  std::string text = "Titular: " + aInfo.CommonName + "\n";
  if (!aInfo.Cnpj.empty()) text += "CNPJ: " + aInfo.Cnpj + "\n";
  if (!aInfo.Cpf.empty()) text += "CPF: " + aInfo.Cpf + "\n";
  text += "Assunto: " + aInfo.Subject + "\n";
  text += "Emissor: " + aInfo.IssuerName + "\n";
  text += "Válido de: " + FormatDateTimeBR(ToLocalDateTime(aInfo.NotBefore)) + "\n";
  text += "Válido até: " + FormatDateTimeBR(ToLocalDateTime(aInfo.NotAfter)) + "\n";
  text += "Série: " + aInfo.Serial + "\n";
  text += "Impressão digital (SHA-1): " + aInfo.Thumbprint + "\n";
  if (!aInfo.Token.empty()) {
    text += "Tipo: A3 (chave no token \"" + aInfo.Token + "\", usada com o PIN)\n";
    if (!aInfo.Source.empty()) text += "Módulo PKCS#11: " + aInfo.Source + "\n";
    return text;
  }
  text += std::string("Chave privada: ") + (aInfo.HasPrivateKey ? "presente" : "ausente") + "\n";
  if (!aInfo.Source.empty()) text += "Arquivo: " + aInfo.Source + "\n";
  return text;
}

void CheckCredentialUsable(const CertificateCredential& aCredential, const CertificateInfo& aInfo,
                           std::chrono::system_clock::time_point aNow) {
  if (!aCredential.PrivateKey)
    throw EKivoException("O certificado \"" + aInfo.CommonName + "\" não possui chave privada.");
  if (X509_check_private_key(aCredential.Certificate.get(), aCredential.PrivateKey.get()) != 1) {
    OpenSslErrorText();
    throw EKivoException("A chave privada não corresponde ao certificado \"" + aInfo.CommonName + "\".");
  }
  if (aNow < aInfo.NotBefore)
    throw EKivoException("O certificado \"" + aInfo.CommonName + "\" ainda não é válido: a validade começa em " +
                         FormatDateTimeBR(ToLocalDateTime(aInfo.NotBefore)) + ".");
  if (aNow > aInfo.NotAfter)
    throw EKivoException("O certificado \"" + aInfo.CommonName + "\" está vencido desde " +
                         FormatDateTimeBR(ToLocalDateTime(aInfo.NotAfter)) + ".");
}

}  // namespace mox
