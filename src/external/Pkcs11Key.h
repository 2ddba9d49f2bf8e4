#pragma once
// An OpenSSL key whose private operation runs on a token: the XML signer and the TLS client
// use it as they use a key read from a file, and the key never leaves the token.
#include <memory>
#include <string>

#include "external/OpenSslHandles.h"
#include "external/Pkcs11Token.h"

namespace mox {

// The RSA key aKey of the session, with the public part of aCertificate. PKCS#1 v1.5
// signatures use CKM_RSA_PKCS; PSS (TLS 1.3) uses CKM_RSA_X_509. Raises EKivoException for a
// key that is not RSA.
EvpPkeyPtr TokenPrivateKey(std::shared_ptr<Pkcs11Session> aSession, CK_OBJECT_HANDLE aKey, X509* aCertificate);

// The user's message of the last token failure on this thread inside an OpenSSL operation
// (which can only report -1), and forgets it; empty when there was none.
std::string TakeTokenFailure();

}  // namespace mox
