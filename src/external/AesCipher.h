#pragma once
// AES-256-GCM with a per-user key kept in a file only its owner can read.
#include <string>
#include <string_view>

namespace mox {

class AesCipher {
 public:
  // The key file: $MOXNFE_CHAVE when set, else $XDG_CONFIG_HOME/moxnfe/chave.key (or
  // ~/.config/moxnfe/chave.key). It is created on first use with mode 0600.
  static std::string DefaultKeyFile();

  explicit AesCipher(std::string aKeyFile = DefaultKeyFile());

  // Printable text: a version tag and the Base64 of nonce, cipher text and tag.
  std::string Encrypt(std::string_view aPlain) const;
  // Raises EKivoException when the text was not made with this key or was altered.
  std::string Decrypt(std::string_view aCipherText) const;

 private:
  std::string key_;
};

}  // namespace mox
