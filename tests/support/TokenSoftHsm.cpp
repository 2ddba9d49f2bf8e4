#include "support/TokenSoftHsm.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <vector>

#include "external/OpenSslHandles.h"

extern char** environ;

namespace moxtest {

namespace fs = std::filesystem;

namespace {

std::string NewFolder() {
  std::string pattern = (fs::temp_directory_path() / "moxnfe-softhsm-XXXXXX").string();
  if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  return pattern;
}

void Write(const fs::path& aFile, const std::string& aBytes) {
  std::ofstream out(aFile, std::ios::binary);
  out << aBytes;
  if (!out) throw std::runtime_error("cannot write " + aFile.string());
}

}  // namespace

std::string TokenSoftHsm::Module() {
  for (const char* path : {"/usr/lib/softhsm/libsofthsm2.so", "/usr/lib/x86_64-linux-gnu/softhsm/libsofthsm2.so"})
    if (fs::exists(path)) return path;
  throw std::runtime_error("SoftHSM (package softhsm2) is not installed");
}

TokenSoftHsm::TokenSoftHsm() : folder_(NewFolder()) {
  fs::create_directories(fs::path(folder_) / "tokens");
  Write(fs::path(folder_) / "softhsm2.conf", "directories.tokendir = " + folder_ +
                                                 "/tokens\nobjectstore.backend = file\nlog.level = ERROR\n");
}

TokenSoftHsm::TokenSoftHsm(const mox::CertificateCredential& aHolder, std::string aLabel, std::string aPin)
    : TokenSoftHsm() {
  label_ = std::move(aLabel);
  pin_ = std::move(aPin);
  Activate();
  const fs::path dir(folder_);
  Run({"softhsm2-util", "--init-token", "--free", "--label", label_, "--so-pin", "13572468", "--pin", pin_});
  Write(dir / "chave.pem", mox::PrivateKeyPem(aHolder.PrivateKey.get()));
  Run({"softhsm2-util", "--import", (dir / "chave.pem").string(), "--token", label_, "--label", "chave", "--id", "01",
       "--pin", pin_});
  fs::remove(dir / "chave.pem");
  auto store = [&](X509* aCert, const std::string& aId, const std::string& aName) {
    Write(dir / (aName + ".der"), mox::CertificateDer(aCert));
    Run({"pkcs11-tool", "--module", Module(), "--token-label", label_, "--login", "--pin", pin_, "--write-object",
         (dir / (aName + ".der")).string(), "--type", "cert", "--id", aId, "--label", aName});
  };
  store(aHolder.Certificate.get(), "01", "certificado");
  for (size_t i = 0; i < aHolder.Chain.size(); ++i) {
    const std::string number = std::to_string(i);
    std::string id("a"), name("autoridade");
    store(aHolder.Chain[i].get(), id.append(number), name.append(number));
  }
}

TokenSoftHsm::~TokenSoftHsm() {
  std::error_code ec;
  fs::remove_all(folder_, ec);
}

void TokenSoftHsm::Activate() const { ::setenv("SOFTHSM2_CONF", (folder_ + "/softhsm2.conf").c_str(), 1); }

void TokenSoftHsm::Run(const std::vector<std::string>& aArgs) const {
  std::vector<char*> argv;
  for (const auto& a : aArgs) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, (folder_ + "/ferramentas.log").c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
  pid_t pid = 0;
  int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  int status = 0;
  if (rc != 0 || waitpid(pid, &status, 0) < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::ifstream log(folder_ + "/ferramentas.log");
    std::string text((std::istreambuf_iterator<char>(log)), std::istreambuf_iterator<char>());
    throw std::runtime_error(aArgs.front() + " failed: " + text);
  }
}

}  // namespace moxtest
