// The event engine when the address answers "Not Found (404)" (a fault of the sandbox chosen at
// its start): the event reception is posted once more and its second outcome is final; the
// other services of the engine are not posted again.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "base/EmoxException.h"
#include "component/TmoxNFe.h"
#include "support/ClienteDoSandbox.h"
#include "support/MensagemDe.h"
#include "support/SandboxDeTeste.h"

namespace {

using namespace moxtest;

TEST(EventosComFalhas, RecepcaoDeEventosTentaDeNovoUmaVezDepoisDe404) {
  SandboxDeTeste sandbox;
  ClienteDoSandbox cliente(sandbox);
  ClienteDeTeste http;
  const std::string nota = Assina(NotaDeTeste(9801), "infNFe");
  Autoriza(http, sandbox, nota);
  const std::string chave = ChaveDe(nota);
  struct Caso {
    const char* nome;
    int respostas404;  // requests answered 404 from the sandbox's start
    std::function<std::string(mox::TmoxNFe&)> acao;
    std::string esperado;  // cStat of the answer, or a part of the failure's message
  };
  int sequencia = 0;
  const auto cce = [&](mox::TmoxNFe& aNFe) {
    ++sequencia;
    return aNFe.EnviarCCe(chave, "Endereco de entrega corrigido", "", "35", "1", sequencia, "");
  };
  const std::vector<Caso> casos{
      {"um 404: o evento sai na segunda tentativa", 1,
       [&](mox::TmoxNFe& aNFe) { return Campo(cce(aNFe), "cStat", "infEvento"); }, "135"},
      {"dois 404: a segunda falha é a final", 2, [&](mox::TmoxNFe& aNFe) { return cce(aNFe); },
       "Not Found (404)"},
      {"a mesma carta, sem falha, é registrada: nada ficou das tentativas", 0,
       [&](mox::TmoxNFe& aNFe) { return Campo(cce(aNFe), "cStat", "infEvento"); }, "135"},
      {"a distribuição DF-e não tenta de novo", 1,
       [](mox::TmoxNFe& aNFe) {
         return aNFe.ConsultarDistribuicaoDFe("35", kCompanyCnpj, "0", mox::TNSUKind::nkUltimo);
       },
       "Not Found (404)"},
  };
  for (const Caso& c : casos) {
    SCOPED_TRACE(c.nome);
    // The 404s count from the start: each case starts the sandbox again on the same state.
    sandbox.DefineOpcoes(c.respostas404 ? std::vector<std::string>{"--falha-404", std::to_string(c.respostas404)}
                                        : std::vector<std::string>{});
    sandbox.Reinicia();
    cliente.AtualizaServidores(sandbox);
    TempDir pasta;
    auto nfe = cliente.Componente(mox::TVersaoManual::vm50a, pasta);
    if (c.esperado.size() == 3) {
      EXPECT_EQ(c.acao(*nfe), c.esperado);
      continue;
    }
    const std::string mensagem = MensagemDe<mox::EmoxException>([&] { c.acao(*nfe); });
    EXPECT_NE(mensagem.find(c.esperado), std::string::npos) << mensagem;
    if (c.respostas404 == 2) --sequencia;  // the letter was never registered: the next one takes its number
  }
}

}  // namespace
