// moxnfe-sandbox certificados: a test authority, the sandbox's server certificate and e-CNPJ
// certificates for the clients.
#include <filesystem>
#include <iostream>

#include "external/CertificateFactory.h"
#include "external/FileIO.h"
#include "external/Pkcs12.h"
#include "external/TaxIdCheck.h"
#include "external/TextSplit.h"
#include "sandbox/ArquivosPem.h"
#include "sandbox/ComandosSandbox.h"

namespace mox::sandbox {

namespace {

namespace fs = std::filesystem;

std::vector<std::string> Cnpjs(const ArgumentosSandbox& aArgumentos) {
  std::vector<std::string> cnpjs;
  for (const auto& valor : aArgumentos.Todas("cnpj"))
    for (const auto& cnpj : SplitTrimmed(valor, ", ")) {
      if (cnpj.size() != 14 || !IsValidCNPJ(cnpj)) throw EUsoInvalido("CNPJ inválido: " + cnpj + " (14 dígitos)");
      cnpjs.push_back(cnpj);
    }
  if (cnpjs.empty()) throw EUsoInvalido("informe --cnpj");
  return cnpjs;
}

// The authority already in the folder, or a new one.
CertificateCredential Autoridade(const fs::path& aPasta, bool& aNova) {
  const fs::path certificado = aPasta / "ac.pem", chave = aPasta / "ac.key";
  aNova = !fs::exists(certificado) || !fs::exists(chave);
  if (!aNova) return LeCredencialPem(certificado.string(), chave.string());
  CertificateCredential ac = CertificateFactory::CreateAuthority("AC Sandbox moxnfe");
  GravaCredencialPem(ac, certificado.string(), chave.string());
  return ac;
}

}  // namespace

int ComandoCertificados(const ArgumentosSandbox& aArgumentos) {
  const fs::path pasta = aArgumentos.Obrigatoria("saida");
  const std::vector<std::string> cnpjs = Cnpjs(aArgumentos);
  const std::string nome = aArgumentos.Opcional("nome", "EMPRESA TESTE SANDBOX LTDA");
  const std::string senha = aArgumentos.Opcional("senha", "1234");
  fs::create_directories(pasta);

  bool novaAutoridade = false;
  const CertificateCredential ac = Autoridade(pasta, novaAutoridade);
  std::cout << "Autoridade certificadora: " << (pasta / "ac.pem").string()
            << (novaAutoridade ? " (criada)" : " (já existia)") << "\n";

  const fs::path servidor = pasta / "servidor.pem", chaveServidor = pasta / "servidor.key";
  const std::vector<std::string> hosts = aArgumentos.Todas("host");
  if (novaAutoridade || !hosts.empty() || !fs::exists(servidor) || !fs::exists(chaveServidor)) {
    std::vector<std::string> nomes{"localhost", "127.0.0.1", "::1"};
    nomes.insert(nomes.end(), hosts.begin(), hosts.end());
    GravaCredencialPem(CertificateFactory::CreateServer(ac, nomes), servidor.string(), chaveServidor.string());
  }
  std::cout << "Certificado do servidor: " << servidor.string() << " (chave " << chaveServidor.string() << ")\n";

  for (const auto& cnpj : cnpjs) {
    const fs::path pfx = pasta / (cnpj + ".pfx");
    WriteFileAtomic(pfx.string(), WritePkcs12(CertificateFactory::CreateECnpj(ac, nome, cnpj), senha), 0600);
    std::cout << "e-CNPJ " << nome << ":" << cnpj << ": " << pfx.string() << " (senha " << senha << ")\n";
  }
  return 0;
}

}  // namespace mox::sandbox
