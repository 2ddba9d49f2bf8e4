// The main job end to end: 1,000 notes of 10 items each, typed in TX2, converted, signed,
// validated, sent in batches of 40 to the local sandbox (a child process), their receipts
// queried and one nfeProc written per note, all through the component. Reports notes per
// second, the client's share (everything but the posts, timed between the request and answer
// logs the component announces) against the time spent waiting on the sandbox, and the peak
// memory; the floor in the same run is the raw work no client avoids: 1,000 RSA-2048 SHA-1
// signatures of OpenSSL and the libxml2 validation of the 25 batches with the compiled schema.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <libxml/parserInternals.h>
#include <libxml/xmlschemas.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "BenchRatio.h"
#include "component/TmoxNFe.h"
#include "datasets/TmoxNFeConverter.h"
#include "external/CertificateCredential.h"
#include "external/FileIO.h"
#include "external/OpenSslHandles.h"
#include "external/Pkcs12.h"

namespace {

namespace fs = std::filesystem;
using Relogio = std::chrono::steady_clock;

constexpr int kNotas = 1000;
constexpr int kItens = 10;
// A note of 10 items takes about 11 KB: 40 of them keep a batch under the 500 KB SEFAZ accepts.
constexpr size_t kPorLote = 40;
const char* kPrograma = MOXNFE_BINARY_DIR "/moxnfe-sandbox";

fs::path Esquemas() {
  const char* oficiais = std::getenv("MOXNFE_SCHEMAS");
  return fs::path(oficiais ? oficiais : "../shared/schemas");
}

int Executa(const std::vector<std::string>& aArgs) {
  std::string linha;
  for (const auto& a : aArgs) linha += "'" + a + "' ";
  return std::system((linha + "> /dev/null").c_str());
}

// The sandbox as a child process, stopped with the benchmark.
class Sandbox {
 public:
  explicit Sandbox(const fs::path& aPasta) {
    Executa({kPrograma, "certificados", "--saida", (aPasta / "cert").string(), "--cnpj", "12345678000195", "--senha",
             "bench"});
    int canal[2];
    if (::pipe(canal) != 0) throw std::runtime_error("pipe");
    pid_ = ::fork();
    if (pid_ == 0) {
      ::dup2(canal[1], STDOUT_FILENO);
      const int nulo = ::open("/dev/null", O_WRONLY);
      ::dup2(nulo, STDERR_FILENO);
      const std::string estado = (aPasta / "estado").string(), esquemas = Esquemas().string(),
                        ca = (aPasta / "cert/ac.pem").string(), certificado = (aPasta / "cert/servidor.pem").string(),
                        chave = (aPasta / "cert/servidor.key").string();
      ::execl(kPrograma, kPrograma, "iniciar", "--estado", estado.c_str(), "--esquemas", esquemas.c_str(), "--porta",
              "0", "--ca", ca.c_str(), "--certificado", certificado.c_str(), "--chave", chave.c_str(), nullptr);
      ::_exit(127);
    }
    ::close(canal[1]);
    FILE* saida = ::fdopen(canal[0], "r");
    char linha[512] = {};
    if (!std::fgets(linha, sizeof linha, saida) || std::string(linha).rfind("PRONTO ", 0) != 0)
      throw std::runtime_error("o sandbox não iniciou");
    url_ = std::string(linha + 7);
    url_.erase(url_.find_last_not_of("\r\n") + 1);
    std::fclose(saida);
  }
  ~Sandbox() {
    ::kill(pid_, SIGTERM);
    ::waitpid(pid_, nullptr, 0);
  }
  const std::string& Url() const { return url_; }

 private:
  pid_t pid_ = -1;
  std::string url_;
};

// One note of kItens items, as a user types it, numbered aNumero.
std::string NotaTx2(int aNumero, const std::string& aAgora) {
  std::string nota = mox::ReadFileBytes(fs::path(MOXNFE_SOURCE_DIR) / "tests/fixtures/tx2/venda-simples.tx2");
  const auto troca = [&](const std::string& aDe, const std::string& aPara) {
    nota.replace(nota.find(aDe), aDe.size(), aPara);
  };
  troca("nNF_B08=1\n", "nNF_B08=" + std::to_string(aNumero) + "\n");
  troca("dhEmi_B09=2016-08-01T10:00:00-03:00", "dhEmi_B09=" + aAgora);
  troca("vBC_W03=79.80", "vBC_W03=798.00");
  troca("vICMS_W04=14.36", "vICMS_W04=143.60");
  troca("vProd_W07=79.80", "vProd_W07=798.00");
  troca("vPIS_W13=1.32", "vPIS_W13=13.20");
  troca("vCOFINS_W14=6.06", "vCOFINS_W14=60.60");
  troca("vNF_W16=79.80", "vNF_W16=798.00");
  const auto inicio = nota.find("INCLUIRITEM\n"), fim = nota.find("SALVARITEM\n") + 11;
  const std::string item = nota.substr(inicio, fim - inicio);
  std::string itens;
  for (int i = 1; i <= kItens; ++i) {
    std::string outro = item;
    outro.replace(outro.find("nItem_H02=1"), 11, "nItem_H02=" + std::to_string(i));
    itens += outro;
  }
  return nota.replace(inicio, fim - inicio, itens);
}

std::string AgoraBrasilia() {
  const std::time_t t = std::time(nullptr) - 3 * 3600;
  std::tm tm{};
  gmtime_r(&t, &tm);
  char texto[32];
  std::strftime(texto, sizeof texto, "%Y-%m-%dT%H:%M:%S-03:00", &tm);
  return texto;
}

struct Ambiente {
  fs::path pasta = fs::temp_directory_path() / ("moxnfe-bench-emissao-" + std::to_string(::getpid()));
  Sandbox sandbox{(fs::create_directories(pasta), pasta)};
  mox::TmoxNFe nfe;
  // Time inside the posts, between each request log and its answer's.
  Relogio::duration espera{};
  Relogio::time_point pedido{};

  Ambiente() {
    Executa({kPrograma, "servidores", "--url", sandbox.Url(), "--saida", (pasta / "hom.ini").string()});
    const fs::path esquemas = pasta / "Esquemas" / "vm50a";
    fs::create_directories(esquemas);
    for (const auto& e : fs::directory_iterator(Esquemas() / "PL_008i2"))
      fs::create_symlink(e.path(), esquemas / e.path().filename());
    fs::copy_file(fs::path(MOXNFE_SOURCE_DIR) / "data/Esquemas/vm50a/Mapping.txt", esquemas / "Mapping.txt");
    nfe.SetUF("SP");
    nfe.SetCNPJ("12345678000195");
    nfe.SetVersaoManual(mox::TVersaoManual::vm50a);
    nfe.SetArquivoServidoresHom((pasta / "hom.ini").string());
    nfe.SetDiretorioTemplates(std::string(MOXNFE_BINARY_DIR) + "/Templates/");
    nfe.SetDiretorioEsquemas((pasta / "Esquemas").string() + "/");
    nfe.SetDiretorioLog((pasta / "Log").string() + "/");
    nfe.SetDiretorioLogErro((pasta / "LogErro").string() + "/");
    nfe.SetDiretorioXmlDestinatario((pasta / "XmlDestinatario").string() + "/");
    nfe.SetCaminhoCertificado((pasta / "cert/12345678000195.pfx").string());
    nfe.SetSenhaCertificado("bench");
    nfe.SetValidarEsquemaAntesEnvio(true);
    nfe.OnLogContent = [this](void*, const std::string& aNome, const std::string&, const std::string&,
                              const std::string&) {
      if (aNome == "env-lot" || aNome == "ped-rec") pedido = Relogio::now();
      if (aNome == "rec" || aNome == "pro-rec") espera += Relogio::now() - pedido;
    };
  }
  ~Ambiente() { fs::remove_all(pasta); }
};

Ambiente& Compartilhado() {
  static Ambiente ambiente;
  return ambiente;
}

int numeroBase = 1;

void BM_Emissao1000Notas(benchmark::State& state) {
  Ambiente& a = Compartilhado();
  double cliente = 0, espera = 0;
  for (auto _ : state) {
    state.PauseTiming();
    std::string tx2;
    const std::string agora = AgoraBrasilia();
    for (int i = 0; i < kNotas; ++i) tx2 += NotaTx2(numeroBase + i, agora);
    numeroBase += kNotas;
    a.espera = {};
    state.ResumeTiming();
    const auto inicio = Relogio::now();

    std::vector<std::string> infNFe;
    std::istringstream linhas(a.nfe.GetConversor().ConvertToXml(tx2, a.nfe.GetVersaoNota(),
                                                                 mox::TLayoutConvKind::lkTXTDataSet,
                                                                 mox::TVersaoEsquema::pl_008i1, false));
    for (std::string linha; std::getline(linhas, linha);)
      if (linha.size() > 1) infNFe.push_back(linha);
    std::vector<std::string> recibos;
    for (size_t i = 0; i < infNFe.size(); i += kPorLote) {
      std::string lote;
      for (size_t j = i; j < std::min(infNFe.size(), i + kPorLote); ++j) lote += infNFe[j];
      const std::string resposta = a.nfe.EnviarNF(std::to_string(numeroBase + i), a.nfe.AssinarNota(lote), false);
      const auto nRec = resposta.find("<nRec>");
      if (nRec == std::string::npos) state.SkipWithError(("lote recusado: " + resposta).c_str());
      else recibos.push_back(resposta.substr(nRec + 6, 15));
    }
    for (const auto& recibo : recibos) {
      const std::string resposta = a.nfe.ConsultarRecibo(recibo);
      if (resposta.find("<cStat>104</cStat>") == std::string::npos)
        state.SkipWithError(("recibo não processado: " + resposta).c_str());
    }
    const std::chrono::duration<double> total = Relogio::now() - inicio;
    espera += std::chrono::duration<double>(a.espera).count();
    cliente += total.count() - std::chrono::duration<double>(a.espera).count();
  }
  size_t nfeProc = 0;
  for (const auto& e : fs::directory_iterator(a.pasta / "XmlDestinatario"))
    nfeProc += e.path().filename().string().ends_with("-nfe.xml");
  if (nfeProc != static_cast<size_t>(state.iterations()) * kNotas)
    state.SkipWithError(("nfeProc gravados: " + std::to_string(nfeProc)).c_str());
  rusage uso{};
  ::getrusage(RUSAGE_SELF, &uso);
  const double n = static_cast<double>(state.iterations());
  state.counters["notas/s"] = benchmark::Counter(n * kNotas, benchmark::Counter::kIsRate);
  state.counters["cliente_s"] = cliente / n;
  state.counters["espera_sandbox_s"] = espera / n;
  state.counters["cliente_notas/s"] = n * kNotas / cliente;
  state.counters["pico_memoria_MB"] = static_cast<double>(uso.ru_maxrss) / 1024.0;
  state.SetItemsProcessed(state.iterations() * kNotas);
}
BENCHMARK(BM_Emissao1000Notas)->Unit(benchmark::kSecond)->Iterations(2)->UseRealTime();

// The floor: one RSA-2048 SHA-1 signature per note and the compiled batch schema over the 25
// signed batches of the last emission, with raw OpenSSL and libxml2.
void BM_PisoOpenSslLibxml2(benchmark::State& state) {
  Ambiente& a = Compartilhado();
  std::vector<std::string> lotes;
  for (const auto& e : fs::directory_iterator(a.pasta / "Log"))
    if (e.path().filename().string().ends_with("-env-lot.xml") && lotes.size() < kNotas / kPorLote)
      lotes.push_back(mox::ReadFileBytes(e.path()).substr(3));
  const mox::CertificateCredential empresa =
      mox::ReadPkcs12(mox::ReadFileBytes(a.pasta / "cert/12345678000195.pfx"), "bench", "empresa.pfx");
  const std::string xsd = (Esquemas() / "PL_008i2/enviNFe_v3.10.xsd").string();
  // The component's loader refuses files outside its own loads; libxml2's own no-network one.
  const xmlExternalEntityLoader carregador = xmlGetExternalEntityLoader();
  xmlSetExternalEntityLoader(xmlNoNetExternalEntityLoader);
  xmlSchemaParserCtxtPtr parser = xmlSchemaNewParserCtxt(xsd.c_str());
  xmlSchemaPtr esquema = xmlSchemaParse(parser);
  xmlSetExternalEntityLoader(carregador);
  if (!esquema) state.SkipWithError(("esquema não compilado: " + xsd).c_str());
  const std::string signedInfo(600, 'x');
  unsigned char assinatura[512];
  for (auto _ : state) {
    for (int i = 0; i < kNotas; ++i) {
      mox::EvpMdCtxPtr ctx(EVP_MD_CTX_new());
      size_t tamanho = sizeof assinatura;
      if (EVP_DigestSignInit(ctx.get(), nullptr, EVP_sha1(), nullptr, empresa.PrivateKey.get()) != 1 ||
          EVP_DigestSign(ctx.get(), assinatura, &tamanho, reinterpret_cast<const unsigned char*>(signedInfo.data()),
                         signedInfo.size()) != 1)
        state.SkipWithError("EVP_DigestSign falhou");
    }
    for (const auto& lote : lotes) {
      xmlDocPtr doc = xmlReadMemory(lote.data(), static_cast<int>(lote.size()), nullptr, nullptr, XML_PARSE_NONET);
      xmlSchemaValidCtxtPtr validador = xmlSchemaNewValidCtxt(esquema);
      if (!doc || xmlSchemaValidateDoc(validador, doc) != 0) state.SkipWithError("lote inválido no libxml2");
      xmlSchemaFreeValidCtxt(validador);
      xmlFreeDoc(doc);
    }
  }
  xmlSchemaFree(esquema);
  xmlSchemaFreeParserCtxt(parser);
  state.SetItemsProcessed(state.iterations() * kNotas);
}
BENCHMARK(BM_PisoOpenSslLibxml2)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  return moxbench::RunWithRatios(
      argc, argv,
      {{"1.000 notas de 10 itens, do TX2 ao nfeProc pelo sandbox (piso OpenSSL + libxml2 / nossa emissão)",
        {"BM_Emissao1000Notas/iterations:2/real_time", "BM_PisoOpenSslLibxml2/real_time"}}});
}
