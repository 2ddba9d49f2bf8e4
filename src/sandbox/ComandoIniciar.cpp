// moxnfe-sandbox iniciar: loads the state and the identities, then serves until SIGTERM.
#include <pthread.h>
#include <signal.h>

#include <algorithm>
#include <iostream>
#include <stdexcept>
#include <thread>

#include "sandbox/ArquivosPem.h"
#include "sandbox/ComandosSandbox.h"
#include "sandbox/ServidorSandbox.h"

namespace mox::sandbox {

namespace {

int Porta(const std::string& aTexto) {
  try {
    size_t fim = 0;
    const int porta = std::stoi(aTexto, &fim);
    if (fim == aTexto.size() && porta >= 0 && porta <= 65535) return porta;
  } catch (const std::exception&) {
  }
  throw EUsoInvalido("porta inválida: " + aTexto);
}

long long NumeroPositivo(const std::string& aTexto, const std::string& aOpcao) {
  try {
    size_t fim = 0;
    const long long n = std::stoll(aTexto, &fim);
    if (fim == aTexto.size() && n > 0) return n;
  } catch (const std::exception&) {
  }
  throw EUsoInvalido(aOpcao + " espera um número positivo: " + aTexto);
}

// The host clients write in the address: a wildcard address is reached through loopback.
std::string HostDoEndereco(const std::string& aEndereco) {
  if (aEndereco == "0.0.0.0") return "127.0.0.1";
  if (aEndereco == "::") return "[::1]";
  return aEndereco.find(':') != std::string::npos ? "[" + aEndereco + "]" : aEndereco;
}

int Contagem(const ArgumentosSandbox& aArgumentos, const std::string& aOpcao) {
  const std::string texto = aArgumentos.Opcional(aOpcao);
  return texto.empty() ? 0 : static_cast<int>(std::min(NumeroPositivo(texto, "--" + aOpcao), 1000000LL));
}

TConfiguracaoFalhas LeFalhas(const ArgumentosSandbox& aArgumentos) {
  TConfiguracaoFalhas f;
  f.LotesSemResposta = Contagem(aArgumentos, "falha-sem-resposta");
  f.LotesComErroHttp = Contagem(aArgumentos, "falha-erro-http");
  f.AtrasoMs = Contagem(aArgumentos, "falha-atraso");
  f.LotesAtrasados = f.AtrasoMs > 0 ? std::max(Contagem(aArgumentos, "falha-atraso-lotes"), 1) : 0;
  f.ConsultasEmProcessamento = Contagem(aArgumentos, "falha-em-processamento");
  f.LotesNaoRecebidos = Contagem(aArgumentos, "falha-lote-perdido");
  f.ConsultasSemResposta = Contagem(aArgumentos, "falha-consulta-sem-resposta");
  f.Respostas404 = Contagem(aArgumentos, "falha-404");
  f.DistribuicoesAntesDaQueda = Contagem(aArgumentos, "falha-distribuicao-apos");
  return f;
}

}  // namespace

int ComandoIniciar(const ArgumentosSandbox& aArgumentos) {
  CatalogoEsquemas esquemas(aArgumentos.Obrigatoria("esquemas"));
  if (auto ausentes = esquemas.EsquemasAusentes(); !ausentes.empty()) {
    std::string lista;
    for (const auto& a : ausentes) lista += " " + a;
    throw std::runtime_error("A pasta de esquemas " + aArgumentos.Obrigatoria("esquemas") +
                             " não tem os pacotes oficiais de que o sandbox precisa; faltam:" + lista);
  }
  TConfiguracaoServidor configuracao;
  configuracao.Endereco = aArgumentos.Opcional("endereco", "127.0.0.1");
  configuracao.Porta = Porta(aArgumentos.Opcional("porta", "0"));
  configuracao.Autoridade = LeCredencialPem(aArgumentos.Obrigatoria("ca"));
  configuracao.Servidor = LeCredencialPem(aArgumentos.Obrigatoria("certificado"), aArgumentos.Obrigatoria("chave"));
  EstadoSandbox estado(aArgumentos.Obrigatoria("estado"));
  if (const std::string queda = aArgumentos.Opcional("queda-apos-gravacoes"); !queda.empty())
    estado.DefineQuedaAposGravacoes(NumeroPositivo(queda, "--queda-apos-gravacoes"));
  VerificadorAssinaturas assinaturas(configuracao.Autoridade.Certificate.get());
  FalhasSandbox falhas(LeFalhas(aArgumentos));
  TRecursos recursos{estado, esquemas, assinaturas, &falhas};

  // Every thread started from here on leaves SIGTERM and SIGINT to the one that waits for them.
  sigset_t sinais;
  sigemptyset(&sinais);
  sigaddset(&sinais, SIGTERM);
  sigaddset(&sinais, SIGINT);
  pthread_sigmask(SIG_BLOCK, &sinais, nullptr);
  signal(SIGPIPE, SIG_IGN);

  const std::string host = HostDoEndereco(configuracao.Endereco);
  ServidorSandbox servidor(std::move(configuracao), recursos);
  const int porta = servidor.Liga();
  std::thread([&servidor, sinais] {
    int sinal = 0;
    sigwait(&sinais, &sinal);
    servidor.Para();
  }).detach();
  std::cout << "PRONTO https://" << host << ":" << porta << "/" << std::endl;
  servidor.Atende();
  std::cerr << "Sandbox encerrado." << std::endl;
  return 0;
}

}  // namespace mox::sandbox
