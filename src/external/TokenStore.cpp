#include "external/TokenStore.h"

#include <openssl/x509v3.h>

#include "external/CertificateChoice.h"
#include "external/CertificateStore.h"
#include "external/EKivoException.h"
#include "external/Pkcs11Key.h"

namespace mox {

namespace {

// Kept selections are compared by a digest of the PIN, not the PIN.
std::string PinDigest(const std::string& aPin) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int size = 0;
  EVP_Digest(aPin.data(), aPin.size(), digest, &size, EVP_sha256(), nullptr);
  return std::string(reinterpret_cast<char*>(digest), size);
}

std::string Quoted(const std::vector<std::string>& aNames) {
  std::string text;
  for (const auto& n : aNames) text += (text.empty() ? "\"" : ", \"") + n + "\"";
  return text;
}

}  // namespace

std::string TokenStore::Entry::Line() const {
  if (Certificate) return CertificateListLine(Certificate->Info);
  return "Módulo PKCS#11 " + Module + " | " + Error;
}

void TokenStore::SetModules(const std::string& aConfigured) { modules_ = aConfigured; }

std::vector<TokenStore::Found> TokenStore::Scan(std::vector<Entry>* aErrors, std::vector<std::string>* aTokens) const {
  std::vector<Found> found;
  for (const std::string& path : Pkcs11ModulePaths(modules_)) {
    try {
      auto module = Pkcs11Module::Open(path);
      for (CK_SLOT_ID slot : module->SlotsWithToken()) {
        if (!(module->TokenInfo(slot).flags & CKF_TOKEN_INITIALIZED)) continue;
        auto session = std::make_shared<Pkcs11Session>(module, slot);
        if (aTokens) aTokens->push_back(session->Label());
        std::vector<X509Ptr> authorities;
        std::vector<Found> holders;
        for (auto& object : session->Certificates()) {
          // Authorities on a token complete the chain; only holders' certificates sign.
          if (X509_check_ca(object.Certificate.get()) != 0) {
            authorities.push_back(std::move(object.Certificate));
            continue;
          }
          auto loaded = std::make_shared<LoadedCertificate>();
          loaded->Credential.Certificate = std::move(object.Certificate);
          loaded->Info = DescribeCertificate(loaded->Credential);
          loaded->Info.Token = session->Label();
          loaded->Info.Source = path;
          loaded->Credential.Source = path;
          holders.push_back({session, object.Id, loaded});
        }
        for (auto& h : holders) {
          for (const auto& a : authorities) h.Certificate->Credential.Chain.push_back(ShareX509(a.get()));
          found.push_back(std::move(h));
        }
      }
    } catch (const EKivoException& e) {
      if (aErrors) aErrors->push_back({path, nullptr, e.what()});
    }
  }
  return found;
}

std::vector<TokenStore::Entry> TokenStore::List() const {
  std::vector<Entry> entries;
  std::vector<Entry> errors;
  for (const auto& f : Scan(&errors, nullptr)) entries.push_back({f.Session->Module().Path(), f.Certificate, {}});
  entries.insert(entries.end(), errors.begin(), errors.end());
  return entries;
}

TokenStore::Found TokenStore::Choose(const std::string& aName) const {
  const std::string name = NormalizeCertificateName(aName);
  if (name.empty())
    throw EKivoException(
        "Certificado A3 não informado: indique em NomeCertificado o nome, o CNPJ ou a série de um certificado do token.");
  std::vector<Entry> errors;
  std::vector<std::string> tokens;
  std::vector<Found> found = Scan(&errors, &tokens);
  std::vector<const Found*> matches;
  std::vector<const CertificateInfo*> infos;
  for (const auto& f : found)
    if (CertificateNameMatches(CertificateNameKeys(f.Certificate->Info, CertificateListLine(f.Certificate->Info),
                                                   {f.Session->Label()}),
                               name)) {
      matches.push_back(&f);
      infos.push_back(&f.Certificate->Info);
    }
  if (matches.empty()) {
    const std::vector<std::string> paths = Pkcs11ModulePaths(modules_);
    if (paths.empty())
      throw EKivoException(
          "Nenhum módulo PKCS#11 instalado para ler tokens e cartões: instale o OpenSC ou o módulo do fabricante do "
          "token e informe-o em ModuloPKCS11.");
    if (!errors.empty() && tokens.empty()) throw EKivoException(errors.front().Error);
    if (tokens.empty())
      throw EKivoException("Nenhum token ou cartão inteligente conectado (módulo PKCS#11 " + paths.front() +
                           "): conecte o token do certificado A3 \"" + name + "\" e tente de novo.");
    throw EKivoException("Certificado A3 não encontrado nos tokens conectados (" + Quoted(tokens) + "): " + name);
  }
  return *matches[PreferredCertificate(infos)];
}

TokenStore::Entry TokenStore::Find(const std::string& aName) const {
  const Found chosen = Choose(aName);
  return {chosen.Session->Module().Path(), chosen.Certificate, {}};
}

void TokenStore::Forget() {
  kept_.reset();
  keptSession_.reset();
  keptName_.clear();
  keptPin_.clear();
}

std::shared_ptr<const LoadedCertificate> TokenStore::Select(const std::string& aName, const std::string& aPin) {
  const std::string name = NormalizeCertificateName(aName);
  const std::string pin = PinDigest(aPin);
  if (kept_ && keptName_ == name && keptPin_ == pin && keptModules_ == modules_ && keptSession_->Alive()) return kept_;
  Forget();
  const Found chosen = Choose(name);
  chosen.Session->Login(aPin);
  CK_OBJECT_HANDLE key = chosen.Session->FindPrivateKey(chosen.Id);
  if (key == CK_INVALID_HANDLE)
    throw EKivoException("O token \"" + chosen.Session->Label() + "\" não tem a chave privada do certificado \"" +
                         chosen.Certificate->Info.CommonName + "\".");
  auto ready = std::make_shared<LoadedCertificate>(LoadedCertificate{{}, chosen.Certificate->Info});
  ready->Credential.Certificate = ShareX509(chosen.Certificate->Credential.Certificate.get());
  for (const auto& a : chosen.Certificate->Credential.Chain) ready->Credential.Chain.push_back(ShareX509(a.get()));
  ready->Credential.Source = chosen.Certificate->Credential.Source;
  ready->Credential.PrivateKey = TokenPrivateKey(chosen.Session, key, ready->Credential.Certificate.get());
  ready->Credential.RsaPkcs1Only = !chosen.Session->Supports(CKM_RSA_X_509);
  ready->Info.HasPrivateKey = true;
  kept_ = ready;
  keptSession_ = chosen.Session;
  keptName_ = name;
  keptPin_ = pin;
  keptModules_ = modules_;
  return kept_;
}

}  // namespace mox
