// Signing many elements of one document, as `moxnfe assinar` does: 10, 100 and 1,000 events of
// one envEvento through the component (AssinarDocumento), the same counts of notes of one
// document through the services server (SignXmlByIds), and the component's batch of notes
// (AssinarNota, at most 50). Each count prints the time per element and its ratio to one raw
// RSA-2048/SHA-1 signature of OpenSSL with the same key, measured in the same run: a flat time
// per element is linear work; the ratio is what parsing, C14N, digests and writing add.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "BenchAssinatura.h"
#include "BenchRatio.h"
#include "component/TmoxNFe.h"
#include "external/CertificateFactory.h"
#include "external/FileIO.h"
#include "external/Pkcs12.h"
#include "external/TmoxKivoX.h"

namespace {

namespace fs = std::filesystem;

std::string Numero(int aNumero, size_t aDigitos) {
  std::string n = std::to_string(aNumero);
  return std::string(aDigitos - n.size(), '0') + n;
}

// An envEvento of aQuantos correction letters, each with an Id of its own.
std::string Eventos(int aQuantos) {
  const std::string modelo = mox::ReadFileBytes(fs::path(MOXNFE_SOURCE_DIR) / "tests/fixtures/xml/cce-evento-ficticio.xml");
  const size_t inicio = modelo.find("<evento "), fim = modelo.find("</evento>") + 9;
  const std::string evento = modelo.substr(inicio, fim - inicio);
  std::string eventos;
  for (int i = 1; i <= aQuantos; ++i) {
    std::string e = evento;
    e.replace(e.find("801\""), 4, Numero(i, 4) + "\"");
    eventos += e;
  }
  return modelo.substr(0, inicio) + eventos + modelo.substr(fim);
}

// The 12 KB fixture note with its key's last four digits replaced by aNumero.
std::string Nota(int aNumero) {
  std::string nota = moxbench::UnsignedNFe();
  const size_t decl = nota.find("?>");
  if (decl != std::string::npos) nota.erase(0, decl + 2);
  const size_t id = nota.find(moxbench::kNFeId);
  nota.replace(id + moxbench::kNFeId.size() - 4, 4, Numero(aNumero, 4));
  return nota;
}

std::string IdDaNota(int aNumero) {
  return moxbench::kNFeId.substr(0, moxbench::kNFeId.size() - 4) + Numero(aNumero, 4);
}

struct Ambiente {
  fs::path pasta = fs::temp_directory_path() / "moxnfe-bench-assinatura-lote";
  mox::CertificateCredential autoridade = mox::CertificateFactory::CreateAuthority("AC Bench");
  mox::CertificateCredential empresa =
      mox::CertificateFactory::CreateECnpj(autoridade, "EMPRESA BENCH", "12345678000195");
  mox::TmoxNFe nfe;
  mox::TmoxKivoX kivo;

  Ambiente() {
    fs::create_directories(pasta);
    const std::string pfx = (pasta / "empresa.pfx").string();
    std::ofstream(pfx, std::ios::binary) << mox::WritePkcs12(empresa, "bench");
    nfe.SetUF("SP");
    nfe.SetVersaoManual(mox::TVersaoManual::vm50a);
    nfe.SetDiretorioTemplates(std::string(MOXNFE_BINARY_DIR) + "/Templates/");
    nfe.SetDiretorioLogErro((pasta / "LogErro").string() + "/");
    nfe.SetCaminhoCertificado(pfx);
    nfe.SetSenhaCertificado("bench");
    kivo.SignerSettings.CertificateType = mox::kCertFile;
    kivo.SignerSettings.CertificatePath = pfx;
    kivo.SignerSettings.CertificatePassword = "bench";
    kivo.SignerSettings.XmlElement = "infNFe";
  }
  ~Ambiente() { fs::remove_all(pasta); }
};

Ambiente& Compartilhado() {
  static Ambiente ambiente;
  return ambiente;
}

void BM_AssinarEventos(benchmark::State& state) {
  const std::string xml = Eventos(static_cast<int>(state.range(0)));
  Ambiente& a = Compartilhado();
  for (auto _ : state) benchmark::DoNotOptimize(a.nfe.AssinarDocumento(xml, "infEvento", ""));
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_AssinarEventos)->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_AssinarNotasDeUmDocumento(benchmark::State& state) {
  const int quantas = static_cast<int>(state.range(0));
  std::string xml = "<lote>";
  std::vector<std::string> ids;
  for (int i = 1; i <= quantas; ++i) {
    xml += Nota(i);
    ids.push_back(IdDaNota(i));
  }
  xml += "</lote>";
  Ambiente& a = Compartilhado();
  for (auto _ : state) benchmark::DoNotOptimize(a.kivo.SignXmlByIds(xml, ids));
  state.SetItemsProcessed(state.iterations() * quantas);
}
BENCHMARK(BM_AssinarNotasDeUmDocumento)->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

// The component's road for notes: each infNFe in its own NFe, checked, signed and cleaned.
void BM_AssinarNota(benchmark::State& state) {
  std::string lote;
  for (int i = 1; i <= state.range(0); ++i) lote += Nota(i);
  Ambiente& a = Compartilhado();
  for (auto _ : state) benchmark::DoNotOptimize(a.nfe.AssinarNota(lote));
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_AssinarNota)->Arg(10)->Arg(50)->Unit(benchmark::kMillisecond);

void BM_RsaSha1OpenSsl(benchmark::State& state) {
  moxbench::RsaSha1OpenSsl(state, Compartilhado().empresa.PrivateKey.get());
}
BENCHMARK(BM_RsaSha1OpenSsl)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  moxbench::CollectingReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const double rsa = reporter.Time("BM_RsaSha1OpenSsl");
  for (const char* nome : {"BM_AssinarEventos", "BM_AssinarNotasDeUmDocumento", "BM_AssinarNota"})
    for (int n : {10, 50, 100, 1000}) {
      const double total = reporter.Time(std::string(nome) + "/" + std::to_string(n));
      if (total <= 0 || rsa <= 0) continue;
      std::printf("%s com %d elementos: %.3f ms por elemento, %.2fx uma assinatura RSA-2048/SHA-1 pura (%.3f ms)\n",
                  nome + 3, n, total / n, total / n / rsa, rsa);
    }
  benchmark::Shutdown();
  return 0;
}
