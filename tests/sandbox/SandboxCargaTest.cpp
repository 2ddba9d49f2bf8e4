// Load on loopback, bounded in count and time: 8 clients share 500 status requests and 200
// batches. Every request must be answered as it should; the latencies are printed, not judged.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <iostream>
#include <mutex>
#include <thread>

#include "external/EKivoException.h"
#include "support/SandboxDeTeste.h"

namespace {

using namespace moxtest;
using Relogio = std::chrono::steady_clock;

constexpr int kClientes = 8;
constexpr int kStatus = 500;
constexpr int kLotes = 200;
constexpr auto kPrazo = std::chrono::minutes(3);  // stops a run that hangs, whatever the machine

double Percentil(std::vector<double> aValores, double aFracao) {
  if (aValores.empty()) return 0;
  std::sort(aValores.begin(), aValores.end());
  return aValores[std::min(aValores.size() - 1, static_cast<size_t>(aFracao * aValores.size()))];
}

TEST(SandboxCarga, AnswersEveryRequestOfEightConcurrentClients) {
  SandboxDeTeste sandbox;
  std::vector<std::string> notas;
  for (int i = 0; i < kLotes; ++i) notas.push_back(Assina(NotaDeTeste(7000 + i), "infNFe"));
  const std::string status = Envelope(
      "NfeStatusServico2", "35", "3.10",
      "<consStatServ xmlns=\"http://www.portalfiscal.inf.br/nfe\" versao=\"3.10\"><tpAmb>2</tpAmb><cUF>35</cUF>"
      "<xServ>STATUS</xServ></consStatServ>");

  std::atomic<int> proxima{0};
  std::mutex mutex;
  std::vector<double> latenciasStatus, latenciasLote;
  std::vector<std::string> recibos, falhas;
  const auto prazo = Relogio::now() + kPrazo;
  auto cliente = [&] {
    ClienteDeTeste c;
    for (int i = proxima++; i < kStatus + kLotes && Relogio::now() < prazo; i = proxima++) {
      const bool lote = i >= kStatus;
      const auto inicio = Relogio::now();
      std::string ret, falha;
      try {
        ret = lote ? EnviaLote(c, sandbox, {notas[i - kStatus]})
                   : c.Posta(sandbox.Endereco("SP", "NfeStatusServico2"), "NfeStatusServico2", "nfeStatusServicoNF2",
                             "nfeStatusServicoNF2Result", status);
      } catch (const mox::EKivoException& e) {
        falha = e.what();
      }
      const double ms = std::chrono::duration<double, std::milli>(Relogio::now() - inicio).count();
      std::lock_guard trava(mutex);
      if (falha.empty() && Campo(ret, "cStat") != (lote ? "103" : "107")) falha = ret;
      if (!falha.empty()) falhas.push_back(falha);
      (lote ? latenciasLote : latenciasStatus).push_back(ms);
      if (lote && falha.empty()) recibos.push_back(Campo(ret, "nRec"));
    }
  };
  std::vector<std::thread> clientes;
  for (int i = 0; i < kClientes; ++i) clientes.emplace_back(cliente);
  for (auto& t : clientes) t.join();

  std::cout << "Latência do status (ms): p50 " << Percentil(latenciasStatus, 0.50) << ", p99 "
            << Percentil(latenciasStatus, 0.99) << "\nLatência do envio de lote (ms): p50 "
            << Percentil(latenciasLote, 0.50) << ", p99 " << Percentil(latenciasLote, 0.99) << std::endl;
  EXPECT_TRUE(falhas.empty()) << falhas.size() << " falhas, a primeira: " << falhas.front();
  EXPECT_EQ(latenciasStatus.size(), size_t(kStatus));
  ASSERT_EQ(recibos.size(), size_t(kLotes));

  // No note of the load was lost: every receipt holds its authorized note.
  ClienteDeTeste c;
  std::sort(recibos.begin(), recibos.end());
  EXPECT_EQ(std::unique(recibos.begin(), recibos.end()), recibos.end());
  int autorizadas = 0;
  for (const auto& recibo : recibos) autorizadas += Campo(ConsultaRecibo(c, sandbox, recibo), "cStat", "infProt") == "100";
  EXPECT_EQ(autorizadas, kLotes);
}

}  // namespace
