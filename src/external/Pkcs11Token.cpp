#include "external/Pkcs11Token.h"

#include <openssl/evp.h>
#include <openssl/x509.h>

#include <atomic>
#include <mutex>
#include <set>

namespace mox {

namespace {

std::atomic<long> gLogins{0};

// Hashes of (token serial, PIN) pairs the token refused: never sent to that token again.
std::mutex gRefusedMutex;
std::set<std::string>& RefusedPins() {
  static std::set<std::string> refused;
  return refused;
}

std::string RefusalKey(const std::string& aSerial, const std::string& aLabel, const std::string& aPin) {
  std::string material = aSerial + '\0' + aLabel + '\0' + aPin;
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int size = 0;
  EVP_Digest(material.data(), material.size(), digest, &size, EVP_sha256(), nullptr);
  OPENSSL_cleanse(material.data(), material.size());
  return std::string(reinterpret_cast<char*>(digest), size);
}

bool WasRefused(const std::string& aKey) {
  std::lock_guard lock(gRefusedMutex);
  return RefusedPins().count(aKey) != 0;
}

void RememberRefused(const std::string& aKey) {
  std::lock_guard lock(gRefusedMutex);
  RefusedPins().insert(aKey);
}

CK_ATTRIBUTE Attr(CK_ATTRIBUTE_TYPE aType, void* aValue, CK_ULONG aSize) { return {aType, aValue, aSize}; }

}  // namespace

Pkcs11Session::Pkcs11Session(std::shared_ptr<Pkcs11Module> aModule, CK_SLOT_ID aSlot)
    : module_(std::move(aModule)), slot_(aSlot) {
  CK_TOKEN_INFO info = module_->TokenInfo(slot_);
  label_ = Pkcs11Text(info.label, sizeof info.label);
  serial_ = Pkcs11Text(info.serialNumber, sizeof info.serialNumber);
  CK_RV rv = module_->Functions()->C_OpenSession(slot_, CKF_SERIAL_SESSION, nullptr, nullptr, &session_);
  if (IsTokenGone(rv)) throw EPkcs11Error(GoneMessage("a abertura da sessão"), rv);
  CheckPkcs11(rv, "Falha ao abrir uma sessão no token \"" + label_ + "\"");
}

Pkcs11Session::~Pkcs11Session() {
  // Closing the application's last session on the token also logs it out.
  if (session_ != CK_INVALID_HANDLE) module_->Functions()->C_CloseSession(session_);
}

long Pkcs11Session::LoginCount() { return gLogins.load(); }

std::string Pkcs11Session::GoneMessage(const std::string& aWhat) const {
  return "O token \"" + label_ + "\" foi removido ou deixou de responder durante " + aWhat +
         ": reconecte-o e repita a operação.";
}

std::vector<CK_OBJECT_HANDLE> Pkcs11Session::FindObjects(const std::vector<CK_ATTRIBUTE>& aTemplate) const {
  CK_FUNCTION_LIST* f = module_->Functions();
  auto* attrs = const_cast<CK_ATTRIBUTE*>(aTemplate.data());
  CK_RV rv = f->C_FindObjectsInit(session_, attrs, static_cast<CK_ULONG>(aTemplate.size()));
  if (IsTokenGone(rv)) throw EPkcs11Error(GoneMessage("a leitura dos objetos"), rv);
  CheckPkcs11(rv, "Falha ao procurar objetos no token \"" + label_ + "\"");
  std::vector<CK_OBJECT_HANDLE> found;
  CK_OBJECT_HANDLE batch[32];
  CK_ULONG count = 0;
  do {
    rv = f->C_FindObjects(session_, batch, 32, &count);
    if (rv != CKR_OK) break;
    found.insert(found.end(), batch, batch + count);
  } while (count == 32);
  f->C_FindObjectsFinal(session_);
  if (IsTokenGone(rv)) throw EPkcs11Error(GoneMessage("a leitura dos objetos"), rv);
  CheckPkcs11(rv, "Falha ao procurar objetos no token \"" + label_ + "\"");
  return found;
}

std::string Pkcs11Session::Attribute(CK_OBJECT_HANDLE aObject, CK_ATTRIBUTE_TYPE aType) const {
  CK_FUNCTION_LIST* f = module_->Functions();
  CK_ATTRIBUTE a = Attr(aType, nullptr, 0);
  if (f->C_GetAttributeValue(session_, aObject, &a, 1) != CKR_OK || a.ulValueLen == CK_UNAVAILABLE_INFORMATION)
    return {};
  std::string value(a.ulValueLen, '\0');
  a.pValue = value.data();
  if (f->C_GetAttributeValue(session_, aObject, &a, 1) != CKR_OK) return {};
  value.resize(a.ulValueLen);
  return value;
}

std::vector<TokenCertificateObject> Pkcs11Session::Certificates() const {
  CK_OBJECT_CLASS cls = CKO_CERTIFICATE;
  CK_CERTIFICATE_TYPE type = CKC_X_509;
  std::vector<TokenCertificateObject> certificates;
  for (CK_OBJECT_HANDLE object : FindObjects({Attr(CKA_CLASS, &cls, sizeof cls), Attr(CKA_CERTIFICATE_TYPE, &type, sizeof type)})) {
    std::string der = Attribute(object, CKA_VALUE);
    const auto* p = reinterpret_cast<const unsigned char*>(der.data());
    X509Ptr cert(d2i_X509(nullptr, &p, static_cast<long>(der.size())));
    if (!cert) continue;  // not a certificate this program can read: nothing to sign with
    certificates.push_back({Attribute(object, CKA_LABEL), Attribute(object, CKA_ID), std::move(cert)});
  }
  return certificates;
}

void Pkcs11Session::Login(const std::string& aPin) {
  CK_TOKEN_INFO info = module_->TokenInfo(slot_);
  if (!(info.flags & CKF_LOGIN_REQUIRED)) return;
  CK_SESSION_INFO session{};
  CK_RV rv = module_->Functions()->C_GetSessionInfo(session_, &session);
  if (IsTokenGone(rv)) throw EPkcs11Error(GoneMessage("o login"), rv);
  if (rv == CKR_OK && (session.state == CKS_RO_USER_FUNCTIONS || session.state == CKS_RW_USER_FUNCTIONS)) return;
  if (info.flags & CKF_USER_PIN_LOCKED)
    throw EKivoException("O PIN do token \"" + label_ +
                         "\" está bloqueado: desbloqueie-o com o PUK no programa do fabricante antes de usá-lo.");
  const bool pinPad = (info.flags & CKF_PROTECTED_AUTHENTICATION_PATH) != 0;
  if (aPin.empty() && !pinPad)
    throw EKivoException("Informe o PIN do token \"" + label_ + "\" (PinCode) para usar o certificado A3.");
  const std::string refusal = RefusalKey(serial_, label_, aPin);
  if (!aPin.empty() && WasRefused(refusal))
    throw EKivoException("O PIN informado já foi recusado pelo token \"" + label_ +
                         "\" e não será tentado de novo, para não bloquear o token: corrija o PinCode.");
  std::string pin = aPin;
  ++gLogins;
  rv = module_->Functions()->C_Login(session_, CKU_USER, pinPad && pin.empty() ? nullptr : reinterpret_cast<CK_UTF8CHAR*>(pin.data()),
                                     static_cast<CK_ULONG>(pin.size()));
  OPENSSL_cleanse(pin.data(), pin.size());
  if (rv == CKR_OK || rv == CKR_USER_ALREADY_LOGGED_IN) return;
  if (rv == CKR_PIN_INCORRECT || rv == CKR_PIN_INVALID || rv == CKR_PIN_LEN_RANGE) RememberRefused(refusal);
  ThrowLoginFailure(rv);
}

void Pkcs11Session::ThrowLoginFailure(CK_RV aCode) const {
  const std::string token = "token \"" + label_ + "\"";
  switch (aCode) {
    case CKR_PIN_INCORRECT:
    case CKR_PIN_INVALID:
    case CKR_PIN_LEN_RANGE: {
      std::string message = "PIN incorreto para o " + token + ".";
      CK_TOKEN_INFO info{};
      if (module_->Functions()->C_GetTokenInfo(slot_, &info) == CKR_OK) {
        if (info.flags & CKF_USER_PIN_LOCKED) message += " O PIN está bloqueado agora: desbloqueie-o com o PUK.";
        else if (info.flags & CKF_USER_PIN_FINAL_TRY) message += " Resta uma única tentativa antes do bloqueio.";
        else if (info.flags & CKF_USER_PIN_COUNT_LOW) message += " Restam poucas tentativas antes do bloqueio.";
      }
      throw EPkcs11Error(message + " Este PIN não será tentado de novo: corrija o PinCode.", aCode);
    }
    case CKR_PIN_LOCKED:
      throw EPkcs11Error("O PIN do " + token + " está bloqueado: desbloqueie-o com o PUK no programa do fabricante.",
                         aCode);
    case CKR_PIN_EXPIRED:
      throw EPkcs11Error("O PIN do " + token + " expirou: troque-o no programa do fabricante.", aCode);
    case CKR_USER_PIN_NOT_INITIALIZED:
      throw EPkcs11Error("O " + token + " ainda não tem PIN de usuário definido.", aCode);
    case CKR_FUNCTION_CANCELED:
      throw EPkcs11Error("A digitação do PIN no leitor do " + token + " foi cancelada.", aCode);
    default:
      if (IsTokenGone(aCode)) throw EPkcs11Error(GoneMessage("o login"), aCode);
      CheckPkcs11(aCode, "Falha no login do " + token);
      throw EPkcs11Error("Falha no login do " + token, aCode);
  }
}

CK_OBJECT_HANDLE Pkcs11Session::FindPrivateKey(const std::string& aId) const {
  CK_OBJECT_CLASS cls = CKO_PRIVATE_KEY;
  std::string id = aId;
  std::vector<CK_ATTRIBUTE> query{Attr(CKA_CLASS, &cls, sizeof cls)};
  if (!id.empty()) query.push_back(Attr(CKA_ID, id.data(), static_cast<CK_ULONG>(id.size())));
  std::vector<CK_OBJECT_HANDLE> keys = FindObjects(query);
  return keys.empty() ? CK_INVALID_HANDLE : keys.front();
}

bool Pkcs11Session::Supports(CK_MECHANISM_TYPE aMechanism) const {
  CK_MECHANISM_INFO info{};
  return module_->Functions()->C_GetMechanismInfo(slot_, aMechanism, &info) == CKR_OK && (info.flags & CKF_SIGN);
}

std::string Pkcs11Session::Sign(CK_MECHANISM_TYPE aMechanism, CK_OBJECT_HANDLE aKey, std::string_view aData) const {
  CK_FUNCTION_LIST* f = module_->Functions();
  CK_MECHANISM mechanism{aMechanism, nullptr, 0};
  std::string data(aData);
  auto fail = [&](CK_RV aCode) {
    if (IsTokenGone(aCode)) throw EPkcs11Error(GoneMessage("a assinatura"), aCode);
    if (aCode == CKR_USER_NOT_LOGGED_IN)
      throw EPkcs11Error("O token \"" + label_ + "\" encerrou o login: repita a operação para entrar de novo com o PIN.",
                         aCode);
    CheckPkcs11(aCode, "O token \"" + label_ + "\" recusou a assinatura");
  };
  CK_RV rv = f->C_SignInit(session_, &mechanism, aKey);
  if (rv != CKR_OK) fail(rv);
  // Room for an 8192-bit key; a larger one is asked its size and signed again.
  std::string signature(1024, '\0');
  CK_ULONG size = static_cast<CK_ULONG>(signature.size());
  rv = f->C_Sign(session_, reinterpret_cast<CK_BYTE*>(data.data()), static_cast<CK_ULONG>(data.size()),
                 reinterpret_cast<CK_BYTE*>(signature.data()), &size);
  if (rv == CKR_BUFFER_TOO_SMALL) {
    signature.resize(size);
    rv = f->C_Sign(session_, reinterpret_cast<CK_BYTE*>(data.data()), static_cast<CK_ULONG>(data.size()),
                   reinterpret_cast<CK_BYTE*>(signature.data()), &size);
  }
  if (rv != CKR_OK) fail(rv);
  signature.resize(size);
  return signature;
}

bool Pkcs11Session::Alive() const {
  CK_SESSION_INFO info{};
  return module_->Functions()->C_GetSessionInfo(session_, &info) == CKR_OK;
}

}  // namespace mox
