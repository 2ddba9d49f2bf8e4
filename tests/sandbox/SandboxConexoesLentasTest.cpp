// Clients that connect and then say nothing (or stall mid-request) must not keep the sandbox
// from answering everyone else. The latencies are printed; the test only requires that each
// request of the well-behaved client is answered before that client gives up.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <iostream>
#include <string>
#include <vector>

#include "external/EKivoException.h"
#include "support/SandboxDeTeste.h"

namespace {

using namespace moxtest;

constexpr int kConexoesOciosas = 60;
constexpr int kPedidos = 20;
constexpr int kClienteDesisteMs = 1500;

int PortaDe(const std::string& aUrl) {
  const size_t inicio = aUrl.rfind(':') + 1;
  return std::stoi(aUrl.substr(inicio, aUrl.find('/', inicio) - inicio));
}

// Opens a TCP connection that sends aInicio (possibly nothing) and then stays silent.
int ConexaoParada(int aPorta, const std::string& aInicio) {
  const int s = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in endereco{};
  endereco.sin_family = AF_INET;
  endereco.sin_port = htons(static_cast<uint16_t>(aPorta));
  endereco.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::connect(s, reinterpret_cast<sockaddr*>(&endereco), sizeof endereco) != 0) {
    ::close(s);
    return -1;
  }
  if (!aInicio.empty()) (void)!::write(s, aInicio.data(), aInicio.size());
  return s;
}

}  // namespace

TEST(SandboxConexoesLentas, AnswersOthersWhileManyClientsHoldIdleConnections) {
  SandboxDeTeste sandbox;
  const int porta = PortaDe(sandbox.Url());
  // Half say nothing at all; half start a TLS handshake (a record header) and stall.
  std::vector<int> paradas;
  for (int i = 0; i < kConexoesOciosas; ++i) {
    const int s = ConexaoParada(porta, i % 2 ? std::string("\x16\x03\x01\x02\x00", 5) : std::string());
    ASSERT_GE(s, 0) << "conexão " << i;
    paradas.push_back(s);
  }

  ClienteDeTeste cliente;
  cliente.DefineTempoLimite(kClienteDesisteMs);
  const std::string status = Envelope(
      "NfeStatusServico2", "35", "3.10",
      "<consStatServ xmlns=\"http://www.portalfiscal.inf.br/nfe\" versao=\"3.10\"><tpAmb>2</tpAmb><cUF>35</cUF>"
      "<xServ>STATUS</xServ></consStatServ>");
  std::vector<double> latencias;
  for (int i = 0; i < kPedidos; ++i) {
    const auto inicio = std::chrono::steady_clock::now();
    std::string ret;
    try {
      ret = cliente.Posta(sandbox.Endereco("SP", "NfeStatusServico2"), "NfeStatusServico2", "nfeStatusServicoNF2",
                          "nfeStatusServicoNF2Result", status);
    } catch (const mox::EKivoException& e) {
      ADD_FAILURE() << "pedido " << i << " sem resposta: " << e.what();
      continue;
    }
    latencias.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - inicio).count());
    EXPECT_EQ(Campo(ret, "cStat"), "107");
  }
  for (int s : paradas) ::close(s);

  std::sort(latencias.begin(), latencias.end());
  if (!latencias.empty())
    std::cout << "Com " << kConexoesOciosas << " conexões paradas, status (ms): p50 " << latencias[latencias.size() / 2]
              << ", máximo " << latencias.back() << std::endl;
}
