#include "support/ServidorSmtp.h"

#include <algorithm>
#include <filesystem>
#include <stdexcept>

#include "external/Base64.h"
#include "support/TestCertificates.h"

namespace moxtest {

namespace fs = std::filesystem;

ServidorSmtp::ServidorSmtp(const std::vector<std::string>& aOpcoes) {
  std::vector<std::string> args{std::string(MOXNFE_SOURCE_DIR) + "/tests/support/smtp_capture.py", "--dir",
                                caixa_.str()};
  args.insert(args.end(), aOpcoes.begin(), aOpcoes.end());
  // Debian's interpreter: the one the python3-aiosmtpd package installs for.
  processo_ = std::make_unique<BackgroundProcess>("/usr/bin/python3", args);
  const std::string linha = processo_->ReadLine();
  if (linha.rfind("PORT ", 0) != 0) throw std::runtime_error("mail server did not start: " + linha);
  porta_ = std::stoi(linha.substr(5));
}

std::vector<nlohmann::json> ServidorSmtp::Recebidas() const {
  std::vector<fs::path> arquivos;
  for (const auto& e : fs::directory_iterator(caixa_.path()))
    if (e.path().extension() == ".json") arquivos.push_back(e.path());
  // "10.json" after "9.json".
  std::sort(arquivos.begin(), arquivos.end(), [](const fs::path& a, const fs::path& b) {
    return std::stoi(a.stem().string()) < std::stoi(b.stem().string());
  });
  std::vector<nlohmann::json> mensagens;
  for (const auto& a : arquivos) mensagens.push_back(nlohmann::json::parse(ReadText(a)));
  return mensagens;
}

std::string ServidorSmtp::Anexo(const nlohmann::json& aMensagem, size_t aIndice) {
  return mox::Base64Decode(aMensagem.at("attachments").at(aIndice).at("data").get<std::string>());
}

TlsDoServidor EscreveTlsDoServidor(const TempDir& aPasta) {
  TlsDoServidor tls;
  tls.Certificado = WriteCertificatePem(aPasta.file("servidor.pem"), Pki().Server);
  tls.Chave = aPasta.file("servidor.key");
  WriteText(tls.Chave, mox::PrivateKeyPem(Pki().Server.PrivateKey.get()));
  tls.Autoridade = WriteCertificatePem(aPasta.file("ac.pem"), Pki().Authority);
  return tls;
}

}  // namespace moxtest
