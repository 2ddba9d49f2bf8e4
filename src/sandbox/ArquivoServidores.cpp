#include "sandbox/ArquivoServidores.h"

#include "external/TmoxIniFile.h"
#include "sandbox/RotasSandbox.h"
#include "webservices/moxServicosSefaz.h"

namespace mox::sandbox {

std::string TextoServidores(const std::string& aUrlBase) {
  std::string base = aUrlBase;
  while (!base.empty() && base.back() == '/') base.pop_back();
  const TSecao nacional = *SecaoPorNome("AN");
  TmoxIniFile ini;
  for (const char* const* nome = NomesDasSecoes(); *nome; ++nome) {
    const TSecao secao = *SecaoPorNome(*nome);
    for (const auto& [chave, servico] : ChavesDosServidores()) {
      const TRota* rota = RotaDoServico(servico);
      if (rota && rota->OferecidaEm(secao))
        ini.WriteString(secao.Nome, chave, base + CaminhoDoServico(secao.Nome, servico));
      else if (rota && rota->OferecidaEm(nacional))
        ini.WriteString(secao.Nome, chave, base + CaminhoDoServico(nacional.Nome, servico));
    }
  }
  return "; Servidores do sandbox SEFAZ local (moxnfe-sandbox) em " + base + "\n" + ini.GetText();
}

}  // namespace mox::sandbox
