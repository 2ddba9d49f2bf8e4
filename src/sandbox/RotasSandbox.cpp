#include "sandbox/RotasSandbox.h"

#include "webservices/moxServicosSefaz.h"

namespace mox::sandbox {

std::string TRota::Namespace() const { return kWsdlBase + Servico; }

bool TRota::OferecidaEm(const TSecao& aSecao) const {
  switch (aSecao.Tipo) {
    case TTipoSecao::UF: return NaUF;
    case TTipoSecao::SVC: return NaSVC;
    case TTipoSecao::AN: return NoAN;
  }
  return false;
}

std::string TRota::ElementoResultado(const std::string& aAcao) const {
  if (aAcao.empty()) return Acoes.front().second;
  for (const auto& [metodo, resultado] : Acoes)
    if (aAcao == (metodo.empty() ? Namespace() : Namespace() + "/" + metodo)) return resultado;
  return {};
}

const std::vector<TRota>& Rotas() {
  // The first generation of services (layout 1.10): one method each, answered in
  // "<method>Result", only at the states.
  const auto primeiraGeracao = [](const char* aServico, const std::string& aMetodo,
                                  TResposta (*aAtende)(const TChamada&, TRecursos&)) {
    return TRota{aServico, {{aMetodo, aMetodo + "Result"}}, aAtende, true, false, false, false, true};
  };
  // Layout 4.00: every action answered in "nfeResultMsg", at the states and where aNaSVC and
  // aNoAN say.
  const auto leiaute400 = [](const char* aServico, std::initializer_list<const char*> aMetodos,
                             TResposta (*aAtende)(const TChamada&, TRecursos&), bool aNaSVC, bool aNoAN) {
    TRota rota{aServico, {}, aAtende, true, aNaSVC, aNoAN};
    for (const char* metodo : aMetodos) rota.Acoes.emplace_back(metodo, "nfeResultMsg");
    rota.Leiaute400 = true;
    return rota;
  };
  // Besides the actions the component posts, the ones of the published WSDLs.
  static const std::vector<TRota> rotas{
      primeiraGeracao("NfeStatusServico", "nfeStatusServicoNF", AtendeStatus),
      primeiraGeracao("NfeRecepcao", "nfeRecepcaoLote", AtendeEnvioLote),
      primeiraGeracao("NfeRetRecepcao", "nfeRetRecepcao", AtendeConsultaRecibo),
      primeiraGeracao("NfeConsulta", "nfeConsultaNF", AtendeConsultaNF),
      primeiraGeracao("NfeCancelamento", "nfeCancelamentoNF", AtendeCancelamento),
      primeiraGeracao("NfeInutilizacao", "nfeInutilizacaoNF", AtendeInutilizacao),
      primeiraGeracao("CadConsultaCadastro", "consultaCadastro", AtendeConsultaCadastro),
      {"NfeStatusServico2", {{"nfeStatusServicoNF2", "nfeStatusServicoNF2Result"}}, AtendeStatus, true, true, false},
      {"NfeStatusServico3",
       {{"nfeStatusServicoNF", "nfeStatusServicoNFResult"}, {"nfeStatusServicoNF2", "nfeStatusServicoNF2Result"}},
       AtendeStatus, true, true, false},
      {"NfeRecepcao2", {{"nfeRecepcaoLote2", "nfeRecepcaoLote2Result"}}, AtendeEnvioLote, true, true, false},
      {"NfeAutorizacao",
       {{"NfeAutorizacaoLote", "nfeAutorizacaoLoteResult"},
        {"nfeAutorizacaoLote", "nfeAutorizacaoLoteResult"},
        {"nfeAutorizacaoLoteZip", "nfeAutorizacaoLoteZipResult"},
        {"NfeAutorizacaoLoteZip", "nfeAutorizacaoLoteZipResult"}},
       AtendeEnvioLote, true, true, false},
      {"NfeRetRecepcao2", {{"nfeRetRecepcao2", "nfeRetRecepcao2Result"}}, AtendeConsultaRecibo, true, true, false},
      {"NfeRetAutorizacao",
       {{"NfeRetAutorizacaoLote", "NfeRetAutorizacaoLoteResult"},
        {"nfeRetAutorizacaoLote", "nfeRetAutorizacaoLoteResult"}},
       AtendeConsultaRecibo, true, true, false},
      {"NfeConsulta2", {{"nfeConsultaNF2", "nfeConsultaNF2Result"}}, AtendeConsultaNF, true, true, false},
      {"NfeConsulta3",
       {{"nfeConsultaNF", "nfeConsultaNFResult"}, {"nfeConsultaNF2", "nfeConsultaNF2Result"}},
       AtendeConsultaNF, true, true, false},
      {"NfeCancelamento2", {{"nfeCancelamentoNF2", "nfeCancelamentoNF2Result"}}, AtendeCancelamento, true, false, false},
      {"NfeInutilizacao2", {{"nfeInutilizacaoNF2", "nfeInutilizacaoNF2Result"}}, AtendeInutilizacao, true, false, false},
      {"NfeInutilizacao3",
       {{"nfeInutilizacaoNF", "nfeInutilizacaoNFResult"}, {"nfeInutilizacaoNF2", "nfeInutilizacaoNF2Result"}},
       AtendeInutilizacao, true, false, false},
      {"CadConsultaCadastro2",
       {{"", "CadConsultaCadastroNF2Result"}, {"consultaCadastro2", "consultaCadastro2Result"}},
       AtendeConsultaCadastro, true, false, false},
      {"RecepcaoEvento", {{"nfeRecepcaoEvento", "nfeRecepcaoEventoResult"}}, AtendeEvento, true, true, true},
      {"NFeDistribuicaoDFe",
       {{"", "nfeDistDFeInteresseResult"}, {"nfeDistDFeInteresse", "nfeDistDFeInteresseResult"}},
       AtendeDistribuicaoDFe, false, false, true, true},
      {"NfeConsultaDest", {{"nfeConsultaNFDest", "nfeConsultaNFDestResult"}}, AtendeConsultaDestinadas, false, false,
       true},
      {"NfeDownloadNF", {{"nfeDownloadNF", "nfeDownloadNFResult"}}, AtendeDownloadNFe, false, false, true},
      // Layout 4.00.
      leiaute400("NFeStatusServico4", {"nfeStatusServicoNF"}, AtendeStatus, true, false),
      leiaute400("NFeAutorizacao4", {"nfeAutorizacaoLote", "nfeAutorizacaoLoteZip"}, AtendeEnvioLote, true, false),
      leiaute400("NFeRetAutorizacao4", {"nfeRetAutorizacaoLote"}, AtendeConsultaRecibo, true, false),
      leiaute400("NFeConsultaProtocolo4", {"nfeConsultaNF"}, AtendeConsultaNF, true, false),
      leiaute400("NFeInutilizacao4", {"nfeInutilizacaoNF"}, AtendeInutilizacao, false, false),
      leiaute400("CadConsultaCadastro4", {"consultaCadastro"}, AtendeConsultaCadastro, false, false),
      leiaute400("NFeRecepcaoEvento4", {"nfeRecepcaoEvento"}, AtendeEvento, true, true),
  };
  return rotas;
}

const TRota* RotaDoServico(const std::string& aServico) {
  for (const auto& r : Rotas())
    if (r.Servico == aServico) return &r;
  return nullptr;
}

const TRota* RotaDoCaminho(const std::string& aCaminho) {
  const size_t barra = aCaminho.find('/', 4);
  if (aCaminho.compare(0, 4, "/ws/") != 0 || barra == std::string::npos) return nullptr;
  return RotaDoServico(aCaminho.substr(barra + 1));
}

std::string CaminhoDoServico(const std::string& aSecao, const std::string& aServico) {
  return "/ws/" + aSecao + "/" + aServico;
}

}  // namespace mox::sandbox
