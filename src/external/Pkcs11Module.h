#pragma once
// A PKCS#11 module (the driver of tokens and smart cards) loaded once per process: every user of
// the same library shares one initialisation, as the standard requires.
#include <p11-kit/pkcs11.h>

#include <memory>
#include <string>
#include <vector>

#include "external/EKivoException.h"

namespace mox {

// A PKCS#11 call that failed, with its return code.
class EPkcs11Error : public EKivoException {
 public:
  EPkcs11Error(const std::string& aMessage, CK_RV aCode) : EKivoException(aMessage), code_(aCode) {}
  CK_RV Code() const { return code_; }

 private:
  CK_RV code_;
};

// "CKR_PIN_INCORRECT" for a known code, else the code in hexadecimal.
std::string Pkcs11ReturnName(CK_RV aCode);

// The codes by which a module says the token was pulled out or stopped answering.
bool IsTokenGone(CK_RV aCode);

// Raises EPkcs11Error "aWhat (CKR_...)" when aCode is not CKR_OK.
void CheckPkcs11(CK_RV aCode, const std::string& aWhat);

class Pkcs11Module {
 public:
  // The module of aPath, loaded and initialised on first use and kept while anyone holds it.
  // Raises EKivoException when the file does not load or does not initialise.
  static std::shared_ptr<Pkcs11Module> Open(const std::string& aPath);
  ~Pkcs11Module();
  Pkcs11Module(const Pkcs11Module&) = delete;
  Pkcs11Module& operator=(const Pkcs11Module&) = delete;

  const std::string& Path() const { return path_; }
  CK_FUNCTION_LIST* Functions() const { return functions_; }

  // The slots that hold a token now.
  std::vector<CK_SLOT_ID> SlotsWithToken() const;
  CK_TOKEN_INFO TokenInfo(CK_SLOT_ID aSlot) const;

 private:
  Pkcs11Module(std::string aPath, void* aLibrary, CK_FUNCTION_LIST* aFunctions, bool aOwnsInitialisation);

  std::string path_;
  void* library_;
  CK_FUNCTION_LIST* functions_;
  bool ownsInitialisation_;  // false when another library of the process initialised it first
};

// The module paths of a configuration text (paths separated by ";" or line breaks). An empty
// text takes $MOXNFE_MODULO_PKCS11, else the system's module that exists: p11-kit's proxy,
// which reaches every module registered with p11-kit, else OpenSC's.
std::vector<std::string> Pkcs11ModulePaths(const std::string& aConfigured);

// A fixed-width PKCS#11 text field (blank padded) as a string without the padding.
std::string Pkcs11Text(const CK_UTF8CHAR* aField, size_t aSize);

}  // namespace mox
