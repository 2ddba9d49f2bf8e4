#pragma once
// The A3 certificates: those on the tokens and smart cards of the configured PKCS#11 modules.
// A certificate is chosen by name as in the store of files; the chosen one stays logged in,
// its session open, so a batch signs and connects with one login.
#include <memory>
#include <string>
#include <vector>

#include "external/CertificateCache.h"
#include "external/Pkcs11Token.h"

namespace mox {

class TokenStore {
 public:
  struct Entry {
    std::string Module;
    std::shared_ptr<const LoadedCertificate> Certificate;  // without the private key; null on error
    std::string Error;                                    // why the module or token could not be read
    // The line ListCertificates gives: the certificate's, or the module and the error.
    std::string Line() const;
  };

  // The modules to read, as configured (see Pkcs11ModulePaths); empty: the system's.
  void SetModules(const std::string& aConfigured);
  const std::string& Modules() const { return modules_; }

  // The end-entity certificates of every token present, by module and slot.
  std::vector<Entry> List() const;

  // The certificate the name designates (as CertificateStore::Find matches names; among
  // several, the one valid now that expires last), without logging in. Raises EKivoException
  // when no module is installed, no token is present or none holds such a certificate.
  Entry Find(const std::string& aName) const;

  // The certificate Find gives, with its
  // key on the token ready after logging in with aPin. Kept for the next calls with the same
  // name, PIN and modules while the token's session lives.
  std::shared_ptr<const LoadedCertificate> Select(const std::string& aName, const std::string& aPin);

  // Closes the kept session (after the token failed).
  void Forget();

 private:
  struct Found {
    std::shared_ptr<Pkcs11Session> Session;
    std::string Id;
    std::shared_ptr<LoadedCertificate> Certificate;
  };
  std::vector<Found> Scan(std::vector<Entry>* aErrors, std::vector<std::string>* aTokens) const;
  Found Choose(const std::string& aName) const;

  std::string modules_;
  std::string keptName_, keptPin_, keptModules_;
  std::shared_ptr<Pkcs11Session> keptSession_;
  std::shared_ptr<const LoadedCertificate> kept_;
};

}  // namespace mox
