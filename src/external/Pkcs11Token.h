#pragma once
// An open session on one token (USB token or smart card) of a PKCS#11 module: its certificates,
// the user's login with the PIN, and the RSA operation with a key that never leaves the token.
//
// The PIN is tried at most once per token: a PIN the token refused is remembered (as a hash,
// for this process) and never offered to that token again, so a batch or a retrying caller
// cannot lock the card by repeating it.
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "external/OpenSslHandles.h"
#include "external/Pkcs11Module.h"

namespace mox {

struct TokenCertificateObject {
  std::string Label;
  std::string Id;  // CKA_ID bytes: the key of the certificate carries the same
  X509Ptr Certificate;
};

class Pkcs11Session {
 public:
  // A read-only session on the token of aSlot.
  Pkcs11Session(std::shared_ptr<Pkcs11Module> aModule, CK_SLOT_ID aSlot);
  ~Pkcs11Session();
  Pkcs11Session(const Pkcs11Session&) = delete;
  Pkcs11Session& operator=(const Pkcs11Session&) = delete;

  const Pkcs11Module& Module() const { return *module_; }
  const std::string& Label() const { return label_; }
  const std::string& Serial() const { return serial_; }

  // The X.509 certificates the token shows without login.
  std::vector<TokenCertificateObject> Certificates() const;

  // Logs the user in, unless the application already is. A refused, blocked or missing PIN,
  // and a token that went away, raise EKivoException with what the user must do; the PIN never
  // appears in a message.
  void Login(const std::string& aPin);

  // The private key whose CKA_ID is aId; CK_INVALID_HANDLE when the token shows none.
  CK_OBJECT_HANDLE FindPrivateKey(const std::string& aId) const;
  bool Supports(CK_MECHANISM_TYPE aMechanism) const;

  // The signature of aData by the key with the mechanism (CKM_RSA_PKCS over a DigestInfo,
  // CKM_RSA_X_509 over a padded block). Raises EKivoException naming the token.
  std::string Sign(CK_MECHANISM_TYPE aMechanism, CK_OBJECT_HANDLE aKey, std::string_view aData) const;

  // False once the session was closed under us: the token was pulled out or the module reset.
  bool Alive() const;

  // The message for a token that stopped answering during aWhat.
  std::string GoneMessage(const std::string& aWhat) const;

  // How many times this process has sent a PIN to a token: each batch should cost one.
  static long LoginCount();

 private:
  std::vector<CK_OBJECT_HANDLE> FindObjects(const std::vector<CK_ATTRIBUTE>& aTemplate) const;
  std::string Attribute(CK_OBJECT_HANDLE aObject, CK_ATTRIBUTE_TYPE aType) const;
  [[noreturn]] void ThrowLoginFailure(CK_RV aCode) const;

  std::shared_ptr<Pkcs11Module> module_;
  CK_SLOT_ID slot_;
  CK_SESSION_HANDLE session_ = CK_INVALID_HANDLE;
  std::string label_, serial_;
};

}  // namespace mox
