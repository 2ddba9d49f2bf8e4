// A batch of 50 notes made from the TX2 examples, signed (AssinarNota) and validated note by
// note and item by item (ValidarLoteItem) through the component: notes per second, against
// 50 raw RSA-2048 SHA-1 signatures of OpenSSL in the same run. Signing cannot beat one RSA
// operation per note; the ratio shows what parsing, C14N, templates and validation add.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "BenchRatio.h"
#include "base/moxTypes.h"
#include "component/TmoxNFe.h"
#include "datasets/TmoxNFeConvTXTDataSet.h"
#include "datasets/TmoxNFeDataSets.h"
#include "external/CertificateFactory.h"
#include "external/FileIO.h"
#include "external/OpenSslHandles.h"
#include "external/Pkcs12.h"

namespace {

namespace fs = std::filesystem;
constexpr int kNotas = 50;

// The TX2 examples in turn until there are 50 notes; their keys repeat, which neither signing
// nor validation looks at.
std::string LoteDosExemplos() {
  std::string tx2;
  for (int volta = 0; volta < 13; ++volta)
    for (const char* nome : {"venda-simples.tx2", "duas-notas.tx2", "varios-itens-parcelas.tx2"})
      tx2 += mox::ReadFileBytes(fs::path(MOXNFE_SOURCE_DIR) / "tests/fixtures/tx2" / nome);
  mox::TmoxNFeConvTXTDataSet conversor;
  conversor.SetVersaoEsquema(mox::TVersaoEsquema::pl_008i1);
  conversor.SetXMLDicionario(std::string(MOXNFE_SOURCE_DIR) + "/data/Templates/vm50a/Conversor/NFeDataSets.xml");
  conversor.SetTXT(tx2);
  mox::TmoxNFeDataSets* notas = nullptr;
  conversor.Converter(notas);
  std::string lote;
  for (int i = 0; i < kNotas; ++i) lote += notas->LoteNFe()[static_cast<size_t>(i)];
  return lote;
}

struct Ambiente {
  fs::path pasta = fs::temp_directory_path() / "moxnfe-bench-lote-componente";
  mox::CertificateCredential autoridade = mox::CertificateFactory::CreateAuthority("AC Bench");
  mox::CertificateCredential empresa =
      mox::CertificateFactory::CreateECnpj(autoridade, "EMPRESA BENCH", "12345678000195");
  std::string lote = LoteDosExemplos();
  mox::TmoxNFe nfe;

  Ambiente() {
    fs::remove_all(pasta);
    const fs::path esquemas = pasta / "Esquemas" / "vm50a";
    fs::create_directories(esquemas);
    const char* oficiais = std::getenv("MOXNFE_SCHEMAS");
    // Absolute: the links live in the temporary folder, where a relative target would dangle.
    const fs::path pacote = fs::absolute(fs::path(oficiais ? oficiais : "../shared/schemas") / "PL_008i2");
    for (const auto& e : fs::directory_iterator(pacote))
      fs::create_symlink(e.path(), esquemas / e.path().filename());
    fs::copy_file(fs::path(MOXNFE_SOURCE_DIR) / "data/Esquemas/vm50a/Mapping.txt", esquemas / "Mapping.txt");
    std::ofstream(pasta / "empresa.pfx", std::ios::binary) << mox::WritePkcs12(empresa, "bench");
    nfe.SetUF("SP");
    nfe.SetVersaoManual(mox::TVersaoManual::vm50a);
    nfe.SetDiretorioTemplates(std::string(MOXNFE_BINARY_DIR) + "/Templates/");
    nfe.SetDiretorioEsquemas((pasta / "Esquemas").string() + "/");
    nfe.SetDiretorioLogErro((pasta / "LogErro").string() + "/");
    nfe.SetCaminhoCertificado((pasta / "empresa.pfx").string());
    nfe.SetSenhaCertificado("bench");
    nfe.SetValidarEsquemaAntesEnvio(true);
  }
  ~Ambiente() { fs::remove_all(pasta); }
};

Ambiente& Compartilhado() {
  static Ambiente ambiente;
  return ambiente;
}

void BM_AssinarEValidarLote50(benchmark::State& state) {
  Ambiente& a = Compartilhado();
  for (auto _ : state) {
    const std::string assinado = a.nfe.AssinarNota(a.lote);
    a.nfe.ValidarLoteItem("1", assinado);
    benchmark::DoNotOptimize(assinado.data());
  }
  state.SetItemsProcessed(state.iterations() * kNotas);
}
BENCHMARK(BM_AssinarEValidarLote50)->Unit(benchmark::kMillisecond);

void BM_ValidarLote50(benchmark::State& state) {
  Ambiente& a = Compartilhado();
  const std::string assinado = a.nfe.AssinarNota(a.lote);
  for (auto _ : state) a.nfe.ValidarLoteItem("1", assinado);
  state.SetItemsProcessed(state.iterations() * kNotas);
}
BENCHMARK(BM_ValidarLote50)->Unit(benchmark::kMillisecond);

// 50 RSA-2048 signatures over SHA-1 digests of a SignedInfo-sized text: the floor of signing
// the batch.
void BM_Rsa2048Sha1OpenSsl50(benchmark::State& state) {
  EVP_PKEY* chave = Compartilhado().empresa.PrivateKey.get();
  const std::string signedInfo(600, 'x');
  unsigned char assinatura[512];
  for (auto _ : state) {
    for (int i = 0; i < kNotas; ++i) {
      mox::EvpMdCtxPtr ctx(EVP_MD_CTX_new());
      size_t tamanho = sizeof assinatura;
      if (EVP_DigestSignInit(ctx.get(), nullptr, EVP_sha1(), nullptr, chave) != 1 ||
          EVP_DigestSign(ctx.get(), assinatura, &tamanho, reinterpret_cast<const unsigned char*>(signedInfo.data()),
                         signedInfo.size()) != 1)
        state.SkipWithError("EVP_DigestSign falhou");
      benchmark::DoNotOptimize(assinatura);
    }
  }
  state.SetItemsProcessed(state.iterations() * kNotas);
}
BENCHMARK(BM_Rsa2048Sha1OpenSsl50)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  return moxbench::RunWithRatios(
      argc, argv,
      {{"Lote de 50 notas assinado e validado pelo componente (50 assinaturas RSA-2048 puras / nosso lote)",
        {"BM_AssinarEValidarLote50", "BM_Rsa2048Sha1OpenSsl50"}}});
}
