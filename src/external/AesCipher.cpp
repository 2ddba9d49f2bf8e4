#include "external/AesCipher.h"

#include <fcntl.h>
#include <openssl/evp.h>
#include <openssl/rand.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>

#include "external/Base64.h"
#include "external/EKivoException.h"
#include "external/FileIO.h"
#include "external/moxPaths.h"

namespace mox {

namespace {

constexpr size_t kKeySize = 32, kNonceSize = 12, kTagSize = 16;
constexpr std::string_view kPrefix = "mox1:";

using CipherCtx = std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)>;

CipherCtx NewCtx() {
  CipherCtx ctx(EVP_CIPHER_CTX_new(), &EVP_CIPHER_CTX_free);
  if (!ctx) throw EKivoException("Falha ao iniciar a cifra AES.");
  return ctx;
}

std::string CreateKeyFile(const std::string& aKeyFile) {
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::path dir = fs::path(aKeyFile).parent_path();
  if (!dir.empty()) {
    fs::create_directories(dir, ec);
    ::chmod(dir.c_str(), 0700);
  }
  std::string key(kKeySize, '\0');
  if (RAND_bytes(reinterpret_cast<unsigned char*>(key.data()), kKeySize) != 1)
    throw EKivoException("Falha ao gerar a chave de cifra.");
  // Written under a private name, then linked: when two processes race, the first link wins
  // and both use that key.
  const std::string tmp = aKeyFile + ".novo" + std::to_string(::getpid());
  WriteFileAtomic(tmp, key, 0600);
  int rc = ::link(tmp.c_str(), aKeyFile.c_str());
  int err = errno;
  ::unlink(tmp.c_str());
  if (rc != 0 && err != EEXIST) throw EKivoException("Não foi possível criar o arquivo de chave " + aKeyFile);
  return ReadFileBytes(aKeyFile);
}

std::string LoadKey(const std::string& aKeyFile) {
  static std::mutex mutex;
  static std::map<std::string, std::string> cache;
  std::lock_guard lock(mutex);
  if (auto it = cache.find(aKeyFile); it != cache.end()) return it->second;
  struct stat st {};
  std::string key = ::stat(aKeyFile.c_str(), &st) == 0 ? ReadFileBytes(aKeyFile) : CreateKeyFile(aKeyFile);
  if (key.size() != kKeySize) throw EKivoException("Arquivo de chave de cifra inválido: " + aKeyFile);
  cache[aKeyFile] = key;
  return key;
}

}  // namespace

std::string AesCipher::DefaultKeyFile() {
  if (const char* f = std::getenv("MOXNFE_CHAVE"); f && *f) return f;
  return UserConfigDir() + "chave.key";
}

AesCipher::AesCipher(std::string aKeyFile) : key_(LoadKey(aKeyFile)) {}

std::string AesCipher::Encrypt(std::string_view aPlain) const {
  std::string blob(kNonceSize + aPlain.size() + kTagSize, '\0');
  auto* nonce = reinterpret_cast<unsigned char*>(blob.data());
  auto* ct = nonce + kNonceSize;
  if (RAND_bytes(nonce, kNonceSize) != 1) throw EKivoException("Falha ao gerar o vetor de inicialização.");
  CipherCtx ctx = NewCtx();
  int len = 0;
  bool ok = EVP_EncryptInit_ex(ctx.get(), EVP_aes_256_gcm(), nullptr,
                               reinterpret_cast<const unsigned char*>(key_.data()), nonce) == 1 &&
            EVP_EncryptUpdate(ctx.get(), ct, &len, reinterpret_cast<const unsigned char*>(aPlain.data()),
                              static_cast<int>(aPlain.size())) == 1 &&
            EVP_EncryptFinal_ex(ctx.get(), ct + len, &len) == 1 &&
            EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_GCM_GET_TAG, kTagSize, ct + aPlain.size()) == 1;
  if (!ok) throw EKivoException("Falha ao cifrar o valor.");
  return std::string(kPrefix) + Base64Encode(blob);
}

std::string AesCipher::Decrypt(std::string_view aCipherText) const {
  const EKivoException invalid("Valor cifrado inválido ou cifrado com outra chave.");
  if (aCipherText.substr(0, kPrefix.size()) != kPrefix) throw invalid;
  std::string blob;
  try {
    blob = Base64Decode(aCipherText.substr(kPrefix.size()));
  } catch (const EKivoException&) {
    throw invalid;
  }
  if (blob.size() < kNonceSize + kTagSize) throw invalid;
  const size_t n = blob.size() - kNonceSize - kTagSize;
  auto* nonce = reinterpret_cast<unsigned char*>(blob.data());
  auto* ct = nonce + kNonceSize;
  std::string plain(n, '\0');
  CipherCtx ctx = NewCtx();
  int len = 0;
  bool ok = EVP_DecryptInit_ex(ctx.get(), EVP_aes_256_gcm(), nullptr,
                               reinterpret_cast<const unsigned char*>(key_.data()), nonce) == 1 &&
            EVP_DecryptUpdate(ctx.get(), reinterpret_cast<unsigned char*>(plain.data()), &len, ct,
                              static_cast<int>(n)) == 1 &&
            EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_GCM_SET_TAG, kTagSize, ct + n) == 1 &&
            EVP_DecryptFinal_ex(ctx.get(), reinterpret_cast<unsigned char*>(plain.data()) + len, &len) == 1;
  if (!ok) throw invalid;
  return plain;
}

}  // namespace mox
