// The sandbox killed with SIGKILL in the middle of a request: after a restart every batch is
// there whole or not at all. An authorized batch has its receipt with a protocol per note, no
// batch is half authorized, and every authorized note reached the recipient's DF-e feed.
#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <random>
#include <set>
#include <thread>

#include <nlohmann/json.hpp>

#include <filesystem>

#include "external/Base64.h"
#include "external/EKivoException.h"
#include "external/Gzip.h"
#include "support/SandboxDeTeste.h"

namespace {

using namespace moxtest;

// More rounds for a soak run: MOXNFE_RODADAS_QUEDA (scripts/queda-sandbox.sh).
const int kRodadas = std::getenv("MOXNFE_RODADAS_QUEDA") ? std::max(1, std::atoi(std::getenv("MOXNFE_RODADAS_QUEDA"))) : 20;
constexpr int kNotasPorLote = 3;
constexpr int kLotesPorRodada = 4;

struct TLote {
  std::vector<std::string> Notas, Chaves;
  std::string Recibo;  // empty when the sandbox did not acknowledge it
};

// Sends the batches one after the other until the sandbox stops answering; tells how many
// were acknowledged so far.
class Remetente {
 public:
  Remetente(const SandboxDeTeste& aSandbox, std::vector<TLote>& aLotes) : sandbox_(aSandbox), lotes_(aLotes) {
    fio_ = std::thread([this] { Envia(); });
  }
  ~Remetente() { fio_.join(); }

  void EsperaConfirmacoes(int aQuantas) {
    std::unique_lock trava(mutex_);
    mudou_.wait(trava, [&] { return confirmados_ >= aQuantas || terminou_; });
  }

 private:
  void Envia() {
    ClienteDeTeste cliente;
    for (auto& lote : lotes_) {
      std::string ret;
      try {
        ret = EnviaLote(cliente, sandbox_, lote.Notas);
      } catch (const mox::EKivoException&) {
        break;  // killed
      }
      std::lock_guard trava(mutex_);
      if (Campo(ret, "cStat") == "103") lote.Recibo = Campo(ret, "nRec");
      ++confirmados_;
      mudou_.notify_all();
    }
    std::lock_guard trava(mutex_);
    terminou_ = true;
    mudou_.notify_all();
  }

  const SandboxDeTeste& sandbox_;
  std::vector<TLote>& lotes_;
  std::mutex mutex_;
  std::condition_variable mudou_;
  int confirmados_ = 0;
  bool terminou_ = false;
  std::thread fio_;
};

TLote NovoLote(int& aNumero) {
  TLote lote;
  for (int i = 0; i < kNotasPorLote; ++i) {
    lote.Notas.push_back(Assina(NotaDeTeste(++aNumero), "infNFe"));
    lote.Chaves.push_back(ChaveDe(lote.Notas.back()));
  }
  return lote;
}

// The receipt of a batch whose answer was lost: a resend of the same notes is refused as a
// duplicate, and the refusal names the receipt that authorized them.
std::string ReciboPeloReenvio(ClienteDeTeste& aCliente, const SandboxDeTeste& aSandbox, const TLote& aLote) {
  const std::string novo = Campo(EnviaLote(aCliente, aSandbox, aLote.Notas), "nRec");
  const std::string motivo = Campo(Elementos(ConsultaRecibo(aCliente, aSandbox, novo), "protNFe").at(0), "xMotivo");
  const size_t inicio = motivo.find("[nRec:");
  return inicio == std::string::npos ? std::string() : motivo.substr(inicio + 6, 15);
}

std::set<std::string> ChavesNoFeedDoDestinatario(ClienteDeTeste& aDestinatario, const SandboxDeTeste& aSandbox) {
  std::set<std::string> chaves;
  for (unsigned long long ultimo = 0;;) {
    const std::string ret = DistribuicaoDFe(aDestinatario, aSandbox, kCnpjDestinatario, ultimo);
    if (Campo(ret, "cStat") != "138") break;
    for (const auto& doc : Elementos(ret, "docZip"))
      chaves.insert(Campo(mox::GzipDecompress(mox::Base64Decode(Campo(doc, "docZip"))), "chNFe"));
    const unsigned long long proximo = std::stoull(Campo(ret, "ultNSU"));
    if (proximo == ultimo || proximo >= std::stoull(Campo(ret, "maxNSU"))) break;
    ultimo = proximo;
  }
  return chaves;
}

}  // namespace

TEST(SandboxQueda, ACrashAfterAnyWriteOfABatchLeavesNothingOfIt) {
  SandboxDeTeste sandbox;
  ClienteDeTeste emitente;
  ClienteDeTeste destinatario(&OutraEmpresa());
  int numero = 19000;
  bool concluiu = false;
  // A crash after the first write, the second, ... until the whole batch fits before the crash.
  for (int gravacoes = 1; !concluiu && gravacoes < 50; ++gravacoes) {
    SCOPED_TRACE("queda após a gravação " + std::to_string(gravacoes));
    const TLote lote = NovoLote(numero);
    sandbox.DefineOpcoes({"--queda-apos-gravacoes", std::to_string(gravacoes)});
    sandbox.Reinicia();
    std::string ret;
    try {
      ret = EnviaLote(emitente, sandbox, lote.Notas);
      concluiu = true;
    } catch (const mox::EKivoException&) {
    }
    sandbox.DefineOpcoes({});
    sandbox.Reinicia();
    if (concluiu) {
      EXPECT_EQ(Campo(ConsultaRecibo(emitente, sandbox, Campo(ret, "nRec")), "cStat"), "104");
      break;
    }
    const std::set<std::string> feed = ChavesNoFeedDoDestinatario(destinatario, sandbox);
    for (const auto& chave : lote.Chaves) {
      EXPECT_EQ(Campo(ConsultaNota(emitente, sandbox, chave), "cStat"), "217") << chave;
      EXPECT_FALSE(feed.count(chave)) << chave;
    }
    // Nothing of the lost request stands in the way of sending it again.
    const std::string recibo = Campo(EnviaLote(emitente, sandbox, lote.Notas), "nRec");
    const std::string resultado = ConsultaRecibo(emitente, sandbox, recibo);
    for (const auto& protocolo : Elementos(resultado, "protNFe")) EXPECT_EQ(Campo(protocolo, "cStat"), "100");
  }
  EXPECT_TRUE(concluiu);
}

TEST(SandboxQueda, AKillAtAnyMomentLeavesEachBatchWholeOrAbsent) {
  SandboxDeTeste sandbox;
  std::mt19937 sorteio(20261210);
  std::vector<TLote> todos;
  int numero = 20000;
  for (int rodada = 0; rodada < kRodadas; ++rodada) {
    std::vector<TLote> lotes;
    for (int i = 0; i < kLotesPorRodada; ++i) lotes.push_back(NovoLote(numero));
    {
      Remetente remetente(sandbox, lotes);
      remetente.EsperaConfirmacoes(std::uniform_int_distribution<int>(0, kLotesPorRodada - 2)(sorteio));
      sandbox.Derruba();  // the next batch is on its way
    }
    todos.insert(todos.end(), lotes.begin(), lotes.end());
  }

  ClienteDeTeste emitente;
  ClienteDeTeste destinatario(&OutraEmpresa());
  const std::set<std::string> feed = ChavesNoFeedDoDestinatario(destinatario, sandbox);
  int confirmados = 0, respostasPerdidas = 0;
  for (const auto& lote : todos) {
    int autorizadas = 0;
    for (const auto& chave : lote.Chaves) {
      const bool autorizada = Campo(ConsultaNota(emitente, sandbox, chave), "cStat") == "100";
      autorizadas += autorizada;
      if (autorizada) {
        EXPECT_TRUE(feed.count(chave)) << "autorizada fora do feed de DF-e: " << chave;
      }
    }
    EXPECT_TRUE(autorizadas == 0 || autorizadas == kNotasPorLote)
        << "lote aplicado pela metade: " << autorizadas << " de " << kNotasPorLote << ", a primeira " << lote.Chaves[0];
    if (autorizadas == 0) {
      EXPECT_TRUE(lote.Recibo.empty()) << "lote confirmado sem as notas, recibo " << lote.Recibo;
      continue;
    }
    confirmados += !lote.Recibo.empty();
    respostasPerdidas += lote.Recibo.empty();
    const std::string recibo = lote.Recibo.empty() ? ReciboPeloReenvio(emitente, sandbox, lote) : lote.Recibo;
    const std::string ret = ConsultaRecibo(emitente, sandbox, recibo);
    EXPECT_EQ(Campo(ret, "cStat"), "104") << "notas autorizadas sem o recibo do lote: " << lote.Chaves[0] << "\n" << ret;
    EXPECT_EQ(Elementos(ret, "protNFe").size(), size_t(kNotasPorLote)) << ret;
  }
  std::cout << kRodadas << " quedas: " << confirmados << " lotes confirmados, " << respostasPerdidas
            << " autorizados com a resposta perdida" << std::endl;
  EXPECT_GT(confirmados, 0);
}

TEST(SandboxQueda, AStateFolderOfTheFormerFileLayoutIsMovedIntoTheDatabase) {
  namespace fs = std::filesystem;
  SandboxDeTeste sandbox;
  const fs::path estado = sandbox.Pasta().path() / "estado";
  const std::string recibo = "351000000000041";
  const std::string protocolo = "<protNFe versao=\"3.10\"><infProt><cStat>100</cStat></infProt></protNFe>";
  sandbox.Reinicia([&] {
    for (const char* arquivo : {"estado.db", "estado.db-wal", "estado.db-shm"}) fs::remove(estado / arquivo);
    fs::create_directories(estado / "recibos");
    WriteText(estado / "contadores.json", "{\"recibo\": 41, \"protocolo\": 7}\n");
    WriteText(estado / "recibos" / (recibo + ".json"),
              nlohmann::json{{"NRec", recibo}, {"CUF", "35"}, {"Versao", "3.10"}, {"DhRecbto", "2014-03-15T10:00:00-03:00"},
                             {"CnpjTransmissor", kCompanyCnpj}, {"Protocolos", {protocolo}}}
                  .dump());
  });
  ClienteDeTeste emitente;
  const std::string ret = ConsultaRecibo(emitente, sandbox, recibo);
  EXPECT_EQ(Campo(ret, "cStat"), "104") << ret;
  EXPECT_NE(ret.find("<cStat>100</cStat></infProt>"), std::string::npos) << ret;
  // The sequences go on from where the old files left them.
  EXPECT_EQ(Campo(EnviaLote(emitente, sandbox, {Assina(NotaDeTeste(21999), "infNFe")}), "nRec"), "351000000000042");
  EXPECT_TRUE(fs::is_directory(estado / "migrado-recibos"));
  EXPECT_FALSE(fs::exists(estado / "contadores.json"));
}
